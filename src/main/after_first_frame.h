#pragma once

#include <QWidget>

#include <functional>

// Runs `work` on the GUI thread a moment after the window has painted its first frame. Start-up
// work that the first frame does not show waits for it, most of all asking other programs: they
// would compete with the window for the processor and the display server while it starts.
void afterFirstFrame(QWidget& window, std::function<void()> work);
