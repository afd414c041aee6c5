// The line control elements: polarity, pulse, pause, jump, the settings
// writers, the fixed exit code and the port settings, on a simulated line.

#include "tests/engine/elements/ElementRig.h"

#include "engine/elements/LineControlElements.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kPause = QStringLiteral("Пауза");
const QString kImpulse = QStringLiteral("Импульс");
const QString kJump = QStringLiteral("Переход");
const QString kPortSettings = QStringLiteral("Режим приема/передачи");

class LineControl : public ::testing::Test {
protected:
    ElementRig r;
};

TEST_F(LineControl, SettingsWritersStoreTheValuesOfTheLineType)
{
    struct Case {
        std::uint32_t lineType;
        std::int32_t clearing, busyMin, busyMax;
    };
    for (const Case& c : {Case{kTwoPoleLine, 350, 165, 240}, Case{kOnePoleLine, 100, 60, 200}}) {
        ElementRig rig;
        rig.Start({{"Отбой приема", "Отбой приема", {"350", "100"}},
                   {"Занято", "Занято", {"165", "240", "60", "200"}},
                   {"Обрыв", "Обpыв линии", {"300"}},
                   {"Пауза на приеме", "Пауза при приеме данных", {"120"}},
                   {"Встречная", "Встpечная pабота", {"3", "120", "5", "5", "100", "<_+ {время} CONTINUE +<_"}},
                   {"Сообщение", "Параметры сообщения", {"ЗЦЗЦ", "НННН", "КОНЕЦ"}},
                   {"ЦКС", "Выход на ЦКС", {"Включен", "3", "143911"}},
                   LongWait()},
                  "Тест", [&c](TChannelOptions& o) { o.LineType = c.lineType; });
        rig.Advance(50);
        TTxChannelDriver& d = rig.Driver();
        EXPECT_EQ(rig.StepName(), "Ждать") << "all of them finish within the first tick";
        EXPECT_EQ(d.ClearingTime, c.clearing);
        EXPECT_EQ(d.BusyPulseMin, c.busyMin);
        EXPECT_EQ(d.BusyPulseMax, c.busyMax);
        EXPECT_EQ(d.LineBreakTime, 300);
        EXPECT_EQ(d.ReceivePauseTime, 120000) << "seconds kept in ms";
        EXPECT_EQ(d.ContraryWork.Count, 3);
        EXPECT_EQ(d.ContraryWork.Wait, 120000);
        EXPECT_EQ(d.ContraryWork.Pause, 5000);
        EXPECT_EQ(d.ContraryWork.Counter, 5);
        EXPECT_EQ(d.ContraryWork.Rollback, 100);
        EXPECT_EQ(d.ContraryWork.Text, "<_+ {время} CONTINUE +<_");
        EXPECT_EQ(d.Marks.Start, "ЗЦЗЦ");
        EXPECT_EQ(d.Marks.EndA, "НННН");
        EXPECT_EQ(d.Marks.EndB, "КОНЕЦ");
        EXPECT_TRUE(d.SwitchingCentre.Enabled);
        EXPECT_EQ(d.SwitchingCentre.Attempts, 3);
        EXPECT_EQ(d.SwitchingCentre.Code, "143911");
    }
}

TEST_F(LineControl, ABadNumberStopsTheSettingsWhereItStands)
{
    r.Start({{"Отбой приема", "Отбой приема", {"350", "1x"}}, LongWait()});
    r.Advance(50);
    EXPECT_EQ(r.Driver().ClearingTime, 350) << "the value read before the bad one is stored";
    EXPECT_TRUE(r.LogLines().contains("== Исключение: The value 1x is not a valid number "
                                      "[TTxScanner.ProtocolTimerTimer]"))
        << r.LogLines().join('\n').toStdString();
}

