// The simulated intelligent adapter seen from the port: its command mode,
// its replies, its program and settings loads, its memory of stored
// telegrams and its injected faults, on virtual time.

#include "sim/IntelligentAdapter.h"

#include "platform/serial/SerialDevice.h"
#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/VirtualClock.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::serial;
using Adapter = sim::IntelligentAdapter;

namespace {

class IntelligentAdapterTest : public ::testing::Test {
protected:
    IntelligentAdapterTest()
    {
        port = device->open();
        port->setQueueSizes(8192, 8192);
        port->setLine({9600, 8, 0, 0});
        CommandMode(true);
    }
    void CommandMode(bool on)
    {
        port->escape(on ? Escape::ClrBreak : Escape::SetBreak);
        port->escape(on ? Escape::SetRts : Escape::ClrRts);
    }
    // Sends Bytes and returns what came back within Ms.
    QByteArray Ask(const QByteArray& bytes, int ms = 100)
    {
        port->write(bytes.constData(), std::size_t(bytes.size()));
        clock.advance(ms);
        return Input();
    }
    QByteArray Input()
    {
        char buf[8192];
        const std::int64_t n = port->read(buf, sizeof buf);
        return QByteArray(buf, int(std::max<std::int64_t>(n, 0)));
    }
    bool Dcd()
    {
        std::uint32_t lines = 0;
        port->modemStatus(lines);
        return (lines & ms::RlsdOn) != 0;
    }

