// Protocol stepping and the operator's dialog commands on a whole channel.

#include "tests/engine/EngineRig.h"

#include "engine/EngineError.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kIdle = QStringLiteral("Анализ состояния приема"); // code 29
const QString kPause = QStringLiteral("Пауза");                   // code 12
const QString kJump = QStringLiteral("Переход");                  // code 15
const QString kSettings = QStringLiteral("Режим приема/передачи"); // code 68
const QString kSendString = QStringLiteral("Передача строки");    // code 10

// Classes of the tests: settings and jumps finish inside Start, the others wait.
ElementCatalog TestCatalog()
{
    return MakeCatalog({
        {kSettings, "TTxPortSettings", [](ScriptedElement& e) { e.GoNext(); }, nullptr},
        {kJump, "TTxJumpTo", [](ScriptedElement& e) { e.JumpTo(e.ParamText(0)); }, nullptr},
        {kIdle, "TTxCheckInputLine", [](ScriptedElement& e) { e.Driver().RxEnabled = true; }, nullptr},
        {kPause, "TTxPause", nullptr, nullptr},
        {kSendString, "TTxSendString", nullptr, nullptr},
    });
}

class Stepping : public ::testing::Test {
protected:
    void Start(const std::vector<StepSpec>& steps, int channels = 1)
    {
        rig.catalog = TestCatalog();
        rig.set = MakeSet(steps);
        for (int c = 1; c <= channels; ++c) {
            rig.AddLine(c);
            rig.EnableChannel(c);
        }
        rig.Start();
    }
    ScriptedElement& Element(const QString& name, int c = 1)
    {
        TTxChannelDriver& d = rig.Driver(c);
        return static_cast<ScriptedElement&>(*d.ElementAt(d.IndexOfElement(name)));
    }
    int Count(const QString& line) const { return int(rig.LogLines().count(line)); }

    EngineRig rig;
    FakeChannelWindow window;
};

TEST_F(Stepping, StepsThatFinishAtOnceAreWalkedThroughWithinOneTick)
{
    Start({{"Порт", kSettings, {}}, {"Туда", kJump, {"Ждать"}}, {"Пропуск", kPause, {}}, {"Ждать", kIdle, {}}});
    rig.Advance(50);
    TTxChannelDriver& d = rig.Driver();
    ASSERT_NE(d.CurrentElement, nullptr);
    EXPECT_EQ(d.CurrentElement->ElementName, kIdle);
    EXPECT_EQ(d.CurrentStep->Name, "Ждать");
    EXPECT_EQ(Element(kSettings).starts, 1);
    EXPECT_EQ(Element(kJump).starts, 1);
    EXPECT_EQ(Element(kPause).starts, 0) << "the jump went past it";
    rig.Advance(100);
    EXPECT_EQ(Element(kIdle).starts, 1);
    EXPECT_GE(Element(kIdle).doIts, 10);
}

TEST_F(Stepping, TheFirstTickAfterARestartOnlySelects)
{
    Start({{"Ждать", kIdle, {}}});
    rig.Driver().SetWindow(&window);
    window.SetChannelCommand(ChannelCommands::Restart);
    rig.Advance(49);
    window.Forget();
    rig.Advance(1); // the first protocol tick: the selection, nothing else
    EXPECT_TRUE(window.Calls("SetConnectionTime").isEmpty());
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::Restart);
    rig.Advance(50);
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::None);
    EXPECT_FALSE(window.Calls("SetConnectionTime").isEmpty());
}

TEST_F(Stepping, AProtocolOfStepsThatAllFinishIsStoppedAndShownAsAlarm)
{
    Start({{"Порт", kSettings, {}}, {"Круг", kJump, {"Порт"}}}, 2); // a loop without a wait
    rig.Driver(1).SetWindow(&window);
    rig.Advance(500);
    TTxChannelDriver& d = rig.Driver(1);
    EXPECT_TRUE(d.StepBusy) << "the channel is not stepped again";
    EXPECT_EQ(d.Alarm, 1);
    EXPECT_EQ(d.ChannelState, ChannelStates::AlarmProtocolStopped);
    EXPECT_TRUE(window.Calls().contains("SetAlarmColor(true)"));
    const QString line = "== Исключение: Шаги протокола Тест завершаются без ожидания (элемент Порт) "
                         "[TTxScanner.ProtocolTimerTimer]";
    EXPECT_EQ(Count(line), 2) << "once for each channel, not on every tick";
}

