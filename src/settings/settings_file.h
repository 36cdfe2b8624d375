#pragma once

#include "settings/settings_document.h"

#include <optional>
#include <string>

// What the program keeps across runs in TarvoManager.xml.
struct RunSettings {
    std::string SortTypeLeft;
    std::string SortTypeRight;
    bool StandardIcons = false;
    std::string LeftTabDir;
    std::string RightTabDir;
    bool LeftBriefView = false;
    bool RightBriefView = false;

    bool operator==(const RunSettings&) const = default;
};

// The settings document of a run, as the start found it.
struct OpenedSettings {
    TXMLTarvoManagerType document;
    // Set when an existing file could not be used: what to tell the user. The file is then
    // left as it is until the close saves over it.
    std::optional<std::string> problem;
};

// program folder + "/TarvoManager.xml"
std::string settingsFilePath();

// Loads the settings file. Without a file, the default document is written at once (so the
// close has a document to save the run's values into, even if that write fails) and used.
// A file that cannot be read, is not well-formed or has another root gives the default document
// and a problem text naming the file and the reason.
OpenedSettings openSettingsFile(const std::string& path);

RunSettings readRunSettings(TXMLTarvoManagerType document);

// Writes the run's values into the document and saves it over the file at path: the document
// element's markup in UTF-8, then CR LF, replacing the file only when the whole text is on disk.
// Everything else in the document (other leaves, `type` attributes, unknown elements) is kept.
// Returns the reason when the file could not be replaced (it then stays as it was); empty on
// success.
std::string saveRunSettings(TXMLTarvoManagerType& document, const RunSettings& settings,
                            const std::string& path);

// How the brief view of both panels is stored: ":", " LeftBrief ", ": RightBrief " or
// " LeftBrief  RightBrief ". Reading looks for the two words anywhere in the text.
std::string briefViewText(bool left, bool right);

// The folder as far as the settings file can hold it: a path is bytes, the file is UTF-8 XML.
// From the first component that is not valid UTF-8 or holds a character XML cannot carry, the
// path is cut off, so a restore opens the nearest folder above it.
std::string storableFolder(const std::string& path);
