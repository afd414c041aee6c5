#pragma once

#include <cstdint>

namespace korvane {

// A free-running 64-bit counter for measuring short intervals.
//
// The machine's counter (systemTimeStampCounter) is the processor's time
// stamp counter, read with RDTSC, on x86 and x86-64; on every other
// processor it is the monotonic clock in nanoseconds (so the "processor
// clock" measured from it comes out as 1000 MHz). Tests substitute a
// scripted counter.
class TimeStampCounter {
public:
    virtual ~TimeStampCounter() = default;
    virtual std::uint64_t read() = 0;
};

class MachineTimeStampCounter final : public TimeStampCounter {
public:
    std::uint64_t read() override;
    // True when read() returns the processor's own cycle counter.
    static bool isProcessorCounter();
};

// A process-wide MachineTimeStampCounter; it holds no state.
TimeStampCounter& systemTimeStampCounter();

} // namespace korvane
