#include "platform/program_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(ProgramFolder, IsTheExecutablesFolderUnlessTarvoHomeNamesAnother) {
    unsetenv("TARVO_HOME");
    EXPECT_EQ(programFolder(),
              std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    setenv("TARVO_HOME", "/tmp/somewhere/", 1);
    EXPECT_EQ(programFolder(), "/tmp/somewhere");
    unsetenv("TARVO_HOME");
}
