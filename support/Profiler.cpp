#include "support/Profiler.h"

namespace korvane {

namespace {
constexpr std::uint64_t CalibrationSpanMs = 400;
constexpr long double TicksPer400MsToMHz = 2.5e-6L;
constexpr int CalibrationPairs = 1000;
} // namespace

Profiler::Profiler(TimeStampCounter& counter)
    : m_counter(counter)
{
}

void Profiler::ReadTscStart()
{
    m_t0 = m_counter.read();
}

void Profiler::ReadTscStop()
{
    m_t1 = m_counter.read();
}

void Profiler::CalibrateCpuClock(const Clock& clock)
{
    const std::uint64_t before = clock.tickMs();
    std::uint64_t start = before;
    while (start == before)
        start = clock.tickMs();
    ReadTscStart();
    while (clock.tickMs() < start + CalibrationSpanMs) {
    }
    ReadTscStop();
    m_cpuClockMHz = static_cast<long double>(m_t1 - m_t0) * TicksPer400MsToMHz;
}

void Profiler::CalibrateProfiler()
{
    m_overhead = 0;
    for (int i = 0; i < CalibrationPairs; ++i) {
        SetProfTimer(1, true);
        SetProfTimer(1, false);
    }
    m_overhead = slot(1).Total / CalibrationPairs;
}

void Profiler::SetProfTimer(int index, bool run)
{
    ProfSlot& s = slot(index);
    if (s.Running == run)
        return;
    ReadTscStart();
    AdjustRunningProfSlots();
    if (run) {
        StartProfSlot(index);
        s.Running = true;
    } else {
        s.Total += TakeProfSlotElapsed(index);
        s.LastTime = s.Total - s.PrevTotal;
        s.PrevTotal = s.Total;
        s.Running = false;
        ++s.Count;
    }
    m_currentSlot = index;
    ReadTscStop();
}

void Profiler::StartProfSlot(int index)
{
    slot(index).Start = m_t0;
}

long double Profiler::TakeProfSlotElapsed(int index)
{
    ProfSlot& s = slot(index);
    // Signed: the counter read at a call's entry never precedes the
    // slot's start, but a wrapped or reset counter must not turn into a
    // huge unsigned span.
    const auto elapsed = static_cast<std::int64_t>(m_t0 - s.Start);
    s.Start = m_t0;
    return static_cast<long double>(elapsed);
}

void Profiler::AdjustRunningProfSlots()
{
    // The duration of the previous measuring call, from its entry (the
    // current slot's Start) to its exit (T1).
    const auto previousCall =
        static_cast<long double>(static_cast<std::int64_t>(m_t1 - slot(m_currentSlot).Start));
    for (ProfSlot& s : m_slots) {
        if (s.Running)
            s.Total = s.Total - previousCall - m_overhead;
    }
}

long double Profiler::AverageProfSamples() const
{
    long double sum = 0;
    for (const long double v : m_samples)
        sum += v;
    return sum / SampleCount;
}

} // namespace korvane