TEST_F(LineControl, PolarityElementsSwitchTheOutput)
{
    r.Start({{"Вызов", "Установить полярность \"+\"", {}}, LongWait()});
    r.Advance(50);
    TTxChannelDriver& d = r.Driver();
    EXPECT_FALSE(r.Line().breakOn()) << "'+': break off";
    EXPECT_EQ(d.OutputPolarity, 1);
    EXPECT_EQ(r.Element(QStringLiteral("Установить полярность \"+\"")).State, ChannelStates::Calling);

    auto& minus = r.Element(QStringLiteral("Установить полярность \"-\""));
    minus.Step = nullptr; // finishes even without a step
    minus.Start();
    EXPECT_TRUE(minus.Done);
    EXPECT_TRUE(r.Line().breakOn());
    EXPECT_EQ(d.OutputPolarity, 0);
}

TEST_F(LineControl, APulseHoldsPlusUntilTheTickAfterItsLength)
{
    struct Case {
        QString length;
        int doIts; // DoIt calls until done
        bool plus; // the output went '+'
    };
    for (const Case& c : {Case{"100", 11, true}, Case{"0", 1, false}, Case{"25", 4, true}}) {
        ElementRig rig;
        rig.Start({LongWait(), {"Импульс", kImpulse, {c.length}}});
        rig.Advance(50);
        auto& pulse = rig.StartStep<TTxImpulse>("Импульс");
        EXPECT_EQ(rig.Driver().ImpulseTime, c.length.toInt());
        EXPECT_EQ(!rig.Line().breakOn(), c.plus) << c.length.toStdString();
        int n = 0;
        while (!pulse.Done && n < 1000) {
            EXPECT_EQ(!rig.Line().breakOn(), c.plus) << "still '+' before call " << n + 1;
            pulse.DoIt();
            ++n;
        }
        EXPECT_EQ(n, c.doIts) << c.length.toStdString();
        EXPECT_TRUE(rig.Line().breakOn()) << "'-' at the end";
    }
}

TEST_F(LineControl, APulseOnTheLineLastsItsLengthRoundedUpToATick)
{
    r.Start({{"Импульс", kImpulse, {"100"}}, LongWait()});
    r.Advance(1000);
    EXPECT_EQ(r.StepName(), "Ждать");
    const auto stretches = r.StretchesAfter(1);
    ASSERT_EQ(stretches.size(), 1u);
    EXPECT_EQ(stretches[0], 110) << "from Start to the 11th fast tick after it";
}

TEST_F(LineControl, APauseEndsOnTheTickAfterItsTimeRanOut)
{
    struct Case {
        QString length;
        int doIts;
    };
    for (const Case& c : {Case{"300", 31}, Case{"0", 1}, Case{"0.4", 1}, Case{"15", 3}}) {
        ElementRig rig;
        rig.Start({LongWait(), {"Задержка", kPause, {c.length}}, LongWait("Дальше")});
        rig.Advance(50);
        auto& pause = rig.StartStep<TTxPause>("Задержка");
        EXPECT_EQ(ElementRig::DoItUntilDone(pause), c.doIts) << c.length.toStdString();
        ASSERT_NE(pause.Step, nullptr);
        EXPECT_EQ(pause.Step->Name, "Дальше");
        EXPECT_EQ(rig.Driver().PauseTime, int(std::lround(c.length.toDouble())));
    }
}

TEST_F(LineControl, JumpsGoToTheirTargetAndAMissingTargetRestartsTheProtocol)
{
    r.Start({LongWait("Начало"), {"Переход", kJump, {"Цель"}}, {"Мимо", kPause, {"0"}}, LongWait("Цель"),
             {"Плохой", kJump, {"Нет такого"}}});
    r.Advance(50);
    auto& jump = r.StartStep("Переход");
    EXPECT_FALSE(jump.Done) << "the jump is made on the first tick";
    jump.DoIt();
    EXPECT_TRUE(jump.Done);
    EXPECT_EQ(jump.Step->Name, "Цель");

    auto& bad = r.StartStep("Плохой");
    bad.DoIt();
    EXPECT_FALSE(bad.Done);
    EXPECT_TRUE(r.Driver().RestartPending);
    r.Advance(50);
    EXPECT_EQ(r.StepName(), "Начало");
    EXPECT_TRUE(r.LogLines().contains("Канал 1: [== Исключение: The element Нет такого doesn't present in the "
                                      "ElementList [TTxJumpTo.DoIt]]"));
}

