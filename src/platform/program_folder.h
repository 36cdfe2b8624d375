#pragma once

#include <string>
#include <string_view>

// The program folder holds the files the program ships and keeps (language files, settings,
// saved sites, history). It is the folder of the executable unless TARVO_HOME names another one.
std::string programFolder();

// The path is the folder or lies below it, by whole components ("/mnt/a" is not within
// "/mnt/ab"; every absolute path is within "/").
bool isWithin(std::string_view path, std::string_view folder);
