// The dialling elements against a simulated line: the invitation pulse and
// the busy pulse, no invitation, pulse dialling with its timings, keyboard
// selection, the decisions, and the wait for the connection.

#include "tests/engine/elements/ElementRig.h"

#include "engine/elements/DiallingElements.h"
#include "support/TelegraphCode.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kInvitation = QStringLiteral("Ожид. приглашения к набору номера");
const QString kPulseDial = QStringLiteral("Набор номера (B)");
const QString kKeyboardDial = QStringLiteral("Набор номера (A)");
const QString kConnection = QStringLiteral("Ожидание подключения");

StepSpec Invitation(const QString& wait, const QString& min, const QString& max = "45")
{
    return {"Приглашение", kInvitation, {wait, min, max, "Набор", "Отбой", "Занято"}};
}
StepSpec PulseDial()
{
    return {"Набор", kPulseDial, {"60", "40", "500", "Донабор", "Подключение"}};
}
StepSpec KeyboardDial()
{
    return {"Набор А", kKeyboardDial, {"Донабор", "Подключение", "Отбой", "Выключен", "Подключение"}};
}
std::vector<StepSpec> Rests()
{
    return {LongPause("Подключение"), LongPause("Набор"), LongPause("Донабор"), LongPause("Отбой"), LongPause("Занято")};
}
std::vector<StepSpec> With(std::vector<StepSpec> steps)
{
    for (const StepSpec& s : Rests())
        steps.push_back(s);
    return steps;
}

// The '-' pulses of each digit series on the line: runs of breaks separated by
// '+' of at least the inter-digit gap.
std::vector<int> PulseSeries(const std::vector<std::int64_t>& stretches)
{
    std::vector<int> out;
    int pulses = 0;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        if (i % 2 == 0) {
            ++pulses; // a break
        } else if (stretches[i] >= 500) {
            out.push_back(pulses);
            pulses = 0;
        }
    }
    if (pulses)
        out.push_back(pulses);
    return out;
}

class Dialling : public ::testing::Test {
protected:
    ElementRig r;
};

TEST_F(Dialling, TheInvitationPulseIsMeasuredAndTold)
{
    struct Case {
        QString min;
        int plusTicks; // fast ticks that see input '+'
        QString jump;  // empty: the measurement starts again
        FailureCode result;
    };
    const Case cases[] = {
        {"25", 4, "Набор", FailureCodes::Success},    // 30 ms
        {"25", 3, "", FailureCodes::Success},         // 20 ms
        {"17.5", 2, "Набор", FailureCodes::Success},  // 10 ms: below 20, so 10 is the minimum
        {"17.5", 1, "", FailureCodes::Success},       // 0 ms
        {"25", 6, "", FailureCodes::Success},         // 50 ms: too long
        {"25", 21, "Занято", FailureCodes::OccPulse}, // 200 ms: busy
        {"25", 11, "", FailureCodes::Success},        // 100 ms: neither
    };
    for (const Case& c : cases) {
        ElementRig rig;
        rig.Start(With({LongPause("Покой"), Invitation("20", c.min)}));
        rig.Advance(50);
        TTxChannelDriver& d = rig.Driver();
        d.BusyPulseMin = 165;
        d.BusyPulseMax = 240;
        d.LineBreakTime = 300;
        auto& e = rig.StartStep<TTxWInvaitSendNum>("Приглашение");
        EXPECT_EQ(e.State, ChannelStates::WaitDialInvitation);
        const std::string name = c.min.toStdString() + " x" + std::to_string(c.plusTicks);
        rig.Line().setRing(true);
        for (int i = 0; i < c.plusTicks; ++i)
            e.DoIt();
        rig.Line().setRing(false);
        e.DoIt();
        EXPECT_TRUE(d.PendingStepLine.startsWith(QStringLiteral("Импульс: %1 ").arg((c.plusTicks - 1) * 10))) << name;
        EXPECT_EQ(e.Done, !c.jump.isEmpty()) << name;
        if (e.Done)
            EXPECT_EQ(e.Step->Name, c.jump) << name;
        else
            EXPECT_EQ(e.InPulse, 0) << name;
        EXPECT_EQ(d.ResultCode, c.result) << name;
    }
}

