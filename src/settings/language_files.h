#pragma once

#include <string>
#include <vector>

// The language files the user can choose from and the copying that installs them.

// program folder + "/lang"
std::string languageFolder();
// program folder + "/Language.xml", the file the window's texts come from
std::string activeLanguagePath();

// The names of the regular files in folder that "*.xml" matches (letter case ignored), sorted
// by name; empty when the folder cannot be read.
std::vector<std::string> listLanguageFiles(const std::string& folder);

// Copies the language document at source to target after it has loaded as one, through a
// temporary file beside target and a rename, so that target is always whole, old or new, and
// source and target may be one file. Returns why nothing was copied; empty on success.
std::string installLanguageFile(const std::string& source, const std::string& target);
