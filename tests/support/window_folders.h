#pragma once

#include "support/temp_tree.h"

#include <string>

// The folders a window test runs in: a program folder holding the shipped files (TARVO_HOME)
// and an empty home folder (HOME), where both panels start. The environment is restored when
// the object goes away.
class WindowFolders {
public:
    WindowFolders();
    ~WindowFolders();
    WindowFolders(const WindowFolders&) = delete;
    WindowFolders& operator=(const WindowFolders&) = delete;

    TempTree program;
    TempTree home;

private:
    std::string savedHome_;
};
