#include "main/startup_databases.h"

#include "platform/font_config_load.h"

#include <QFontDatabase>
#include <QIcon>
#include <QMimeDatabase>

#include <system_error>

StartupDatabases::StartupDatabases(const QString& firstThemeIcon) {
    try {
        fontLoader_ = std::jthread([this] {
            awaitFontConfigLoad();
            QFontDatabase::families();
            fonts_.count_down();
            QMimeDatabase()
                .mimeTypeForFile(QStringLiteral("x.txt"), QMimeDatabase::MatchExtension)
                .genericIconName();
        });
    } catch (const std::system_error&) {
        fonts_.count_down(); // no thread to spare: the window loads both itself, as it needs them
    }
    // The loader's settings are read here, on the window's thread: it reads them again while the
    // index is read (the menu bar asks the style for an icon, the style asks for the theme's name).
    QIcon::themeName();
    QIcon::themeSearchPaths();
    try {
        iconLoader_ = std::jthread([this, firstThemeIcon] {
            QIcon::hasThemeIcon(firstThemeIcon);
            iconTheme_.count_down();
        });
    } catch (const std::system_error&) {
        iconTheme_.count_down();
    }
}

void StartupDatabases::waitForFonts() {
    fonts_.wait();
}

void StartupDatabases::waitForIconTheme() {
    iconTheme_.wait();
}
