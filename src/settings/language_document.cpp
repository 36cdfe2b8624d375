#include "settings/language_document.h"

namespace {

std::string attribute(const QXmlStreamReader& element, const char* name) {
    return element.attributes().value(QLatin1StringView(name)).toString().toStdString();
}

// The depths of the elements read: the root, <Strings>, <String>.
constexpr int kRoot = 1;
constexpr int kStrings = 2;
constexpr int kItem = 3;

} // namespace

std::optional<LanguageHeader> readLanguageFile(const std::string& path,
                                               const LanguageItemSink& onItem) {
    const QByteArray content = readXmlFile(path);
    CheckedXmlReader reader(content);
    const QXmlStreamReader& token = reader.token();
    std::optional<LanguageHeader> header;
    enum class Place { Before, InStrings, After } strings = Place::Before;
    QString name;
    QString text;
    while (!reader.atEnd()) {
        switch (reader.next()) {
        case QXmlStreamReader::StartElement:
            if (reader.depth() == kRoot) {
                if (token.qualifiedName() != QLatin1StringView("Language"))
                    return std::nullopt;
                header = LanguageHeader{attribute(token, "Native"), attribute(token, "Code"),
                                        attribute(token, "Author"), attribute(token, "Version")};
            } else if (reader.depth() == kStrings && strings == Place::Before &&
                       token.qualifiedName() == QLatin1StringView("Strings")) {
                strings = Place::InStrings;
            } else if (reader.depth() == kItem && strings == Place::InStrings &&
                       token.qualifiedName() == QLatin1StringView("String")) {
                name = token.attributes().value(QLatin1StringView("Name")).toString();
                text.clear();
            }
            break;
        case QXmlStreamReader::Characters:
            // A run of white space alone is layout between elements, not content.
            if (strings == Place::InStrings && reader.depth() >= kItem &&
                (token.isCDATA() || !token.text().trimmed().isEmpty()))
                text += token.text();
            break;
        case QXmlStreamReader::EndElement:
            if (strings != Place::InStrings)
                break;
            if (reader.depth() == kStrings)
                strings = Place::After;
            else if (reader.depth() == kItem && onItem &&
                     token.qualifiedName() == QLatin1StringView("String"))
                onItem(name.toStdString(), text.toStdString());
            break;
        default:
            break;
        }
    }
    return header;
}