TEST_F(LineControl, TheExitCodeGoesBeforeTheDialledNumberAndTheNumberStays)
{
    struct Case {
        QString protocol, enabled, exitCode, number, dialled;
    };
    const Case cases[] = {
        {"Стандарт A", "Включен", "8", "2345", "8-2345"},
        {"Стандарт B", "Включен", "8", "2345", "8+2345"},
        {"Стандарт A", "Выключен", "8", "2345", "2345"},
        {"Тест", "Включен", "3", "12345678901234567890123", "3+1234567890123456789012"},
    };
    for (const Case& c : cases) {
        ElementRig rig;
        rig.Start({LongWait(), {"Донабор", "Постоянный донабор", {c.enabled, c.exitCode}}}, c.protocol);
        rig.Advance(50);
        TTxChannelDriver& d = rig.Driver();
        d.Number = c.number;
        auto& e = rig.StartStep("Донабор");
        EXPECT_TRUE(e.Done);
        EXPECT_EQ(e.DialString(), c.dialled) << c.protocol.toStdString() << " " << c.enabled.toStdString();
        EXPECT_EQ(d.Number, c.number) << "the number keeps naming the destination";
    }
}

TEST_F(LineControl, PortSettingsSetTheLineAndTheLedTimer)
{
    struct Case {
        QStringList values;
        TBaudRate baud;
        std::uint32_t bitsPerSecond;
        TDataBits bits;
        TStopBits stop;
        TParity parity;
        int led;
    };
    const Case cases[] = {
        {{"50", "5", "1.5", "Выключен", "0"}, br____50, 50, db5, sb1_5, paNone, 180},
        {{"100", "8", "1", "Четность", "20"}, br___100, 100, db8, sb1_0, paEven, 120},
        {{"75", "7", "2", "Нечетность", "0"}, br____75, 75, db7, sb2_0, paOdd, 143},
        {{"1200", "8", "1", "Выключен", "0"}, br__1200, 1200, db8, sb1_0, paNone, 1},
    };
    for (const Case& c : cases) {
        ElementRig rig;
        QStringList values = c.values;
        values << "Передача данных";
        rig.Start({{"Параметры передачи", kPortSettings, values}, LongWait()});
        TTxChannelDriver& d = rig.Driver();
        d.Port->SetParams(br__9600, db8, sb1_0, paNone);
        d.Port->SetDTRState(false);
        d.Port->SetBreak(false);
        d.Port->OnDataAvail = nullptr;
        d.LedTimerEnabled = true;
        rig.Advance(50);
        const std::string name = c.values.join(' ').toStdString();
        EXPECT_EQ(rig.StepName(), "Ждать") << name;
        EXPECT_EQ(d.Port->BaudRate(), c.baud) << name;
        EXPECT_EQ(d.Port->DataBits(), c.bits) << name;
        EXPECT_EQ(d.Port->StopBits(), c.stop) << name;
        EXPECT_EQ(d.Port->Parity(), c.parity) << name;
        EXPECT_EQ(rig.Line().line().baudRate, c.bitsPerSecond) << name << ": the device runs at that speed";
        EXPECT_EQ(d.BaudIndex, c.baud);
        EXPECT_EQ(d.CharPause, c.values[4].toInt());
        EXPECT_TRUE(rig.Line().dtr());
        EXPECT_TRUE(rig.Line().breakOn()) << "output '-'";
        EXPECT_EQ(d.OutputPolarity, 0);
        EXPECT_EQ(d.Port->StatusInterval(), 50);
        EXPECT_TRUE(bool(d.Port->OnDataAvail)) << "the character engine's handlers are attached";
        EXPECT_FALSE(d.LedTimerEnabled);
        EXPECT_EQ(d.LedTimerInterval, c.led) << name;
    }
}

} // namespace
