#include "local/listing/cell_text.h"

#include "local/listing/search_record.h"

#include <QDateTime>

namespace tarvo::listing {

QString timeFormatWithoutZone(const QLocale& locale) {
    QString result;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            result += c;
    }
    return result.replace(QStringLiteral("  "), QStringLiteral(" ")).trimmed();
}

std::string attributeText(std::int32_t attr) {
    std::string text = "----";
    if (attr & ReadOnly)
        text[0] = 'r';
    if (attr & Archive)
        text[1] = 'a';
    if (attr & Hidden)
        text[2] = 'h';
    if (attr & System)
        text[3] = 's';
    return text;
}

std::string sizeText(std::int64_t size) {
    return std::to_string(size);
}

QString dateText(std::int64_t time, const QLocale& locale) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(time);
    const QString date = locale.toString(local.date(), QLocale::ShortFormat);
    if (local.time() == QTime(0, 0))
        return date;
    return date + u' ' + locale.toString(local.time(), timeFormatWithoutZone(locale));
}

} // namespace tarvo::listing
