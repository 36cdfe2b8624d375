#include "support/window_folders.h"

#include <cstdlib>
#include <filesystem>

WindowFolders::WindowFolders() {
    std::filesystem::copy(std::filesystem::path(std::getenv("TARVO_SOURCE_DIR")) / "resources",
                          std::filesystem::path(program.path()),
                          std::filesystem::copy_options::recursive);
    setenv("TARVO_HOME", program.path().c_str(), 1);
    const char* home = std::getenv("HOME");
    savedHome_ = home ? home : "";
    setenv("HOME", this->home.path().c_str(), 1);
}

WindowFolders::~WindowFolders() {
    setenv("HOME", savedHome_.c_str(), 1);
    unsetenv("TARVO_HOME");
}
