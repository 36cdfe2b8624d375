#include "workers/command_worker.h"

#include <exception>

CommandWorker::~CommandWorker() {
    stop();
}

void CommandWorker::setHandler(int code, Handler handler) {
    std::lock_guard lock(handlersMutex_);
    handlers_[code] = std::move(handler);
}

CommandWorker::Handler CommandWorker::handlerFor(int code) const {
    std::lock_guard lock(handlersMutex_);
    const auto found = handlers_.find(code);
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
        const Mailbox::Command command = mailbox_.wait(kCycle);
        if (stopRequested())
            break;
        try {
            pass(command);
        } catch (...) {
            // Idle work must never end the worker: the next cycle tries again.
        }
    }
}

void CommandWorker::runCommand(const Mailbox::Command& command) {
    if (command.code == 0)
        return;
    std::string failure;
    try {
        if (const Handler handler = handlerFor(command.code))
            handler(command.params);
    } catch (const std::exception& error) {
        failure = error.what();
        if (failure.empty())
            failure = "unknown error";
    } catch (...) {
        failure = "unknown error";
    }
    if (!failure.empty() && onFailure_) {
        try {
            onFailure_(command.code, failure);
        } catch (...) {
            // A failing failure report must not take the worker down with it.
        }
    }
    mailbox_.finish(command.code);
}