TEST_F(Stepping, AStepWithoutElementStopsOnlyItsChannel)
{
    rig.catalog = TestCatalog();
    rig.set = MakeSet({{"Ждать", kIdle, {}}});
    TProtocolRec broken;
    broken.Name = "Без элемента";
    broken.Elements.push_back({"Вход", rig.set->Registry->find("Входящий вызов"), 0, {}});
    rig.set->Protocols[1].push_back(std::move(broken));
    rig.AddLine(1);
    rig.AddLine(2);
    rig.EnableChannel(1);
    rig.EnableChannel(2);
    rig.Channel(1).StationType = 1;
    rig.Start();
    rig.Advance(300);
    EXPECT_EQ(Count("== Исключение: Элемент Входящий вызов отсутствтует в списке элементов "
                    "[TTxScanner.ProtocolTimerTimer]"),
              1);
    EXPECT_EQ(rig.Driver(1).Alarm, 1);
    EXPECT_EQ(rig.Driver(2).Alarm, 0);
    EXPECT_EQ(Element(kIdle, 2).starts, 1);
    EXPECT_GT(Element(kIdle, 2).doIts, 20);
}

TEST_F(Stepping, AnExceptionEscapingDoItRestartsThatProtocolAndTheOtherChannelsGoOn)
{
    rig.catalog = MakeCatalog({
        {kIdle, "TTxCheckInputLine", nullptr,
         [](ScriptedElement& e) {
             if (e.Driver().Channel == 1 && e.doIts == 3)
                 throw EngineError("сбой");
         }},
    });
    rig.set = MakeSet({{"Ждать", kIdle, {}}});
    for (int c = 1; c <= 2; ++c) {
        rig.AddLine(c);
        rig.EnableChannel(c);
    }
    rig.Start();
    rig.Advance(200);
    EXPECT_FALSE(rig.scanner->FastTickBusy());
    EXPECT_EQ(Count("Канал 1: [== Исключение: сбой [TTxCheckInputLine.DoIt]]"), 1);
    EXPECT_EQ(Element(kIdle, 1).starts, 2) << "restarted at its first step";
    EXPECT_GT(Element(kIdle, 2).doIts, 10);
    EXPECT_EQ(rig.Driver(1).Alarm, 0) << "a caught element failure leaves the channel in service";
}

TEST_F(Stepping, AChannelWhoseSteppingFailedStaysInAlarmAndItsElementStops)
{
    // The first step fails when it is started again; the idle element fails
    // on every fast tick from its third on, which restarts the protocol.
    rig.catalog = MakeCatalog({
        {kSettings, "TTxPortSettings",
         [](ScriptedElement& e) {
             if (e.starts == 2)
                 throw EngineError("сбой старта");
             e.GoNext();
         },
         nullptr},
        {kIdle, "TTxCheckInputLine", nullptr,
         [](ScriptedElement& e) {
             if (e.doIts >= 3)
                 throw EngineError("сбой");
         }},
    });
    rig.set = MakeSet({{"Порт", kSettings, {}}, {"Ждать", kIdle, {}}});
    rig.AddLine(1);
    rig.EnableChannel(1);
    rig.Start();
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    rig.Advance(150);
    ASSERT_EQ(Element(kSettings).starts, 2);
    ASSERT_TRUE(d.SteppingStopped);
    const int doIts = Element(kIdle).doIts;
    window.Forget();
    rig.Advance(1000);
    EXPECT_EQ(Element(kIdle).doIts, doIts) << "the element of a stopped channel is not run";
    EXPECT_EQ(d.Alarm, 1);
    EXPECT_EQ(d.ChannelState, ChannelStates::AlarmProtocolStopped);
    EXPECT_FALSE(window.Calls().contains("SetAlarmColor(false)"));
    EXPECT_FALSE(window.Calls().contains("SetChannelState(0)"));
    EXPECT_EQ(Count("== Исключение: сбой старта [TTxScanner.ProtocolTimerTimer]"), 1);
    d.RestartProtocol(); // a restart asked for now cannot run: the alarm stays
    EXPECT_EQ(d.Alarm, 1);
    EXPECT_EQ(d.ChannelState, ChannelStates::AlarmProtocolStopped);
}

