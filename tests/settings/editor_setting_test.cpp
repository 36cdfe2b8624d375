#include "settings/editor_setting.h"

#include "platform/whole_file.h"
#include "support/file_content.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(EditorSetting, OnlyAnExistingExecutableFileOnTheFirstLineIsAnEditor) {
    TempTree dir;
    const std::string program = dir.write("bin/my editor", "#!/bin/sh\n");
    ::chmod(program.c_str(), 0750);
    const std::string data = dir.write("bin/notes.txt", "");
    const std::string folder = dir.dir("bin/folder.d", 0755);
    const std::pair<std::string, std::string> cases[] = {
        {"EditorForF4=" + program + "\r\n", program},
        {"EditorForF4=" + program + "\n", program},
        {"EditorForF4=" + program, program},
        {"EditorForF4=" + data + "\r\n", kDefaultEditor},
        {"EditorForF4=" + folder + "\r\n", kDefaultEditor},
        {"EditorForF4=" + dir.at("bin/gone") + "\r\n", kDefaultEditor},
        {"EditorForF4=" + program + "\r\nEditorForF4=default\r\n", kDefaultEditor},
        {"first line\r\nEditorForF4=" + program + "\r\n", kDefaultEditor},
        {"EditorForF4=default\r\n", kDefaultEditor},
        {"", kDefaultEditor},
    };
    for (const auto& [content, editor] : cases) {
        writeFile(dir.at("env.dat"), content);
        EXPECT_EQ(readEditorSetting(dir.at("env.dat")).EditorPath, editor) << content;
    }
    EXPECT_EQ(readEditorSetting(dir.at("missing.dat")).EditorPath, kDefaultEditor);
    EXPECT_EQ(readEditorSetting(dir.at("missing.dat")).Problem, "") << "missing is no problem";

    // A pipe is not waited on, nor a huge file read: both are named.
    ASSERT_EQ(::mkfifo(dir.at("fifo.dat").c_str(), 0600), 0);
    dir.file("huge.dat", kProgramFileLimit + 1);
    for (const char* name : {"fifo.dat", "huge.dat"}) {
        const EditorChoice choice = readEditorSetting(dir.at(name));
        EXPECT_EQ(choice.EditorPath, kDefaultEditor);
        EXPECT_EQ(choice.Problem.rfind("The file " + dir.at(name) + " could not be read (", 0), 0u)
            << choice.Problem;
    }
}

TEST(EditorSetting, WritesOneLineWithCrLfAndLeavesAReadOnlyFileAlone) {
    TempTree dir;
    const std::string file = dir.at("env.dat");
    ASSERT_EQ(writeEditorSetting(file, "/usr/bin/my editor"), "");
    EXPECT_EQ(readFile(file), "EditorForF4=/usr/bin/my editor\r\n");
    ASSERT_EQ(writeEditorSetting(file, ""), "");
    EXPECT_EQ(readFile(file), "EditorForF4=default\r\n");
    ::chmod(file.c_str(), 0444);
    EXPECT_NE(writeEditorSetting(file, "/usr/bin/vi"), "");
    EXPECT_EQ(readFile(file), "EditorForF4=default\r\n");
}

} // namespace
