// The idle element on a simulated line: an incoming call and its reception,
// the automatic start of a transmission, the operator's commands in dialog
// mode, a broken line, the alarm blink and the intelligent adapter's turn.

#include "tests/engine/elements/ElementRig.h"

#include "engine/TelegramNumbering.h"
#include "engine/elements/IdleElement.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kIdle = QStringLiteral("Анализ состояния приема");

// A channel resting at its idle step.
struct IdleChannel {
    // The idle step waits "Ожидание" 5 s for a destination and takes an input
    // '+' of 100 ms as a call; the line breaks after 300 ms of DSR.
    void Start(std::uint32_t modes = 0, const QString& scanWait = "5")
    {
        r.Start({{"Обрыв", QStringLiteral("Обpыв линии"), {"300"}},
                 {"Покой", kIdle, {scanWait, "100", "Подключение", "Вызов", "Отбой"}}, LongPause("Подключение"),
                 LongPause("Вызов"), LongPause("Отбой")},
                "Тест", [modes](TChannelOptions& o) { o.Modes = modes; });
        r.Advance(50);
        ASSERT_EQ(r.StepName(), "Покой");
    }
    TTxCheckInputLine& Element() { return r.Element<TTxCheckInputLine>(kIdle); }
    TTxChannelDriver& D() { return r.Driver(); }
    // What the file tick does when it has chosen a destination.
    void ChooseDestination(const QString& number, const QString& tlgPath)
    {
        D().Events.clear(DriverEvent::ScanOutgoing);
        D().Number = number;
        D().ExpectedAnswerBack = "2345 XYZ";
        D().TlgPath = tlgPath;
        D().Events.raise(DriverEvent::DestinationChosen);
    }
    QString OutFile(const QString& name) { return D().TransmDir + u'/' + name; }
    void EnterDialog()
    {
        D().SetWindow(&r.window);
        D().DialogMode = 1;
        r.window.Forget();
    }

    ElementRig r;
};

class Idle : public ::testing::Test, public IdleChannel {};

TEST_F(Idle, StartShowsTheIdleLoopAndForgetsTheLastCall)
{
    Start();
    TTxChannelDriver& d = D();
    d.SetWindow(&r.window);
    d.RxEnabled = true;
    d.DialNumber = "3-2345";
    d.DialPos = 4;
    r.window.Forget();
    TTxCheckInputLine& e = r.StartStep<TTxCheckInputLine>("Покой");
    EXPECT_EQ(e.State, ChannelStates::Idle);
    EXPECT_EQ(e.ScanLeft, 5000);
    EXPECT_EQ(e.CallLeft, 100);
    EXPECT_EQ(d.CallSignalTime, 100);
    EXPECT_FALSE(d.RxEnabled);
    EXPECT_TRUE(d.DialNumber.isEmpty());
    EXPECT_EQ(d.DialPos, 1);
    EXPECT_EQ(r.window.Calls(), QStringList({"SetTelegramFile()", "SetCallInfo(, , , )"}));
    r.Advance(50);
    EXPECT_EQ(d.ChannelState, ChannelStates::Idle);
}

TEST_F(Idle, AnIncomingCallIsTheInputStayingPlusForTheCallTime)
{
    struct Case {
        int plusMs;
        bool call;
    };
    for (const Case& c : {Case{90, false}, Case{100, true}}) {
        IdleChannel t;
        t.Start();
        TTxChannelDriver& d = t.D();
        t.r.Line().setRing(true);
        t.r.Advance(c.plusMs);
        t.r.Line().setRing(false);
        t.r.Advance(100);
        EXPECT_EQ(t.r.StepName(), c.call ? "Подключение" : "Покой") << c.plusMs;
        EXPECT_EQ(d.RxEnabled, c.call);
        EXPECT_EQ(d.ConnectionKind, c.call ? 1 : 0);
        if (!c.call)
            continue;
        EXPECT_EQ(d.ConnectionFile, d.ReceiveDir + "/TLG00001.REC");
        EXPECT_EQ(d.Numbering().TlgRecNo, 2);
        EXPECT_TRUE(d.SoundEvents.has(SoundEvent::ReceiveStart));
        EXPECT_EQ(t.Element().State, ChannelStates::Connected);
        EXPECT_TRUE(t.r.LogLines().join('\n').contains("[+++++ Начало приема [TLG00001.REC]]"))
            << t.r.LogLines().join('\n').toStdString();
    }
}

TEST_F(Idle, ABrokenLineGoesToClearing)
{
    Start();
    r.Line().setDsr(true);
    r.Advance(250);
    EXPECT_EQ(r.StepName(), "Покой");
    r.Advance(100);
    EXPECT_EQ(r.StepName(), "Отбой");
}

