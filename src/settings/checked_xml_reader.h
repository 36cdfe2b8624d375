#pragma once

#include <QByteArray>
#include <QXmlStreamReader>

#include <cstdint>
#include <string>

// What a document may be: checked before anything is built of it, since building one from a
// huge or very deeply nested file takes minutes and gigabytes (a document object takes about 45
// times the size of its file).
inline constexpr std::int64_t kMaxXmlFileSize = 16 * 1024 * 1024;
inline constexpr int kMaxXmlDepth = 64;

// The bytes of a file that may hold a document. Throws std::runtime_error with a readable reason
// ("is not a regular file"; the caller names the file) when it cannot be read, is no regular
// file (a FIFO is never waited on) or is larger than kMaxXmlFileSize.
QByteArray readXmlFile(const std::string& path);

// Reads a document token by token with the checks every document gets. next() throws
// std::runtime_error with a readable reason ("line 3, column 7: ...") at elements nested deeper
// than kMaxXmlDepth, at a document type declaration (whose entities could expand without bound)
// and where the text is not well-formed. The declared encoding is honoured; without a
// declaration the text must be UTF-8.
class CheckedXmlReader {
public:
    explicit CheckedXmlReader(const QByteArray& content) : reader_(content) {}

    bool atEnd() const { return reader_.atEnd(); }
    QXmlStreamReader::TokenType next();
    // Elements open around the current token; a start element counts itself.
    int depth() const { return depth_; }
    const QXmlStreamReader& token() const { return reader_; }

private:
    QXmlStreamReader reader_;
    int depth_ = 0;
    bool closed_ = false; // the previous token ended an element
};

// "line L, column C: " for a reason given at that place.
std::string xmlPlace(qint64 line, qint64 column);
