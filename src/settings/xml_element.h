#pragma once

#include <QDomDocument>
#include <QDomElement>

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

// Parses a file (or a text) into a document. Throws std::runtime_error with a readable reason
// when the file is refused by readXmlFile or the text by CheckedXmlReader (checked before the
// document is built).
std::shared_ptr<QDomDocument> parseXmlFile(const std::string& path);
std::shared_ptr<QDomDocument> parseXmlText(const std::string& text);
