// The main window's console: what went wrong where the user and a log reader both see it.
#include "local/listing/cell_text.h"
#include "main/main_window.h"

#include <QPlainTextEdit>
#include <QTime>

#include <iostream>

void TForm1::reportCommandFailure(int code, const std::string& reason) {
    const QLocale locale = QLocale::system();
    const std::string time =
        QTime::currentTime().toString(tarvo::listing::timeFormatWithoutZone(locale)).toStdString();
    const std::string line =
        "[" + time + "] Status:> App error in command " + std::to_string(code) + ": " + reason;
    std::cerr << "Tarvo Manager: " << line << std::endl;
    bridge.post([this, line] { Memo1->appendPlainText(QString::fromStdString(line)); });
    // A command that fails unexpectedly must not leave the panels locked.
    setPanelsEnabled(true);
}
