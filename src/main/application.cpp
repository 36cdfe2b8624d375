#include "main/application.h"

#include <exception>
#include <iostream>

namespace {

void endAfterEscape(const char* reason) {
    std::cerr << "Tarvo Manager ends after an unexpected error: " << reason << '\n';
    QCoreApplication::exit(1);
}

} // namespace

bool TarvoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        endAfterEscape(error.what());
    } catch (...) {
        endAfterEscape("an exception of unknown kind");
    }
    return false;
}
