#pragma once

#include <QDomDocument>
#include <QDomElement>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A view of one element of a loaded XML document. A child element or attribute that the
// document lacks is created empty on first access and reads as "": readers never have to
// test for presence, and a document missing optional parts still loads.
// The view shares ownership of its document, which lives as long as any view of it.
class XmlElement {
public:
    XmlElement(std::shared_ptr<QDomDocument> document, QDomElement element);

    std::string tagName() const;
    std::string text() const;
    // Replaces everything inside the element by this text.
    void setText(const std::string& text);

    std::string attribute(const std::string& name);

    // The first child element of that name, created empty when missing.
    XmlElement child(const std::string& name);

    // Child elements of that name, in document order.
    std::vector<XmlElement> children(const std::string& name) const;
    int childCount(const std::string& name) const;
    XmlElement childAt(const std::string& name, int index) const;

    // The element's markup with everything inside it, UTF-8, without added line breaks.
    std::string markup() const;

protected:
    std::shared_ptr<QDomDocument> document_;
    QDomElement element_;
};

// What a document may be: checked before it is built, since building one from a huge or very
// deeply nested file takes minutes and gigabytes (a document object takes about 45 times the
// size of its file).
inline constexpr std::int64_t kMaxXmlFileSize = 16 * 1024 * 1024;
inline constexpr int kMaxXmlDepth = 64;

// Parses a file (or a text) into a document. Throws std::runtime_error with a readable reason
// ("line 3, column 7: ...", "is not a regular file"; the caller names the file) when the file
// cannot be read, is no regular file (a FIFO is never waited on), is larger than
// kMaxXmlFileSize, nests elements deeper than kMaxXmlDepth, holds a document type declaration
// (whose entities could expand without bound) or is not well-formed. The declared
// encoding is honoured; without a declaration the text must be UTF-8.
std::shared_ptr<QDomDocument> parseXmlFile(const std::string& path);
std::shared_ptr<QDomDocument> parseXmlText(const std::string& text);