TEST_F(Stepping, AValueTooLargeForItsParameterStopsTheChannelWithOneLogLine)
{
    // A hand-edited protocol file: ten digits of milliseconds.
    rig.catalog = MakeCatalog({{kPause, "TTxPause", [](ScriptedElement& e) { e.ParamValue(0); }, nullptr}});
    rig.set = MakeSet({{"Пауза", kPause, {"9999999999"}}});
    rig.AddLine(1);
    rig.EnableChannel(1);
    rig.Start();
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    rig.Advance(1000);
    EXPECT_EQ(Count("== Исключение: The value 9999999999 is not a valid number [TTxScanner.ProtocolTimerTimer]"), 1);
    EXPECT_TRUE(d.SteppingStopped);
    EXPECT_EQ(d.ChannelState, ChannelStates::AlarmProtocolStopped);
    EXPECT_TRUE(window.Calls().contains("SetChannelState(13)"));
}

TEST_F(Stepping, AnyExceptionEscapingTheFastTickLeavesTheTickFreeForEveryChannel)
{
    rig.catalog = MakeCatalog({
        {kIdle, "TTxCheckInputLine", nullptr,
         [](ScriptedElement& e) {
             if (e.Driver().Channel == 1 && e.doIts == 2)
                 throw 42; // not one of the engine's own failures
         }},
    });
    rig.set = MakeSet({{"Ждать", kIdle, {}}});
    for (int c = 1; c <= 2; ++c) {
        rig.AddLine(c);
        rig.EnableChannel(c);
    }
    rig.Start();
    rig.Advance(300);
    EXPECT_FALSE(rig.scanner->FastTickBusy());
    EXPECT_EQ(Count("Канал 1: [== Исключение: Неизвестное исключение [TTxCheckInputLine.DoIt]]"), 1);
    EXPECT_EQ(Element(kIdle, 1).starts, 2) << "its protocol restarted";
    EXPECT_GT(Element(kIdle, 1).doIts, 10);
    EXPECT_GT(Element(kIdle, 2).doIts, 20);
}

// ---- dialog commands ----

// What a command does besides its code, mode and restart.
enum class Effect {
    None,
    DialogSound,   // sound $20 and the step line of the dialog entry from idle
    Wru,           // the answerback request (figures, code 9) on the line
    AnswerBack,    // the own answerback on the line, its log line
    TxDone,        // an operator dialog (ConnectionKind 3) ended properly
    BackToControl, // sound $40 and the step line of the return
    Repeats,       // left set: its code is posted again on every tick
};

struct CommandCase {
    const char* name;
    bool dialog;              // the driver's mode before the command
    std::uint8_t command;
    int code;                 // message code posted, -1 none
    bool cleared;             // the command byte was cleared
    bool dialogAfter;
    bool restarted;
    Effect effect;
};

class DialogCommands : public Stepping, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(DialogCommands, CarryOutOrRefuse)
{
    const CommandCase& c = GetParam();
    Start({{"Ждать", kIdle, {}}});
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    rig.Advance(100);
    if (c.dialog) {
        window.SetChannelCommand(ChannelCommands::Call);
        rig.Advance(50);
        rig.Advance(50);
        ASSERT_EQ(d.DialogMode, 1);
    }
    const int startsBefore = Element(kIdle).starts;
    window.Forget();
    d.SoundEvents.store(0);
    d.ConnectionKind = 3; // an operator dialog
    const qsizetype sentBefore = rig.Sent().size(); // what the line carried so far
    const qsizetype logBefore = rig.LogLines().size();
    window.SetChannelCommand(c.command);
    rig.Advance(50);
    const QStringList codes = window.Calls("PostMessageCode");
    if (c.code < 0)
        EXPECT_TRUE(codes.isEmpty()) << codes.join(' ').toStdString();
    else
        EXPECT_EQ(codes.value(0), QStringLiteral("PostMessageCode(%1)").arg(c.code));
    EXPECT_EQ(window.ChannelCommand() == 0, c.cleared);
    EXPECT_EQ(d.DialogMode != 0, c.dialogAfter);
    rig.Advance(50);
    EXPECT_EQ(Element(kIdle).starts > startsBefore, c.restarted || c.dialogAfter != c.dialog);

