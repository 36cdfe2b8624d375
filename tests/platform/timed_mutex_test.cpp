#include "platform/timed_mutex.h"

#include <gtest/gtest.h>

#include <future>

namespace {

using namespace std::chrono_literals;

// Whether another thread could take the lock within a short wait.
bool otherThreadGets(NamedMutex& lock) {
    return std::async(std::launch::async,
                      [&] {
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

} // namespace
