#pragma once

#include "main/window_context.h"

#include <QObject>

#include <string>

class DesktopTools;

// The program F4 opens files with: the desktop's text editor ("notepad") or a program the user
// chose, kept in env.dat for the next run. The Options menu's two items show which.
class EditorProgram : public QObject {
public:
    EditorProgram(const WindowContext& context, DesktopTools& tools);

    // Reads env.dat; why it could not be read, if it could not.
    std::string load();
    // Opens the file in the chosen program.
    void open(const std::string& path);
    // "notepad" or a full path.
    const std::string& path() const { return EditorPath; }
    void setPath(std::string program) { EditorPath = std::move(program); }

private:
    void showEditorChoice(const std::string& program);
    void N9Click();       // choose a program
    void Notepad1Click(); // the desktop's editor

    const WindowContext& context_;
    DesktopTools& tools_;
    std::string EditorPath;
};
