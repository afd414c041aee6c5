// A channel-like user of the port on virtual time: one character per
// transmitter-empty event, bytes read on data available, line states set and
// watched, against a distant station that answers on the simulated line.
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

// Sends its text one character per transmitter-empty event, collects what
// arrives, and follows the input line through the ring event, the way the
// engine drives a telegraph line.
struct ChannelLike {
    explicit ChannelLike(TCommPort& p) : port(p)
    {
        port.OnTxEmptySignal = [this](QObject*) { sendNext(); };
        port.OnDataAvail = [this](QObject*, int count) {
            for (int i = 0; i < count; ++i)
                received.append(static_cast<char>(port.ReadByte()));
        };
        port.OnRingSignal = [this](QObject*) { ringEvents++; };
    }
    void send(const QByteArray& text)
    {
        pending = text;
        sendNext();
    }
    void sendNext()
    {
        if (pending.isEmpty())
            return;
        port.WriteByte(static_cast<std::uint8_t>(pending.front()));
        pending.remove(0, 1);
    }

    TCommPort& port;
    QByteArray pending;
    QByteArray received;
    int ringEvents = 0;
};

// The distant station: answers the calling condition (break off) with its
// input line '+' (RI on) and echoes every character, all on the clock.
struct EchoStation {
    EchoStation(serial::VirtualClock& clock, serial::SimSerialDevice& line)
        : tick(clock.subscribe([&line] {
              if (!line.breakOn() && line.isOpen())
                  line.setRing(true);
              const QByteArray got = line.takeReceived();
              if (!got.isEmpty())
                  line.send(got);
          }))
    {
    }
    serial::VirtualClock::Subscription tick;
};

TEST(CommPortVirtualTime, AChannelRunsDeterministicallyOnTheClock)
{
    SteppedPort t;
    t.port().Open();
    t.port().SetParams(br____50, db5, sb1_5, paNone);
    t.port().SetDTRState(true);
    t.port().SetBreak(true); // line at '-'
    ChannelLike channel(t.port());
    EchoStation station(t.clock, t.device());

    t.clock.advance(100);
    EXPECT_FALSE(t.port().GetRing());
    t.port().SetBreak(false); // seize the line
    t.clock.advance(10);
    EXPECT_TRUE(t.port().RingState());
    EXPECT_EQ(channel.ringEvents, 2); // the change, and the device's own report

    channel.send(QByteArray("\x10\x11\x12\x13\x14", 5));
    // Five characters back to back from 111 ms, each echoed when it has
    // arrived and back 150 ms later: at 411, 561, 711, 861 and 1011 ms.
    t.clock.advance(750); // to 860 ms
    EXPECT_EQ(channel.received, QByteArray("\x10\x11\x12", 3));
    t.clock.advance(152);
    EXPECT_EQ(channel.received, QByteArray("\x10\x11\x12\x13\x14", 5));

    const auto changes = t.device().lineChanges();
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_TRUE(changes[0].dtr && !changes[0].brk);
    EXPECT_TRUE(changes[1].dtr && changes[1].brk);
    EXPECT_TRUE(changes[2].dtr && !changes[2].brk);
    EXPECT_EQ(changes[2].us, 100'000);
}

TEST(CommPortVirtualTime, TwoRunsGiveTheSameTranscript)
{
    auto run = [] {
        SteppedPort t;
        t.port().SetBaudRate(br__1200);
        t.port().Open();
        ChannelLike channel(t.port());
        EchoStation station(t.clock, t.device());
        channel.send("the quick brown fox");
        std::vector<std::pair<std::int64_t, int>> transcript;
        for (int ms = 0; ms < 400; ++ms) {
            t.clock.advance(1);
            transcript.emplace_back(t.clock.nowUs(), static_cast<int>(channel.received.size()));
        }
        EXPECT_EQ(channel.received, QByteArray("the quick brown fox"));
        return transcript;
    };
    EXPECT_EQ(run(), run());
}

TEST(CommPortVirtualTime, AHandlerMayCloseAndReopenThePort)
{
    SteppedPort t;
    t.port().Open();
    int closes = 0;
    t.port().OnClose = [&](QObject*) { ++closes; };
    bool reopened = false;
    t.port().OnCTSSignal = [&](QObject*) {
        if (reopened)
            return;
        reopened = true;
        t.port().Close();
        t.port().Open();
    };
    t.device().setCts(true);
    t.clock.advance(5);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(t.port().Opened());
    EXPECT_TRUE(t.device().isOpen());
    // The reopened port works: a character goes out.
    t.port().OnCTSSignal = nullptr;
    t.port().WriteByte(7);
    t.clock.advance(5);
    EXPECT_EQ(t.device().takeReceived(), QByteArray("\x07", 1));
}

} // namespace
