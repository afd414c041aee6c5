// The simulated serial device as the base of a simulated line: break, the
// far end's notifications, frames that must match, and DCD's delay.
#include "platform/serial/SimScheduler.h"
#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/VirtualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace korvane::serial;

namespace {

const LineSettings kTelegraph{50, 5, 0, 1};
const LineSettings kCommand{9600, 8, 0, 0};

struct Line {
    explicit Line(LineSettings frame = kTelegraph)
    {
        port = device->open();
        EXPECT_TRUE(port);
        EXPECT_TRUE(port->setLine(frame));
        EXPECT_TRUE(port->setEventMask(0x1FD));
    }
    QByteArray readPort()
    {
        char buf[256];
        const auto n = port->read(buf, sizeof buf);
        return QByteArray(buf, int(n));
    }
    std::uint32_t errors()
    {
        std::uint32_t e = 0;
        QueueStatus st;
        port->clearErrors(e, st);
        return e;
    }
    std::uint32_t events()
    {
        std::uint32_t ev = 0;
        if (port->startWait(ev) == WaitResult::Pending)
            port->finishWait(ev, false);
        return ev;
    }

    VirtualClock clock;
    std::shared_ptr<SimSerialDevice> device = SimSerialDevice::create({&clock, false});
    std::unique_ptr<SerialDevice> port;
};

TEST(SimSerialBreak, NothingThePortSendsPassesWhileItsBreakIsOnAndTheFarEndSeesTheBreak)
{
    Line l;
    l.device->takeLineChanges();
    ASSERT_TRUE(l.port->escape(Escape::SetBreak));
    l.port->write("\x03\x19", 2);
    l.clock.advance(400);
    EXPECT_TRUE(l.device->takeArrivals().empty());
    const auto changes = l.device->takeLineChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].brk);

    ASSERT_TRUE(l.port->escape(Escape::ClrBreak));
    l.port->write("\x03", 1);
    // The character starts half an element (10 ms) after the break, so that
    // the far end sees mark before its start element.
    l.clock.advance(159);
    EXPECT_TRUE(l.device->takeArrivals().empty());
    l.clock.advance(1);
    EXPECT_EQ(l.device->takeReceived(), QByteArray("\x03", 1));
}

TEST(SimSerialBreak, ABreakThatStartsInsideACharacterLosesIt)
{
    Line l;
    l.port->write("\x1f\x01", 2);
    l.clock.advance(160); // the first has gone, the second is on the wire
    ASSERT_TRUE(l.port->escape(Escape::SetBreak));
    l.clock.advance(50);
    ASSERT_TRUE(l.port->escape(Escape::ClrBreak));
    l.clock.advance(500);
    EXPECT_EQ(l.device->takeReceived(), QByteArray("\x1f", 1));
}

TEST(SimSerialBreak, NothingTheFarEndSendsPassesWhileTheInputBreakIsOn)
{
    Line l;
    l.device->setInputBreak(true);
    l.device->send("\x05\x06");
    l.clock.advance(400);
    EXPECT_TRUE(l.readPort().isEmpty());
    EXPECT_NE(l.errors() & ce::Break, 0u);

    l.device->setInputBreak(false);
    l.device->send("\x07");
    l.clock.advance(160);
    EXPECT_EQ(l.readPort(), QByteArray("\x07", 1));
}

TEST(SimSerialFarEnd, TakesOnlyTheNewLineChangesAndHearsOfEachNews)
{
    Line l;
    std::atomic<int> heard{0};
    l.device->setFarEndListener([&] { ++heard; });
    l.device->takeLineChanges();

    l.port->escape(Escape::SetDtr);
    l.port->escape(Escape::SetRts);
    EXPECT_EQ(heard.load(), 2);
    auto first = l.device->takeLineChanges();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_TRUE(first[1].dtr && first[1].rts);

    l.port->escape(Escape::ClrDtr);
    auto second = l.device->takeLineChanges();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_FALSE(second[0].dtr);
    EXPECT_TRUE(l.device->takeLineChanges().empty());
    EXPECT_EQ(l.device->lineChanges().size(), 3u); // the whole history stays

    heard = 0;
    l.port->write("\x01", 1);
    EXPECT_EQ(heard.load(), 1); // a character went on the line
    EXPECT_EQ(l.device->nextFarEndDueUs(), l.clock.nowUs() + 150'000);
    l.clock.advance(150);
    EXPECT_EQ(heard.load(), 2); // and arrived
    EXPECT_EQ(l.device->nextFarEndDueUs(), -1);
}

TEST(SimSerialFrames, EveryArrivalCarriesTheFrameItWasSentIn)
{
    Line l;
    l.port->write("\x11", 1);
    l.clock.advance(150);
    l.port->setLine(kCommand);
    l.port->write("A", 1);
    l.clock.advance(2);
    const auto a = l.device->takeArrivals();
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].frame, kTelegraph);
    EXPECT_EQ(a[1].frame, kCommand);
    EXPECT_EQ(a[1].byte, 'A');
    EXPECT_FALSE(a[0].frameError || a[1].frameError);
}

