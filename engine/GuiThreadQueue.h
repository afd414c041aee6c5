#pragma once

#include "platform/EventLoopWakeup.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace korvane {

// Runs calls on the thread that created the queue (the GUI thread): at once
// when made there, otherwise queued through that thread's event loop. Calls
// run in the order they were posted, also across threads: a call made on
// the GUI thread while calls from another thread still wait runs after them.
//
// No call runs while its thread holds the engine lock: a call made on the
// GUI thread under the lock (a driver's, on the protocol tick) waits until
// that thread has released it, so a box it opens never stops the engine.
//
// Calls still queued when the queue is destroyed are dropped; nothing may
// post while it is being destroyed.
class GuiThreadQueue {
public:
    GuiThreadQueue();
    ~GuiThreadQueue();
    GuiThreadQueue(const GuiThreadQueue&) = delete;
    GuiThreadQueue& operator=(const GuiThreadQueue&) = delete;

    void Post(std::function<void()> call);
    bool OnOwnThread() const { return wakeup_.onOwnThread(); }

private:
    // Runs the calls waiting in the list, on the queue's own thread, once
    // the engine lock is released there.
    void Drain();
    // Drain after the engine lock's release on this thread (once per release).
    void DrainAfterRelease();

    std::mutex mutex_;
    std::deque<std::function<void()>> pending_;
    bool wakePosted_ = false;
    bool drainAfterRelease_ = false; // own thread only
    // Dies with the queue: a drain still waiting for the lock's release then does nothing.
    std::shared_ptr<GuiThreadQueue*> self_;
    // Last, so it goes first: a wake-up still in the event loop dies with it.
    EventLoopWakeup wakeup_;
};

} // namespace korvane
