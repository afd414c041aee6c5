// The channel driver's own operations: the port number, the window link, the
// setters that call the window only on a change, the counters, the LED timer,
// the element look-up, and the checks of what the line returned.

#include "tests/engine/EngineRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kIdle = QStringLiteral("Анализ состояния приема");
const QString kCentre = QStringLiteral("Вызов центральной");

class ChannelDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.catalog = MakeCatalog({
            {kIdle, "TTxCheckInputLine", [](ScriptedElement& e) { e.Driver().RxEnabled = true; }, nullptr},
            {kCentre, "TTxAnalizeCenterA", nullptr, nullptr},
            {kCentre, "TTxAnalizeCenterA", nullptr, nullptr},
        });
        rig.set = MakeSet({{"Ожидание", kIdle, {}}}, QStringLiteral("Абонентская"));
        rig.AddLine(5);
        rig.EnableChannel(5, QStringLiteral("*12345 МИР"));
        rig.Start();
        rig.Advance(60);
    }
    TTxChannelDriver& Driver() { return rig.Driver(5); }

    EngineRig rig;
    FakeChannelWindow window;
};

TEST_F(ChannelDriver, ChannelFiveOpensComFive)
{
    EXPECT_EQ(Driver().Channel, 5);
    EXPECT_EQ(Driver().Port->ComNumber(), TComNumber(4));
    EXPECT_TRUE(Driver().PortOpen);
    EXPECT_TRUE(rig.lines[5]->isOpen());
}

TEST_F(ChannelDriver, LinkingAWindowPushesTheDriversStateInOrder)
{
    Driver().SetWindow(&window);
    EXPECT_EQ(window.Calls(), QStringList({"SetAnswerBackAndProtocol(*12345 МИР, Абонентская)",
                                           "SetChannelState(0)", "SetDialogMode(false)",
                                           "SetElementName(Ожидание)"}));
    window.Forget();
    Driver().SetWindow(&window);
    EXPECT_TRUE(window.Calls().isEmpty()) << "the window already linked: nothing";
}

TEST_F(ChannelDriver, ADialogWindowShowingTheConnectionNamesIt)
{
    TTxChannelDriver& d = Driver();
    d.DialogMode = 1;
    window.ShowState(ChannelStates::Connected);
    d.SetWindow(&window);
    EXPECT_EQ(window.Calls().mid(2), QStringList({"SetDialogMode(true)", "SetElementName(Ожидание)",
                                                  "SetElementName(Соединение установлено)"}));
}

TEST_F(ChannelDriver, UnlinkingTheWindowReturnsToControlAndRestartsAtTheFirstStep)
{
    TTxChannelDriver& d = Driver();
    d.SetWindow(&window);
    window.SetChannelCommand(ChannelCommands::Call);
    rig.Advance(50);
    ASSERT_EQ(d.DialogMode, 1);
    auto& idle = static_cast<ScriptedElement&>(*d.ElementAt(d.IndexOfElement(kIdle)));
    const int starts = idle.starts;
    d.SetWindow(nullptr);
    EXPECT_EQ(d.DialogMode, 0);
    EXPECT_TRUE(d.RestartPending);
    EXPECT_EQ(d.CurrentStep, d.FirstStep);
    rig.Advance(50);
    EXPECT_EQ(idle.starts, starts + 1);
}

TEST_F(ChannelDriver, StateAuxStateAndAlarmReachTheWindowOnlyWhenTheyChange)
{
    TTxChannelDriver& d = Driver();
    d.SetWindow(&window);
    window.Forget();
    d.SetChannelState(3);
    d.SetChannelState(3);
    d.SetAuxState(11);
    d.SetAuxState(11);
    d.SetAlarm(1);
    d.SetAlarm(1);
    d.SetAlarm(0);
    EXPECT_EQ(window.Calls(), QStringList({"SetChannelState(3)", "SetAuxState(11)", "SetAlarmColor(true)",
                                           "SetAlarmColor(false)"}));
}

TEST_F(ChannelDriver, ResetCountersMakesTheNextShowPushBothCounters)
{
    TTxChannelDriver& d = Driver();
    d.SetWindow(&window);
    d.RxCharCount = 17;
    d.TxCharCount = 4;
    d.TxDone = 1;
    d.WruTwice = 1;
    d.ConnectionKind = 2;
    d.ShowCounters();
    window.Forget();
    d.ShowCounters();
    EXPECT_TRUE(window.Calls().isEmpty()) << "nothing changed since the last show";
    d.ResetCounters();
    EXPECT_EQ(d.TxDone, 0);
    EXPECT_EQ(d.WruTwice, 0);
    EXPECT_EQ(d.ConnectionKind, 0);
    d.ShowCounters();
    EXPECT_EQ(window.Calls(), QStringList({"SetRxCount(0)", "SetTxCount(0)"}));
}

