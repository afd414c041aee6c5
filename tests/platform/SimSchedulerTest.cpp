// The scheduler of the simulated devices' far ends, on virtual and real time.
#include "platform/serial/SimScheduler.h"
#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/VirtualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

using namespace korvane::serial;
using namespace std::chrono_literals;

namespace {

template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 10'000ms)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(SimSchedulerVirtual, RunsAStepWhenItIsDueOrWokenAndNeverAfterItsRegistrationEnds)
{
    VirtualClock clock;
    SimScheduler scheduler(&clock);
    std::vector<std::int64_t> runs;
    std::int64_t every = 25'000;
    auto reg = scheduler.add([&](std::int64_t now) {
        runs.push_back(now);
        return every < 0 ? -1 : now + every;
    });
    clock.advance(60);
    EXPECT_EQ(runs, (std::vector<std::int64_t>{1'000, 26'000, 51'000}));

    every = -1; // from its next run on: only when woken
    runs.clear();
    clock.advance(100);
    EXPECT_EQ(runs, (std::vector<std::int64_t>{76'000}));
    runs.clear();
    clock.advance(100);
    EXPECT_TRUE(runs.empty());
    scheduler.wake();
    clock.advance(3);
    EXPECT_EQ(runs, (std::vector<std::int64_t>{261'000}));

    reg.reset();
    scheduler.wake();
    clock.advance(10);
    EXPECT_EQ(runs.size(), 1u);
}

TEST(SimSchedulerVirtual, AStepMayEndItsOwnRegistration)
{
    VirtualClock clock;
    SimScheduler scheduler(&clock);
    int runs = 0;
    SimScheduler::Registration reg;
    reg = scheduler.add([&](std::int64_t now) {
        ++runs;
        reg.reset();
        return now + 1000;
    });
    clock.advance(5);
    EXPECT_EQ(runs, 1);
}

TEST(SimSchedulerRealTime, SleepsUntilTheDueTimeAndWakesOnRequest)
{
    SimScheduler scheduler;
    std::mutex m;
    std::vector<std::int64_t> runs;
    std::atomic<std::int64_t> dueAt{-1};
    const std::int64_t start = SimScheduler::realTimeUs();
    auto reg = scheduler.add([&](std::int64_t now) {
        std::lock_guard lock(m);
        runs.push_back(now);
        return dueAt.exchange(-1);
    });
    ASSERT_TRUE(eventually([&] { std::lock_guard lock(m); return runs.size() == 1; }));

    const std::int64_t due = SimScheduler::realTimeUs() + 30'000;
    dueAt = due;
    scheduler.wake();
    ASSERT_TRUE(eventually([&] { std::lock_guard lock(m); return runs.size() == 3; }));
    {
        std::lock_guard lock(m);
        EXPECT_GE(runs[0], start);
        EXPECT_GE(runs[2], due); // not before it was due
    }
    std::this_thread::sleep_for(50ms);
    std::lock_guard lock(m);
    EXPECT_EQ(runs.size(), 3u); // nothing due, nothing woken: it sleeps
}

TEST(SimSchedulerRealTime, EndingARegistrationWaitsForTheRunningStep)
{
    SimScheduler scheduler;
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
    auto reg = scheduler.add([&](std::int64_t) {
        inside = true;
        std::this_thread::sleep_for(50ms);
        finished = true;
        return -1;
    });
    ASSERT_TRUE(eventually([&] { return inside.load(); }));
    reg.reset();
    EXPECT_TRUE(finished.load());
}

// A far end on real time, driven as the program's demo run drives it: the
// device's listener wakes the scheduler and the step sleeps until the next
// character is due.
TEST(SimSchedulerRealTime, DrivesAFarEndThatCollectsWhatThePortSends)
{
    SimScheduler scheduler;
    auto device = SimSerialDevice::create();
    device->setFarEndListener([&] { scheduler.wake(); });
    std::mutex m;
    QByteArray got;
    auto reg = scheduler.add([&](std::int64_t) {
        const QByteArray bytes = device->takeReceived();
        std::lock_guard lock(m);
        got += bytes;
        return device->nextFarEndDueUs();
    });
    auto port = device->open();
    ASSERT_TRUE(port);
    ASSERT_TRUE(port->setLine({1200, 8, 0, 0}));
    ASSERT_EQ(port->write("HELLO", 5), 5);
    EXPECT_TRUE(eventually([&] { std::lock_guard lock(m); return got == "HELLO"; }));
}

} // namespace
