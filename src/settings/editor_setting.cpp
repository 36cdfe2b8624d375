#include "settings/editor_setting.h"

#include "platform/atomic_file.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"
#include "platform/whole_file.h"

#include <sys/stat.h>

namespace {

constexpr std::string_view kKey = "EditorForF4=";

bool isExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

} // namespace

std::string editorSettingPath() {
    return joinPath(programFolder(), "env.dat");
}

EditorChoice readEditorSetting(const std::string& file) {
    std::string problem;
    const std::string text = readProgramFile(file, problem).value_or("");
    if (!problem.empty())
        return {kDefaultEditor, std::move(problem)};
    if (text.find("EditorForF4=default") != std::string::npos)
        return {};
    std::string firstLine = text.substr(0, text.find('\n'));
    if (!firstLine.empty() && firstLine.back() == '\r')
        firstLine.pop_back();
    if (firstLine.find(kKey) == std::string::npos)
        return {};
    std::string program = firstLine.substr(kKey.size());
    if (!isExecutableFile(program))
        return {};
    return {std::move(program), {}};
}

std::string writeEditorSetting(const std::string& file, const std::string& program) {
    return replaceFileContent(file,
                              std::string(kKey) + (program.empty() ? "default" : program) + "\r\n");
}
