#include "workers/command_worker.h"

#include <exception>

CommandWorker::~CommandWorker() {
    stop();
}

CommandWorker::Handler CommandWorker::handlerFor(const std::any& command) const {
    std::lock_guard lock(handlersMutex_);
    const auto found = handlers_.find(command.type());
    return found == handlers_.end() ? Handler{} : found->second;
}

void CommandWorker::setFailureHandler(FailureHandler handler) {
    onFailure_ = std::move(handler);
}

void CommandWorker::start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { loop(); });
}

void CommandWorker::requestStop() {
    stopRequested_ = true;
    mailbox_.wake();
}

void CommandWorker::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void CommandWorker::stop() {
    requestStop();
    join();
}

void CommandWorker::loop() {
    while (!stopRequested()) {
        auto deadline = Mailbox::Clock::time_point::max();
        try {
            deadline = nextIdleWork();
        } catch (...) {
            // Without its deadline the idle work waits for the next command.
        }
        const auto command = mailbox_.take(deadline);
        if (stopRequested())
            break;
        try {
            pass(command);
        } catch (...) {
            // Idle work must never end the worker: the next cycle tries again.
        }
    }
}

void CommandWorker::runCommand(const std::optional<Mailbox::Posted>& command) {
    if (!command)
        return;
    std::string failure;
    try {
        if (const Handler handler = handlerFor(command->command))
            handler(command->command);
    } catch (const std::exception& error) {
        failure = error.what();
        if (failure.empty())
            failure = "unknown error";
    } catch (...) {
        failure = "unknown error";
    }
    if (!failure.empty() && onFailure_) {
        try {
            onFailure_(command->id, failure);
        } catch (...) {
            // A failing failure report must not take the worker down with it.
        }
    }
    mailbox_.finish();
}