TEST_F(ChannelDriver, TheLedTimerStopsBothLedsBlinkingAfterTheTransmitterWentIdle)
{
    TTxChannelDriver& d = Driver();
    d.SetWindow(&window);
    d.SetLedTimerInterval(500);
    d.SendString(QStringLiteral("E"));
    rig.Advance(400); // the shift and the letter are on the line
    ASSERT_TRUE(d.TxIdle);
    ASSERT_TRUE(d.LedTimerEnabled);
    window.Forget();
    rig.Advance(300);
    EXPECT_TRUE(window.Calls("SetLedAutoBlink").isEmpty()) << "the interval has not passed";
    rig.Advance(300);
    EXPECT_EQ(window.Calls("SetLedAutoBlink"), QStringList({"SetLedAutoBlink(Tx, false)", "SetLedAutoBlink(Rx, false)"}));
    EXPECT_FALSE(d.LedTimerEnabled);
}

TEST_F(ChannelDriver, ALookUpIgnoresLetterCaseAndFindsTheFirstOfTwoPrototypes)
{
    const TTxChannelDriver& d = Driver();
    ASSERT_EQ(d.ElementCount(), 3);
    EXPECT_EQ(d.IndexOfElement(kCentre), 1);
    EXPECT_EQ(d.IndexOfElement(kCentre.toUpper()), 1);
    EXPECT_EQ(d.IndexOfElement(QStringLiteral("Нет такого")), -1);
}

// The line returned its text across a swap of the receive buffers. Only
// what came from the line counts: the channel's own text stored among it
// is never taken for the partner's answerback or a service signal.
class LineChecks : public ChannelDriver {
protected:
    std::int64_t ReceivedAcrossASwap(const QByteArray& text)
    {
        TTxChannelDriver& d = Driver();
        while (d.Rx.Total() < ReceiveBuffers::BufferSize - 4)
            d.PutRxByte('.');
        const std::int64_t start = d.Rx.Total();
        for (char c : text)
            d.PutLineByte(static_cast<std::uint8_t>(c));
        EXPECT_TRUE(d.Rx.RxActiveB());
        return start;
    }
};

TEST_F(LineChecks, TheAnswerbackIsCheckedOnTheTextOnBothSidesOfTheSwap)
{
    TTxChannelDriver& d = Driver();
    d.Modes |= ChannelMode::CheckAB;
    d.ExpectedAnswerBack = QStringLiteral("54321 ABC");
    const std::int64_t start = ReceivedAcrossASwap("\r\n54321 ABC");
    d.Events.store(0);
    EXPECT_TRUE(d.CheckAnswerBack(start));
    EXPECT_EQ(d.PendingStepLine, QStringLiteral("=== Проверка автоответа ['54321 ABC' in '<_54321 ABC', 3, (Cntr=11)]"));
    EXPECT_TRUE(d.Events.has(DriverEvent::LogStepLine));
    d.ExpectedAnswerBack = QStringLiteral("99999 XYZ");
    EXPECT_FALSE(d.CheckAnswerBack(start));
}

TEST_F(LineChecks, WithoutTheChannelOptionTheAnswerbackPassesUnnoted)
{
    TTxChannelDriver& d = Driver();
    d.ExpectedAnswerBack = QStringLiteral("99999 XYZ");
    const std::int64_t start = ReceivedAcrossASwap("54321 ABC");
    d.Events.store(0);
    d.PendingStepLine.clear();
    EXPECT_TRUE(d.CheckAnswerBack(start));
    EXPECT_TRUE(d.PendingStepLine.isEmpty());
    EXPECT_FALSE(d.Events.has(DriverEvent::LogStepLine));
}

TEST_F(LineChecks, TheChannelsOwnTextIsNeitherAnswerbackNorServiceSignal)
{
    TTxChannelDriver& d = Driver();
    d.Modes |= ChannelMode::CheckAB;
    d.ExpectedAnswerBack = QStringLiteral("54321 ABC");
    const std::int64_t start = d.Rx.Total();
    for (char c : QByteArray("54321 ABC OCC"))
        d.PutRxByte(static_cast<std::uint8_t>(c)); // echoed, not received
    d.PutLineByte('@');
    EXPECT_FALSE(d.CheckAnswerBack(start));
    EXPECT_EQ(d.ClassifyServiceSignal(start), FailureCodes::Dis);
}

TEST_F(LineChecks, AServiceSignalSplitByTheSwapIsFound)
{
    TTxChannelDriver& d = Driver();
    const std::int64_t start = ReceivedAcrossASwap("  OCC NP"); // "  OC" before the swap, "C NP" after it
    EXPECT_EQ(d.ClassifyServiceSignal(start), FailureCodes::Occ);
    EXPECT_EQ(d.ClassifyServiceSignal(d.Rx.Total()), FailureCodes::Dis);
}

} // namespace
