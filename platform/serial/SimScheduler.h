#pragma once

#include "platform/serial/VirtualClock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace korvane::serial {

// Runs the far ends of simulated devices (line adapters, exchanges, distant
// stations): each registers a step that does its work up to the present and
// says when it wants to run next.
//
// On a VirtualClock the steps run on the clock's thread after every
// millisecond in which they are due or were woken, so a test moves the whole
// simulated network with the clock. On real time (no clock) the scheduler
// has a thread of its own that sleeps until the earliest due time or a
// wake-up: the far ends of the program's demo run cost nothing while the
// line is quiet.
//
// Time is nowUs(): the clock's time, or on real time realTimeUs(), the time
// line of simulated devices created without a clock.
//
// wake() may be called from any thread, also with a device's lock held (it
// takes only the scheduler's own lock); steps run without that lock, so a
// step may call devices, register, and end registrations (also its own).
class SimScheduler {
public:
    // Runs the far end up to nowUs; returns the time at which it wants to run
    // again (at or before which it is run), or -1 for "only when woken".
    using Step = std::function<std::int64_t(std::int64_t nowUs)>;
    class Registration;

    explicit SimScheduler(VirtualClock* clock = nullptr);
    ~SimScheduler();
    SimScheduler(const SimScheduler&) = delete;
    SimScheduler& operator=(const SimScheduler&) = delete;

    VirtualClock* clock() const { return m_clock; }
    std::int64_t nowUs() const;
    // Microseconds of the monotonic system clock.
    static std::int64_t realTimeUs();

    // The step runs first at the next opportunity, then as it asks, until
    // the registration ends. Ending it waits for a step that is running on
    // another thread, so the step's captures may be destroyed right after.
    [[nodiscard]] Registration add(Step step);

    // Every step runs at the next opportunity.
    void wake();

private:
    struct Entry {
        std::uint64_t id;
        Step step;
        std::int64_t due; // -1: only when woken
    };
    void remove(std::uint64_t id);
    void runPass(std::unique_lock<std::mutex>& lock, std::int64_t now, bool all);
    std::int64_t earliestDueLocked() const;
    void threadLoop();

    VirtualClock* const m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Entry> m_entries;
    std::uint64_t m_nextId = 1;
    bool m_woken = false;
    bool m_stop = false;
    bool m_running = false;
    std::thread::id m_runner;
    VirtualClock::Subscription m_tick;
    std::thread m_thread;
};

// Keeps a step registered while it lives.
class SimScheduler::Registration {
public:
    Registration() = default;
    Registration(Registration&& other) noexcept;
    Registration& operator=(Registration&& other) noexcept;
    ~Registration();
    void reset();

private:
    friend class SimScheduler;
    Registration(SimScheduler* scheduler, std::uint64_t id) : m_scheduler(scheduler), m_id(id) {}
    SimScheduler* m_scheduler = nullptr;
    std::uint64_t m_id = 0;
};

} // namespace korvane::serial
