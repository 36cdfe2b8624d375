#pragma once

#include <QApplication>

// The program's application object. An exception that no handler caught and that reaches the
// event loop ends the program: the loop is left with exit status 1, without the close's work
// (nothing is known to be sound any more, so nothing is saved), and the reason goes to stderr.
class TarvoApplication : public QApplication {
public:
    TarvoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;
};
