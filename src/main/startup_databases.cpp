#include "main/startup_databases.h"

#include <QFontDatabase>
#include <QMimeDatabase>

#include <system_error>

StartupDatabases::StartupDatabases() {
    try {
        loader_ = std::jthread([this] {
            QFontDatabase::families();
            fonts_.count_down();
            QMimeDatabase()
                .mimeTypeForFile(QStringLiteral("x.txt"), QMimeDatabase::MatchExtension)
                .genericIconName();
        });
    } catch (const std::system_error&) {
        fonts_.count_down(); // no thread to spare: the window loads both itself, as it needs them
    }
}

void StartupDatabases::waitForFonts() {
    fonts_.wait();
}
