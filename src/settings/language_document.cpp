#include "settings/language_document.h"

TXMLStringType TXMLStringsType::Get_String(int index) const {
    const QDomElement next = index == lastIndex_ + 1 && !lastItem_.isNull()
                                 ? lastItem_.nextSiblingElement(QStringLiteral("String"))
                                 : QDomElement();
    const XmlElement item = next.isNull() ? childAt("String", index) : XmlElement(document_, next);
    lastItem_ = item.element();
    lastIndex_ = index;
    return TXMLStringType(item);
}

TXMLStringsType TXMLLanguageType::Get_Strings() {
    return TXMLStringsType(child("Strings"));
}

std::optional<TXMLLanguageType> LoadLanguage(const std::string& path) {
    auto document = parseXmlFile(path);
    QDomElement root = document->documentElement();
    if (root.tagName() != QStringLiteral("Language") || !root.namespaceURI().isEmpty())
        return std::nullopt;
    return TXMLLanguageType(document, root);
}
