#pragma once

#include "platform/PriorityInheritingMutex.h"

#include <functional>
#include <mutex>

namespace korvane {

// The one lock of the channel engine. The fast tick (which may run on the
// periodic timer's thread) holds it for all drivers while it runs; the
// protocol tick, the file tick's driver work, the port events and the
// operator's calls into a driver hold it on the main thread. It is
// recursive because the entry points call one another (a received answerback
// request sends the own answerback, a command restarts the protocol). It
// lends the timer thread's real-time priority to a main thread holding it.
//
// Nothing that can wait on a person or a disk may run while it is held: a
// window call or a box made under it waits (AfterRelease) until the thread
// that made it has let go of every engine lock it held.
class EngineMutex {
public:
    EngineMutex() = default;
    EngineMutex(const EngineMutex&) = delete;
    EngineMutex& operator=(const EngineMutex&) = delete;

    void lock();
    bool try_lock();
    // The outermost release on a thread runs the calls that waited for it.
    void unlock();

    // Whether the calling thread holds an engine lock (any engine's).
    static bool HeldByThisThread();
    // Runs Call on the calling thread once it holds no engine lock: at once
    // when it holds none, else right after its outermost release, in the
    // order the calls were made.
    static void AfterRelease(std::function<void()> call);

private:
    PriorityInheritingMutex mutex_;
};

using EngineLock = std::lock_guard<EngineMutex>;

} // namespace korvane
