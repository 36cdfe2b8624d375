#include "workers/commands.h"
#include "workers/local_worker.h"
#include "workers/remote_worker.h"

#include "support/held_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>

namespace {

using namespace std::chrono_literals;

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return condition();
}

struct Marked { // a command of the test's own, carrying a parameter
    static constexpr int id = 9001;
    std::string name;
};

TEST(Mailbox, ShortCommandsWaitInOrderAndNothingIsTakenWhileALongJobRunsOrWaits) {
    Mailbox mailbox;
    const auto far = Mailbox::Clock::now() + 10s;
    EXPECT_EQ(mailbox.post(Marked{"a.txt"}), PostResult::Started);
    EXPECT_EQ(mailbox.post(cmd::RefreshPanels{}), PostResult::Queued)
        << "a key pressed while the worker is busy for a moment waits for it";
    EXPECT_EQ(mailbox.post(cmd::Delete{}), PostResult::Queued) << "a job waits for it too";
    EXPECT_EQ(mailbox.post(cmd::RefreshRemote{}), PostResult::Refused)
        << "nothing is taken behind a waiting job";
    auto taken = mailbox.take(far);
    ASSERT_TRUE(taken);
    EXPECT_EQ(std::any_cast<const Marked&>(taken->command).name, "a.txt");
    mailbox.finish();
    EXPECT_EQ(mailbox.take(far)->id, cmdRefreshPanels) << "in the order they were posted";
    mailbox.finish();
    EXPECT_EQ(mailbox.take(far)->id, cmdDelete);
    EXPECT_TRUE(mailbox.holds<cmd::Delete>());
    EXPECT_EQ(mailbox.post(cmd::RefreshRemote{}), PostResult::Refused)
        << "nothing is taken while a job runs";
    EXPECT_FALSE(mailbox.idle());
    mailbox.finish();
    EXPECT_TRUE(mailbox.idle());
    EXPECT_FALSE(mailbox.take(Mailbox::Clock::now())) << "an idle wait ends at its deadline";
}

TEST(Mailbox, AFullQueueSaysSoAndTheWorkerSettlesOnceNothingWaits) {
    Mailbox mailbox;
    int settled = 0;
    mailbox.setSettledHandler([&settled] { ++settled; });
    const auto far = Mailbox::Clock::now() + 10s;
    ASSERT_EQ(mailbox.post(cmd::RefreshPanels{}), PostResult::Started);
    ASSERT_TRUE(mailbox.take(far));
    for (std::size_t i = 0; i < Mailbox::kMaxWaiting; ++i)
        ASSERT_EQ(mailbox.post(cmd::RefreshPanels{}), PostResult::Queued);
    EXPECT_EQ(mailbox.post(cmd::RefreshPanels{}), PostResult::Full)
        << "told apart from a refusal for a running job";
    for (std::size_t i = 0; i < Mailbox::kMaxWaiting; ++i) {
        mailbox.finish();
        ASSERT_TRUE(mailbox.take(far));
    }
    mailbox.finish();
    EXPECT_EQ(settled, 1) << "only the last command leaves nothing waiting";
}

TEST(CommandWorker, RunsPostsWithTheirParametersAndAFailureIsReportedAndTheLoopGoesOn) {
    Mailbox mailbox;
    TMonThreadL worker(mailbox);
    std::promise<std::string> failure;
    std::atomic<int> ran{0};
    worker.on<cmd::LocalCopy>(
        [](const cmd::LocalCopy&) { throw std::runtime_error("disk on fire"); });
    worker.on<cmd::LocalTree>([&](const cmd::LocalTree& command) { ran = command.panel; });
    worker.setFailureHandler([&](int code, const std::string& reason) {
        failure.set_value(std::to_string(code) + ": " + reason);
    });
    worker.start();
    ASSERT_EQ(mailbox.post(cmd::LocalCopy{}), PostResult::Started);
    auto reported = failure.get_future();
    ASSERT_EQ(reported.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(reported.get(), "16: disk on fire");
    ASSERT_TRUE(waitUntil([&] { return mailbox.idle(); }));
    ASSERT_EQ(mailbox.post(cmd::LocalTree{1}), PostResult::Started);
    ASSERT_TRUE(waitUntil([&] { return mailbox.idle(); }));
    EXPECT_EQ(ran, 1) << "the mailbox goes idle only after the command ran";
    ASSERT_EQ(mailbox.post(Marked{}), PostResult::Started)
        << "a command without a handler is done too";
    EXPECT_TRUE(waitUntil([&] { return mailbox.idle(); }));
}

struct RemoteFixture : testing::Test {
    Mailbox mailbox;
    NamedMutex control{"NOOPMutex4"};
    std::atomic<bool> keepAlive{false};
    std::atomic<int> interval{900};
    std::atomic<bool> shown{true};
    std::atomic<bool> watching{true}; // a copy opened for editing is watched
    std::atomic<int> noops{0};
    std::atomic<int> passes{0}; // every wait of the worker asks for the profile
    std::function<void()> onCheck;

    std::unique_ptr<TMonThreadH> makeWorker() {
        TMonThreadH::IdleHooks hooks;
        hooks.profile = [this] {
            ++passes;
            return TMonThreadH::KeepAliveProfile{keepAlive, interval};
        };
        hooks.sessionShown = [this] { return shown.load(); };
        hooks.sendNoop = [this] { ++noops; };
        hooks.editedFilesWatched = [this] { return watching.load(); };
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
            // A few intervals pass: none sends a keep-alive.
            std::this_thread::sleep_for(6 * TMonThreadH::kPass);
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
    onCheck = [this] { std::ignore = mailbox.post(cmd::RefreshPanels{}); };
    auto worker = makeWorker();
    worker->on<cmd::RefreshPanels>([&](const cmd::RefreshPanels&) { ++refreshed; });
    worker->start();
    EXPECT_TRUE(waitUntil([&] { return refreshed >= 1; }, 3s));
    worker->stop();
}

TEST_F(RemoteFixture, TheEditedFilesCheckRunsInThePassOfALongCommand) {
    watching = false; // no regular check: the only one is the download's
    std::atomic<bool> downloaded{false};
    std::atomic<bool> checkedAfter{false};
    onCheck = [&] {
        if (downloaded)
            checkedAfter = true;
    };
    auto worker = makeWorker();
    worker->on<cmd::Download>([&](const cmd::Download&) { downloaded = true; });
    worker->start();
    ASSERT_EQ(mailbox.post(cmd::Download{}), PostResult::Started);
    EXPECT_TRUE(waitUntil([&] { return checkedAfter.load(); }));
    worker->stop();
}

} // namespace
