#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

class UiBridge;

// Carries a stream of texts from a worker to a label: the label changes at most once per
// interval and always ends on the latest text, however fast the worker sets them.
class CoalescedText : public QObject {
public:
    CoalescedText(UiBridge& bridge, std::function<void(const std::string&)> show,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(50));

    // Any thread.
    void set(std::string text);
    // GUI thread: shows a text still waiting at once.
    void flush();

private:
    void schedule();

    UiBridge& bridge_;
    const std::function<void(const std::string&)> show_;
    const std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::string latest_;
    bool pending_ = false;
    QElapsedTimer sinceShown_;
};
