#include "app/coalesced_text.h"

#include "platform/ui_bridge.h"

#include <QTimer>

CoalescedText::CoalescedText(UiBridge& bridge, std::function<void(const std::string&)> show,
                             std::chrono::milliseconds interval)
    : bridge_(bridge), show_(std::move(show)), interval_(interval) {}

void CoalescedText::set(std::string text) {
    {
        std::lock_guard lock(mutex_);
        latest_ = std::move(text);
        if (pending_)
            return; // the text on its way to the label is taken when it gets there
        pending_ = true;
    }
    bridge_.post([this] { schedule(); });
}

void CoalescedText::schedule() {
    const auto elapsed = std::chrono::milliseconds(sinceShown_.isValid() ? sinceShown_.elapsed()
                                                                         : interval_.count());
    if (elapsed >= interval_)
        flush();
    else
        QTimer::singleShot(interval_ - elapsed, this, &CoalescedText::flush);
}

void CoalescedText::flush() {
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (!pending_)
            return;
        pending_ = false;
        text = latest_;
    }
    show_(text);
    sinceShown_.start();
}