TEST_F(Dialling, NoInvitationEndsTheWaitWithItsCode)
{
    r.Start(With({LongPause("Покой"), Invitation("1", "17.5")}));
    r.Advance(50);
    r.Driver().LineBreakTime = 300;
    auto& e = r.StartStep("Приглашение");
    EXPECT_EQ(ElementRig::DoItUntilDone(e), 100) << "one second of fast ticks";
    EXPECT_EQ(e.Step->Name, "Отбой");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Num);

    auto& none = r.StartStep("Приглашение");
    r.Line().setDsr(true); // the line breaks while waiting
    EXPECT_EQ(ElementRig::DoItUntilDone(none), 30);
    EXPECT_EQ(none.Step->Name, "Отбой");
}

TEST_F(Dialling, NoWaitForTheInvitationGoesOnAtOnce)
{
    r.Start(With({LongPause("Покой"), Invitation("0", "17.5")}));
    r.Advance(50);
    auto& e = r.StartStep("Приглашение");
    EXPECT_TRUE(e.Done);
    EXPECT_EQ(e.Step->Name, "Набор");
}

TEST_F(Dialling, ABusyPulseFromTheExchangeEndsTheCall)
{
    r.Start(With({{"Вызов", QStringLiteral("Установить полярность \"+\""), {}}, Invitation("20", "17.5")}),
            "Тест", [](TChannelOptions& o) { o.LineType = kTwoPoleLine; });
    TTxChannelDriver& d = r.Driver();
    d.BusyPulseMin = 165;
    d.BusyPulseMax = 240;
    d.LineBreakTime = 300;
    r.Advance(300);
    EXPECT_EQ(r.StepName(), "Приглашение");
    EXPECT_EQ(d.ChannelState, ChannelStates::WaitDialInvitation);
    r.Line().setRing(true);
    r.Advance(200);
    r.Line().setRing(false);
    r.Advance(100);
    EXPECT_EQ(r.StepName(), "Занято");
    EXPECT_EQ(d.ResultCode, FailureCodes::OccPulse);
}

TEST_F(Dialling, AnInvitationThenPulseDiallingOnTheLine)
{
    r.Start(With({{"Вызов", QStringLiteral("Установить полярность \"+\""), {}}, Invitation("20", "17.5"),
                  PulseDial()}));
    TTxChannelDriver& d = r.Driver();
    d.Number = "8-2345";
    d.LineBreakTime = 300;
    r.Advance(300);
    r.Line().setRing(true); // the exchange's invitation
    r.Advance(30);
    r.Line().setRing(false);
    const std::int64_t dialFrom = r.Line().nowUs() / 1000;
    ASSERT_GE(r.AdvanceUntilStep("Подключение", 10000), 0) << r.StepName().toStdString();
    std::vector<std::int64_t> expected;
    for (int i = 0; i < 8; ++i)
        expected.insert(expected.end(), {60, 40});
    expected.pop_back(); // the line stays '+' after the last break
    EXPECT_EQ(r.StretchesAfter(dialFrom), expected) << "eight breaks of 60 ms with makes of 40 ms";
    EXPECT_EQ(d.DialPos, 3) << "the next character to dial is the 2";
    EXPECT_EQ(d.Number, "8-2345");
    r.Advance(100);
    EXPECT_TRUE(r.LogLines().join('\n').contains(QStringLiteral("[Номер B: \"8-\"]")))
        << r.LogLines().join('\n').toStdString();
}

TEST_F(Dialling, PulseDiallingSeriesAndTheEndOfTheDecadicPart)
{
    struct Case {
        QString number;
        std::vector<int> series;
        QString end; // where the element went
        int dialPos;
    };
    const Case cases[] = {
        {"0", {10}, "Подключение", 2},
        {"1 A2-9", {1, 2}, "Подключение", 6},
        {"3+45", {3}, "Донабор", 3},
        {"", {}, "Подключение", 1},
    };
    for (const Case& c : cases) {
        ElementRig rig;
        rig.Start(With({{"Вызов", QStringLiteral("Установить полярность \"+\""), {}}, PulseDial()}));
        TTxChannelDriver& d = rig.Driver();
        d.Number = c.number;
        rig.Advance(50);
        ASSERT_EQ(rig.StepName(), "Набор");
        const std::int64_t from = rig.Line().nowUs() / 1000 + 1; // after the call's '+'
        rig.Advance(50);
        if (!c.number.isEmpty()) {
            EXPECT_EQ(d.ChannelState, ChannelStates::Dialling);
        }
        EXPECT_GE(rig.AdvanceUntilStep(c.end, 20000), 0) << c.number.toStdString();
        EXPECT_EQ(PulseSeries(rig.StretchesAfter(from)), c.series) << c.number.toStdString();
        EXPECT_EQ(d.DialPos, c.dialPos) << c.number.toStdString();
    }
}

