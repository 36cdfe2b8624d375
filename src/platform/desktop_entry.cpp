#include "platform/desktop_entry.h"

namespace {

// Undoes the desktop-file string escapes (\s \n \t \r \\).
QString unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += next;
        }
    }
    return out;
}

// Splits the command line into words: blanks separate them, double quotes hold blanks, and
// inside quotes a backslash takes the next character literally.
QStringList splitWords(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size())
                word += line[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

// The word with its field codes expanded; sets `placed` when it took the file.
QString expandFieldCodes(const QString& word, const QString& file, bool& placed) {
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != '%' || i + 1 == word.size()) {
            out += word[i];
            continue;
        }
        const QChar code = word[++i];
        if (code == '%') {
            out += '%';
        } else if (QStringLiteral("fFuU").contains(code)) {
            out += file;
            placed = true;
        }
    }
    return out;
}

} // namespace

QString desktopEntryValue(const QString& entryText, const QString& key) {
    bool inEntry = false;
    for (const QString& raw : entryText.split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

QStringList desktopEntryCommand(const QString& exec, const QString& file) {
    QStringList command;
    bool placed = false;
    for (const QString& word : splitWords(unescapeValue(exec))) {
        const QString expanded = expandFieldCodes(word, file, placed);
        // A word that was nothing but a field code without a value goes away.
        if (!expanded.isEmpty() || !word.contains('%'))
            command << expanded;
    }
    if (!placed && !file.isEmpty() && !command.isEmpty())
        command << file;
    return command;
}
