#pragma once

#include <string>

// Paths split at their last "/": what comes before it is the folder, what follows is the name.
// Nothing is normalised, so every caller sees the same answer for the same text:
//   folderOf("/a/b") == "/a"   nameOf("/a/b") == "b"
//   folderOf("/a")   == "/"    nameOf("/a")   == "a"
//   folderOf("/")    == "/"    nameOf("/")    == ""
//   folderOf("/a/")  == "/a"   nameOf("/a/")  == ""   (a trailing "/" names no entry)
//   folderOf("a")    == ""     nameOf("a")    == "a"  (no slash: no folder, all name)
// A caller that needs a folder to open for a bare name uses "." itself.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Joins a name to a folder with one "/" between them; the root "/" gives "/name", never "//name".
std::string joinPath(const std::string& folder, const std::string& name);
