#pragma once

#include <QString>

#include <string>

class MessageService;
class QPlainTextEdit;

// Writes the lines of a log (the console, a command window's log) to the file: UTF-8, CR LF
// after each line, the file replaced whole. A failure is shown as the refusal text, the path
// and the reason. True when written.
bool saveLogFile(const QPlainTextEdit& log, const QString& file, MessageService& messages,
                 const std::string& refusal);
