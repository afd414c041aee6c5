#pragma once

#include <QDate>
#include <QDateTime>
#include <cstdint>

namespace korvane {

// The program's view of time: the wall clock (daily files, calendar rules,
// clean-up of old files) and a monotonic millisecond tick count, the
// equivalent of the system's tick counter. Everything that depends on the
// date or on elapsed time takes a Clock, so tests can set it.
class Clock {
public:
    virtual ~Clock() = default;

    // Local date and time.
    virtual QDateTime now() const = 0;
    // Milliseconds since an arbitrary start; never goes backwards.
    virtual std::uint64_t tickMs() const = 0;

    QDate today() const { return now().date(); }
};

// The machine's own clocks.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    std::uint64_t tickMs() const override;
};

// A process-wide SystemClock; it holds no state.
Clock& systemClock();

} // namespace korvane
