// Buffers, properties and the open/close cycle of the serial port.
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

TEST(CommPortParams, ANewPortHasTheComponentDefaults)
{
    TCommPort port;
    EXPECT_EQ(port.ComNumber(), cnCOM2);
    EXPECT_EQ(port.BaudRate(), br_19200);
    EXPECT_EQ(port.Parity(), paNone);
    EXPECT_EQ(port.StopBits(), sb1_0);
    EXPECT_EQ(port.DataBits(), db8);
    EXPECT_EQ(port.InBuffSize(), 4096u);
    EXPECT_EQ(port.OutBuffSize(), 4096u);
    EXPECT_EQ(port.StatusInterval(), 1);
    EXPECT_EQ(port.ReadInterval(), 1);
    EXPECT_EQ(port.WriteInterval(), 1);
    EXPECT_FALSE(port.Opened());
    EXPECT_EQ(port.GetOutCount(), 0u);
}

TEST(CommPortParams, EachEnumerationValueReachesTheDeviceAsItsTableValue)
{
    SimPort sim;
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    const std::uint32_t bauds[] = {50,    75,    100,   110,   150,   200,    300,    600,    1200,   2400,
                                   4800,  9600,  14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int b = br____50; b <= br256000; ++b) {
        sim.port.SetParams(static_cast<TBaudRate>(b), db8, sb1_0, paNone);
        EXPECT_EQ(sim.device->line().baudRate, bauds[b]) << "TBaudRate " << b;
    }
    struct Frame {
        TDataBits dataBits;
        TStopBits stopBits;
        TParity parity;
        serial::LineSettings line; // 9600 bit/s
    };
    const Frame frames[] = {
        {db5, sb1_5, paNone, {9600, 5, 0, 1}}, {db6, sb1_0, paOdd, {9600, 6, 1, 0}},
        {db7, sb2_0, paEven, {9600, 7, 2, 2}}, {db8, sb1_0, paMark, {9600, 8, 3, 0}},
        {db8, sb2_0, paSpace, {9600, 8, 4, 2}},
    };
    for (const Frame& f : frames) {
        sim.port.SetParams(br__9600, f.dataBits, f.stopBits, f.parity);
        EXPECT_EQ(sim.device->line(), f.line) << int(f.dataBits) << " " << int(f.stopBits) << " " << int(f.parity);
    }
    // Four data bits: the table says 4, and the device refuses it.
    sim.port.SetParams(br__9600, db4, sb1_0, paNone);
    EXPECT_EQ(sim.port.DataBits(), db4);
    EXPECT_EQ(sim.device->line(), (serial::LineSettings{9600, 8, 4, 2}));
    EXPECT_TRUE(sim.port.LastError().contains(QStringLiteral("4 data bits"))) << sim.port.LastError().toStdString();
}

TEST(CommPortParams, SetParamsOnAClosedPortChangesNothing)
{
    SimPort sim;
    sim.port.SetParams(br____50, db5, sb1_5, paEven);
    EXPECT_EQ(sim.port.BaudRate(), br_19200);
    EXPECT_EQ(sim.port.DataBits(), db8);
    EXPECT_EQ(sim.port.StopBits(), sb1_0);
    EXPECT_EQ(sim.port.Parity(), paNone);
}

TEST(CommPortParams, SettersStoreWhileClosedAndOpenAppliesThemInOneUpdate)
{
    // The device refuses 1.5 stop bits with 8 data bits: applying the four
    // values one by one would fail half-way.
    SimPort sim;
    sim.port.SetBaudRate(br____50);
    sim.port.SetParity(paNone);
    sim.port.SetStopBits(sb1_5);
    sim.port.SetDataBits(db5);
    EXPECT_EQ(sim.device->lineUpdates(), 0);

    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    const serial::LineSettings expected{50, 5, 0, 1};
    EXPECT_EQ(sim.device->line(), expected);
    EXPECT_EQ(sim.device->lineUpdates(), 1);
    EXPECT_TRUE(sim.port.LastError().isEmpty()) << sim.port.LastError().toStdString();
}

TEST(CommPortParams, SetParamsOnAnOpenPortStoresAndApplies)
{
    SimPort sim;
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    sim.port.SetParams(br__9600, db8, sb1_0, paNone);
    sim.port.SetParams(br____50, db5, sb1_5, paOdd);
    EXPECT_EQ(sim.port.BaudRate(), br____50);
    EXPECT_EQ(sim.port.DataBits(), db5);
    EXPECT_EQ(sim.port.StopBits(), sb1_5);
    EXPECT_EQ(sim.port.Parity(), paOdd);
    const serial::LineSettings expected{50, 5, 1, 1};
    EXPECT_EQ(sim.device->line(), expected);
}

TEST(CommPortParams, ARefusedSettingIsReportedAndTheDeviceKeepsItsLine)
{
    SimPort sim;
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    const serial::LineSettings before = sim.device->line();
    sim.port.SetStopBits(sb1_5); // with 8 data bits
    EXPECT_EQ(sim.device->line(), before);
    EXPECT_TRUE(sim.port.LastError().contains(QStringLiteral("1.5 stop bits")))
        << sim.port.LastError().toStdString();
}

