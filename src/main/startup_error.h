#pragma once

#include <stdexcept>
#include <string>

// A construction step of the main window failed; start-up ends with this message.
class StartupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs one construction step; any failure becomes a StartupError that names the step, instead
// of leaving a member null for later handlers and the running workers to trip over.
template <class Step> void runStartupStep(const std::string& name, Step&& step) {
    try {
        step();
    } catch (const std::exception& error) {
        throw StartupError(name + ": " + error.what());
    }
}
