#include "settings/settings_document.h"

namespace {

std::optional<TXMLTarvoManagerType> rootOf(std::shared_ptr<QDomDocument> document) {
    QDomElement root = document->documentElement();
    if (root.tagName() != QStringLiteral("TarvoManager"))
        return std::nullopt;
    return TXMLTarvoManagerType(XmlElement(std::move(document), root));
}

} // namespace

std::optional<TXMLTarvoManagerType> LoadTarvoManager(const std::string& path) {
    return rootOf(parseXmlFile(path));
}

TXMLTarvoManagerType DefaultTarvoManager() {
    return *rootOf(parseXmlText(std::string(kDefaultSettingsText)));
}
