#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// Carries work from any thread to the GUI thread, which alone touches widgets.
//   post: runs a function on the GUI thread later and returns at once.
//   ask:  runs it there and waits for its result (directly when already on the GUI thread).
//   askLater: starts it there and waits until it replies, which it may do later from a signal
//         (a box that was opened, not executed); the GUI thread never waits for the reply.
// After shutdown() every pending and every later ask returns its cancel answer at once, so a
// worker blocked on a question can always be joined.
class UiBridge : public QObject {
    Q_OBJECT
public:
    explicit UiBridge(QObject* parent = nullptr); // construct on the GUI thread
    ~UiBridge() override;

    void post(std::function<void()> task);

    template <class T> T ask(std::function<T()> question, T cancelAnswer) {
        if (isGuiThread())
            return isShutDown() ? cancelAnswer : question();
        auto answer = std::make_shared<T>(cancelAnswer);
        const bool answered = callAndWait([answer, question](const Reply& done) {
            *answer = question();
            done();
        });
        return answered ? *answer : cancelAnswer;
    }

    // Only from another thread than the GUI thread, which would wait for itself.
    template <class T>
    T askLater(std::function<void(std::function<void(T)> reply)> start, T cancelAnswer) {
        auto answer = std::make_shared<T>(cancelAnswer);
        const bool answered = callAndWait([answer, start](const Reply& done) {
            // The GUI thread's own flag: a reply after the first must not touch the answer the
            // worker may be reading already.
            start([answer, done, replied = std::make_shared<bool>(false)](T value) {
                if (std::exchange(*replied, true))
                    return;
                *answer = std::move(value);
                done();
            });
        });
        return answered ? *answer : cancelAnswer;
    }

    void shutdown();
    // Lets questions through again after a shutdown. Only for when no other thread is left that
    // could ask: the window's close, once its workers are joined, shows its own messages.
    void reopen();
    bool isShutDown() const;
    bool isGuiThread() const;

signals:
    // Emitted on the GUI thread by shutdown(), so that open questions close themselves.
    void shuttingDown();

private slots:
    // Runs the oldest posted task; one queued call per post keeps them in order.
    void runPosted();

private:
    struct PendingCall;
    // Marks a call as answered; the first call counts.
    using Reply = std::function<void()>;
    // Runs task on the GUI thread and waits until it replies; false when shutdown cancelled the
    // wait.
    bool callAndWait(std::function<void(const Reply& done)> task);

    // Posted tasks wait here rather than inside Qt's event queue: handing them over under this
    // mutex orders everything the poster wrote before the task runs, in a way the thread
    // checker sees too.
    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;

    mutable std::mutex mutex_;
    bool shutDown_ = false;
    std::vector<std::weak_ptr<PendingCall>> pending_;
};
