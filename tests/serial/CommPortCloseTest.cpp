// Closing: threads, events still in flight, queued output, concurrent callers.
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using namespace korvane;
using namespace korvane::test;

namespace {

TEST(CommPortClose, CloseRunsTheEventsStillInFlight)
{
    SimPort sim;
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    QStringList log;
    sim.port.OnCTSSignal = [&](QObject*) { log << "CTS"; };
    sim.port.OnClose = [&](QObject*) { log << "Close"; };
    sim.device->setCts(true);
    // The status thread reads the new CTS state and goes straight on to raise
    // the event, which waits for the main thread; the main thread does not
    // run its event loop here (no processEvents), so Close must serve the
    // event instead of deadlocking.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!sim.port.CTSState() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(sim.port.CTSState());
    EXPECT_TRUE(log.isEmpty());
    sim.port.Close();
    EXPECT_EQ(log, (QStringList{"CTS", "Close"}));
}

TEST(CommPortClose, AHandlerMayCloseThePortOfItsWorker)
{
    serial::VirtualClock clock;
    SimPort sim({&clock, false});
    sim.port.SetBaudRate(br__9600);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    int closes = 0;
    sim.port.OnClose = [&](QObject*) { ++closes; };
    sim.port.OnDataAvail = [&](QObject*, int) { sim.port.Close(); };
    sim.device->send("x");
    clock.advance(5);
    ASSERT_TRUE(waitUntil([&] { return !sim.port.Opened(); }));
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(sim.device->isOpen());
    sim.port.Open(); // and it opens again
    EXPECT_TRUE(sim.port.Opened());
}

TEST(CommPortClose, QueuedOutputIsDroppedSoThatCloseDoesNotWait)
{
    serial::VirtualClock clock;
    SimPort sim({&clock, false});
    sim.port.SetBaudRate(br____50);
    sim.port.SetDataBits(db5);
    sim.port.SetStopBits(sb1_5);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    ASSERT_EQ(sim.port.Write(QByteArray(4000, '\x05').constData(), 4000), 4000u);
    ASSERT_TRUE(waitUntil([&] { return sim.device->queues().outQueue == 4000; }));
    clock.advance(1000); // six characters have left, the seventh is on the wire

    const auto before = std::chrono::steady_clock::now();
    sim.port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(2000));
    EXPECT_EQ(sim.device->purgedBytes(), 4000u - 7u);
    clock.advance(10'000); // nothing more goes out after the close
    EXPECT_EQ(sim.device->takeReceived().size(), 7);
}

TEST(CommPortClose, CallersOnAnotherThreadSurviveCloseAndOpen)
{
    // A fixed amount of work on every side, so that a busy machine makes the
    // test slower, never longer: the line's time is virtual and moves by the
    // same steps each cycle (the port's threads stay real), the tick makes
    // its rounds, and each open and close of the port waits for some of
    // them to have run in between.
    serial::VirtualClock clock;
    SimPort sim({&clock, false});
    sim.port.SetBaudRate(br115200);
    constexpr int Cycles = 15;
    constexpr long RoundsPerCycle = 20;
    constexpr long AllRounds = Cycles * RoundsPerCycle;
    std::atomic<long> rounds{0};
    // Until N more rounds of the tick have run, or all of them.
    auto roundsRun = [&](long n) {
        const long until = std::min(rounds.load() + n, AllRounds);
        return waitUntil([&] { return rounds.load() >= until; }, 600'000);
    };
    std::atomic<long> accepted{0};
    // The engine's fast tick writes and drives the lines from its own thread.
    std::thread tick([&] {
        const QByteArray chunk(64, 'w');
        for (long i = 0; i < AllRounds; ++i) {
            accepted += sim.port.Write(chunk.constData(), static_cast<std::uint32_t>(chunk.size()));
            sim.port.WriteByte(1);
            sim.port.SetBreak(true);
            sim.port.SetRTS(false);
            sim.port.ReadByte();
            (void)sim.port.GetOutCount();
            ++rounds;
            // As the fast tick does, between its rounds the thread lets the
            // others run: a caller that never pauses starves Open and Close
            // of the port's lock under a slow (sanitized) build.
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    for (int i = 0; i < Cycles; ++i) {
        sim.port.Open();
        ASSERT_TRUE(sim.port.Opened());
        clock.advance(5);
        EXPECT_TRUE(roundsRun(RoundsPerCycle / 2));
        sim.port.Close();
        EXPECT_EQ(sim.port.GetOutCount(), 0u);
        EXPECT_TRUE(roundsRun(RoundsPerCycle / 4));
    }
    tick.join();
    EXPECT_GT(accepted.load(), 0);
}

} // namespace