TEST_F(Idle, AChosenDestinationIsCalledWithinTheScanWait)
{
    Start(ChannelMode::AutoTrm);
    TTxChannelDriver& d = D();
    d.SetWindow(&r.window);
    r.Advance(10);
    EXPECT_TRUE(d.Events.has(DriverEvent::ScanOutgoing)) << "the scan delay is out: a scan is asked for";
    ChooseDestination("2345", OutFile("TEL00001.TLG"));
    r.Advance(5000);
    EXPECT_EQ(r.StepName(), "Вызов");
    EXPECT_FALSE(d.Events.has(DriverEvent::DestinationChosen));
    EXPECT_EQ(d.ConnectionKind, 2);
    EXPECT_EQ(d.ConnectionFile, OutFile("TEL00001.PTC"));
    EXPECT_EQ(d.TxJrnNumber, "2345");
    EXPECT_EQ(d.TxJrnTelegram, "TEL00001.TLG");
    EXPECT_EQ(d.TxJrnRecordFile, "TEL00001.PTC");
    EXPECT_EQ(d.TxJrnStart, d.ConnectionStart);
    EXPECT_TRUE(d.TxJrnResult.isEmpty());
    EXPECT_TRUE(d.RxEnabled);
    EXPECT_TRUE(d.SoundEvents.has(SoundEvent::TransmitStart));
    EXPECT_TRUE(r.window.Calls().contains("SetTelegramFile(TEL00001.PTC)"));
    r.Advance(50);
    EXPECT_TRUE(r.LogLines().join('\n').contains(
        "[+++++ Начало автоматической передачи [#=2345, AB=2345 XYZ, TEL00001.TLG]]"));
}

TEST_F(Idle, TheCommonTransmissionFileRecordsWhenChosen)
{
    Start(ChannelMode::AutoTrm | ChannelMode::CommonTrm, "2");
    D().TransmCommonFile = OutFile("OUT_PRT1.PTC");
    ChooseDestination("2345", OutFile("TEL00007.TLG"));
    r.Advance(2000);
    EXPECT_EQ(r.StepName(), "Вызов");
    EXPECT_EQ(D().ConnectionFile, OutFile("OUT_PRT1.PTC"));
    EXPECT_EQ(D().TxJrnRecordFile, "OUT_PRT1.PTC");
}

TEST_F(Idle, WithoutADestinationTheElementStaysAndAsksAgain)
{
    Start(ChannelMode::AutoTrm, "2");
    TTxChannelDriver& d = D();
    d.ScanDelay = 30;
    r.Advance(100);
    EXPECT_FALSE(d.Events.has(DriverEvent::ScanOutgoing)) << "the scan delay is still running";
    d.ScanDelay = 0;
    r.Advance(10);
    EXPECT_TRUE(d.Events.has(DriverEvent::ScanOutgoing));
    ChooseDestination("2345", QString()); // no telegram: dropped
    r.Advance(2000);
    EXPECT_EQ(r.StepName(), "Покой");
    EXPECT_FALSE(d.Events.has(DriverEvent::DestinationChosen));
    EXPECT_TRUE(d.Events.has(DriverEvent::ScanOutgoing)) << "the next scan is asked for";
    EXPECT_EQ(d.ConnectionKind, 0);
}

TEST_F(Idle, AnIncomingCallIsNotOvertakenByAnAutomaticStart)
{
    Start(ChannelMode::AutoTrm);
    TTxCheckInputLine& e = Element();
    ChooseDestination("2345", OutFile("TEL00001.TLG"));
    e.CallLeft = 10; // both run out on this tick
    e.ScanLeft = 10;
    r.Line().setRing(true);
    e.DoIt();
    EXPECT_TRUE(e.Done);
    EXPECT_EQ(e.Step->Name, "Подключение");
    EXPECT_EQ(D().ConnectionKind, 1) << "a reception, not a transmission";
    EXPECT_TRUE(D().Events.has(DriverEvent::DestinationChosen)) << "the destination waits for the next idle loop";
}

