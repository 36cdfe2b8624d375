#include "settings/xml_element.h"

#include "platform/posix/unique_fd.h"

#include <QTextStream>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

QString toQ(const std::string& text) {
    return QString::fromStdString(text);
}

std::string place(qint64 line, qint64 column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

// Opened without blocking and checked before anything is read: opening a FIFO for reading
// would otherwise wait for a writer forever.
QByteArray readRegularFile(const std::string& path) {
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

// A streaming pass, cheap at any depth, before the document is built. It stops at a document
// type declaration before any entity it declares is expanded: a small file whose entity is
// referenced many times expands to gigabytes, and our documents never declare one.
void checkStructure(const QByteArray& content) {
    QXmlStreamReader reader(content);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::DTD)
            throw std::runtime_error(place(reader.lineNumber(), reader.columnNumber()) +
                                     "a document type declaration, which is not accepted");
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxXmlDepth)
            throw std::runtime_error(place(reader.lineNumber(), reader.columnNumber()) +
                                     "elements nested deeper than " + std::to_string(kMaxXmlDepth) +
                                     " levels");
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    if (reader.hasError())
        throw std::runtime_error(place(reader.lineNumber(), reader.columnNumber()) +
                                 reader.errorString().toStdString());
}

} // namespace

XmlElement::XmlElement(std::shared_ptr<QDomDocument> document, QDomElement element)
    : document_(std::move(document)), element_(std::move(element)) {}

std::string XmlElement::tagName() const {
    return element_.tagName().toStdString();
}

std::string XmlElement::text() const {
    return element_.text().toStdString();
}

void XmlElement::setText(const std::string& text) {
    while (!element_.firstChild().isNull())
        element_.removeChild(element_.firstChild());
    if (!text.empty())
        element_.appendChild(document_->createTextNode(toQ(text)));
}

std::string XmlElement::attribute(const std::string& name) {
    if (!element_.hasAttribute(toQ(name)))
        element_.setAttribute(toQ(name), QString());
    return element_.attribute(toQ(name)).toStdString();
}

XmlElement XmlElement::child(const std::string& name) {
    QDomElement found = element_.firstChildElement(toQ(name));
    if (found.isNull())
        found = element_.appendChild(document_->createElement(toQ(name))).toElement();
    return XmlElement(document_, found);
}

std::vector<XmlElement> XmlElement::children(const std::string& name) const {
    std::vector<XmlElement> found;
    for (QDomElement e = element_.firstChildElement(toQ(name)); !e.isNull();
         e = e.nextSiblingElement(toQ(name)))
        found.emplace_back(document_, e);
    return found;
}

int XmlElement::childCount(const std::string& name) const {
    int count = 0;
    for (QDomElement e = element_.firstChildElement(toQ(name)); !e.isNull();
         e = e.nextSiblingElement(toQ(name)))
        ++count;
    return count;
}

XmlElement XmlElement::childAt(const std::string& name, int index) const {
    QDomElement e = element_.firstChildElement(toQ(name));
    for (int i = 0; i < index && !e.isNull(); ++i)
        e = e.nextSiblingElement(toQ(name));
    if (e.isNull())
        throw std::out_of_range("no <" + name + "> element at index " + std::to_string(index));
    return XmlElement(document_, e);
}

std::string XmlElement::markup() const {
    QString text;
    QTextStream stream(&text);
    element_.save(stream, -1);
    stream.flush();
    return text.toStdString();
}

std::shared_ptr<QDomDocument> parseXmlText(const std::string& text) {
    const QByteArray content = QByteArray::fromStdString(text);
    checkStructure(content);
    auto document = std::make_shared<QDomDocument>();
    QString message;
    int line = 0;
    int column = 0;
    if (!document->setContent(content, &message, &line, &column)) {
        if (message.endsWith('.'))
            message.chop(1);
        throw std::runtime_error(place(line, column) + message.toStdString());
    }
    return document;
}

std::shared_ptr<QDomDocument> parseXmlFile(const std::string& path) {
    return parseXmlText(readRegularFile(path).toStdString());
}
