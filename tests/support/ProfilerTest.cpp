#include "support/CarrySum.h"
#include "support/Profiler.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvane;

namespace {

// A counter that costs CostPerRead ticks to read; work() lets the code
// being measured take time.
class ScriptedCounter final : public TimeStampCounter {
public:
    explicit ScriptedCounter(std::uint64_t costPerRead) : m_cost(costPerRead) {}
    std::uint64_t read() override
    {
        const std::uint64_t v = m_value;
        m_value += m_cost;
        ++reads;
        return v;
    }
    void work(std::uint64_t ticks) { m_value += ticks; }
    int reads = 0;

private:
    std::uint64_t m_value = 1'000'000;
    std::uint64_t m_cost;
};

class ProfilerTest : public testing::Test {
protected:
    static constexpr std::uint64_t Cost = 37;
    ScriptedCounter counter {Cost};
    Profiler prof {counter};
};

TEST_F(ProfilerTest, CalibrationMeasuresTheCostOfAStartStopPair)
{
    prof.CalibrateProfiler();
    // Each pair's net time is the one counter read between the start
    // call's entry and exit that no adjustment removes.
    EXPECT_EQ(prof.Overhead(), static_cast<long double>(Cost));
    EXPECT_EQ(prof.ProfSlots(1).Count, 1000u);
    EXPECT_FALSE(prof.ProfSlots(1).Running);
}

TEST_F(ProfilerTest, AfterCalibrationASlotMeasuresOnlyTheWorkBetweenItsCalls)
{
    prof.CalibrateProfiler();
    const ProfSlot before = prof.ProfSlots(3);
    for (const std::uint64_t work : {500u, 0u, 12345u}) {
        const long double totalBefore = prof.ProfSlots(3).Total;
        prof.SetProfTimer(3, true);
        counter.work(work);
        prof.SetProfTimer(3, false);
        EXPECT_EQ(prof.ProfSlots(3).LastTime, static_cast<long double>(work));
        EXPECT_EQ(prof.ProfSlots(3).LastTime, prof.ProfSlots(3).Total - totalBefore);
    }
    EXPECT_EQ(prof.ProfSlots(3).Count, before.Count + 3);
    EXPECT_EQ(prof.ProfSlots(3).Total, 500.0L + 12345.0L);
}

TEST_F(ProfilerTest, AnOuterSlotExcludesTheInnerSlotsMeasuringCalls)
{
    prof.CalibrateProfiler();
    prof.SetProfTimer(2, true);
    counter.work(100);
    prof.SetProfTimer(1, true);
    counter.work(20);
    prof.SetProfTimer(1, false);
    counter.work(3);
    prof.SetProfTimer(2, false);
    EXPECT_EQ(prof.ProfSlots(1).LastTime, 20.0L);
    EXPECT_EQ(prof.ProfSlots(2).LastTime, 123.0L);
    EXPECT_EQ(prof.ProfSlots(2).Count, 1u);
}

TEST_F(ProfilerTest, ACallThatDoesNotChangeTheSlotDoesNothing)
{
    prof.SetProfTimer(1, false); // stopped already
    EXPECT_EQ(counter.reads, 0);
    EXPECT_EQ(prof.ProfSlots(1).Count, 0u);

    prof.SetProfTimer(1, true);
    const ProfSlot started = prof.ProfSlots(1);
    const int reads = counter.reads;
    const std::uint64_t t0 = prof.T0();
    counter.work(50);
    prof.SetProfTimer(1, true); // running already
    EXPECT_EQ(counter.reads, reads);
    EXPECT_EQ(prof.T0(), t0);
    EXPECT_EQ(prof.ProfSlots(1).Start, started.Start);
    EXPECT_TRUE(prof.ProfSlots(1).Running);

    prof.SetProfTimer(1, false);
    EXPECT_EQ(prof.ProfSlots(1).Count, 1u);
    EXPECT_EQ(prof.ProfSlots(1).LastTime, prof.ProfSlots(1).Total);
}

TEST_F(ProfilerTest, StartsOnSlotOneAndReadsTheCounterAtEntryAndExit)
{
    EXPECT_EQ(prof.CurrentSlot(), 1);
    prof.SetProfTimer(10, true); // the first adjustment reads slot 1, which exists
    EXPECT_EQ(prof.CurrentSlot(), 10);
    EXPECT_EQ(prof.ProfSlots(10).Start, prof.T0());
    EXPECT_EQ(prof.T1(), prof.T0() + Cost);
    prof.SetProfTimer(10, false);
    EXPECT_EQ(prof.ProfSlots(10).Start, prof.T0());
}

// A clock whose tick count moves one millisecond each time it is read,
// driving a counter of TicksPerMs: the busy wait ends at once.
class SteppingClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 1, 1), QTime(0, 0)); }
    std::uint64_t tickMs() const override { return ++m_tick; }
    std::uint64_t current() const { return m_tick; }

private:
    mutable std::uint64_t m_tick = 5000;
};

class ClockDrivenCounter final : public TimeStampCounter {
public:
    ClockDrivenCounter(const SteppingClock& clock, std::uint64_t ticksPerMs)
        : m_clock(clock), m_perMs(ticksPerMs) {}
    std::uint64_t read() override { return m_clock.current() * m_perMs; }

private:
    const SteppingClock& m_clock;
    std::uint64_t m_perMs;
};

TEST(CalibrateCpuClock, ConvertsCounterTicksOver400MsIntoMHz)
{
    for (const std::uint64_t perMs : {1'000'000u, 2'933'000u, 50u}) {
        SteppingClock clock;
        ClockDrivenCounter counter(clock, perMs);
        Profiler prof(counter);
        prof.CalibrateCpuClock(clock);
        EXPECT_EQ(prof.T1() - prof.T0(), 400 * perMs);
        EXPECT_NEAR(static_cast<double>(prof.CpuClockMHz()), perMs / 1000.0, 1e-9 * perMs);
    }
}

TEST(AverageProfSamples, IsTheMeanOfTheTwentySamples)
{
    Profiler prof;
    prof.ProfSamples().fill(2933.5L);
    EXPECT_EQ(prof.AverageProfSamples(), 2933.5L);
    for (int i = 0; i < Profiler::SampleCount; ++i)
        prof.ProfSamples()[i] = i; // 0..19
    EXPECT_EQ(prof.AverageProfSamples(), 9.5L);
}

TEST(ComputeCarrySum, AddsEachByteWithThePreviousCarry)
{
    const std::pair<std::vector<std::uint8_t>, std::uint8_t> cases[] = {
        {{0xFF, 0x01, 0x00}, 0x01}, // the carry of FF+01 enters the third addition
        {{0x80}, 0x80},
        {{0x80, 0x80}, 0x00},       // the last carry is dropped
        {{0xFF, 0xFF, 0x00}, 0xFF},
        {{0xFF, 0x00, 0x00}, 0xFF},
        {{0xFF, 0x01, 0xFF}, 0x00}, // 00 + FF + 1 carries again
        {{0x10, 0x20, 0x30}, 0x60},
    };
    for (const auto& [bytes, sum] : cases) {
        EXPECT_EQ(ComputeCarrySum(bytes.data(), static_cast<std::uint32_t>(bytes.size())), sum);
        const QByteArray array(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
        EXPECT_EQ(ComputeCarrySum(array), sum);
    }
}

TEST(ComputeCarrySum, OnlyTheFirstLenBytesCount)
{
    const std::uint8_t bytes[] = {0x01, 0x02, 0xFF};
    EXPECT_EQ(ComputeCarrySum(bytes, 2), 0x03);
}

} // namespace
