// The reception and service-signal elements on a simulated line: what
// arrives, when, and where each element goes; service signals and
// answerbacks are judged by what came from the line, never by the
// channel's own text.

#include "tests/engine/elements/SendReceiveRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kWaitMessage = QStringLiteral("Ожидание символа");
const QString kRecData = QStringLiteral("Прием данных");
const QString kWaitAskAuto = QStringLiteral("Ожидание запроса автоответа");
const QString kReceiveAuto = QStringLiteral("Прием автоответа");
const QString kWaitStat = QStringLiteral("Ожидание служебных сигналов");
const QString kEmergency = QStringLiteral("Авария");
const QString kAskAB = QStringLiteral("Передача ЗАО");

const QByteArray kWru = Codes({27, 9});

// --- the first character and the pause ---

TEST(WaitMessage, NoCharacterWithinTheWaitIsStaAndACharacterThenSilenceSucceeds)
{
    {
        SendReceiveRig r({{"Шаг", kWaitMessage, {"2", "1", "Успех", "Неудача", "Отбой"}}});
        r.Advance(50);
        EXPECT_NEAR(r.RunWhileAt("Шаг"), 2025, 30);
        EXPECT_EQ(r.StepName(), "Неудача");
        EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Sta);
    }
    {
        SendReceiveRig r({{"Шаг", kWaitMessage, {"2", "1", "Успех", "Неудача", "Отбой"}}});
        r.Advance(50);
        r.Advance(1500);
        r.Receive(Codes({31, 3})); // arrives by 1800 ms, after the 2 s wait would have begun to matter
        const std::int64_t t = r.RunWhileAt("Шаг");
        EXPECT_EQ(r.StepName(), "Успех");
        EXPECT_NEAR(t, 2 * SendReceiveRig::CharMs + 1000 + 25, 30) << "one second of silence after the last character";
        EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Success);
    }
    {
        SendReceiveRig r({{"Шаг", kWaitMessage, {"2", "1", "Успех", "Неудача", "Отбой"}}});
        r.Advance(50);
        r.Clear();
        r.RunWhileAt("Шаг");
        EXPECT_EQ(r.StepName(), "Отбой");
        EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Dis);
    }
}

// --- data reception ---

TEST(RecData, AReceptionEndsAfterTheReceivePauseOfSilenceWithoutAResultCode)
{
    SendReceiveRig r({{"Шаг", kRecData, {"Включен", "Отбой"}}});
    r.Driver().ReceivePauseTime = 1500;
    r.Advance(50);
    r.Advance(300);
    r.Receive(Codes({31, 3, 25, 14, 9})); // A at 500 ms, the last letter at 1100 ms
    r.Advance(700);
    EXPECT_EQ(r.StepName(), "Шаг") << "characters keep the reception going";
    const std::int64_t t = r.RunWhileAt("Шаг");
    EXPECT_NEAR(t, 1100 + 1500 - 1050 + 25, 30);
    EXPECT_EQ(r.StepName(), "Отбой");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Success);
    r.Advance(100);
    EXPECT_TRUE(r.Logged(QStringLiteral("Истекло время ожидания приема")));
}

TEST(RecData, ClearingEndsTheReceptionWithDis)
{
    SendReceiveRig r({{"Шаг", kRecData, {"Включен", "Отбой"}}});
    r.Driver().ReceivePauseTime = 60000;
    r.Advance(50);
    r.Clear();
    EXPECT_NEAR(r.RunWhileAt("Шаг"), 325, 30);
    EXPECT_EQ(r.StepName(), "Отбой");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Dis);
}

// --- the WRU wait ---

TEST(WaitAskAuto, AWruReceivedWhileWaitingSucceeds)
{
    SendReceiveRig r({{"Шаг", kWaitAskAuto, {"10", "Успех", "Неудача", "Отбой"}}});
    r.Advance(50);
    r.Advance(1000);
    r.Receive(kWru);
    EXPECT_NEAR(r.RunWhileAt("Шаг"), 2 * SendReceiveRig::CharMs + 25, 30);
    EXPECT_EQ(r.StepName(), "Успех");
}

