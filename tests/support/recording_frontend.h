#pragma once

#include "frontend/frontend.h"
#include "support/scripted_messages.h"

#include <mutex>
#include <string>
#include <vector>

// A screen for engine tests: records what the engine shows and answers questions from a script.
class RecordingFrontend : public Frontend {
public:
    MessageService& messages() override { return messages_; }
    void setPanelsEnabled(bool) override {}
    void showPanel(PanelSide side, PanelView view) override {
        std::lock_guard lock(mutex_);
        views_.push_back(std::move(view));
        sides_.push_back(side);
    }
    void clearMarks(PanelSide) override {
        std::lock_guard lock(mutex_);
        ++marksCleared_;
    }
    void openDocument(std::string path) override {
        std::lock_guard lock(mutex_);
        opened_.push_back(std::move(path));
    }
    void jobEnded(const std::shared_ptr<Job>&, int) override {
        std::lock_guard lock(mutex_);
        ++jobsEnded_;
    }
    void showCurrentFile(std::string text) override {
        std::lock_guard lock(mutex_);
        currentFiles_.push_back(std::move(text));
    }
    void unmarkRow(PanelSide, int row, std::string) override {
        std::lock_guard lock(mutex_);
        unmarked_.push_back(row);
    }

    void addToHistory(PanelSide, std::string entry) override {
        std::lock_guard lock(mutex_);
        history_.push_back(std::move(entry));
    }
    void appendConsole(std::string text) override {
        std::lock_guard lock(mutex_);
        console_.push_back(std::move(text));
    }
    void showSession(SessionView session) override {
        std::lock_guard lock(mutex_);
        sessions_.push_back(std::move(session));
    }

    ScriptedMessages& script() { return messages_; }
    std::vector<std::string> console() const {
        std::lock_guard lock(mutex_);
        return console_;
    }
    std::vector<SessionView> sessions() const {
        std::lock_guard lock(mutex_);
        return sessions_;
    }
    std::vector<PanelView> views() const {
        std::lock_guard lock(mutex_);
        return views_;
    }
    PanelView lastView() const {
        std::lock_guard lock(mutex_);
        return views_.empty() ? PanelView{} : views_.back();
    }
    PanelSide lastSide() const {
        std::lock_guard lock(mutex_);
        return sides_.empty() ? PanelSide::Left : sides_.back();
    }
    std::vector<std::string> opened() const {
        std::lock_guard lock(mutex_);
        return opened_;
    }
    std::vector<std::string> history() const {
        std::lock_guard lock(mutex_);
        return history_;
    }
    int marksCleared() const {
        std::lock_guard lock(mutex_);
        return marksCleared_;
    }
    int jobsEnded() const {
        std::lock_guard lock(mutex_);
        return jobsEnded_;
    }
    std::vector<std::string> currentFiles() const {
        std::lock_guard lock(mutex_);
        return currentFiles_;
    }
    std::vector<int> unmarked() const {
        std::lock_guard lock(mutex_);
        return unmarked_;
    }

private:
    mutable std::mutex mutex_;
    ScriptedMessages messages_;
    std::vector<PanelView> views_;
    std::vector<std::string> opened_;
    std::vector<std::string> history_;
    std::vector<PanelSide> sides_;
    std::vector<std::string> console_;
    std::vector<SessionView> sessions_;
    int marksCleared_ = 0;
    int jobsEnded_ = 0;
    std::vector<std::string> currentFiles_;
    std::vector<int> unmarked_;
};
