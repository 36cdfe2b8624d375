#pragma once

#include <latch>
#include <thread>

// The first loads of Qt's font and MIME databases, on a thread of their own while the window
// builds its first widgets. Both databases are thread-safe, and together they take about as long
// as the icon theme's index, which the toolbars need first. The fonts are waited for before the
// window measures its first text, so the window's thread never works in the font code while the
// thread loads it; the MIME database goes on loading for the panels' first rows.
class StartupDatabases {
public:
    StartupDatabases();
    StartupDatabases(const StartupDatabases&) = delete;
    StartupDatabases& operator=(const StartupDatabases&) = delete;

    // Returns once the font database is loaded.
    void waitForFonts();

private:
    std::latch fonts_{1};
    std::jthread loader_; // last: joined before the latch goes
};
