#include "support/shipped_files.h"

#include <cstdlib>
#include <filesystem>

void useAsProgramFolder(const std::string& folder) {
    std::filesystem::copy(std::filesystem::path(std::getenv("TARVO_SOURCE_DIR")) / "resources",
                          std::filesystem::path(folder), std::filesystem::copy_options::recursive);
    setenv("TARVO_HOME", folder.c_str(), 1);
}