    rig.Advance(2000); // 40 more ticks; ten characters on the line
    const QStringList log = rig.LogLines().mid(logBefore);
    const QByteArray line = rig.Sent().mid(sentBefore);
    const int posted = int(window.Calls("PostMessageCode").size());
    EXPECT_EQ(d.SoundEvents.has(SoundEvent::DialogEntered), c.effect == Effect::DialogSound);
    EXPECT_EQ(log.contains(QStringLiteral("Канал 1: (Ждать) [Переход в \"Диалог\"]")), c.effect == Effect::DialogSound);
    EXPECT_EQ(d.SoundEvents.has(SoundEvent::BackToControl), c.effect == Effect::BackToControl);
    EXPECT_EQ(log.contains(QStringLiteral("Канал 1: (Ждать) [Переход в \"Контроль\"]")), c.effect == Effect::BackToControl);
    EXPECT_EQ(d.TxDone == 1, c.effect == Effect::TxDone);
    switch (c.effect) {
    case Effect::Wru:
        EXPECT_EQ(line, Codes({27, 9}));
        break;
    case Effect::AnswerBack:
        // "12345 TEST": figures, 1 to 5, space, Latin, T, E, S, T
        EXPECT_EQ(line, Codes({27, 23, 19, 1, 10, 16, 4, 31, 16, 1, 5, 16}));
        EXPECT_TRUE(log.contains(QStringLiteral("Канал 1: (Ждать) [+-+Начинаем передачу АО (Cntr=10)]")));
        EXPECT_TRUE(log.contains(QStringLiteral("Канал 1: (Ждать) [+-+Завершили передачу АО (Cntr=0)]")));
        break;
    default:
        EXPECT_TRUE(line.isEmpty()) << line.toHex().toStdString();
        break;
    }
    if (c.effect == Effect::Repeats)
        EXPECT_GE(posted, 40) << "posted on every tick while the command stays";
    else
        EXPECT_LE(posted, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DialogCommands,
    ::testing::Values(CommandCase{"ControlCallFromIdle", false, 1, 1, true, true, false, Effect::DialogSound},
                      CommandCase{"ControlRestart", false, 7, -1, true, false, true, Effect::None},
                      CommandCase{"ControlRefusesAsk", false, 3, 9, false, false, false, Effect::Repeats},
                      CommandCase{"ControlRefusesDisconnect", false, 5, 9, false, false, false, Effect::Repeats},
                      CommandCase{"ControlIgnoresNone", false, 0, -1, true, false, false, Effect::None},
                      CommandCase{"DialogRefusesCall", true, 1, 9, false, true, false, Effect::Repeats},
                      CommandCase{"DialogIdleRefusesAsk", true, 3, 9, true, true, false, Effect::None},
                      CommandCase{"DialogIdleRefusesAnswerBack", true, 4, 9, true, true, false, Effect::None},
                      CommandCase{"DialogDisconnect", true, 5, 6, true, true, true, Effect::TxDone},
                      CommandCase{"DialogBackToControl", true, 6, 7, true, false, true, Effect::BackToControl},
                      CommandCase{"DialogRestart", true, 7, -1, true, true, true, Effect::None},
                      CommandCase{"DialogLeavesDialling", true, 2, -1, false, true, false, Effect::None}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

// Commands 3 and 4 once a dialog connection stands (at the idle step they are refused).
struct ConnectedCommandCase {
    const char* name;
    std::uint8_t command;
    const char* posted;
    std::vector<std::uint8_t> line;
};

class ConnectedCommands : public Stepping, public ::testing::WithParamInterface<ConnectedCommandCase> {};

TEST_P(ConnectedCommands, GoToTheLine)
{
    const ConnectedCommandCase& c = GetParam();
    Start({{"Ждать", kIdle, {}}, {"Текст", kSendString, {}}});
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    rig.lines[1]->setRing(true); // input '+': the partner holds the line
    d.ClearingTime = 100000;
    rig.Advance(100);
    window.SetChannelCommand(ChannelCommands::Call);
    rig.Advance(50);
    d.ElementAt(d.CurrentIndex)->GoNext(); // the idle element moves on: the connection stands
    rig.Advance(50);
    ASSERT_EQ(d.ChannelState, ChannelStates::Connected);
    const qsizetype sentBefore = rig.Sent().size();
    window.Forget();
    window.SetChannelCommand(c.command);
    rig.Advance(2000);
    EXPECT_EQ(window.Calls("PostMessageCode"), QStringList{QString::fromLatin1(c.posted)});
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::None);
    QByteArray expected;
    for (std::uint8_t b : c.line)
        expected.append(char(b));
    EXPECT_EQ(rig.Sent().mid(sentBefore).toHex(' '), expected.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ConnectedCommands,
    ::testing::Values(ConnectedCommandCase{"Ask", ChannelCommands::AskAnswerBack, "PostMessageCode(4)", {27, 9}},
                      // "12345 TEST": figures, 1 to 5, space, Latin, T, E, S, T
                      ConnectedCommandCase{"AnswerBack", ChannelCommands::AnswerBack, "PostMessageCode(5)",
                                           {27, 23, 19, 1, 10, 16, 4, 31, 16, 1, 5, 16}}),
    [](const ::testing::TestParamInfo<ConnectedCommandCase>& info) { return std::string(info.param.name); });

TEST_F(Stepping, CallWhileOtherWorkRunsPostsCode2AndTheDialogSound)
{
    Start({{"Пауза", kPause, {}}});
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    rig.Advance(100);
    window.SetChannelCommand(ChannelCommands::Call);
    rig.Advance(50);
    EXPECT_TRUE(window.Calls().contains("SetDialogMode(true)"));
    EXPECT_TRUE(window.Calls().contains("PostMessageCode(2)"));
    EXPECT_TRUE(d.SoundEvents.has(SoundEvent::DialogEntered));
    EXPECT_EQ(Count(QStringLiteral("Канал 1: (Пауза) [Переход в \"Диалог\" + соединение]")), 1);
}

TEST_F(Stepping, InDialogATextStepShowsTheConnectionAndKeysGoToTheLineOnePerTick)
{
    Start({{"Ждать", kIdle, {}}, {"Текст", kSendString, {}}});
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    rig.lines[1]->setRing(true); // input '+': the partner holds the line
    d.ClearingTime = 100000;
    rig.Advance(100);
    window.SetChannelCommand(ChannelCommands::Call);
    rig.Advance(50);
    d.ElementAt(d.CurrentIndex)->GoNext(); // the idle element moves on to the text step
    window.Forget();
    rig.Advance(50);
    EXPECT_EQ(d.ChannelState, ChannelStates::Connected);
    EXPECT_TRUE(window.Calls().contains("SetChannelState(8)"));
    EXPECT_TRUE(window.Calls().contains("SetElementName(Соединение установлено)"));
    EXPECT_EQ(Element(kSendString).starts, 0) << "the operator has the line: the text element is not started";
    ASSERT_TRUE(window.KeyRing().Put(QStringLiteral("EE")));
    rig.Advance(50);
    EXPECT_EQ(window.KeyRing().Count(), 1);
    rig.Advance(50);
    EXPECT_EQ(window.KeyRing().Count(), 0);
    rig.Advance(600);
    EXPECT_EQ(rig.lines[1]->takeReceived(), Codes({31, 1, 1}));
    d.ElementAt(d.CurrentIndex)->ClearingLeft = 20;
    rig.lines[1]->setRing(false); // the partner clears
    window.Forget();
    rig.Advance(100);
    EXPECT_TRUE(window.Calls().contains("PostMessageCode(8)"));
    EXPECT_EQ(d.ResultCode, FailureCodes::Dis);
}

TEST_F(Stepping, AHeldTextGoesOnAfterTwoSilentSecondsInDialog)
{
    Start({{"Ждать", kIdle, {}}});
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    rig.lines[1]->setRing(true); // input '+': the partner has not cleared
    d.ClearingTime = 100000;
    d.LineBreakTime = 100000;
    rig.Advance(100);
    d.DialogMode = 1;
    d.CurrentElement->State = ChannelStates::Connected;
    d.SetChannelState(ChannelStates::Connected);
    d.SendString(QStringLiteral("E&T"));
    rig.Advance(400);
    EXPECT_TRUE(d.TxPauseActive);
    EXPECT_EQ(d.Tx.Count(), 1) << "the held text waits in the ring";
    EXPECT_EQ(rig.lines[1]->takeReceived(), Codes({31, 1}));
    rig.lines[1]->send(Codes({4})); // a character received restarts the 2 s
    rig.Advance(1900);
    EXPECT_TRUE(d.TxPauseActive);
    rig.Advance(600);
    EXPECT_FALSE(d.TxPauseActive);
    rig.Advance(200);
    EXPECT_EQ(rig.lines[1]->takeReceived(), Codes({16}));
}

} // namespace