TEST(SimSerialFrames, AReceiverInAnotherFrameGetsWhatItsSamplesShow)
{
    struct Case {
        const char* what;
        LineSettings sent, far;
        std::uint8_t byte;
        std::vector<std::pair<std::uint8_t, bool>> got; // byte, framing error
    };
    const Case cases[] = {
        {"same frame", kTelegraph, kTelegraph, 0x15, {{0x15, false}}},
        // The 8-bit receiver reads the stop elements and the idle line as ones.
        {"8 data bits for 5", kTelegraph, {50, 5 + 3, 0, 0}, 0x15, {{0xF5, false}}},
        // A 20 ms start element fills a whole 9600 baud frame with space.
        {"9600 for 50", kTelegraph, kCommand, 0x1F, {{0x00, true}}},
        // A 9600 baud character is a glitch to a receiver at 50 baud.
        {"50 for 9600", kCommand, kTelegraph, 'U', {}},
        // An even parity element of space lands where the receiver wants its stop.
        {"parity it does not expect", {50, 5, 2, 0}, {50, 5, 0, 0}, 0x03, {{0x03, true}}},
        {"parity of mark", {50, 5, 2, 0}, {50, 5, 0, 0}, 0x01, {{0x01, false}}},
    };
    for (const Case& c : cases) {
        Line l(c.sent);
        l.device->setFarFrame(c.far);
        l.port->write(&c.byte, 1);
        l.clock.advance(1000);
        const auto a = l.device->takeArrivals();
        ASSERT_EQ(a.size(), c.got.size()) << c.what;
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].byte, c.got[i].first) << c.what;
            EXPECT_EQ(a[i].frameError, c.got[i].second) << c.what;
            EXPECT_EQ(a[i].frame, c.sent) << c.what;
        }
    }
}

TEST(SimSerialFrames, APortAtTheWrongSpeedGarblesWhatTheFarEndSends)
{
    const QByteArray text("\x01\x02\x04\x08\x10\x1b\x1f\x03", 8);
    for (const LineSettings far : {LineSettings{75, 5, 0, 1}, kCommand}) {
        Line l; // the port stays at 50 baud
        l.device->setFarFrame(far);
        l.device->send(text);
        l.clock.advance(3000);
        const QByteArray got = l.readPort();
        EXPECT_NE(got, text) << far.baudRate;
    }
    Line matched;
    matched.device->setFarFrame(kTelegraph);
    matched.device->send(text);
    matched.clock.advance(8 * 150);
    EXPECT_EQ(matched.readPort(), text);
    EXPECT_EQ(matched.errors() & ce::Frame, 0u);
}

TEST(SimSerialFrames, AFramingErrorReachesThePortAsAnError)
{
    Line l(kCommand);
    l.device->setFarFrame(kTelegraph);
    l.device->send("\x1f");
    l.clock.advance(200);
    EXPECT_EQ(l.readPort(), QByteArray(1, '\0'));
    EXPECT_NE(l.events() & ev::Err, 0u);
    EXPECT_NE(l.errors() & ce::Frame, 0u);
}

TEST(SimSerialDcd, FollowsDtrAfterTheSetDelay)
{
    Line l;
    l.device->setDcdFollowsDtr(true, false, 30'000);
    auto dcd = [&] {
        std::uint32_t lines = 0;
        l.port->modemStatus(lines);
        return (lines & ms::RlsdOn) != 0;
    };
    l.events();
    l.port->escape(Escape::SetDtr);
    EXPECT_FALSE(dcd()); // an adapter presence test that reads at once fails
    l.clock.advance(29);
    EXPECT_FALSE(dcd());
    l.clock.advance(1);
    EXPECT_TRUE(dcd());
    EXPECT_NE(l.events() & ev::Rlsd, 0u);
    l.port->escape(Escape::ClrDtr);
    l.clock.advance(30);
    EXPECT_FALSE(dcd());

    l.device->setDcdFollowsDtr(true, false, 0);
    l.port->escape(Escape::SetDtr);
    EXPECT_TRUE(dcd());
}

TEST(SimSerialDcd, OnRealTimeAWaitingPortWakesWhenDcdFollows)
{
    auto device = SimSerialDevice::create();
    auto port = device->open();
    ASSERT_TRUE(port);
    port->setEventMask(ev::Rlsd);
    device->setDcdFollowsDtr(true, false, 20'000);
    std::uint32_t ev = 0;
    ASSERT_EQ(port->startWait(ev), WaitResult::Pending);
    const auto start = std::chrono::steady_clock::now();
    port->escape(Escape::SetDtr);
    ASSERT_EQ(port->finishWait(ev, true), WaitResult::Completed);
    EXPECT_EQ(ev, ev::Rlsd);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}

} // namespace

namespace {

TEST(SimSerialBreak, WhatIsSentIntoALongBreakIsForgottenNotHoarded)
{
    Line l({9600, 8, 0, 0});
    l.port->escape(Escape::SetBreak);
    const QByteArray chunk(1000, 'x');
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        l.port->write(chunk.constData(), std::size_t(chunk.size()));
        l.clock.advance(1100); // the chunk goes out into the break, one catch-up a millisecond
    }
    EXPECT_TRUE(l.device->takeArrivals().empty());
    // Keeping every character of the break would make each millisecond's
    // catch-up look at all of them: minutes instead of well under one.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    l.port->escape(Escape::ClrBreak);
    l.port->write("ok", 2);
    l.clock.advance(10);
    EXPECT_EQ(l.device->takeReceived(), QByteArray("ok"));
}

} // namespace