    VirtualClock clock{QDateTime(QDate(2026, 12, 10), QTime(9, 0))};
    SimScheduler scheduler{&clock};
    std::shared_ptr<SimSerialDevice> device = SimSerialDevice::create({&clock, false});
    Adapter adapter{device, scheduler};
    std::unique_ptr<SerialDevice> port;
};

TEST_F(IntelligentAdapterTest, AnswersTheTestWithItsVersionMemoryAndProgram)
{
    adapter.setVersion(3, 7);
    adapter.setMemoryCode(1);
    EXPECT_EQ(Ask("ATTEST.").toHex(' '), "03 07 00 00 01 00");
    adapter.setProgramPresent(true);
    EXPECT_EQ(Ask("ATTEST.").toHex(' '), "03 07 00 00 05 00");
}

TEST_F(IntelligentAdapterTest, ListensOnlyInCommandModeAndInItsOwnFrame)
{
    CommandMode(false);
    EXPECT_TRUE(Ask("ATTEST.").isEmpty());
    CommandMode(true);
    EXPECT_EQ(Ask("ATTEST.").size(), 6);
    port->setLine({1200, 8, 0, 0}); // the wrong speed garbles the command
    EXPECT_TRUE(Ask("ATTEST.").isEmpty());
    port->setLine({9600, 8, 0, 0});
    EXPECT_EQ(Ask("xxATTEST.").size(), 6); // stray bytes before a command are skipped
}

TEST_F(IntelligentAdapterTest, ItsCarrierIsTheInverseOfDtr)
{
    port->escape(Escape::SetDtr);
    clock.advance(1);
    EXPECT_FALSE(Dcd());
    port->escape(Escape::ClrDtr);
    clock.advance(1);
    EXPECT_TRUE(Dcd());
}

TEST_F(IntelligentAdapterTest, TakesItsClockSettingsAndModes)
{
    EXPECT_TRUE(Ask(QByteArray::fromHex("41 54 44 41 54 45 2c 1a 00 2c 0c 00 2c 0b 00 2e")).isEmpty());
    EXPECT_TRUE(Ask(QByteArray::fromHex("41 54 54 49 4d 45 2c 02 00 2c 05 00 2c 09 00 2e")).isEmpty());
    EXPECT_EQ(adapter.clock().date(), QDate(2026, 12, 11));
    EXPECT_EQ(adapter.clock().time().toString("hh:mm"), "09:05");
    Ask(QByteArray::fromHex("41 54 4c 4f 41 44 2c 20 00 2c a0 2e 2e") + QByteArray(32, '\x1b'));
    EXPECT_EQ(adapter.settingsBlock(), QByteArray(32, '\x1b'));
    Ask(QByteArray::fromHex("41 54 4c 4f 44 4f 2c 01 00 2c 03 80 2e"));
    EXPECT_EQ(adapter.modes(), 0x80030001u);
}

TEST_F(IntelligentAdapterTest, AProgramStartsWhenItsBodyAddsUp)
{
    const QByteArray file = Adapter::MakeProgramFile(1000);
    const QByteArray load = "ATLOAD," + file.mid(0, 2) + "," + file.mid(2, 2) + "," + file.mid(4, 2) + ".";
    QByteArray bad = file.mid(6);
    bad[500] = char(bad[500] ^ 1);
    Ask(load + bad, 1200);
    EXPECT_FALSE(adapter.programPresent());
    Ask(load + file.mid(6, 400), 500); // in blocks
    Ask(file.mid(406), 800);
    EXPECT_TRUE(adapter.programPresent());
    EXPECT_EQ(adapter.programLoads(), 2);
    EXPECT_EQ(adapter.program(), file.mid(6));
}

TEST_F(IntelligentAdapterTest, HandsOverItsStoredTelegramsOldestFirst)
{
    adapter.storeTelegram({4, QDateTime(QDate(2026, 12, 9), QTime(23, 59, 58)), QByteArray("\x1f\x03", 2)});
    Ask(QByteArray::fromHex("41 54 44 41 54 45 2c 1a 00 2c 0c 00 2c 0a 00 2e")); // 2026-12-10
    Ask(QByteArray::fromHex("41 54 54 49 4d 45 2c 00 00 2c 10 00 2c 0a 00 2e")); // 10:16:00
    clock.advance(3000);
    adapter.receiveTelegram(QByteArray(300, '\x03')); // came in while no program listened
    EXPECT_EQ(Ask("ATTLXS.").toHex(' '), "00 00 02 00 bc fe 01"); // 131072 - 13 - 311
    EXPECT_EQ(Ask("ATHTEL.").toHex(' '), "04 1a 0c 09 00 3a 3b 17 00 02 00");
    EXPECT_EQ(Ask("ATGETT.").toHex(' '), "04 1a 0c 09 00 3a 3b 17 00 02 00 1f 03");
    EXPECT_EQ(Ask("ATDELT."), "OK");
    EXPECT_EQ(Ask("ATHTEL.").toHex(' '), "05 1a 0c 0a 00 03 10 0a 00 2c 01");
    EXPECT_EQ(Ask("ATGETT.", 400).size(), 311);
    EXPECT_EQ(adapter.stored().size(), 1u);
}

TEST_F(IntelligentAdapterTest, ReportsABusyLineForAsManyPollsAsTold)
{
    adapter.setLineState(5, 2);
    EXPECT_EQ(Ask("ATTLXS.").at(0), 5);
    EXPECT_EQ(Ask("ATTLXS.").at(0), 5);
    EXPECT_EQ(Ask("ATTLXS.").at(0), 0);
}

TEST_F(IntelligentAdapterTest, InjectedFaultsSpoilTheNextReplyOnly)
{
    const QByteArray good = Ask("ATTEST.");
    adapter.injectFault("ATTEST", Adapter::Fault::NoReply);
    EXPECT_TRUE(Ask("ATTEST.").isEmpty());
    adapter.injectFault("ATTEST", Adapter::Fault::ShortReply);
    EXPECT_EQ(Ask("ATTEST."), good.left(3));
    adapter.injectFault("ATTEST", Adapter::Fault::Garbage);
    const QByteArray garbage = Ask("ATTEST.");
    EXPECT_EQ(garbage.size(), good.size());
    EXPECT_NE(garbage, good);
    adapter.injectFault("ATTEST", Adapter::Fault::SplitReply);
    EXPECT_EQ(Ask("ATTEST.", 20), good.left(3)); // the second part follows after a pause
    clock.advance(100);
    EXPECT_EQ(Input(), good.mid(3));
    adapter.injectFault("ATTEST", Adapter::Fault::LongReply);
    const QByteArray longer = Ask("ATTEST.");
    EXPECT_EQ(longer.left(good.size()), good); // the reply, then its tail of noise
    EXPECT_EQ(longer.size(), good.size() + Adapter::LongReplyTail);
    EXPECT_EQ(Ask("ATTEST."), good);
}

TEST_F(IntelligentAdapterTest, RepeatedFaultsComeInTheOrderInjected)
{
    const QByteArray good = Ask("ATTEST.");
    adapter.injectFault("ATTEST", Adapter::Fault::NoReply, 2);
    adapter.injectFault("ATTEST", Adapter::Fault::ShortReply, 3);
    EXPECT_EQ(Ask("ATTLXS.").size(), 7); // another command's replies stay whole
    EXPECT_TRUE(Ask("ATTEST.").isEmpty());
    EXPECT_TRUE(Ask("ATTEST.").isEmpty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Ask("ATTEST."), good.left(3)) << i;
    EXPECT_EQ(Ask("ATTEST."), good);
}

} // namespace
