#include "platform/ui_bridge.h"

#include "support/pump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(UiBridge, PostsRunLaterOnTheGuiThreadInTheirOrder) {
    UiBridge bridge;
    std::vector<QThread*> ranOn; // touched by the GUI thread only, once posted
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            bridge.post([&ranOn, i] {
                if (static_cast<int>(ranOn.size()) == i)
                    ranOn.push_back(QThread::currentThread());
            });
    });
    worker.join();
    EXPECT_TRUE(ranOn.empty()) << "a post must not run before the GUI thread gets to it";
    ASSERT_TRUE(pumpUntil([&] { return ranOn.size() == 3; }));
    EXPECT_EQ(ranOn, std::vector<QThread*>(3, QThread::currentThread()));
}

TEST(UiBridge, AskFromAWorkerWaitsForTheGuiThreadsAnswerAndOnItRunsAtOnce) {
    UiBridge bridge;
    auto answer = std::async(std::launch::async, [&] {
        return bridge.ask<int>([] { return QThread::currentThread() == qApp->thread() ? 42 : -1; },
                               0);
    });
    EXPECT_EQ(answer.wait_for(50ms), std::future_status::timeout);
    ASSERT_TRUE(pumpUntil([&] { return answer.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), 42);
    EXPECT_EQ(bridge.ask<int>([] { return 7; }, 0), 7) << "on the GUI thread it runs at once";
}

TEST(UiBridge, AskLaterWaitsForAReplyGivenAfterItsTaskReturned) {
    UiBridge bridge;
    std::function<void(int)> reply; // kept by the GUI thread, as a box's finished slot does
    auto answer = std::async(std::launch::async, [&] {
        return bridge.askLater<int>([&](std::function<void(int)> later) { reply = later; }, 0);
    });
    ASSERT_TRUE(pumpUntil([&] { return static_cast<bool>(reply); }));
    bool otherRan = false;
    bridge.post([&] { otherRan = true; });
    ASSERT_TRUE(pumpUntil([&] { return otherRan; })) << "the GUI thread goes on meanwhile";
    EXPECT_EQ(answer.wait_for(0s), std::future_status::timeout);
    reply(42);
    reply(7); // a second reply (a box deleted after it closed) changes nothing
    ASSERT_EQ(answer.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(answer.get(), 42);
}

// Holds back the queued calls to an object, counting them.
struct HeldCalls : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MetaCall)
            return false;
        ++count;
        return true;
    }
};

TEST(UiBridge, ShutdownAnswersPendingAndLaterQuestionsWithCancel) {
    UiBridge bridge;
    std::atomic<bool> questionRan{false};
    auto pending = std::async(std::launch::async, [&] {
        return bridge.ask<int>(
            [&] {
                questionRan = true;
                return 1;
            },
            -1);
    });
    // The GUI thread is busy elsewhere: the call that would show the question waits in its
    // queue, and only shutdown can release the worker.
    HeldCalls held;
    bridge.installEventFilter(&held);
    ASSERT_TRUE(pumpUntil([&] { return held.count > 0; }));
    bridge.shutdown();
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(pending.get(), -1);

    bridge.removeEventFilter(&held);
    QMetaObject::invokeMethod(&bridge, "runPosted"); // the GUI thread gets to it at last
    EXPECT_FALSE(questionRan) << "a cancelled question must not be shown afterwards";

    auto later =
        std::async(std::launch::async, [&] { return bridge.ask<int>([] { return 1; }, -1); });
    ASSERT_EQ(later.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(later.get(), -1);
    EXPECT_EQ(bridge.ask<int>([] { return 1; }, -1), -1);
}

} // namespace
