#pragma once

#include "platform/Clock.h"

#include <QDateTime>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace korvane::serial {

// A clock that a test owns: time stands still until advance() moves it, one
// millisecond at a time. After every millisecond the subscribed tick
// functions run, in the order of subscription, on the thread that called
// advance(). Simulated serial devices and ports stepped on virtual time
// subscribe here; the rest of a test (timers of the engine, simulated
// stations) may subscribe too, so that everything moves on one time line.
//
// now() and nowUs() may be read from any thread. advance() must be called
// from one thread only (the test's main thread); a tick function may
// subscribe and unsubscribe (also itself) while it runs.
class VirtualClock final : public Clock {
public:
    class Subscription;

    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 15), QTime(12, 0)));
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    QDateTime now() const override;
    std::uint64_t tickMs() const override;
    // Virtual time since the start, in microseconds (always whole milliseconds).
    std::int64_t nowUs() const { return m_us.load(std::memory_order_acquire); }

    // Moves time on by ms milliseconds, running the tick functions after each one.
    void advance(std::int64_t ms);

    // Runs tick after every millisecond until the subscription is destroyed.
    [[nodiscard]] Subscription subscribe(std::function<void()> tick);

private:
    struct Entry {
        std::uint64_t id;
        std::function<void()> tick;
    };
    void unsubscribe(std::uint64_t id);

    QDateTime m_start;
    std::atomic<std::int64_t> m_us{0};
    mutable std::recursive_mutex m_mutex; // guards the entries; not held while ticks run
    std::vector<Entry> m_entries;
    std::uint64_t m_nextId = 1;
    int m_ticking = 0;
};

// Keeps a tick function subscribed while it lives.
class VirtualClock::Subscription {
public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    ~Subscription();
    void reset();

private:
    friend class VirtualClock;
    Subscription(VirtualClock* clock, std::uint64_t id) : m_clock(clock), m_id(id) {}
    VirtualClock* m_clock = nullptr;
    std::uint64_t m_id = 0;
};

} // namespace korvane::serial
