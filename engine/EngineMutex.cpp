#include "engine/EngineMutex.h"

#include <utility>
#include <vector>

namespace korvane {

namespace {

// What each thread knows of the engine locks it holds. Only the thread
// itself reads or writes its own record.
struct HeldLocks {
    int depth = 0;
    std::vector<std::function<void()>> afterRelease;
};

HeldLocks& ThisThread()
{
    thread_local HeldLocks held;
    return held;
}

} // namespace

void EngineMutex::lock()
{
    mutex_.lock();
    ++ThisThread().depth;
}

bool EngineMutex::try_lock()
{
    if (!mutex_.try_lock())
        return false;
    ++ThisThread().depth;
    return true;
}

void EngineMutex::unlock()
{
    HeldLocks& held = ThisThread();
    --held.depth;
    mutex_.unlock();
    // A call may take the lock again and release it: that release runs what
    // was added meanwhile, and this loop then finds the list empty.
    while (held.depth == 0 && !held.afterRelease.empty()) {
        std::vector<std::function<void()>> calls = std::exchange(held.afterRelease, {});
        for (auto& call : calls)
            call();
    }
}

bool EngineMutex::HeldByThisThread()
{
    return ThisThread().depth > 0;
}

void EngineMutex::AfterRelease(std::function<void()> call)
{
    HeldLocks& held = ThisThread();
    if (held.depth == 0) {
        call();
        return;
    }
    held.afterRelease.push_back(std::move(call));
}

} // namespace korvane
