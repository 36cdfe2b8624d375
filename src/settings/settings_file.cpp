#include "settings/settings_file.h"

#include "platform/atomic_file.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"

#include <QList>
#include <QStringDecoder>

#include <cerrno>
#include <sstream>

#include <sys/stat.h>

namespace {

bool isXmlCharacter(uint c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool storable(std::string_view text) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded =
        decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (decoder.hasError())
        return false;
    for (const uint c : decoded.toUcs4())
        if (!isXmlCharacter(c))
            return false;
    return true;
}

bool contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

std::string readProblem(const std::string& path, const std::string& reason) {
    return "The settings file " + path + " could not be read (" + reason +
           "). Default settings are used until the program closes.";
}

} // namespace

std::string settingsFilePath() {
    return joinPath(programFolder(), "TarvoManager.xml");
}

OpenedSettings openSettingsFile(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 && errno == ENOENT) {
        // Written at once: a first start leaves a settings file even if the run never closes.
        replaceFileContent(path, std::string(kDefaultSettingsText) + "\r\n");
        return {DefaultTarvoManager(), std::nullopt};
    }
    try {
        if (auto document = LoadTarvoManager(path))
            return {*document, std::nullopt};
        return {DefaultTarvoManager(), readProblem(path, "its root element is not <TarvoManager>")};
    } catch (const std::exception& failure) {
        return {DefaultTarvoManager(), readProblem(path, failure.what())};
    }
}

RunSettings readRunSettings(TXMLTarvoManagerType document) {
    TXMLSettingsType settings = document.Get_Settings();
    RunSettings run;
    run.SortTypeLeft = settings.Get_SortTypeLeft().text();
    run.SortTypeRight = settings.Get_SortTypeRight().text();
    run.StandardIcons = contains(settings.Get_Reserved2().text(), "StandardIcon");
    run.LeftTabDir = settings.Get_LeftTabDir().text();
    run.RightTabDir = settings.Get_RightTabDir().text();
    const std::string brief = settings.Get_Reserved1().text();
    run.LeftBriefView = contains(brief, "LeftBrief");
    run.RightBriefView = contains(brief, "RightBrief");
    return run;
}

std::string saveRunSettings(TXMLTarvoManagerType& document, const RunSettings& run,
                            const std::string& path) {
    TXMLSettingsType settings = document.Get_Settings();
    settings.Get_SortTypeLeft().setText(run.SortTypeLeft);
    settings.Get_SortTypeRight().setText(run.SortTypeRight);
    settings.Get_Reserved2().setText(run.StandardIcons ? "StandardIcon" : "AllIcon");
    settings.Get_LeftTabDir().setText(storableFolder(run.LeftTabDir));
    settings.Get_RightTabDir().setText(storableFolder(run.RightTabDir));
    settings.Get_Reserved1().setText(briefViewText(run.LeftBriefView, run.RightBriefView));
    return replaceFileContent(path, document.markup() + "\r\n");
}

std::string briefViewText(bool left, bool right) {
    std::string text = left ? " LeftBrief " : ":";
    if (right)
        text += " RightBrief ";
    return text;
}

std::string storableFolder(const std::string& path) {
    const bool absolute = !path.empty() && path.front() == '/';
    std::string kept = absolute ? "/" : "";
    std::istringstream components(path);
    for (std::string component; std::getline(components, component, '/');) {
        if (component.empty())
            continue;
        if (!storable(component))
            break;
        if (!kept.empty() && kept.back() != '/')
            kept += '/';
        kept += component;
    }
    return kept;
}
