#pragma once

#include "frontend/frontend.h"
#include "support/scripted_messages.h"

#include <mutex>
#include <string>
#include <utility>
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
    void clearMarks(PanelSide) override { add(marksCleared_, 1); }
    void openDocument(std::string path) override { add(opened_, std::move(path)); }
    void jobEnded(const std::shared_ptr<Job>&, int) override { add(jobsEnded_, 1); }
    void showCurrentFile(std::string text) override { add(currentFiles_, std::move(text)); }
    void unmarkRow(PanelSide, int row, std::string) override { add(unmarked_, row); }
    void addToHistory(PanelSide, std::string entry) override { add(history_, std::move(entry)); }
    void appendConsole(std::string text) override { add(console_, std::move(text)); }
    void showSession(SessionView session) override { add(sessions_, std::move(session)); }
    void serverWait(bool waiting) override { add(strip_, waiting ? "wait" : "ready"); }
    void completeProgress() override { add(strip_, "complete"); }
    void commandRefused(Refusal why) override { add(refusals_, why); }

    ScriptedMessages& script() { return messages_; }
    std::vector<std::string> console() const { return copy(console_); }
    std::vector<SessionView> sessions() const { return copy(sessions_); }
    std::vector<PanelView> views() const { return copy(views_); }
    PanelView lastView() const {
        std::lock_guard lock(mutex_);
        return views_.empty() ? PanelView{} : views_.back();
    }
    PanelSide lastSide() const {
        std::lock_guard lock(mutex_);
        return sides_.empty() ? PanelSide::Left : sides_.back();
    }
    std::vector<std::string> opened() const { return copy(opened_); }
    std::vector<std::string> history() const { return copy(history_); }
    int marksCleared() const { return copy(marksCleared_); }
    int jobsEnded() const { return copy(jobsEnded_); }
    std::vector<std::string> currentFiles() const { return copy(currentFiles_); }
    std::vector<int> unmarked() const { return copy(unmarked_); }
    std::vector<Refusal> refusals() const { return copy(refusals_); }
    // The status strip's services called since the last take, in order.
    std::vector<std::string> takeStrip() {
        std::lock_guard lock(mutex_);
        return std::exchange(strip_, {});
    }

private:
    // The engine calls from its workers while the test reads.
    template <class T, class V> void add(std::vector<T>& list, V&& value) {
        std::lock_guard lock(mutex_);
        list.push_back(std::forward<V>(value));
    }
    void add(int& counter, int step) {
        std::lock_guard lock(mutex_);
        counter += step;
    }
    template <class T> T copy(const T& member) const {
        std::lock_guard lock(mutex_);
        return member;
    }

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
    std::vector<std::string> strip_;
    std::vector<Refusal> refusals_;
};
