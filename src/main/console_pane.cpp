#include "main/console_pane.h"

#include "main/log_file.h"
#include "main/widget_helpers.h"
#include "platform/message_service.h"
#include "settings/language_table.h"

#include <QFileDialog>
#include <QPlainTextEdit>

namespace {

constexpr const char* kTitle = "Tarvo Manager";
// Every this many lines the user is asked to save the console before it is emptied.
constexpr int kConsoleLimit = 100001;

} // namespace

ConsolePane::ConsolePane(MessageService& messages, const LanguageTable& language, QWidget* parent)
    : QFrame(parent), messages_(messages), language_(language) {
    setObjectName("Panel10");
    auto* layout = rowLayout(this, 2, 4);
    Memo1 = named<QPlainTextEdit>("Memo1", this);
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName("FTP console");
    Memo1->setFont(QFont("Monospace"));
    layout->addWidget(Memo1);
    connect(Memo1, &QPlainTextEdit::blockCountChanged, this, &ConsolePane::Memo1Change);
    chooseLogFile_ = [this] {
        QFileDialog dialog(window());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("txt");
        dialog.setNameFilter("txt (*.txt)");
        dialog.selectFile("FTPLog");
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front()
                   : QString();
    };
}

void ConsolePane::appendItem(const QString& text) {
    Memo1->appendPlainText(text);
}

void ConsolePane::clear() {
    Memo1->clear();
}

bool ConsolePane::Filtry1Click() {
    const QString file = chooseLogFile();
    return !file.isEmpty() &&
           saveLogFile(*Memo1, file, messages_, language_.translate("OperationNotAllowed"));
}

void ConsolePane::Memo1Change(int blocks) {
    // An empty console is one empty block.
    const int lines = Memo1->document()->isEmpty() ? 0 : blocks;
    if (lines == 0 || lines % kConsoleLimit != 0)
        return;
    const MessageButton answer =
        messages_.show({kTitle, language_.translate("CommandLineLimitExceeded"),
                        MessageButton::Yes | MessageButton::No, MessageIcon::Question});
    // A console the user wanted saved stays until it is.
    if (answer == MessageButton::Yes && !Filtry1Click())
        return;
    Memo1->clear();
}
