#pragma once

#include "platform/EventLoopWakeup.h"

#include <deque>
#include <functional>
#include <mutex>

namespace korvane {

// Runs calls on the thread that created the queue (the GUI thread): at once
// when made there, otherwise queued through that thread's event loop. Calls
// run in the order they were posted, also across threads: a call made on
// the GUI thread while calls from another thread still wait runs after them. Calls still
// queued when the queue is destroyed are dropped; nothing may post while it
// is being destroyed.
class GuiThreadQueue {
public:
    GuiThreadQueue();
    GuiThreadQueue(const GuiThreadQueue&) = delete;
    GuiThreadQueue& operator=(const GuiThreadQueue&) = delete;

    void Post(std::function<void()> call);
    bool OnOwnThread() const { return wakeup_.onOwnThread(); }

private:
    // Runs the calls waiting in the list, on the queue's own thread.
    void Drain();

    std::mutex mutex_;
    std::deque<std::function<void()>> pending_;
    bool wakePosted_ = false;
    // Last, so it goes first: a wake-up still in the event loop dies with it.
    EventLoopWakeup wakeup_;
};

} // namespace korvane
