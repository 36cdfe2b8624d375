#include "main/application.h"
#include "main/main_window.h"
#include "main/startup_error.h"
#include "platform/font_config_load.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    // A peer that goes away (a server, the reader of a pipe) must fail the write, not end the
    // program.
    std::signal(SIGPIPE, SIG_IGN);
    // Meanwhile the application connects to the display.
    beginFontConfigLoad();
    TarvoApplication app(argc, argv);
    QApplication::setApplicationName("Tarvo Manager");
    QApplication::setQuitOnLastWindowClosed(true);

    std::unique_ptr<TForm1> window;
    try {
        window = std::make_unique<TForm1>();
    } catch (const std::exception& error) {
        std::cerr << "Tarvo Manager cannot start: " << error.what() << '\n';
        return 1;
    }
    window->FormCreate();
    window->show();
    return QApplication::exec();
}
