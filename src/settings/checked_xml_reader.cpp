#include "settings/checked_xml_reader.h"

#include "platform/posix/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

std::string xmlPlace(qint64 line, qint64 column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

// Opened without blocking and checked before anything is read: opening a FIFO for reading
// would otherwise wait for a writer forever.
QByteArray readXmlFile(const std::string& path) {
    const tarvo::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.valid())
        throw std::runtime_error(std::string("cannot be read: ") + std::strerror(errno));
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw std::runtime_error("is not a regular file");
    const std::string tooLarge =
        "is larger than " + std::to_string(kMaxXmlFileSize / (1024 * 1024)) + " MiB";
    if (status.st_size > kMaxXmlFileSize)
        throw std::runtime_error(tooLarge);
    QByteArray content;
    content.reserve(status.st_size);
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw std::runtime_error(std::string("cannot be read: ") + std::strerror(errno));
        if (got == 0)
            return content;
        if (content.size() + got > kMaxXmlFileSize)
            throw std::runtime_error(tooLarge); // it grew while being read
        content.append(chunk, got);
    }
}

// A document type declaration stops the reading before any entity it declares is expanded: a
// small file whose entity is referenced many times expands to gigabytes, and our documents
// never declare one.
QXmlStreamReader::TokenType CheckedXmlReader::next() {
    if (closed_) {
        --depth_;
        closed_ = false;
    }
    const QXmlStreamReader::TokenType token = reader_.readNext();
    const auto fail = [this](const std::string& reason) {
        throw std::runtime_error(xmlPlace(reader_.lineNumber(), reader_.columnNumber()) + reason);
    };
    if (token == QXmlStreamReader::DTD)
        fail("a document type declaration, which is not accepted");
    if (token == QXmlStreamReader::StartElement && ++depth_ > kMaxXmlDepth)
        fail("elements nested deeper than " + std::to_string(kMaxXmlDepth) + " levels");
    if (token == QXmlStreamReader::EndElement)
        closed_ = true;
    if (reader_.hasError())
        fail(reader_.errorString().toStdString());
    return token;
}