TEST(WaitAskAuto, AWruStoredBeforeTheStartIsNotSeen)
{
    SendReceiveRig r({{"Шаг", kWaitAskAuto, {"2", "Успех", "Неудача", "Отбой"}}});
    r.Driver().PutRxChar(u'@');
    r.Advance(50);
    EXPECT_NEAR(r.RunWhileAt("Шаг"), 2025, 30);
    EXPECT_EQ(r.StepName(), "Неудача");
}

// --- the answerback ---

class ReceiveAuto : public ::testing::Test {
protected:
    // WRU, then the answerback; "*Завершение ожидания" asks again.
    explicit ReceiveAuto(const QString& tries = "3", const QString& ownAnswerBack = "12345 TEST")
        : r({{"ЗАО", kAskAB, {}}, {"Шаг", kReceiveAuto, {"5", tries, "Успех", "ЗАО", "Неудача", "Отбой"}}}, {},
            ownAnswerBack)
    {
        r.Driver().ExpectedAnswerBack = "2345 XYZ";
    }
    void CheckAnswerBacks() { r.Driver().Modes |= ChannelMode::CheckAB; }
    // Runs the WRU step; the time at which the answerback wait begins.
    void AskAgain()
    {
        r.RunWhileAt("ЗАО");
        ASSERT_EQ(r.StepName(), "Шаг");
    }

    SendReceiveRig r;
};

TEST_F(ReceiveAuto, NoAnswerAsksAgainWhileTriesAreLeftThenFailsWithBab)
{
    r.Advance(50);
    AskAgain();
    EXPECT_NEAR(r.RunWhileAt("Шаг"), 5025, 30);
    EXPECT_EQ(r.StepName(), "ЗАО");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Aab);
    EXPECT_EQ(r.Driver().AbTriesLeft, 2);
    AskAgain();
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.Driver().AbTriesLeft, 1);
    AskAgain();
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Неудача");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Bab);
    EXPECT_EQ(r.Sent(), Codes({27, 9, 27, 9, 27, 9})) << "three WRU, each with its figures shift";
    r.Advance(100);
    EXPECT_TRUE(r.Logged(QStringLiteral("\"Плохой\" Автоответ, нет приема, еще запрос АО, осталось попыток = 2")));
    EXPECT_TRUE(r.Logged(QStringLiteral("\"Плохой\" Автоответ, нет приема, Cntr=0")));
}

TEST_F(ReceiveAuto, TheAnswerbackIsCompleteAfterHalfTheWaitLeftOfSilence)
{
    CheckAnswerBacks();
    r.Advance(50);
    AskAgain();
    // Figures shift, then the first character 2 s into the wait.
    const QByteArray codes = Encoded("2345 XYZ");
    r.Advance(2000 - 2 * SendReceiveRig::CharMs);
    r.Receive(codes);
    r.Advance(std::int64_t(codes.size()) * SendReceiveRig::CharMs);
    // 3 s of the wait were left when the answerback began: 1.5 s of silence completes it.
    EXPECT_NEAR(r.RunWhileAt("Шаг"), 1525, 35);
    EXPECT_EQ(r.StepName(), "Успех");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Success);
}

TEST_F(ReceiveAuto, AWrongAnswerbackIsAskedForAgainAndFailsWhenTheTriesAreSpent)
{
    CheckAnswerBacks();
    r.Advance(50);
    for (int attempt = 0; attempt < 3; ++attempt) {
        AskAgain();
        r.Advance(500);
        r.Receive(Encoded("9999 ABC"));
        r.RunWhileAt("Шаг");
    }
    EXPECT_EQ(r.StepName(), "Неудача");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Bab);
    r.Advance(100);
    EXPECT_TRUE(r.Logged(QStringLiteral("\"Плохой\" Автоответ, еще запрос АО, осталось попыток = 1")));
}