TEST_F(Dialling, TheExitCodeIsDialledBeforeTheNumber)
{
    r.Start(With({{"Вызов", QStringLiteral("Установить полярность \"+\""), {}},
                  {"Донабор кода", QStringLiteral("Постоянный донабор"), {"Включен", "3"}},
                  {"Декадный", QStringLiteral("Декадный донабор"), {"Набор", "Подключение"}}, PulseDial()}),
            QStringLiteral("Стандарт A"));
    TTxChannelDriver& d = r.Driver();
    d.Number = "2345";
    r.Advance(50);
    const std::int64_t from = r.Line().nowUs() / 1000 + 1;
    ASSERT_EQ(r.StepName(), "Набор") << "the dial string holds a '-': decadic dialling";
    ASSERT_GE(r.AdvanceUntilStep("Подключение", 10000), 0);
    EXPECT_EQ(PulseSeries(r.StretchesAfter(from)), std::vector<int>({3}));
    EXPECT_EQ(d.Number, "2345");
    EXPECT_EQ(d.DialPos, 3);
}

TEST_F(Dialling, DecadicAndCentralDecisions)
{
    struct Case {
        QString number, decadic, central;
    };
    const Case cases[] = {
        {"8-2345", "Декадный есть", "Нет центральной"},
        {"2345", "Нет декадного", "Нет центральной"},
        {"8-23.45", "Декадный есть", "Центральная"},
    };
    for (const Case& c : cases) {
        ElementRig rig;
        rig.Start({LongPause("Покой"),
                   {"Декадный", QStringLiteral("Декадный донабор"), {"Декадный есть", "Нет декадного"}},
                   {"Центральная", QStringLiteral("Вызов центральной"), {"Нет центральной", "Отбой", "411111"}},
                   LongPause("Декадный есть"), LongPause("Нет декадного"), LongPause("Нет центральной"),
                   LongPause("Отбой")});
        rig.Advance(50);
        rig.Driver().Number = c.number;
        EXPECT_EQ(rig.StartStep("Декадный").Step->Name, c.decadic) << c.number.toStdString();
        auto& central = rig.StartStep("Центральная");
        EXPECT_EQ(central.Done ? central.Step->Name : QStringLiteral("Центральная"), c.central);
    }
}

TEST_F(Dialling, TheCentralCodeGoesOutInFiguresAndTheStepFollowsWhenSent)
{
    r.Start({{"Вызов", QStringLiteral("Установить полярность \"+\""), {}},
             {"Центральная", QStringLiteral("Вызов центральной"), {"Нет", "Отбой", "411111"}}, LongPause("Дальше"),
             LongPause("Нет"), LongPause("Отбой")});
    TTxChannelDriver& d = r.Driver();
    d.Number = "12.34";
    r.Line().setRing(true);
    r.Advance(50);
    ASSERT_EQ(r.StepName(), "Центральная");
    ASSERT_GE(r.AdvanceUntilStep("Дальше", 3000), 0);
    QByteArray expected;
    TelegraphRegister reg = RussianRegister;
    EncodeTelegraph(u"^411111", expected, reg);
    EXPECT_EQ(r.rig.Sent(), expected);
}

