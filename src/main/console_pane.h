#pragma once

#include <QFrame>

#include <functional>

class LanguageTable;
class MessageService;
class QPlainTextEdit;

// The console under the panels: the FTP commands and replies, and what went wrong where both
// the user and a log reader see it. It can be saved and cleared, and every so many lines the
// user is asked to save it before it is emptied.
class ConsolePane : public QFrame {
public:
    ConsolePane(MessageService& messages, const LanguageTable& language, QWidget* parent);

    // One item; line breaks inside it make several lines.
    void appendItem(const QString& text);
    void clear();
    // Saves the console where the user chooses; true when it was written.
    bool Filtry1Click();

    // Where a log is saved; empty: nowhere. A file dialog, unless replaced (tests answer
    // without one).
    QString chooseLogFile() const { return chooseLogFile_(); }
    void setLogFileChooser(std::function<QString()> choose) { chooseLogFile_ = std::move(choose); }

private:
    void Memo1Change(int blocks);

    MessageService& messages_;
    const LanguageTable& language_;
    QPlainTextEdit* Memo1 = nullptr;
    std::function<QString()> chooseLogFile_;
};
