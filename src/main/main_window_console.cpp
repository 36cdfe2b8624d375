// The console: FTP commands and replies, what went wrong where the user and a log reader both
// see it; saving it, clearing it, and its size limit.
#include "local/listing/cell_text.h"
#include "main/log_file.h"
#include "main/main_window.h"

#include <QAction>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QTime>

#include <iostream>

namespace {

constexpr const char* kTitle = "Tarvo Manager";
// Every this many lines the user is asked to save the console before it is emptied.
constexpr int kConsoleLimit = 100001;

} // namespace

void TForm1::appendConsole(std::string line) {
    bridge.post(
        [this, line = std::move(line)] { Memo1->appendPlainText(QString::fromStdString(line)); });
}

void TForm1::reportCommandFailure(int code, const std::string& reason) {
    const std::string time =
        tarvo::listing::timeText(QTime::currentTime(), QLocale::system()).toStdString();
    const std::string line =
        "[" + time + "] Status:> App error in command " + std::to_string(code) + ": " + reason;
    std::cerr << "Tarvo Manager: " << line << std::endl;
    appendConsole(line);
    // A command that fails unexpectedly must not leave the panels locked.
    setPanelsEnabled(true);
}

void TForm1::connectConsoleCommands() {
    if (!chooseLogFile) {
        chooseLogFile = [this] {
            QFileDialog dialog(this);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix("txt");
            dialog.setNameFilter("txt (*.txt)");
            dialog.selectFile("FTPLog");
            return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                       ? dialog.selectedFiles().front()
                       : QString();
        };
    }
    connectAction(
        "Filtry1", [this] { Filtry1Click(); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connectAction(
        "Czyoknokonsoli1", [this] { Memo1->clear(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    connect(Memo1, &QPlainTextEdit::blockCountChanged, this, &TForm1::Memo1Change);
}

bool TForm1::Filtry1Click() {
    const QString file = chooseLogFile();
    return !file.isEmpty() &&
           saveLogFile(*Memo1, file, messages(), Translate("OperationNotAllowed"));
}

void TForm1::Memo1Change(int blocks) {
    // An empty console is one empty block.
    const int lines = Memo1->document()->isEmpty() ? 0 : blocks;
    if (lines == 0 || lines % kConsoleLimit != 0)
        return;
    const MessageButton answer =
        messages().show({kTitle, Translate("CommandLineLimitExceeded"),
                         MessageButton::Yes | MessageButton::No, MessageIcon::Question});
    // A console the user wanted saved stays until it is.
    if (answer == MessageButton::Yes && !Filtry1Click())
        return;
    Memo1->clear();
}
