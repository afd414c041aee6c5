// Character timing of the simulated line, through the port, on virtual time.
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace korvane;
using namespace korvane::test;

namespace {

void setTelegraphLine(TCommPort& port)
{
    port.SetBaudRate(br____50);
    port.SetDataBits(db5);
    port.SetStopBits(sb1_5);
    port.SetParity(paNone);
}

TEST(SimLineTiming, CharacterTimeFollowsTheFrame)
{
    struct Case {
        serial::LineSettings line;
        std::int64_t us;
    };
    const Case cases[] = {
        {{50, 5, 0, 1}, 150'000},  // telegraph: 1 + 5 + 1.5 bits of 20 ms
        {{50, 5, 0, 0}, 140'000},
        {{9600, 8, 0, 0}, 1'042},  // 10 bits
        {{9600, 8, 2, 2}, 1'250},  // 12 bits
        {{75, 7, 1, 0}, 133'333},  // 10 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(serial::characterMicros(c.line), c.us) << c.line.baudRate << " " << int(c.line.byteSize);
}

TEST(SimLineTiming, TwentyTelegraphCharactersTakeThreeSecondsAndOneTransmitterEmpty)
{
    SteppedPort t;
    setTelegraphLine(t.port());
    t.port().Open();
    ASSERT_TRUE(t.port().Opened());
    std::vector<std::int64_t> txEmpty;
    t.port().OnTxEmptySignal = [&](QObject*) { txEmpty.push_back(t.clock.nowUs()); };

    ASSERT_EQ(t.port().WriteString(QByteArray(20, '\x1f')), 20u);
    t.clock.advance(1); // the writer hands all 20 to the device
    const std::int64_t start = t.clock.nowUs();
    EXPECT_EQ(t.port().GetOutCount(), 0u);
    EXPECT_EQ(t.device().queues().outQueue, 20u);

    t.clock.advance(2999);
    EXPECT_TRUE(txEmpty.empty());
    EXPECT_EQ(t.device().takeArrivals().size(), 19u);
    EXPECT_FALSE(t.device().transmitterEmpty());

    t.clock.advance(1);
    const auto last = t.device().takeArrivals();
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].us - start, 3'000'000);
    ASSERT_EQ(txEmpty.size(), 1u);
    EXPECT_EQ(txEmpty[0], last[0].us); // in the millisecond the last stop bit left

    t.clock.advance(500);
    EXPECT_EQ(txEmpty.size(), 1u);
}

TEST(SimLineTiming, OnRealThreadsTheTransmitterEmptyComesAfterTheLastCharacter)
{
    serial::VirtualClock clock;
    SimPort sim({&clock, false}); // virtual line time, real worker threads
    setTelegraphLine(sim.port);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    std::atomic<int> txEmpty{0};
    sim.port.OnTxEmptySignal = [&](QObject*) { ++txEmpty; };

    sim.port.WriteString(QByteArray(20, '\x03'));
    ASSERT_TRUE(waitUntil([&] { return sim.device->queues().outQueue == 20; }));
    for (int i = 0; i < 19; ++i)
        clock.advance(150);
    pumpFor(30);
    EXPECT_EQ(txEmpty.load(), 0);
    EXPECT_EQ(sim.device->queues().outQueue, 1u);

    clock.advance(150);
    ASSERT_TRUE(waitUntil([&] { return txEmpty.load() == 1; }));
    const auto arrivals = sim.device->takeArrivals();
    ASSERT_EQ(arrivals.size(), 20u);
    EXPECT_EQ(arrivals.back().us - arrivals.front().us, 19 * 150'000);
    pumpFor(30);
    EXPECT_EQ(txEmpty.load(), 1);
}

TEST(SimLineTiming, BytesFromTheFarEndArrivePaced)
{
    SteppedPort t;
    setTelegraphLine(t.port());
    t.port().Open();
    t.device().send(QByteArray("\x01\x02\x03", 3));
    t.clock.advance(149);
    EXPECT_EQ(t.port().InCount(), 0u);
    t.clock.advance(2); // the first arrives at 150 ms; the reader takes it within a millisecond
    EXPECT_EQ(t.port().InCount(), 1u);
    t.clock.advance(300);
    EXPECT_EQ(t.port().InCount(), 3u);
}

} // namespace
