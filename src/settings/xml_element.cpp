#include "settings/xml_element.h"

#include "settings/checked_xml_reader.h"

#include <QTextStream>

#include <stdexcept>

namespace {

QString toQ(const std::string& text) {
    return QString::fromStdString(text);
}

// A streaming pass, cheap at any depth, before the document is built.
void checkStructure(const QByteArray& content) {
    CheckedXmlReader reader(content);
    while (!reader.atEnd())
        reader.next();
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
        throw std::runtime_error(xmlPlace(line, column) + message.toStdString());
    }
    return document;
}

std::shared_ptr<QDomDocument> parseXmlFile(const std::string& path) {
    return parseXmlText(readXmlFile(path).toStdString());
}
