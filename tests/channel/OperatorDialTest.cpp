// The operator's dialled call and the automatic transmission on one whole
// channel against the simulated network: a destination chosen for a
// telegram keeps its own number through the operator's call, and that call
// reaches the operator's number without the telegram.

#include "tests/channel/ChannelRig.h"
#include "tests/channel/OutgoingCalls.h"

#include "engine/OutgoingTelegrams.h"
#include "tests/engine/FakeChannelWindow.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kStations = QStringLiteral("station 2345 <_2345 XYZ\n"
                                         "do answerback\n"
                                         "station 2346 <_2346 ABC\n"
                                         "do answerback\n"
                                         "station 2399 <_2399 OPR\n"
                                         "do answerback\n");
const QString kTelegram = QStringLiteral("|#8-2345(2345 XYZ)\r\n|#8-2346(2346 ABC)\r\nTELEGRAM A\r\n");

// One case: the channel checks the answerbacks it receives, or not (then a
// telegram sent on a wrong number would reach a wrong subscriber unnoticed).
void DialWhileADestinationWaits(bool checkAnswerBack)
{
    FakeChannelWindow window; // outlives the channel's driver
    ChannelRig c;
    c.AddChannel(1, kStations, ChannelRig::StandardA, [&](TChannelOptions& r) {
        r.Modes = checkAnswerBack ? (r.Modes | ChannelMode::CheckAB) : (r.Modes & ~ChannelMode::CheckAB);
    });
    c.rig.modes.Set([](TDriverModes& m) { m.ScanPeriod = 1; });
    c.PutTelegram(1, QStringLiteral("TEL00001.TLG"), kTelegram);
    c.Start();
    TTxChannelDriver& d = c.Driver();
    d.SetWindow(&window);
    SetWait("8-2345", 600);
    SetWait("8-2346", 600); // its line stays to be called
    auto locked = [&](const std::function<bool()>& f) {
        return [&d, f] {
            EngineLock lock(d.Mutex());
            return f();
        };
    };

    // The operator takes the channel into dialog at the idle step just as
    // the idle loop has asked for a scan, which chooses 8-2345.
    ASSERT_TRUE(c.RunUntil([&] { return c.StepName() == ChannelRig::kIdle; }, 60000));
    window.SetChannelCommand(ChannelCommands::Call);
    ASSERT_TRUE(c.RunUntil(locked([&] { return d.DialogMode == 1 && d.IdleStepRunning(); }), 60000));
    SetWait("8-2345", 0);
    ASSERT_TRUE(c.RunUntil(locked([&] {
                               // The scans the idle loop asked for in control mode.
                               if (!d.Events.has(DriverEvent::ScanOutgoing))
                                   d.Events.raise(DriverEvent::ScanOutgoing);
                               return d.Events.has(DriverEvent::DestinationChosen);
                           }),
                           60000));
    ASSERT_EQ(d.Number, "8-2345");

    // The operator dials 8-2399, talks, and clears; then back to control.
    window.SetNumber(QStringLiteral("8-2399"));
    window.SetChannelCommand(ChannelCommands::Dial);
    bool operatorConnected = false;
    ASSERT_TRUE(c.RunUntil(
        [&] {
            TextSentTo(c, "2399", &operatorConnected);
            return operatorConnected;
        },
        120000))
        << "the operator's call reaches 8-2399";
    c.Advance(3000);
    window.SetChannelCommand(ChannelCommands::Disconnect);
    ASSERT_TRUE(c.RunUntil([&] { return c.StepName() == ChannelRig::kIdle; }, 60000));
    window.SetChannelCommand(ChannelCommands::ControlMode);

    // The waiting destination is called afterwards, with its own number.
    ASSERT_TRUE(c.RunUntil(
        locked([&] { return d.ConnectionKind == 2 && !d.IdleStepRunning(); }), 120000))
        << "the automatic call";
    ASSERT_TRUE(c.RunUntil([&] { return c.StepName() == ChannelRig::kIdle; }, 300000));

    EXPECT_FALSE(TextSentTo(c, "2399").contains("TELEGRAM A")) << TextSentTo(c, "2399").toStdString();
    EXPECT_TRUE(TextSentTo(c, "2345").contains("TELEGRAM A")) << TextSentTo(c, "2345").toStdString();
    EXPECT_TRUE(TextSentTo(c, "2346").isEmpty());
    const QStringList journal = c.TxJournal();
    ASSERT_EQ(journal.size(), 2) << journal.join(u'\n').toStdString();
    EXPECT_TRUE(journal[0].contains(QStringLiteral("#8-2399"))) << journal[0].toStdString();
    EXPECT_TRUE(journal[1].contains(QStringLiteral("#8-2345"))) << journal[1].toStdString();
    EXPECT_TRUE(journal[1].contains(QStringLiteral("TEL00001.TLG"))) << journal[1].toStdString();
    // 8-2345's line is done, 8-2346's still to be called.
    ASSERT_TRUE(c.RunUntil(
        [&] { return ChannelRig::Lines(c.OutDir() + QStringLiteral("/TEL00001.TLG")).value(0).startsWith(QStringLiteral("|*")); },
        5000));
    EXPECT_EQ(c.OutFile(1, QStringLiteral("TEL00001.TLG")),
              "|*8-2345(2345 XYZ)\r\n|#8-2346(2346 ABC)\r\nTELEGRAM A\r\n");
}

