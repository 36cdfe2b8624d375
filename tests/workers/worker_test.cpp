#include "workers/command_codes.h"
#include "workers/local_worker.h"
#include "workers/remote_worker.h"

#include "support/held_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit = 3s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return condition();
}

TEST(Mailbox, APostSucceedsOnlyWhileIdleAndCarriesItsParameters) {
    Mailbox mailbox;
    CommandParams params;
    params.SelectedName = "a.txt";
    EXPECT_TRUE(mailbox.post(cmdDelete, params));
    params.SelectedName = "changed later by the GUI";
    EXPECT_FALSE(mailbox.post(cmdUpload)) << "a second post must not replace a pending command";
    const auto command = mailbox.wait(0ms);
    EXPECT_EQ(command.code, cmdDelete);
    EXPECT_EQ(command.params.SelectedName, "a.txt");
    EXPECT_FALSE(mailbox.post(cmdUpload)) << "the mailbox stays busy until the command is done";
    mailbox.finish(cmdDelete);
    EXPECT_TRUE(mailbox.idle());
    EXPECT_FALSE(mailbox.post(0));
}

TEST(Mailbox, FinishingClearsOnlyTheCodeThatRan) {
    Mailbox mailbox;
    ASSERT_TRUE(mailbox.post(cmdConnect));
    mailbox.finish(cmdConnect);
    ASSERT_TRUE(mailbox.post(cmdRefreshPanels));
    mailbox.finish(cmdConnect); // a late finish of the earlier command
    EXPECT_EQ(mailbox.code(), cmdRefreshPanels);
}

TEST(CommandWorker, PicksUpAPostWithinOneCycleAndGoesIdleAfterIt) {
    Mailbox mailbox;
    TMonThreadL worker(mailbox);
    std::atomic<int> ran{0};
    worker.setHandler(cmdLocalCopy, [&](const CommandParams& params) { ran = params.ActivePanel; });
    worker.start();
    std::this_thread::sleep_for(20ms);
    CommandParams params;
    params.ActivePanel = 1;
    ASSERT_TRUE(mailbox.post(cmdLocalCopy, params));
    EXPECT_TRUE(waitUntil([&] { return ran == 1; }, CommandWorker::kCycle + 50ms));
    EXPECT_TRUE(waitUntil([&] { return mailbox.idle(); }));
}

