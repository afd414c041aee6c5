// The simple adapter against the real port component: line states as the
// engine reads them (RI, DSR, break), the DTR-DCD loop of the presence test,
// and the frame of the line.
#include "SimRig.h"

#include "platform/serial/SerialPortMap.h"
#include "serial/CommPort.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// A network behind COM4 whose port runs its workers as steps of the clock.
struct PortRig {
    explicit PortRig(const QString& scenarioText)
    {
        QString error;
        scenario = *sim::Scenario::parse(scenarioText, &error);
        network = std::make_unique<sim::SimNetwork>(scenario, scheduler, true);
        map.registerSimulated(QStringLiteral("adapter4"), network->device());
        qputenv("KORVANE_COM4", "sim:adapter4");
        port.SetComNumber(cnCOM4);
        port.SetBaudRate(br____50);
        port.SetDataBits(db5);
        port.SetStopBits(sb1_5);
        port.SetParity(paNone);
    }
    ~PortRig() { qunsetenv("KORVANE_COM4"); }

    serial::VirtualClock clock;
    serial::SimScheduler scheduler{&clock};
    sim::Scenario scenario;
    std::unique_ptr<sim::SimNetwork> network;
    serial::SerialPortMap map;
    TCommPort port{nullptr, &map};
};

TEST(SimAdapterPort, TheLineReachesThePortAsTheEngineReadsIt)
{
    PortRig rig(QStringLiteral("selection keyboard\nstation 2345 <_2345 XYZ\ndo wait 500\ndo break 1000\n"));
    rig.port.Open();
    ASSERT_TRUE(rig.port.Opened());
    rig.port.SetDTRState(true);
    rig.port.SetBreak(true); // '-', as the driver opens the line
    rig.clock.advance(100);
    EXPECT_FALSE(rig.port.GetRing()) << "a free line is '-'";
    EXPECT_FALSE(rig.port.GetDSR());
    EXPECT_TRUE(rig.network->exchange().isFree());

    rig.port.SetBreak(false); // seize
    rig.clock.advance(170);
    EXPECT_TRUE(rig.port.GetRing()) << "the exchange takes keyboard selection: '+'";
    QByteArray codes;
    TelegraphRegister reg = NoRegister;
    EncodeTelegraph(QStringLiteral("2345+"), codes, reg);
    rig.port.WriteString(codes); // the device paces them
    rig.clock.advance(6 * 150 + 200 + 600);
    EXPECT_TRUE(rig.port.GetDSR()) << "the station broke the line";
    rig.clock.advance(1000);
    EXPECT_FALSE(rig.port.GetDSR());

    rig.port.SetBreak(true); // clearing
    rig.clock.advance(250);
    EXPECT_FALSE(rig.port.GetRing());
    EXPECT_TRUE(rig.network->exchange().isFree());
    const QStringList log = rig.network->transcript().texts({"seize", "proceed", "select", "connect", "fault",
                                                             "clear", "confirm"});
    EXPECT_EQ(log, (QStringList{"seize", "proceed", "select 2345", "connect 2345", "fault on", "fault off", "clear",
                                "confirm"}));
}

TEST(SimAdapterPort, ThePresenceTestPassesOnlyWhenDcdFollowsDtrAtOnce)
{
    for (const char* delay : {"0", "30"}) {
        PortRig rig(QStringLiteral("dcd-delay %1\n").arg(delay));
        rig.port.Open();
        ASSERT_TRUE(rig.port.Opened());
        EXPECT_EQ(rig.port.CheckAdapter(false), QByteArray(delay) == "0") << delay;
        EXPECT_FALSE(rig.port.CheckAdapter(true)) << delay;
    }
}

