#include "platform/timed_mutex.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Whether another thread could take the lock within a short wait.
bool otherThreadGets(NamedMutex& lock) {
    return std::async(std::launch::async, [&] {
               TimedLock attempt(lock, 20ms);
               return static_cast<bool>(attempt);
           })
        .get();
}

TEST(NamedMutex, TheHolderTakesItAgainAndOthersWaitForTheLastRelease) {
    NamedMutex lock("XMLMutex2");
    {
        TimedLock outer(lock, 0ms);
        ASSERT_TRUE(outer);
        {
            TimedLock inner(lock, 0ms);
            EXPECT_TRUE(inner) << "a holder calling into code that takes the lock again";
        }
        EXPECT_FALSE(otherThreadGets(lock)) << "still held once after the inner release";
        std::async(std::launch::async, [&] { lock.unlock(); }).get();
        EXPECT_FALSE(otherThreadGets(lock)) << "only the holder releases it";
    }
    EXPECT_TRUE(otherThreadGets(lock));
}

TEST(NamedMutex, AWaiterIsWokenWhenTheHolderLetsGo) {
    NamedMutex lock("DialogMutex3");
    std::promise<void> held, release;
    auto holder = std::async(std::launch::async, [&] {
        TimedLock hold(lock, 0ms);
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    auto waiter = std::async(std::launch::async, [&] {
        TimedLock attempt(lock, 10s);
        return static_cast<bool>(attempt);
    });
    std::this_thread::sleep_for(50ms); // most likely waiting by now; either way it must succeed
    release.set_value();
    EXPECT_TRUE(waiter.get());
    holder.get();
}

} // namespace