TEST(OperatorDial, ACallDialledWhileADestinationWaitsLeavesTheTelegramToItsOwnSubscriber)
{
    for (const bool checkAnswerBack : {true, false}) {
        SCOPED_TRACE(checkAnswerBack ? "answerbacks checked" : "answerbacks not checked");
        DialWhileADestinationWaits(checkAnswerBack);
    }
}

} // namespace

namespace {

TEST(OperatorDial, ADialCommandDuringAnAutomaticCallLeavesThatCallItsNumber)
{
    FakeChannelWindow window; // outlives the channel's driver
    ChannelRig c;
    c.AddChannel(1, kStations);
    c.rig.modes.Set([](TDriverModes& m) { m.ScanPeriod = 1; });
    c.PutTelegram(1, QStringLiteral("TEL00001.TLG"), QStringLiteral("|#8-2345(2345 XYZ)\r\nTELEGRAM A\r\n"));
    c.Start();
    TTxChannelDriver& d = c.Driver();
    d.SetWindow(&window);

    // The automatic call to 8-2345 is under way when a dial command for
    // 8-2399 arrives: in control mode it is refused and left set.
    ASSERT_TRUE(c.RunUntil(
        [&] {
            EngineLock lock(d.Mutex());
            return d.ConnectionKind == 2 && !d.IdleStepRunning();
        },
        120000));
    window.SetNumber(QStringLiteral("8-2399"));
    window.SetChannelCommand(ChannelCommands::Dial);
    QStringList numbersOfTheCall;
    ASSERT_TRUE(c.RunUntil(
        [&] {
            EngineLock lock(d.Mutex());
            if (!numbersOfTheCall.contains(d.Number))
                numbersOfTheCall << d.Number;
            return d.IdleStepRunning();
        },
        300000))
        << "the automatic call's end";
    c.Advance(5000); // the idle loop, with the command still set

    EXPECT_EQ(numbersOfTheCall, QStringList{"8-2345"});
    EXPECT_EQ(d.Number, "8-2345");
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::Dial);
    EXPECT_TRUE(window.Calls().contains(QStringLiteral("PostMessageCode(%1)").arg(ChannelMessageCodes::Refused)));
    EXPECT_TRUE(TextSentTo(c, "2345").contains("TELEGRAM A")) << TextSentTo(c, "2345").toStdString();
    bool operatorConnected = false;
    TextSentTo(c, "2399", &operatorConnected);
    EXPECT_FALSE(operatorConnected);
    const QStringList journal = c.TxJournal();
    ASSERT_EQ(journal.size(), 1) << journal.join(u'\n').toStdString();
    EXPECT_TRUE(journal[0].contains(QStringLiteral("#8-2345"))) << journal[0].toStdString();
    EXPECT_TRUE(journal[0].contains(QStringLiteral("TEL00001.TLG"))) << journal[0].toStdString();
    const QString trs = QStringLiteral("TEL00001.TRS");
    ASSERT_TRUE(c.RunUntil([&] { return ChannelRig::Files(c.OutDir()).contains(trs); }, 5000));
    EXPECT_EQ(c.OutFile(1, trs), "|*8-2345(2345 XYZ)\r\nTELEGRAM A\r\n");
}

} // namespace