TEST_F(Dialling, KeyboardSelectionSendsTheRestOfTheNumber)
{
    struct Case {
        QString number;
        int dialPos;
        QString sent; // in telegraph text
        QString end;
        int dialPosAfter;
    };
    const Case cases[] = {
        {"12345", 1, "12345+", "Подключение", 1},
        {"123+45", 1, "123", "Донабор", 5},
        {"8-2345", 3, "2345+", "Подключение", 3},
        // The next part starts after the '+' of the number itself, whatever was cut before it.
        {"8-.23+45", 3, "23", "Донабор", 7},
    };
    for (const Case& c : cases) {
        ElementRig rig;
        rig.Start(With({{"Вызов", QStringLiteral("Установить полярность \"+\""), {}}, KeyboardDial()}));
        TTxChannelDriver& d = rig.Driver();
        d.Number = c.number;
        d.DialPos = static_cast<std::uint8_t>(c.dialPos);
        d.LineRegister = FiguresRegister; // whatever the line had: the selection starts with its shift
        rig.Line().setRing(true);         // the connection holds
        const std::string name = c.number.toStdString();
        ASSERT_GE(rig.AdvanceUntilStep(c.end, 5000), 0) << name << " at " << rig.StepName().toStdString();
        QByteArray expected;
        TelegraphRegister reg = NoRegister;
        EncodeTelegraph(c.sent, expected, reg);
        EXPECT_EQ(rig.rig.Sent(), expected) << name;
        EXPECT_EQ(d.DialPos, c.dialPosAfter) << name;
        if (c.dialPosAfter > 1 && c.end == "Донабор") {
            EXPECT_EQ(c.number[c.dialPosAfter - 1], u'4') << name;
        }
        EXPECT_EQ(rig.Driver().DialFinished, 0);
    }
}

TEST_F(Dialling, KeyboardSelectionWithNothingLeftAndWithTheLineCleared)
{
    r.Start(With({LongPause("Покой"), KeyboardDial()}));
    r.Advance(50);
    TTxChannelDriver& d = r.Driver();
    d.Number = "123";
    d.DialPos = 4;
    d.TxIdle = false;
    r.Line().setRing(true); // the connection holds
    auto& e = r.StartStep("Набор А");
    EXPECT_TRUE(d.TxIdle);
    EXPECT_EQ(d.DialFinished, 1);
    EXPECT_EQ(d.PendingStepLine, "Номер А: \"\"");
    EXPECT_EQ(ElementRig::DoItUntilDone(e), 1);
    EXPECT_EQ(e.Step->Name, "Подключение");

    d.DialPos = 1;
    d.ClearingTime = 30;
    r.Line().setRing(false); // the distant side clears
    auto& cleared = r.StartStep("Набор А");
    EXPECT_EQ(ElementRig::DoItUntilDone(cleared), 3);
    EXPECT_EQ(cleared.Step->Name, "Отбой");
    EXPECT_EQ(d.ResultCode, FailureCodes::Dis);
}

TEST_F(Dialling, TheConnectionIsThereWhenTheInputStaysPlus)
{
    r.Start(With({LongPause("Покой"), {"Соединение", kConnection, {"1", "300", "Готово", "Отбой", "Занято"}},
                  LongPause("Готово")}));
    r.Advance(50);
    TTxChannelDriver& d = r.Driver();
    d.LineBreakTime = 300;
    auto& e = r.StartStep<TTxWaitAnswerStat>("Соединение");
    EXPECT_EQ(e.State, ChannelStates::WaitConnection);
    r.Line().setRing(true);
    for (int i = 0; i < 20; ++i)
        e.DoIt();
    r.Line().setRing(false); // a short '+' does not count
    e.DoIt();
    EXPECT_EQ(e.PlusLeft, 300);
    r.Line().setRing(true);
    EXPECT_EQ(ElementRig::DoItUntilDone(e), 30);
    EXPECT_EQ(e.Step->Name, "Готово");

    r.Line().setRing(false);
    auto& late = r.StartStep("Соединение");
    EXPECT_EQ(ElementRig::DoItUntilDone(late), 100);
    EXPECT_EQ(late.Step->Name, "Отбой");
    EXPECT_EQ(d.ResultCode, FailureCodes::Sta);

    auto& broken = r.StartStep("Соединение");
    r.Line().setDsr(true);
    d.ResultCode = FailureCodes::Success;
    EXPECT_EQ(ElementRig::DoItUntilDone(broken), 30);
    EXPECT_EQ(broken.Step->Name, "Занято") << "a broken line goes to \"*Отбой\"";
    EXPECT_EQ(d.ResultCode, FailureCodes::Success);
}

} // namespace