TEST_F(ReceiveAuto, AnAnswerbackIsAcceptedWithoutTheCheck)
{
    r.Advance(50);
    AskAgain();
    r.Receive(Encoded("9999 ABC"));
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Успех");
}

class ReceiveAutoOwnText : public ReceiveAuto {
protected:
    ReceiveAutoOwnText() : ReceiveAuto("1", "12345 2345 XYZ") {}
};

TEST_F(ReceiveAutoOwnText, TheChannelsOwnAnswerbackNeverPassesForThePartners)
{
    CheckAnswerBacks();
    r.Advance(50);
    AskAgain();
    // The partner only asks back: the channel answers with its own
    // answerback, which holds the expected text.
    r.Receive(kWru);
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Неудача");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Bab);
    EXPECT_TRUE(r.Sent().endsWith(Encoded("12345 2345 XYZ").mid(1))) << "the own answerback did go out";
}

// --- the service signals ---

// "Ожидание" 10 s, "Пауза" 3 s, "Входящий вызов" 125 characters unless said.
StepSpec WaitStat(const QString& callChars = "125")
{
    return {"Шаг", kWaitStat, {"10", "3", "Выключен", callChars, "Вызов", "Отбой", "Автоответ", "Запрос АО", "Неудача"}};
}

const QStringList kWaitStatTargets = {"Вызов", "Автоответ", "Запрос АО"};

TEST(WaitStatMessage, ClearingAfterAServiceSignalGivesItsCode)
{
    struct Case {
        const char* what;
        QByteArray received;
        FailureCode expected;
    };
    const Case cases[] = {
        {"OCC", Encoded("OCC"), FailureCodes::Occ},
        {"NC", Encoded("NC 2345"), FailureCodes::Nc},
        {"NP", Encoded("NP"), FailureCodes::Np},
        {"nothing recognisable", Encoded("XYZ"), FailureCodes::Dis},
        {"nothing", {}, FailureCodes::Dis},
    };
    for (const Case& c : cases) {
        SendReceiveRig r({WaitStat()}, kWaitStatTargets);
        r.Advance(50);
        r.Receive(c.received);
        r.Advance(std::int64_t(c.received.size()) * SendReceiveRig::CharMs + 20);
        r.Clear();
        r.RunWhileAt("Шаг");
        EXPECT_EQ(r.StepName(), "Отбой") << c.what;
        EXPECT_EQ(r.Driver().ResultCode, c.expected) << c.what;
    }
}

TEST(WaitStatMessage, TheChannelsOwnAnswerbackIsNoServiceSignal)
{
    // The own answerback holds "NA" and "NC"; the partner asks for it and clears.
    SendReceiveRig r({WaitStat()}, kWaitStatTargets, "12345 NANC");
    r.Advance(50);
    r.Receive(kWru);
    r.Advance(2 * SendReceiveRig::CharMs + TTxChannelDriver::WruHoldTime + 14 * SendReceiveRig::CharMs);
    ASSERT_EQ(r.StepName(), "Шаг");
    ASSERT_TRUE(r.Driver().Tx.IsEmpty());
    r.Clear();
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Отбой");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Dis);
}

TEST(WaitStatMessage, WhereTheWaitGoesByWhatArrived)
{
    struct Case {
        const char* what;
        QString callChars;
        bool check;
        QByteArray received;
        QString expected;
    };
    const Case cases[] = {
        {"the third character that arrives on its own tick is an incoming call", "3", false, Encoded("ABC"),
         "Вызов"},
        {"a character and silence, no check", "3", false, Encoded("A"), "Автоответ"},
        {"the expected answerback", "125", true, Encoded("2345 XYZ"), "Автоответ"},
        {"another answerback", "125", true, Encoded("9999 ABC"), "Далее"},
        {"nothing at all", "125", false, {}, "Неудача"},
    };
    for (const Case& c : cases) {
        SendReceiveRig r({WaitStat(c.callChars)}, kWaitStatTargets);
        r.Driver().ExpectedAnswerBack = "2345 XYZ";
        if (c.check)
            r.Driver().Modes |= ChannelMode::CheckAB;
        r.Advance(50);
        r.Receive(c.received);
        r.RunWhileAt("Шаг");
        EXPECT_EQ(r.StepName(), c.expected) << c.what;
        EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Success) << c.what;
    }
}

