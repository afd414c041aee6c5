#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace korvane {

// A periodic timer on a thread of its own, the stand-in for the system's
// multimedia timer: the thread sleeps until absolute deadlines on the
// monotonic clock, start + k * period, and calls the callback at each.
// A late callback (or a late wake-up) does not bring a burst of catch-up
// calls: deadlines already past are skipped and the next call comes at the
// next deadline of the original grid.
//
// The thread runs at the lowest real-time priority where the system grants
// it, like the multimedia timer it stands in for.
//
// The callback runs on the timer's thread and must not throw. start() and
// stop() are for the owning thread (never the callback). stop() returns
// once the thread has ended, so a callback in progress has finished and no
// other follows; it takes at most one period plus that callback.
class PeriodicTimer {
public:
    using Callback = std::function<void()>;

    // Not running yet. Period must be positive.
    PeriodicTimer(std::chrono::milliseconds period, Callback callback);
    ~PeriodicTimer(); // stop()
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Starts the thread; the first call comes one period later. Does
    // nothing while running.
    void start();
    void stop();
    bool running() const;

private:
    void run();

    const std::chrono::nanoseconds m_period;
    const Callback m_callback;
    std::mutex m_control; // start and stop
    std::thread m_thread;
    std::atomic<bool> m_stopRequested = false;
    std::atomic<bool> m_running = false;
};

// The deadline that follows Deadline on the grid of Period once Now has
// been reached: Deadline + k * Period for the smallest k >= 1 that lies
// after Now. (Times on any common clock.)
std::chrono::nanoseconds NextPeriodicDeadline(std::chrono::nanoseconds deadline, std::chrono::nanoseconds now,
                                              std::chrono::nanoseconds period);

} // namespace korvane
