#pragma once

#include <string>

// The program the F4 command opens files with, kept in env.dat in the program folder as one
// line: "EditorForF4=default" (the desktop's text editor) or "EditorForF4=" + a program's path.

inline constexpr const char* kDefaultEditor = "notepad"; // the desktop's text editor

struct EditorChoice {
    std::string EditorPath = kDefaultEditor; // kDefaultEditor or the program's full path
    std::string Problem; // why an existing env.dat could not be read, naming it; else empty
    bool custom() const { return EditorPath != kDefaultEditor; }
};

// program folder + "/env.dat"
std::string editorSettingPath();

// "EditorForF4=default" anywhere in the file means the default editor; otherwise a first line
// that holds "EditorForF4=" names the program from its 13th character on, which counts only
// when it is an existing regular file with an execute bit. Anything else, an empty, unreadable
// or missing file included, means the default editor. Lines may end in CR LF or LF. The file is
// read as readProgramFile reads: a pipe, a device or a huge file is not read but reported.
EditorChoice readEditorSetting(const std::string& file);

// Replaces the file with the one line for the program (empty: the default editor) and CR LF.
// Returns the reason when the file could not be replaced (it then keeps what it held); empty on
// success.
std::string writeEditorSetting(const std::string& file, const std::string& program);
