#pragma once

#include <functional>
#include <memory>

namespace korvane {

class EventLoopWakeupReceiver;

// Wakes the event loop of the thread that created it: after wake(), called
// from any thread, that thread's event loop runs the callback given at
// construction. Wake-ups still waiting when the object goes are dropped.
//
// Only the wake-up crosses the event loop; whatever the callback is to work
// on is handed over by its owner under a lock of its own, so that the hand-
// over is visible to the thread checker (Qt's own event queue is not).
class EventLoopWakeup {
public:
    explicit EventLoopWakeup(std::function<void()> onWake);
    ~EventLoopWakeup();
    EventLoopWakeup(const EventLoopWakeup&) = delete;
    EventLoopWakeup& operator=(const EventLoopWakeup&) = delete;

    void wake();
    // The calling thread is the one whose event loop runs the callback.
    bool onOwnThread() const;

private:
    std::unique_ptr<EventLoopWakeupReceiver> receiver_;
};

} // namespace korvane