TEST(SimAdapterPort, APortAtTheWrongFrameReceivesGarbage)
{
    for (bool rightFrame : {true, false}) {
        PortRig rig(QStringLiteral("selection keyboard\nstation 2345 <_2345 XYZ\ndo answerback\n"));
        if (!rightFrame)
            rig.port.SetBaudRate(br__9600);
        rig.port.Open();
        rig.port.SetBreak(true);
        rig.clock.advance(50);
        rig.port.SetBreak(false);
        rig.clock.advance(170);
        // The selection goes out in the adapter's frame from the test's side:
        // the exchange hears it whatever the port's frame, so only the port's
        // reception is at stake here.
        QByteArray codes;
        TelegraphRegister reg = NoRegister;
        EncodeTelegraph(QStringLiteral("2345+"), codes, reg);
        if (rightFrame) {
            rig.port.WriteString(codes);
        } else {
            rig.port.SetBaudRate(br____50);
            rig.port.WriteString(codes);
            rig.clock.advance(6 * 150 + 10);
            rig.port.SetBaudRate(br__9600);
        }
        rig.clock.advance(6 * 150 + 200 + 13 * 150 + 100);
        QByteArray got;
        while (rig.port.InCount() > 0)
            got.append(static_cast<char>(rig.port.ReadByte()));
        QByteArray ab;
        reg = NoRegister;
        EncodeTelegraph(QStringLiteral("<_2345 XYZ"), ab, reg);
        if (rightFrame)
            EXPECT_EQ(got, ab);
        else
            EXPECT_NE(got, ab);
    }
}

} // namespace

namespace {

// Samples RI every 10 ms as the protocol elements do on their fast tick and
// measures a '+' pulse their way: (ticks seen '+' - 1) x 10 ms.
std::int64_t measurePulse(PortRig& rig, std::int64_t limitMs)
{
    std::int64_t ticks = 0;
    for (std::int64_t t = 0; t < limitMs; t += 10) {
        rig.clock.advance(10);
        if (rig.port.GetRing())
            ++ticks;
        else if (ticks > 0)
            return (ticks - 1) * 10;
    }
    return -1;
}

TEST(SimAdapterPort, TheExchangesPulsesFitTheLimitsOfTheBuiltInProtocols)
{
    struct Case {
        const char* scenario;
        std::int64_t min, max; // the two-pole limits that must hold the measurement
    };
    const Case cases[] = {
        {"station 1\n", 10, 45},                // invitation: "Длительность 1" 17.5 (taken as 10) .. 45
        {"seize busy\nstation 1\n", 165, 240},  // busy: "Длительность 1-Д" .. "Длительность 2-Д"
    };
    for (const Case& c : cases) {
        PortRig rig(QString::fromLatin1(c.scenario));
        rig.port.Open();
        rig.port.SetDTRState(true);
        rig.port.SetBreak(true);
        rig.clock.advance(20);
        rig.port.SetBreak(false); // "Вызов"
        const std::int64_t ms = measurePulse(rig, 2000);
        EXPECT_GE(ms, c.min) << c.scenario;
        EXPECT_LE(ms, c.max) << c.scenario;
    }
}

TEST(SimAdapterPort, ClearingIsConfirmedWithinTheWaitAndAnIncomingCallLastsLongEnough)
{
    PortRig rig(QStringLiteral("selection keyboard\nstation 2345 <_2345 XYZ\ncall-in 3000\n"));
    rig.port.Open();
    rig.port.SetDTRState(true);
    rig.port.SetBreak(true);
    rig.clock.advance(20);
    rig.port.SetBreak(false);
    rig.clock.advance(400);
    ASSERT_TRUE(rig.port.GetRing());
    rig.port.SetBreak(true); // "Отбой"; then the confirmation: input '-' for 300 ms within 10 s
    std::int64_t minusMs = 0;
    std::int64_t t = 0;
    for (; t < 10'000 && minusMs < 300; t += 10) {
        rig.clock.advance(10);
        minusMs = rig.port.GetRing() ? 0 : minusMs + 10;
    }
    EXPECT_EQ(minusMs, 300);
    EXPECT_LT(t, 1000);

    // The station's call: '+' until the terminal answers, far longer than
    // the 100 ms the idle element wants.
    rig.clock.advance(3000);
    std::int64_t plusMs = 0;
    while (rig.port.GetRing() && plusMs < 1000) {
        rig.clock.advance(10);
        plusMs += 10;
    }
    EXPECT_EQ(plusMs, 1000);
}

} // namespace
