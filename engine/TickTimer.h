#pragma once

#include <functional>
#include <memory>

namespace korvane {

// A periodic tick of the scanner, started and stopped by its owner.
class TickTimer {
public:
    virtual ~TickTimer() = default;
    virtual void start() = 0;
    // After stop() returns no call is in progress and none follows.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

// Where the scanner's ticks come from: the program's timers, or a clock a
// test drives.
class TickTimerFactory {
public:
    virtual ~TickTimerFactory() = default;
    // A timer on the main thread (the protocol and file ticks, the fast
    // tick in normal mode).
    virtual std::unique_ptr<TickTimer> CreateTimer(int periodMs, std::function<void()> tick) = 0;
    // The high-precision fast tick: may call Tick on a thread of its own.
    virtual std::unique_ptr<TickTimer> CreatePreciseTimer(int periodMs, std::function<void()> tick) = 0;
};

// The program's timers: QTimer on the creating thread, PeriodicTimer (its
// own thread, absolute deadlines) for the precise tick.
class QtTickTimerFactory final : public TickTimerFactory {
public:
    std::unique_ptr<TickTimer> CreateTimer(int periodMs, std::function<void()> tick) override;
    std::unique_ptr<TickTimer> CreatePreciseTimer(int periodMs, std::function<void()> tick) override;
};

} // namespace korvane
