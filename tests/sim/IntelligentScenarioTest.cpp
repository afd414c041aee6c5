// Scenarios of the intelligent adapter: their statements, and the network
// they build behind a port.

#include "sim/IntelligentAdapter.h"
#include "sim/Scenario.h"
#include "sim/SimNetwork.h"

#include "platform/serial/SerialDevice.h"
#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/VirtualClock.h"

#include <gtest/gtest.h>

#include <chrono>

#include <sys/resource.h>

using namespace korvane;
using namespace korvane::sim;

namespace {

TEST(IntelligentScenario, ReadsTheAdapterStatements)
{
    QString error;
    const auto s = Scenario::parse("adapter tarvelox\n"
                                   "program refused\n"
                                   "stored 7 $ABC <_\n"
                                   "line-state 3 2\n"
                                   "fault ATGETT split\n"
                                   "fault ATTEST noreply 2\n",
                                   &error);
    ASSERT_TRUE(s) << error.toStdString();
    ASSERT_TRUE(s->intelligent);
    const IntelligentAdapterConfig& a = *s->intelligent;
    EXPECT_EQ(a.program, IntelligentAdapterConfig::Program::Refused);
    ASSERT_EQ(a.stored.size(), 1u);
    EXPECT_EQ(a.stored[0].number, 7);
    EXPECT_EQ(a.stored[0].text, "$ABC <_");
    EXPECT_EQ(a.lineState, 3);
    EXPECT_EQ(a.lineStatePolls, 2);
    ASSERT_EQ(a.faults.size(), 2u);
    EXPECT_EQ(a.faults[1].command, "ATTEST");
    EXPECT_EQ(a.faults[1].fault, std::uint8_t(IntelligentAdapter::Fault::NoReply));
    EXPECT_EQ(a.faults[1].times, 2);
}

TEST(IntelligentScenario, RefusesWhatItCannotRunAndSaysWhere)
{
    const std::pair<const char*, const char*> cases[] = {
        {"program absent\n", "line 1: \"program\" before \"adapter tarvelox\""},
        {"adapter ormak\n", "line 1: adapter tarvelox expected"},
        {"adapter tarvelox\nprogram maybe\n", "line 2: program present, absent or refused expected"},
        {"adapter tarvelox\nstored 1\n", "line 2: stored <number> <text> expected"},
        {"adapter tarvelox\nline-state 9 1\n", "line 2: line-state <0..8> <polls> expected"},
        {"adapter tarvelox\nfault attest short\n",
         "line 2: fault <ATxxxx> noreply|short|garbage|split|long [times] expected"},
        // Numbers too large for their statement are refused, never cut to fit.
        {"adapter tarvelox\nline-state 3 4294967298\n", "line 2: line-state <0..8> <polls> expected"},
        {"adapter tarvelox\nline-state 3 2147483648\n", "line 2: line-state <0..8> <polls> expected"},
        {"adapter tarvelox\n\nfault ATTEST noreply 4294967297\n",
         "line 3: fault <ATxxxx> noreply|short|garbage|split|long [times] expected"},
        {"adapter tarvelox\nstored 4294967297 $A\n", "line 2: stored <number> <text> expected"},
    };
    for (const auto& [text, why] : cases) {
        QString error;
        EXPECT_FALSE(Scenario::parse(text, &error)) << text;
        EXPECT_EQ(error, QString::fromUtf8(why)) << text;
    }
}

// The largest counts a scenario can give cost the adapter no memory or
// work of their own: a fault repeated 2147483647 times, and as many polls
// of a busy line, are each one count.
TEST(IntelligentScenario, HugeCountsCostNoMemoryOfTheirOwn)
{
    const auto peakKb = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return std::int64_t(u.ru_maxrss);
    };
    QString error;
    const auto s = Scenario::parse("adapter tarvelox\n"
                                   "line-state 5 2147483647\n"
                                   "fault ATTEST noreply 2147483647\n"
                                   "fault ATTEST short 2000000000\n",
                                   &error);
    ASSERT_TRUE(s) << error.toStdString();
    EXPECT_EQ(s->intelligent->lineStatePolls, 2147483647);
    EXPECT_EQ(s->intelligent->faults[0].times, 2147483647);

    const std::int64_t before = peakKb();
    serial::VirtualClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    serial::SimScheduler scheduler(&clock);
    SimNetwork network(*s, scheduler);
    // A queue entry per repetition would take gigabytes.
    EXPECT_LT(peakKb() - before, 64 * 1024);

    auto port = network.device()->open();
    ASSERT_TRUE(port);
    port->setLine({9600, 8, 0, 0});
    port->escape(serial::Escape::ClrBreak);
    port->escape(serial::Escape::SetRts);
    char reply[16] = {};
    for (int i = 0; i < 3; ++i) {
        port->write("ATTEST.", 7);
        clock.advance(50);
        EXPECT_EQ(port->read(reply, sizeof reply), 0) << i; // the first fault, again and again
        port->write("ATTLXS.", 7);
        clock.advance(50);
        ASSERT_EQ(port->read(reply, sizeof reply), 7) << i;
        EXPECT_EQ(reply[0], 5) << i;
    }
}

TEST(IntelligentScenario, TheBuiltInAdapterAnswersBehindTheDeviceWithItsTelegramsStored)
{
    serial::VirtualClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    serial::SimScheduler scheduler(&clock);
    const auto scenario = Scenario::load("tarvelox");
    ASSERT_TRUE(scenario);
    SimNetwork network(*scenario, scheduler);
    IntelligentAdapter* adapter = network.intelligentAdapter();
    ASSERT_NE(adapter, nullptr);
    ASSERT_EQ(adapter->stored().size(), 2u);
    EXPECT_EQ(adapter->stored()[0].Received, QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    EXPECT_EQ(adapter->stored()[0].Codes.left(5), QByteArray("\x1f\x11\x0e\x11\x0e", 5)); // $ZCZC

    auto port = network.device()->open();
    ASSERT_TRUE(port);
    port->setLine({9600, 8, 0, 0});
    port->escape(serial::Escape::ClrBreak);
    port->escape(serial::Escape::SetRts);
    port->write("ATTEST.", 7);
    clock.advance(50);
    char reply[16] = {};
    EXPECT_EQ(port->read(reply, sizeof reply), 6);
    EXPECT_EQ(reply[4], 7); // 128 KB and its program running
}

// On real time the adapter runs on the scheduler's own thread while the
// port and the test call it from theirs.
TEST(IntelligentScenario, AnswersOnRealTime)
{
    serial::SimScheduler scheduler;
    const auto scenario = Scenario::load("tarvelox-load");
    ASSERT_TRUE(scenario);
    SimNetwork network(*scenario, scheduler);
    auto port = network.device()->open();
    ASSERT_TRUE(port);
    port->setLine({9600, 8, 0, 0});
    port->escape(serial::Escape::ClrBreak);
    port->escape(serial::Escape::SetRts);
    port->write("ATTEST.", 7);
    QByteArray reply;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (reply.size() < 6 && std::chrono::steady_clock::now() < deadline) {
        port->waitInput(true, 100);
        char buf[16];
        const std::int64_t n = port->read(buf, sizeof buf);
        if (n > 0)
            reply.append(buf, int(n));
    }
    EXPECT_EQ(reply.toHex(' '), "02 01 00 00 03 00");
    EXPECT_FALSE(network.intelligentAdapter()->programPresent());
    EXPECT_EQ(network.intelligentAdapter()->transcript().value(1), "> ATTEST.");
}

} // namespace