TEST_F(Idle, TheDialCommandOpensADialogRecord)
{
    struct Case {
        std::int32_t next;
        QString file;
    };
    for (const Case& c : {Case{123, "DLG00123.PTC"}, Case{123456, "DLG123456.PTC"}}) {
        IdleChannel t;
        t.Start();
        TTxChannelDriver& d = t.D();
        t.EnterDialog();
        d.Numbering().NextDlgNo = c.next;
        t.r.window.SetNumber("8-2345");
        t.r.window.SetChannelCommand(ChannelCommands::Dial);
        t.r.Advance(10);
        EXPECT_EQ(t.r.window.ChannelCommand(), ChannelCommands::None);
        EXPECT_EQ(d.Number, "8-2345");
        EXPECT_EQ(d.ConnectionKind, 3);
        EXPECT_EQ(d.ConnectionFile, t.OutFile(c.file));
        EXPECT_EQ(d.Numbering().NextDlgNo, c.next + 1);
        EXPECT_EQ(d.TxJrnTelegram, "Диалог");
        EXPECT_EQ(d.TxJrnRecordFile, c.file);
        EXPECT_TRUE(d.RxEnabled);
        EXPECT_TRUE(t.r.window.Calls().contains("SetTelegramFile(" + c.file + ")"));
        EXPECT_EQ(d.PendingStepLine, "+++++ Начало передачи в \"Диалоге\" [8-2345, " + c.file + "]");
        t.r.Advance(50);
        EXPECT_EQ(t.r.StepName(), "Вызов");
    }
}

TEST_F(Idle, TheDialSetsAWaitingDestinationAsideUntilTheLineIsBackAtTheIdleStep)
{
    Start();
    TTxChannelDriver& d = D();
    EnterDialog();
    ChooseDestination("8-2345", OutFile("TEL00001.TLG"));
    d.TlgFileName = "TEL00001.TLG";
    d.Address = "MOSKVA";
    r.window.SetNumber("8-2399");
    r.window.SetChannelCommand(ChannelCommands::Dial);
    r.Advance(50);
    ASSERT_EQ(r.StepName(), "Вызов");
    EXPECT_EQ(d.Number, "8-2399");
    EXPECT_EQ(d.TxJrnNumber, "8-2399");
    EXPECT_TRUE(d.ExpectedAnswerBack.isEmpty()) << "the operator's call expects no answerback of its own";
    EXPECT_TRUE(d.Address.isEmpty());
    EXPECT_TRUE(d.Events.has(DriverEvent::DestinationChosen)) << "the destination still waits";

    // The operator's call ends: the destination has its own number back.
    r.window.Forget();
    d.RestartProtocol();
    r.Advance(50);
    ASSERT_EQ(r.StepName(), "Покой");
    EXPECT_EQ(d.Number, "8-2345");
    EXPECT_EQ(d.ExpectedAnswerBack, "2345 XYZ");
    EXPECT_EQ(d.Address, "MOSKVA");
    EXPECT_TRUE(d.Events.has(DriverEvent::DestinationChosen));
    EXPECT_TRUE(r.window.Calls().contains("SetCallInfo(TEL00001.TLG, 8-2345, MOSKVA, AB=2345 XYZ)"))
        << r.window.Calls().join('\n').toStdString();

    // A dial without a waiting destination keeps the operator's number.
    d.Events.clear(DriverEvent::DestinationChosen);
    r.window.SetNumber("8-2398");
    r.window.SetChannelCommand(ChannelCommands::Dial);
    r.Advance(50);
    ASSERT_EQ(r.StepName(), "Вызов");
    d.RestartProtocol();
    r.Advance(50);
    ASSERT_EQ(r.StepName(), "Покой");
    EXPECT_EQ(d.Number, "8-2398");
}

TEST_F(Idle, DialogCommandsTheElementCarriesOutOrLeavesToTheStepping)
{
    struct Case {
        std::uint8_t command;
        std::uint8_t left;     // the command byte after the element's tick
        QStringList posted;    // message codes posted by the element
    };
    const Case cases[] = {
        {ChannelCommands::ControlMode, ChannelCommands::None, {"PostMessageCode(7)"}},
        {ChannelCommands::AskAnswerBack, ChannelCommands::None, {"PostMessageCode(9)"}},
        {ChannelCommands::AnswerBack, ChannelCommands::None, {"PostMessageCode(9)"}},
        {ChannelCommands::Disconnect, ChannelCommands::Disconnect, {}},
        {ChannelCommands::Restart, ChannelCommands::Restart, {}},
    };
    for (const Case& c : cases) {
        IdleChannel t;
        t.Start();
        t.EnterDialog();
        t.r.window.SetChannelCommand(c.command);
        t.Element().DoIt();
        EXPECT_EQ(t.r.window.ChannelCommand(), c.left) << int(c.command);
        EXPECT_EQ(t.r.window.Calls("PostMessageCode"), c.posted) << int(c.command);
        if (c.command == ChannelCommands::ControlMode) {
            EXPECT_EQ(t.D().DialogMode, 0);
            EXPECT_TRUE(t.r.window.Calls().contains("SetDialogMode(false)"));
            EXPECT_TRUE(t.D().SoundEvents.has(SoundEvent::BackToControl));
            EXPECT_TRUE(t.D().RestartPending);
        }
    }
}

