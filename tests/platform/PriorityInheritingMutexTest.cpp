#include "platform/PriorityInheritingMutex.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using korvane::PriorityInheritingMutex;

namespace {

bool lockableFromAnotherThread(PriorityInheritingMutex& m)
{
    bool taken = false;
    std::thread other([&] {
        taken = m.try_lock();
        if (taken)
            m.unlock();
    });
    other.join();
    return taken;
}

} // namespace

// The engine's entry points call one another with the lock held.
TEST(PriorityInheritingMutex, TheHolderMayLockAgainAndOthersWaitUntilTheLastUnlock)
{
    PriorityInheritingMutex m;
    {
        std::lock_guard outer(m);
        {
            std::lock_guard inner(m);
            EXPECT_TRUE(m.try_lock());
            m.unlock();
        }
        EXPECT_FALSE(lockableFromAnotherThread(m));
    }
    EXPECT_TRUE(lockableFromAnotherThread(m));
}

TEST(PriorityInheritingMutex, AWaitingThreadGetsTheLockWhenItIsReleased)
{
    PriorityInheritingMutex m;
    int shared = 0;
    std::unique_lock held(m);
    std::thread waiter([&] {
        std::lock_guard lock(m);
        shared += 1;
    });
    shared = 41;
    held.unlock();
    waiter.join();
    EXPECT_EQ(shared, 42);
}
