#include "platform/atomic_file.h"

#include <QSaveFile>

#include <sys/stat.h>

std::optional<std::string> replaceFile(const std::string& path, std::string_view content) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return std::string("it is a folder");
        if ((status.st_mode & S_IWUSR) == 0)
            return std::string("the file is read-only");
    }
    // QSaveFile writes an unnamed temporary file, keeps the old file's permissions, syncs the
    // data to disk on commit and only then renames; anything short of that discards it.
    // Unbuffered: a buffered QSaveFile (Qt 6.4) ignores a failed final write, say on a full
    // disk, and renames the empty temporary file over the old one.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString().toStdString();
    const auto size = static_cast<qint64>(content.size());
    if (file.write(content.data(), size) != size) {
        std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString().toStdString();
    return std::nullopt;
}