TEST_F(Idle, AskAndAnswerBackAtTheIdleStepAreRefusedWhicheverTickSeesThemFirst)
{
    for (const std::uint8_t command : {ChannelCommands::AskAnswerBack, ChannelCommands::AnswerBack}) {
        for (const bool protocolTickFirst : {false, true}) {
            IdleChannel t;
            t.Start();
            t.EnterDialog();
            const auto sentBefore = t.D().TxCharCount;
            t.r.window.SetChannelCommand(command);
            if (protocolTickFirst)
                t.D().Step();
            else
                t.Element().DoIt();
            t.r.Advance(500);
            const std::string what = std::to_string(command) + (protocolTickFirst ? " protocol tick" : " fast tick");
            EXPECT_EQ(t.r.window.ChannelCommand(), ChannelCommands::None) << what;
            EXPECT_EQ(t.r.window.Calls("PostMessageCode"), QStringList{"PostMessageCode(9)"}) << what;
            EXPECT_EQ(t.D().TxCharCount, sentBefore) << "nothing goes to the line: " << what;
            EXPECT_FALSE(t.D().AnswerBackSending) << what;
        }
    }
}

TEST_F(Idle, ARestartCommandInDialogReachesTheStepping)
{
    Start();
    EnterDialog();
    r.Advance(30);
    r.window.SetChannelCommand(ChannelCommands::Restart);
    r.Advance(50);
    EXPECT_EQ(r.window.ChannelCommand(), ChannelCommands::None);
    EXPECT_TRUE(r.window.Calls("PostMessageCode").isEmpty()) << "not refused";
    EXPECT_EQ(r.StepName(), "Обрыв") << "the protocol starts again";
}

TEST_F(Idle, InControlModeTheCallCommandIsLeftToTheStepping)
{
    Start();
    D().SetWindow(&r.window);
    r.window.SetChannelCommand(ChannelCommands::Call);
    Element().DoIt();
    EXPECT_EQ(r.window.ChannelCommand(), ChannelCommands::Call);
    r.Advance(50);
    EXPECT_EQ(D().DialogMode, 1);
    EXPECT_TRUE(r.window.Calls().contains("PostMessageCode(1)"));
}

TEST_F(Idle, AnAlarmBlinksOnceASecond)
{
    Start(ChannelMode::AutoTrm);
    TTxChannelDriver& d = D();
    d.SetWindow(&r.window);
    d.SetAuxState(ChannelStates::AlarmNoClearConfirm);
    d.SetAlarm(1);
    r.window.Forget();
    TTxCheckInputLine& e = Element();
    for (int i = 0; i < 99; ++i)
        e.DoIt();
    EXPECT_EQ(d.ChannelState, ChannelStates::AlarmNoClearConfirm);
    EXPECT_TRUE(r.window.Calls("SetAlarmColor").isEmpty());
    e.DoIt();
    EXPECT_EQ(r.window.Calls("SetAlarmColor"), QStringList({"SetAlarmColor(false)"}));
    EXPECT_EQ(r.window.Calls("SetElementName"), QStringList({"SetElementName()"}));
    EXPECT_TRUE(d.SoundEvents.has(SoundEvent::Alarm));
    for (int i = 0; i < 100; ++i)
        e.DoIt();
    EXPECT_EQ(r.window.Calls("SetAlarmColor"), QStringList({"SetAlarmColor(false)", "SetAlarmColor(true)"}));
    EXPECT_TRUE(r.window.Calls("SetElementName").contains("SetElementName(Аварийное состояние)"));
    EXPECT_FALSE(d.Events.has(DriverEvent::ScanOutgoing)) << "no automatic transmission while in alarm";
}

TEST_F(Idle, TheIntelligentAdapterExchangeComesFirstThenOneRestart)
{
    Start();
    TTxChannelDriver& d = D();
    d.AdapterType = 3;
    r.Line().setRing(true); // an incoming call is not looked at yet
    r.Advance(300);
    EXPECT_EQ(r.StepName(), "Покой");
    EXPECT_EQ(d.ConnectionKind, 0);
    EXPECT_EQ(Element().State, 0);
    r.Line().setRing(false);
    d.AdapterExchangeDone = 1;
    r.Advance(10);
    EXPECT_EQ(d.AdapterRestarted, 1);
    EXPECT_TRUE(d.RestartPending);
    r.Advance(100);
    EXPECT_EQ(r.StepName(), "Покой");
    EXPECT_FALSE(d.RestartPending) << "restarted once";
}

} // namespace
