#include "platform/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace korvane;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;
using std::chrono::steady_clock;

namespace {

// Polls Condition until it holds or Limit has passed (a limit for a test
// gone wrong, far beyond what a busy machine takes).
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 60s)
{
    const auto end = steady_clock::now() + limit;
    while (!condition()) {
        if (steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

} // namespace

TEST(PeriodicDeadline, LateWakeUpsSkipToTheNextDeadlineOfTheGrid)
{
    struct Case {
        std::int64_t deadline, now, period, next;
    };
    const Case cases[] = {
        {100, 101, 10, 110}, // on time
        {100, 100, 10, 110},
        {100, 109, 10, 110}, // late, but before the next deadline
        {100, 110, 10, 120}, // the next deadline reached: skipped
        {100, 135, 10, 140}, // three missed
        {100, 99, 10, 110},  // early
        {0, 1'000'000'007, 10'000'000, 1'010'000'000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextPeriodicDeadline(nanoseconds(c.deadline), nanoseconds(c.now), nanoseconds(c.period)).count(),
                  c.next)
            << c.deadline << " at " << c.now;
}

TEST(PeriodicTimer, TicksAtItsPeriod)
{
    std::atomic<int> ticks = 0;
    PeriodicTimer timer(10ms, [&] { ++ticks; });
    EXPECT_FALSE(timer.running());
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(ticks, 0) << "not running before start";

    // A busy machine may skip deadlines, never add ticks: however long the
    // first 30 ticks take, there are no more than the periods that passed.
    const auto begin = steady_clock::now();
    timer.start();
    EXPECT_TRUE(timer.running());
    EXPECT_TRUE(eventually([&] { return ticks >= 30; }));
    timer.stop();
    const auto elapsed = steady_clock::now() - begin;

    const int most = int(elapsed / 10ms) + 1;
    EXPECT_LE(ticks, most);
}

TEST(PeriodicTimer, ALateTickBringsNoBurstOfCatchUpTicks)
{
    std::atomic<int> ticks = 0;
    PeriodicTimer timer(10ms, [&] {
        if (++ticks == 3)
            std::this_thread::sleep_for(150ms);
    });
    const auto begin = steady_clock::now();
    timer.start();
    EXPECT_TRUE(eventually([&] { return ticks >= 10; }));
    timer.stop();
    const auto elapsed = steady_clock::now() - begin;

    // Catching up would make up for the 15 deadlines lost in the slow tick.
    const int most = int((elapsed - 150ms) / 10ms) + 2;
    EXPECT_LE(ticks, most);
}

TEST(PeriodicTimer, StopWaitsForTheTickInProgressAndNoTickFollows)
{
    std::atomic<int> ticks = 0;
    std::atomic<bool> inside = false;
    std::atomic<bool> finished = false;
    PeriodicTimer timer(5ms, [&] {
        ++ticks;
        if (ticks == 1) {
            inside = true;
            std::this_thread::sleep_for(100ms);
            finished = true;
        }
    });
    timer.start();
    ASSERT_TRUE(eventually([&] { return inside.load(); }));
    timer.stop();
    EXPECT_TRUE(finished) << "stop returned while the callback was still running";
    EXPECT_FALSE(timer.running());

    const int atStop = ticks;
    std::this_thread::sleep_for(40ms);
    EXPECT_EQ(ticks, atStop);
}

TEST(PeriodicTimer, StartsAndStopsAgainAndAgain)
{
    std::atomic<int> ticks = 0;
    PeriodicTimer timer(2ms, [&] { ++ticks; });
    for (int round = 0; round < 15; ++round) {
        const int before = ticks;
        timer.start();
        timer.start(); // no second thread
        ASSERT_TRUE(eventually([&] { return ticks > before; })) << "round " << round;
        timer.stop();
        timer.stop();
        EXPECT_FALSE(timer.running());
        const int atStop = ticks;
        std::this_thread::sleep_for(6ms);
        EXPECT_EQ(ticks, atStop) << "round " << round;
    }
}

TEST(PeriodicTimer, DestructionStopsTheTimer)
{
    std::atomic<int> ticks = 0;
    {
        PeriodicTimer timer(2ms, [&] { ++ticks; });
        timer.start();
        ASSERT_TRUE(eventually([&] { return ticks > 0; }));
    }
    const int atEnd = ticks;
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(ticks, atEnd);
}
