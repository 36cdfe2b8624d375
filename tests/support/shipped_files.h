#pragma once

#include <string>

// Copies the files the program ships (language files, texts) into folder and makes it the
// program folder (TARVO_HOME), as a window under test expects to find them.
void useAsProgramFolder(const std::string& folder);
