#include "workers/command_codes.h"
#include "workers/local_worker.h"
#include "workers/remote_worker.h"

#include "support/held_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit = 10s) {
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
    ASSERT_TRUE(mailbox.post(cmdRefreshPanels));
    mailbox.finish(cmdDelete); // a late finish of the earlier command clears nothing
    EXPECT_EQ(mailbox.code(), cmdRefreshPanels);
}

TEST(CommandWorker, RunsPostsWithTheirParametersAndAFailureIsReportedAndTheLoopGoesOn) {
    Mailbox mailbox;
    TMonThreadL worker(mailbox);
    std::promise<std::string> failure;
    std::atomic<int> ran{0};
    worker.setHandler(cmdLocalCopy,
                      [](const CommandParams&) { throw std::runtime_error("disk on fire"); });
    worker.setHandler(cmdLocalTree, [&](const CommandParams& params) { ran = params.ActivePanel; });
    worker.setFailureHandler([&](int code, const std::string& reason) {
        failure.set_value(std::to_string(code) + ": " + reason);
    });
    worker.start();
    ASSERT_TRUE(mailbox.post(cmdLocalCopy));
    auto reported = failure.get_future();
    ASSERT_EQ(reported.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(reported.get(), "16: disk on fire");
    ASSERT_TRUE(waitUntil([&] { return mailbox.idle(); }));
    CommandParams params;
    params.ActivePanel = 1;
    ASSERT_TRUE(mailbox.post(cmdLocalTree, params));
    ASSERT_TRUE(waitUntil([&] { return mailbox.idle(); }));
    EXPECT_EQ(ran, 1) << "the mailbox goes idle only after the command ran";
    ASSERT_TRUE(mailbox.post(cmdLocalReset)) << "a code without a handler is cleared too";
    EXPECT_TRUE(waitUntil([&] { return mailbox.idle(); }));
}

struct RemoteFixture : testing::Test {
    Mailbox mailbox;
    NamedMutex control{"NOOPMutex4"};
    std::atomic<bool> keepAlive{false};
    std::atomic<int> interval{900};
    std::atomic<bool> shown{true};
    std::atomic<int> noops{0};
    std::atomic<int> passes{0}; // every pass of the worker asks for the profile once
    std::function<void()> onCheck;

    std::unique_ptr<TMonThreadH> makeWorker() {
        TMonThreadH::IdleHooks hooks;
        hooks.profile = [this] {
            ++passes;
            return TMonThreadH::KeepAliveProfile{keepAlive, interval};
        };
        hooks.sessionShown = [this] { return shown.load(); };
        hooks.sendNoop = [this] { ++noops; };
        hooks.checkEditedFiles = [this] {
            if (onCheck)
                onCheck();
        };
        return std::make_unique<TMonThreadH>(mailbox, control, std::move(hooks));
    }
};

TEST_F(RemoteFixture, KeepAliveOnlyWhenAskedForWithASessionShownAndTheLineFree) {
    const struct {
        const char* what;
        bool keepAlive;
        bool shown;
        bool lineBusy;
    } cases[] = {
        {"asked for", true, true, false},
        {"not asked for", false, true, false},
        {"no session shown", true, false, false},
        {"a raw command holds the line", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        keepAlive = c.keepAlive;
        shown = c.shown;
        interval = 1;
        noops = 0;
        passes = 0;
        std::optional<HeldLock> rawCommand;
        if (c.lineBusy)
            rawCommand.emplace(control);
        auto worker = makeWorker();
        worker->start();
        if (c.keepAlive && c.shown && !c.lineBusy) {
            EXPECT_TRUE(waitUntil([&] { return noops >= 1; }));
        } else {
            ASSERT_TRUE(waitUntil([&] { return passes >= 6; }));
            EXPECT_EQ(noops, 0);
        }
        if (rawCommand) {
            rawCommand->release();
            EXPECT_TRUE(waitUntil([&] { return noops >= 1; })) << "the next free pass sends it";
        }
        worker->stop();
    }
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
    std::atomic<int> ticksAtCheck{-1};
    TMonThreadH* running = nullptr;
    onCheck = [&] {
        if (downloaded && ticksAtCheck < 0)
            ticksAtCheck = running->ticks();
    };
    auto worker = makeWorker();
    running = worker.get();
    worker->setHandler(cmdDownload, [&](const CommandParams&) { downloaded = true; });
    worker->start();
    ASSERT_TRUE(waitUntil([&] { return passes >= 3; }));
    ASSERT_TRUE(mailbox.post(cmdDownload));
    ASSERT_TRUE(waitUntil([&] { return ticksAtCheck >= 0; }));
    // The regular check comes every tenth pass; one with the counter at 0 is the download's.
    EXPECT_EQ(ticksAtCheck, 0);
    worker->stop();
}

} // namespace