TEST(CommandWorker, AFailingCommandIsReportedAndTheLoopGoesOn) {
    Mailbox mailbox;
    TMonThreadL worker(mailbox);
    std::promise<std::string> failure;
    std::atomic<int> later{0};
    worker.setHandler(cmdLocalCopy,
                      [](const CommandParams&) { throw std::runtime_error("disk on fire"); });
    worker.setHandler(cmdLocalTree, [&](const CommandParams&) { ++later; });
    worker.setFailureHandler([&](int code, const std::string& reason) {
        failure.set_value(std::to_string(code) + ": " + reason);
    });
    worker.start();
    ASSERT_TRUE(mailbox.post(cmdLocalCopy));
    auto reported = failure.get_future();
    ASSERT_EQ(reported.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(reported.get(), "16: disk on fire");
    ASSERT_TRUE(waitUntil([&] { return mailbox.idle(); }));
    ASSERT_TRUE(mailbox.post(cmdLocalTree));
    EXPECT_TRUE(waitUntil([&] { return later == 1; }));
}

TEST(CommandWorker, AnUnknownCodeIsCleared) {
    Mailbox mailbox;
    TMonThreadL worker(mailbox);
    worker.start();
    ASSERT_TRUE(mailbox.post(cmdLocalReset));
    EXPECT_TRUE(waitUntil([&] { return mailbox.idle(); }));
}

TEST(CommandWorker, StopsPromptlyWhileIdle) {
    Mailbox mailbox;
    TMonThreadL worker(mailbox);
    worker.start();
    std::this_thread::sleep_for(10ms);
    const auto started = std::chrono::steady_clock::now();
    worker.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

struct RemoteFixture : testing::Test {
    Mailbox mailbox;
    NamedMutex control{"NOOPMutex4"};
    std::atomic<bool> keepAlive{false};
    std::atomic<int> interval{900};
    std::atomic<bool> shown{true};
    std::atomic<int> noops{0};
    std::atomic<int> checks{0};
    std::function<void()> onCheck;

    std::unique_ptr<TMonThreadH> makeWorker() {
        TMonThreadH::IdleHooks hooks;
        hooks.profile = [this] { return TMonThreadH::KeepAliveProfile{keepAlive, interval}; };
        hooks.sessionShown = [this] { return shown.load(); };
        hooks.sendNoop = [this] { ++noops; };
        hooks.checkEditedFiles = [this] {
            ++checks;
            if (onCheck)
                onCheck();
        };
        return std::make_unique<TMonThreadH>(mailbox, control, std::move(hooks));
    }
};

TEST_F(RemoteFixture, NoKeepAliveWhenTheProfileDoesNotAskForIt) {
    interval = 1;
    auto worker = makeWorker();
    worker->start();
    std::this_thread::sleep_for(5 * CommandWorker::kCycle);
    worker->stop();
    EXPECT_EQ(noops, 0);
    EXPECT_GE(worker->ticks(), 3) << "the cycle counter keeps running";
}

TEST_F(RemoteFixture, SendsANoopOnceTheIntervalHasPassed) {
    keepAlive = true;
    interval = 2;
    auto worker = makeWorker();
    worker->start();
    ASSERT_TRUE(waitUntil([&] { return noops >= 1; }, 2s));
    worker->stop();
    EXPECT_LE(worker->ticks(), 2);
}

TEST_F(RemoteFixture, WithoutASessionTheCounterRestartsWithoutANoop) {
    keepAlive = true;
    interval = 1;
    shown = false;
    auto worker = makeWorker();
    worker->start();
    std::this_thread::sleep_for(6 * CommandWorker::kCycle);
    worker->stop();
    EXPECT_EQ(noops, 0);
    EXPECT_LE(worker->ticks(), 1);
}

TEST_F(RemoteFixture, ABusyControlConnectionSkipsTheKeepAlive) {
    keepAlive = true;
    interval = 1;
    HeldLock rawCommand(control);
    auto worker = makeWorker();
    worker->start();
    std::this_thread::sleep_for(8 * CommandWorker::kCycle);
    EXPECT_EQ(noops, 0);
    rawCommand.release();
    EXPECT_TRUE(waitUntil([&] { return noops >= 1; }, 2s));
    worker->stop();
}

TEST_F(RemoteFixture, ACodePostedDuringIdleWorkIsNotLost) {
    std::atomic<int> refreshed{0};
    onCheck = [this] { mailbox.post(cmdRefreshPanels); };
    auto worker = makeWorker();
    worker->setHandler(cmdRefreshPanels, [&](const CommandParams&) { ++refreshed; });
    worker->start();
    EXPECT_TRUE(waitUntil([&] { return refreshed >= 1; }, 3s));
    worker->stop();
}

TEST_F(RemoteFixture, TheEditedFilesCheckRunsInThePassOfALongCommand) {
    std::atomic<bool> downloaded{false};
    std::atomic<bool> checkedAfterDownload{false};
    onCheck = [&] {
        if (downloaded)
            checkedAfterDownload = true;
    };
    auto worker = makeWorker();
    worker->setHandler(cmdDownload, [&](const CommandParams&) { downloaded = true; });
    worker->start();
    std::this_thread::sleep_for(3 * CommandWorker::kCycle);
    ASSERT_TRUE(mailbox.post(cmdDownload));
    // Well before the next regular tenth cycle: only the counter's restart explains a check.
    EXPECT_TRUE(waitUntil([&] { return checkedAfterDownload.load(); }, 3 * CommandWorker::kCycle));
    worker->stop();
}

} // namespace