TEST(WaitStatMessage, ThreeCharactersMakeAnIncomingCallOnTheThirdTickThatBringsOne)
{
    SendReceiveRig r({WaitStat("3")}, kWaitStatTargets);
    r.Advance(50);
    r.Receive(Encoded("ABC")); // Latin shift, then A, B and C 150 ms apart
    r.Advance(3 * SendReceiveRig::CharMs + 20);
    EXPECT_EQ(r.StepName(), "Шаг");
    EXPECT_NEAR(r.RunWhileAt("Шаг"), SendReceiveRig::CharMs - 20 + 25, 30);
    EXPECT_EQ(r.StepName(), "Вызов");
}

TEST(WaitStatMessage, AWruAnsweredDuringTheWaitLeadsToTheAnswerbackRequestStep)
{
    SendReceiveRig r({WaitStat()}, kWaitStatTargets);
    r.Advance(50);
    r.Receive(kWru);
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Запрос АО");
    r.Advance(100);
    EXPECT_TRUE(r.Logged(QStringLiteral("Передача АО завершена")));
}

TEST(WaitStatMessage, WithTheCheckOnTheOwnAnswerbackAfterAWruIsNoPartnerAnswerback)
{
    SendReceiveRig r({WaitStat()}, kWaitStatTargets, "12345 2345 XYZ");
    r.Driver().ExpectedAnswerBack = "2345 XYZ";
    r.Driver().Modes |= ChannelMode::CheckAB;
    r.Advance(50);
    r.Receive(kWru);
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Неудача");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Bab);
}

TEST(WaitStatMessage, FinishedKeyboardSelectionGoesOn)
{
    SendReceiveRig r({WaitStat()}, kWaitStatTargets);
    r.Advance(50);
    r.Driver().DialFinished = 1;
    r.Advance(60);
    EXPECT_EQ(r.StepName(), "Далее");
    EXPECT_EQ(r.Driver().DialFinished, 0);
}

// --- the alarm ---

TEST(Emergency, TheAlarmShowsItsCauseAndEndsAsThePollAllows)
{
    struct Case {
        const char* what;
        bool dsr;
        QString poll;
        std::uint8_t state;
        std::int64_t restartAfter; // ms after the line fell quiet at 1 s
    };
    const Case cases[] = {
        {"line current, polled", true, "Включен", ChannelStates::AlarmLineCurrent, 0},
        {"no clearing confirmation, polled", false, "Включен", ChannelStates::AlarmNoClearConfirm, 0},
        {"not polled: only after the switch-off time", true, "Выключен", ChannelStates::AlarmLineCurrent, 5050},
    };
    for (const Case& c : cases) {
        SendReceiveRig r({{"Шаг", kEmergency, {c.poll, "0.1"}}}); // 6 s
        r.line->setDsr(c.dsr);
        r.Advance(50);
        r.Advance(50);
        EXPECT_EQ(r.Driver().AuxState, c.state) << c.what;
        EXPECT_EQ(r.Driver().CurrentElement->State, c.state) << c.what;
        r.Advance(900);
        r.window.Forget();
        r.line->setDsr(false);
        r.line->setRing(false);
        std::int64_t t = 0;
        while (r.window.Calls("SetAuxState").isEmpty() && t < 10000) {
            r.Advance(10);
            t += 10;
        }
        EXPECT_EQ(r.window.Calls("SetAuxState").value(0), "SetAuxState(0)") << c.what;
        EXPECT_NEAR(t, c.restartAfter, 60) << c.what;
    }
}

} // namespace
