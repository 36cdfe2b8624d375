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

std::string sizeText(std::uint64_t size) {
    return std::to_string(size);
}

namespace {

QString dateTimeText(const QDateTime& moment, const QLocale& locale) {
    const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
    if (moment.time() == QTime(0, 0))
        return date;
    return date + u' ' + timeText(moment.time(), locale);
}

} // namespace

QString dateText(std::int64_t time, const QLocale& locale) {
    return dateTimeText(QDateTime::fromSecsSinceEpoch(time), locale);
}

QString serverDateText(std::int64_t time, std::int64_t unknownTime, const QLocale& locale) {
    if (time == unknownTime)
        return QStringLiteral("1970-01-01");
    return dateTimeText(QDateTime::fromSecsSinceEpoch(time, Qt::UTC), locale);
}

QString timeText(const QTime& time, const QLocale& locale) {
    return locale.toString(time, timeFormatWithoutZone(locale));
}

} // namespace tarvo::listing
