#pragma once

#include <QString>

#include <latch>
#include <thread>

// The first loads of Qt's font and MIME databases and of the icon theme's index, on threads of
// their own while the window builds its first widgets. The font and MIME databases are
// thread-safe. Qt's icon loader is not: the window's thread asks for no theme icon until the
// index is read, which the first lookup does (a desktop's index holds thousands of lines). The
// fonts are waited for before the window measures its first text, so the window's thread never
// works in the font code while the thread loads it; the MIME database goes on loading for the
// panels' first rows.
class StartupDatabases {
public:
    // firstThemeIcon: the theme icon the window asks for first, looked up ahead of it.
    explicit StartupDatabases(const QString& firstThemeIcon);
    StartupDatabases(const StartupDatabases&) = delete;
    StartupDatabases& operator=(const StartupDatabases&) = delete;

    // Returns once the font database is loaded.
    void waitForFonts();
    // Returns once the icon theme's index is read.
    void waitForIconTheme();

private:
    std::latch fonts_{1};
    std::latch iconTheme_{1};
    // Last: joined before the latches go.
    std::jthread fontLoader_;
    std::jthread iconLoader_;
};
