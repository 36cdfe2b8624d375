#pragma once

class MessageService;

// What the engine (panel explorers, FTP session, workers) may ask of the screen. The main window
// implements it; tests replace it with a recording fake. Every call may come from any thread:
// the implementation carries the work to the GUI thread itself.
class Frontend {
public:
    virtual ~Frontend() = default;

    virtual MessageService& messages() = 0;

    // Enables or disables both panel containers; disabled panels mean "a command is running".
    virtual void setPanelsEnabled(bool enabled) = 0;
};
