#include "platform/ui_bridge.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>

struct UiBridge::PendingCall {
    std::mutex mutex;
    std::condition_variable done;
    bool answered = false;
    bool cancelled = false;

    void cancel() {
        std::lock_guard lock(mutex);
        cancelled = true;
        done.notify_all();
    }
};

UiBridge::UiBridge(QObject* parent) : QObject(parent) {}

UiBridge::~UiBridge() {
    shutdown();
}

void UiBridge::post(std::function<void()> task) {
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(task));
    }
    // By name: the queued call then carries no data of ours across threads.
    QMetaObject::invokeMethod(this, "runPosted", Qt::QueuedConnection);
}

void UiBridge::runPosted() {
    std::function<void()> task;
    {
        std::lock_guard lock(postedMutex_);
        if (posted_.empty())
            return;
        task = std::move(posted_.front());
        posted_.pop_front();
    }
    task();
}

bool UiBridge::isGuiThread() const {
    return QThread::currentThread() == thread();
}

bool UiBridge::isShutDown() const {
    std::lock_guard lock(mutex_);
    return shutDown_;
}

void UiBridge::shutdown() {
    std::vector<std::weak_ptr<PendingCall>> pending;
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        pending.swap(pending_);
    }
    for (auto& weak : pending)
        if (auto call = weak.lock())
            call->cancel();
    if (isGuiThread())
        emit shuttingDown();
}

void UiBridge::reopen() {
    std::lock_guard lock(mutex_);
    shutDown_ = false;
}

bool UiBridge::callAndWait(std::function<void(const Reply& done)> task) {
    auto call = std::make_shared<PendingCall>();
    {
        std::lock_guard lock(mutex_);
        if (shutDown_)
            return false;
        std::erase_if(pending_, [](const auto& weak) { return weak.expired(); });
        pending_.push_back(call);
    }
    post([call, task = std::move(task)] {
        {
            std::lock_guard lock(call->mutex);
            if (call->cancelled)
                return;
        }
        task([call] {
            std::lock_guard lock(call->mutex);
            call->answered = true;
            call->done.notify_all();
        });
    });
    std::unique_lock lock(call->mutex);
    call->done.wait(lock, [&] { return call->answered || call->cancelled; });
    return call->answered && !call->cancelled;
}
