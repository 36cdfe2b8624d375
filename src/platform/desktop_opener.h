#pragma once

#include <QObject>

#include <functional>
#include <string>

// Opens files with the desktop's program for their type, through xdg-open. The opener runs
// apart and may stay running as long as the program it started (xdg-open waits for it on a
// desktop without its own launcher), so its answer is awaited without blocking anything.
// Lives on the GUI thread.
class DesktopOpener : public QObject {
    Q_OBJECT
public:
    // Told the file and the reason when a file could not be opened.
    using FailureHandler = std::function<void(const std::string& path, const std::string& reason)>;

    explicit DesktopOpener(FailureHandler onFailure, QObject* parent = nullptr);

    // Starts opening path and returns at once.
    void open(const std::string& path);

private:
    FailureHandler onFailure_;
};
