#include "settings/editor_setting.h"

#include "platform/atomic_file.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"

#include <fstream>

#include <sys/stat.h>

namespace {

constexpr std::string_view kKey = "EditorForF4=";
constexpr std::size_t kLongestUsefulFile = 64 * 1024; // one line and a path, with room to spare

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
    std::ifstream in(file, std::ios::binary);
    std::string text(kLongestUsefulFile, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
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
    return {std::move(program)};
}

std::string writeEditorSetting(const std::string& file, const std::string& program) {
    return replaceFileContent(file,
                              std::string(kKey) + (program.empty() ? "default" : program) + "\r\n");
}
