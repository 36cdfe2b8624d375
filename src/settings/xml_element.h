#pragma once

#include <QDomDocument>
#include <QDomElement>

#include <cstdint>
#include <memory>
#include <string>

// A view of one element of a loaded XML document. A child element or attribute that the
// document lacks is created empty on first access and reads as "": readers never have to
// test for presence, and a document missing optional parts still loads.
// The view shares ownership of its document, which lives as long as any view of it.
class XmlElement {
public:
    XmlElement(std::shared_ptr<QDomDocument> document, QDomElement element);

    std::string tagName() const;
    std::string text() const;
    const QDomElement& element() const { return element_; }

    std::string attribute(const std::string& name);

    // The first child element of that name, created empty when missing.
    XmlElement child(const std::string& name);

    // Child elements of that name, in document order.
    int childCount(const std::string& name) const;
    XmlElement childAt(const std::string& name, int index) const;

protected:
    std::shared_ptr<QDomDocument> document_;
    QDomElement element_;
};

// What a document may be: checked before it is built, since building one from a huge or very
// deeply nested file takes minutes and gigabytes (a document object takes about 45 times the
// size of its file).
inline constexpr std::int64_t kMaxXmlFileSize = 16 * 1024 * 1024;
inline constexpr int kMaxXmlDepth = 64;

// Parses a file into a document. Throws std::runtime_error with a readable reason (the file,
// and where in it what was wrong) when the file cannot be read, is no regular file (a FIFO is
// never waited on), is larger than kMaxXmlFileSize, nests elements deeper than kMaxXmlDepth or
// is not well-formed.
std::shared_ptr<QDomDocument> parseXmlFile(const std::string& path);
