#pragma once

#include "platform/Clock.h"
#include "platform/TimeStampCounter.h"

#include <array>
#include <cstdint>

namespace korvane {

// One timing slot: completed runs and their net counter ticks.
struct ProfSlot {
    std::uint32_t Count = 0;   // completed runs
    std::uint64_t Start = 0;   // counter at the last start or stop
    long double LastTime = 0; // net ticks of the last completed run
    long double Total = 0;    // net ticks of all completed runs
    long double PrevTotal = 0; // Total after the previous run
    bool Running = false;
};

// Timing probes on the time stamp counter: the processor clock estimate,
// ten slots that can be started and stopped, and twenty samples the
// scanner fills with fast-tick periods. The time spent inside the
// measuring calls is kept out of every running slot.
//
// The program holds one Profiler. It is not guarded: after the start-up
// calibrations, only the scanner's fast tick uses it.
class Profiler {
public:
    static constexpr int SlotCount = 10;   // slots 1..10
    static constexpr int SampleCount = 20; // samples 0..19

    explicit Profiler(TimeStampCounter& counter = systemTimeStampCounter());

    // Counter readings at the entry (T0) and exit (T1) of the last
    // measuring call.
    std::uint64_t T0() const { return m_t0; }
    std::uint64_t T1() const { return m_t1; }
    void ReadTscStart();
    void ReadTscStop();

    // The estimated processor clock in MHz: counter ticks over 400 ms of
    // the clock's tick count. Busy-waits for those 400 ms.
    long double CpuClockMHz() const { return m_cpuClockMHz; }
    void CalibrateCpuClock(const Clock& clock = systemClock());

    // The cost of one start-and-stop pair in counter ticks, measured over
    // 1000 pairs on slot 1 (which keeps their counts).
    long double Overhead() const { return m_overhead; }
    void CalibrateProfiler();

    // Starts (Run true) or stops slot Index (1..10); a call that does not
    // change the slot's state does nothing.
    void SetProfTimer(int index, bool run);

    // The steps of SetProfTimer.
    void StartProfSlot(int index);
    long double TakeProfSlotElapsed(int index);
    void AdjustRunningProfSlots();

    // Index 1..10.
    const ProfSlot& ProfSlots(int index) const { return m_slots.at(slotIndex(index)); }
    // The slot of the last SetProfTimer call that changed a slot; 1 at start.
    int CurrentSlot() const { return m_currentSlot; }

    std::array<long double, SampleCount>& ProfSamples() { return m_samples; }
    const std::array<long double, SampleCount>& ProfSamples() const { return m_samples; }
    long double AverageProfSamples() const;

private:
    static std::size_t slotIndex(int index) { return static_cast<std::size_t>(index - 1); }
    ProfSlot& slot(int index) { return m_slots.at(slotIndex(index)); }

    TimeStampCounter& m_counter;
    std::uint64_t m_t0 = 0;
    std::uint64_t m_t1 = 0;
    long double m_cpuClockMHz = 0;
    long double m_overhead = 0;
    int m_currentSlot = 1;
    std::array<ProfSlot, SlotCount> m_slots {};
    std::array<long double, SampleCount> m_samples {};
};

} // namespace korvane
