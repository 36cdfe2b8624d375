#include "settings/language_document.h"

TXMLStringType TXMLStringsType::Get_String(int index) const {
    const XmlElement item = childAt("String", index);
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
