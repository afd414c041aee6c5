#pragma once

#include "engine/TickTimer.h"
#include "platform/serial/VirtualClock.h"

namespace korvane {

// Ticks on a serial::VirtualClock: a started timer fires on the test's
// thread inside clock.advance(), once every period after its start. Timers
// fire in the order they were started when their periods end in the same
// millisecond, after everything subscribed to the clock before them (the
// simulated devices and ports opened before the timers started).
class VirtualTickTimerFactory final : public TickTimerFactory {
public:
    explicit VirtualTickTimerFactory(serial::VirtualClock& clock) : clock_(clock) {}
    std::unique_ptr<TickTimer> CreateTimer(int periodMs, std::function<void()> tick) override;
    std::unique_ptr<TickTimer> CreatePreciseTimer(int periodMs, std::function<void()> tick) override;

private:
    serial::VirtualClock& clock_;
};

} // namespace korvane