TEST(CommPortBuffers, WriteTakesWhatFitsTheOutputBuffer)
{
    // On a stepped port the writer runs only when the clock moves, so the
    // buffer stays as Write left it.
    SteppedPort t;
    t.port().Open();
    ASSERT_TRUE(t.port().Opened());
    const QByteArray data(5000, 'x');
    EXPECT_EQ(t.port().Write(data.constData(), 5000), 4096u);
    EXPECT_EQ(t.port().GetOutCount(), 4096u);
    EXPECT_EQ(t.port().Write(data.constData(), 10), 0u);
    EXPECT_EQ(t.port().WriteByte(1), 0u);

    t.clock.advance(1); // the writer hands the buffer to the device
    EXPECT_EQ(t.port().GetOutCount(), 0u);
    EXPECT_EQ(t.device().queues().outQueue, 4096u);
    EXPECT_EQ(t.port().WriteString("abc"), 3u);

    t.port().Close();
    EXPECT_EQ(t.port().GetOutCount(), 0u);
    EXPECT_EQ(t.port().Write(data.constData(), 10), 0u);
    EXPECT_EQ(t.port().WriteString(QByteArray()), 0u);
}

TEST(CommPortBuffers, ReadAndReadByteOnShortAndEmptyBuffers)
{
    serial::VirtualClock clock;
    SimPort sim({&clock, true});
    sim.port.SetParams(br__9600, db8, sb1_0, paNone); // closed: ignored
    sim.port.SetBaudRate(br__9600);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());

    EXPECT_EQ(sim.port.ReadByte(), 0);
    char buf[16] = {};
    EXPECT_EQ(sim.port.Read(buf, sizeof buf), 0u);

    sim.device->send("ABC");
    clock.advance(10);
    ASSERT_EQ(sim.port.InCount(), 3u);
    EXPECT_EQ(sim.port.ReadByte(), 'A');
    EXPECT_EQ(sim.port.InCount(), 2u);
    EXPECT_EQ(sim.port.Read(buf, sizeof buf), 2u);
    EXPECT_EQ(QByteArray(buf, 2), QByteArray("BC"));
    EXPECT_EQ(sim.port.InCount(), 0u);
    EXPECT_EQ(sim.port.ReadByte(), 0);

    sim.device->send("123456");
    clock.advance(10);
    EXPECT_EQ(sim.port.Read(buf, 4), 4u);
    EXPECT_EQ(QByteArray(buf, 4), QByteArray("1234"));
    EXPECT_EQ(sim.port.Read(buf, 4), 2u);
    EXPECT_EQ(QByteArray(buf, 2), QByteArray("56"));

    sim.port.Close();
    EXPECT_EQ(sim.port.Read(buf, 4), 0u);
}

TEST(CommPortBuffers, BufferSizesAreTakenOnlyWhileClosed)
{
    SimPort sim;
    sim.port.SetOutBuffSize(100);
    sim.port.SetWriteInterval(1000);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    sim.port.SetOutBuffSize(50);
    sim.port.SetInBuffSize(10);
    EXPECT_EQ(sim.port.OutBuffSize(), 100u);
    EXPECT_EQ(sim.port.InBuffSize(), 4096u);
    const QByteArray data(500, 'x');
    EXPECT_EQ(sim.port.Write(data.constData(), 500), 100u);
    sim.port.Close();
    sim.port.SetInBuffSize(10);
    EXPECT_EQ(sim.port.InBuffSize(), 10u);
}

TEST(CommPortBuffers, AFailedOpenLeavesTheBufferSizesChangeable)
{
    serial::SerialPortMap map; // nothing registered
    ScopedEnv env("KORVANE_COM3", "sim:absent");
    TCommPort port(nullptr, &map);
    port.SetComNumber(cnCOM3);
    port.Open();
    EXPECT_FALSE(port.Opened());
    EXPECT_TRUE(port.LastError().contains(QStringLiteral("absent")));
    port.SetOutBuffSize(64);
    port.SetInBuffSize(32);
    EXPECT_EQ(port.OutBuffSize(), 64u);
    EXPECT_EQ(port.InBuffSize(), 32u);
}

TEST(CommPortOpenClose, OpenAndCloseRaiseTheirEventsOnce)
{
    SimPort sim;
    int opens = 0, closes = 0;
    sim.port.OnOpen = [&](QObject* sender) {
        EXPECT_EQ(sender, &sim.port);
        ++opens;
    };
    sim.port.OnClose = [&](QObject*) { ++closes; };
    sim.port.Close(); // closed: nothing
    sim.port.Open();
    sim.port.Open(); // open: nothing
    EXPECT_EQ(opens, 1);
    EXPECT_TRUE(sim.device->isOpen());
    sim.port.Close();
    sim.port.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(sim.port.Opened());
    EXPECT_FALSE(sim.device->isOpen());

    sim.port.SetOpened(true); // the property opens and closes too
    EXPECT_TRUE(sim.port.Opened());
    sim.port.SetOpened(false);
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(closes, 2);
}

TEST(CommPortOpenClose, APortInUseDoesNotOpenASecondTime)
{
    SimPort sim;
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    TCommPort second(nullptr, &sim.map);
    second.SetComNumber(cnCOM3);
    int opens = 0;
    second.OnOpen = [&](QObject*) { ++opens; };
    second.Open();
    EXPECT_FALSE(second.Opened());
    EXPECT_EQ(opens, 0);
    EXPECT_TRUE(second.LastError().contains(QStringLiteral("in use")));
    sim.port.Close();
    second.Open();
    EXPECT_TRUE(second.Opened());
}

} // namespace
