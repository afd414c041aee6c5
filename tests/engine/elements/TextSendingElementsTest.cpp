// The text sending elements on a simulated line: the codes they put on the
// line, when they finish, the '&' pause and the echo watchdog of the
// telegram text, and the distant side clearing while they send.

#include "tests/engine/elements/SendReceiveRig.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kAskAB = QStringLiteral("Передача ЗАО");
const QString kAnswerBack = QStringLiteral("Передача автоответа");
const QString kString = QStringLiteral("Передача строки");
const QString kPreHeader = QStringLiteral("Передача предзаголовка");
const QString kHeader = QStringLiteral("Передача заголовка");
const QString kData = QStringLiteral("Передача данных");

// Runs the one step under test to its end; what the line carried.
struct Outcome {
    QByteArray sent;
    QString next;
};

Outcome RunStep(SendReceiveRig& r)
{
    r.Advance(50); // the first protocol tick starts the step
    r.RunWhileAt("Шаг");
    r.Advance(300); // nothing more goes out afterwards
    return {r.Sent(), r.StepName()};
}

TEST(TextSending, EachElementPutsItsTextOnTheLineAndFinishesWhenItHasGoneOut)
{
    struct Case {
        const char* what;
        StepSpec step;
        QString number, header, address;
        QByteArray expected;
    };
    const Case cases[] = {
        {"WRU", {"Шаг", kAskAB, {}}, {}, {}, {}, Codes({27, 9})},
        {"own answerback", {"Шаг", kAnswerBack, {"Отбой", "Далее"}}, {}, {}, {}, Encoded("12345 TEST")},
        {"string with a macro", {"Шаг", kString, {"Включена", "Отбой", "ab {#CALLNUMB}"}}, "8-2345", {}, {},
         Encoded("AB 8-2345")},
        {"string switched off", {"Шаг", kString, {"Выключена", "Отбой", "AB"}}, {}, {}, {}, {}},
        {"pre-header", {"Шаг", kPreHeader, {"Включена", "Отбой", "zc"}}, {}, {}, {}, Encoded("ZC\r\n")},
        {"pre-header switched off", {"Шаг", kPreHeader, {"Выключена", "Отбой", "zc"}}, {}, {}, {}, {}},
        {"header and address", {"Шаг", kHeader, {"Включен", "Включен", "Отбой"}}, "2345", "ZK {#CALLNUMB} ",
         "xyz", Encoded("ZK 2345 XYZ\r\n")},
        {"header only", {"Шаг", kHeader, {"Включен", "Выключен", "Отбой"}}, "2345", "ZK", "XYZ", Encoded("ZK")},
        {"header off", {"Шаг", kHeader, {"Выключен", "Включен", "Отбой"}}, "2345", "ZK", "XYZ", {}},
    };
    for (const Case& c : cases) {
        SendReceiveRig r({c.step});
        TTxChannelDriver& d = r.Driver();
        d.Number = c.number;
        d.TlgHeader = c.header;
        d.Address = c.address;
        const Outcome out = RunStep(r);
        EXPECT_EQ(out.sent.toHex(' '), c.expected.toHex(' ')) << c.what;
        EXPECT_EQ(out.next, "Далее") << c.what;
    }
}

TEST(TextSending, AnElementWaitsUntilItsLastCharacterHasGoneOut)
{
    SendReceiveRig r({{"Шаг", kString, {"Включена", "Отбой", "ABC"}}});
    r.Advance(50);
    const std::int64_t took = r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Далее");
    // Latin shift and three letters at 150 ms each.
    EXPECT_GE(took, 4 * SendReceiveRig::CharMs);
    EXPECT_LE(took, 4 * SendReceiveRig::CharMs + 60);
}

TEST(TextSending, TextQueuedDuringTheHoldAfterAReceivedWruIsSentBeforeTheElementFinishes)
{
    const StepSpec steps[] = {
        {"Шаг", kAnswerBack, {"Отбой", "Далее"}},
        {"Шаг", kString, {"Включена", "Отбой", "AB"}},
        {"Шаг", kPreHeader, {"Включена", "Отбой", "AB"}},
        {"Шаг", kHeader, {"Включен", "Включен", "Отбой"}},
    };
    for (const StepSpec& step : steps) {
        SendReceiveRig r({step});
        r.Driver().TlgHeader = "AB";
        r.Driver().WruHoldMs = TTxChannelDriver::WruHoldTime; // a WRU has just come in
        const Outcome out = RunStep(r);
        EXPECT_FALSE(out.sent.isEmpty()) << step.ClassName.toStdString();
        EXPECT_TRUE(r.Driver().Tx.IsEmpty()) << step.ClassName.toStdString();
        EXPECT_EQ(out.next, "Далее");
    }
}

TEST(TextSending, ClearingWhileSendingEndsInTheClearingStepWithDis)
{
    const StepSpec steps[] = {
        {"Шаг", kAnswerBack, {"Отбой", "Далее"}},
        {"Шаг", kString, {"Включена", "Отбой", "ABCDEFGHIJ"}},
        {"Шаг", kData, {"10", "Отбой"}},
    };
    for (const StepSpec& step : steps) {
        SendReceiveRig r({step});
        r.Driver().TlgLines = QStringList{"|  #2345", "ABCDEFGHIJ"};
        r.Advance(50 + 2 * SendReceiveRig::CharMs);
        ASSERT_EQ(r.StepName(), "Шаг");
        r.Clear();
        const std::int64_t took = r.RunWhileAt("Шаг");
        EXPECT_EQ(r.StepName(), "Отбой") << step.ClassName.toStdString();
        EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Dis);
        EXPECT_GE(took, 300) << "the input has to stay '-' for the clearing time";
        EXPECT_LE(took, 360);
        EXPECT_FALSE(r.Driver().TxDone);
    }
}

TEST(TextSending, TheWruRequestDoesNotWatchForClearing)
{
    SendReceiveRig r({{"Шаг", kAskAB, {}}});
    r.Clear();
    const Outcome out = RunStep(r);
    EXPECT_EQ(out.sent, Codes({27, 9}));
    EXPECT_EQ(out.next, "Далее");
}

TEST(TextSending, AStringLongerThanTheRingGoesOutWholeAndOneThatCannotFitFailsTheCall)
{
    const QString text = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJ");
    const StepSpec steps[] = {
        {"Шаг", kString, {"Включена", "Отбой", text}},
        {"Шаг", kPreHeader, {"Включена", "Отбой", text}},
        {"Шаг", kHeader, {"Включен", "Включен", "Отбой"}},
    };
    for (const StepSpec& step : steps) {
        SendReceiveRig r({step});
        r.Driver().TlgHeader = text;
        r.Driver().AllocTxRing(16);
        const Outcome out = RunStep(r);
        EXPECT_EQ(out.next, "Далее") << step.ClassName.toStdString();
        const QString end = step.ClassName == kString ? QString() : QStringLiteral("\r\n");
        EXPECT_EQ(out.sent.toHex(' '), Encoded(text + end).toHex(' ')) << step.ClassName.toStdString();
    }
    for (const StepSpec& step : steps) {
        SendReceiveRig r({step});
        r.Driver().TlgHeader = text;
        r.Driver().AllocTxRing(1); // room for nothing
        const Outcome out = RunStep(r);
        EXPECT_EQ(out.next, "Отбой") << step.ClassName.toStdString();
        EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Unk);
        EXPECT_TRUE(out.sent.isEmpty());
    }
}

// --- the telegram text ---

class SendData : public ::testing::Test {
protected:
    SendData() : r({{"Шаг", kData, {"1", "Отбой"}}}) {}

    SendReceiveRig r;
};

TEST_F(SendData, SendsTheTextLinesAfterTheDestinationBlockAndMarksTheTransmissionDone)
{
    // A text line that begins with '|' is text, not a destination line.
    r.Driver().TlgLines = QStringList{"|      #8-2345(2345 XYZ)", "|  #77", "AB", "|C", "D"};
    r.Advance(50);
    EXPECT_EQ(r.window.ProgressMax(), (2 + 2) + (2 + 2) + (1 + 2));
    EXPECT_EQ(r.window.Calls("SetProgressActive"), QStringList{"SetProgressActive(true)"});
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Далее");
    EXPECT_TRUE(r.Driver().TxDone);
    EXPECT_EQ(r.Sent().toHex(' '), Encoded("AB\r\n|C\r\nD\r\n").toHex(' '));
    EXPECT_EQ(r.window.Calls("SetProgressActive").last(), "SetProgressActive(false)");
    EXPECT_EQ(r.Driver().AbTriesLeft, 0);
}

TEST_F(SendData, ATelegramWithoutTextSendsItsLastLineOnce)
{
    r.Driver().TlgLines = QStringList{"|  #2345", "|  #77"};
    r.Advance(50);
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Далее");
    EXPECT_EQ(r.Sent(), Encoded("|  #77\r\n"));
}

TEST_F(SendData, APauseMarkWaitsForTheLineToFallSilentBeforeTheRestOfTheLine)
{
    r.Driver().TlgLines = QStringList{"|  #2345", "A&B"};
    r.Advance(50);
    r.Advance(400);
    auto first = r.line->takeArrivals();
    ASSERT_EQ(first.size(), 2u); // Latin shift, A: no line end
    EXPECT_EQ(first[1].byte, 3);
    // The distant side types during the pause: the wait starts again.
    r.Advance(500);
    const std::int64_t receivedAt = r.line->nowUs() + SendReceiveRig::CharMs * 1000;
    r.Receive(Codes({4}));
    r.RunWhileAt("Шаг");
    const auto rest = r.line->takeArrivals();
    ASSERT_EQ(rest.size(), 3u); // B, CR, LF
    EXPECT_EQ(rest[0].byte, 25);
    EXPECT_EQ(rest[1].byte, 8);
    EXPECT_EQ(rest[2].byte, 2);
    // "Ожидание сообщения" 1 s of silence after the received character, then B takes 150 ms.
    EXPECT_GE(rest[0].us, receivedAt + 1000000 + SendReceiveRig::CharMs * 1000);
    EXPECT_LE(rest[0].us, receivedAt + 1000000 + SendReceiveRig::CharMs * 1000 + 200000);
    EXPECT_EQ(r.StepName(), "Далее");
    EXPECT_TRUE(r.LogLines().contains(
        QStringLiteral("Канал 1: (Шаг) [Обнаружен символ паузы на передаче в строке:\"A&B\"]")));
}

TEST(SendDataMarks, EveryPauseMarkOfALinePausesInTurnAndNothingIsLeftBehind)
{
    struct Case {
        QStringList text;
        QStringList parts; // what goes out between the pauses, in order
    };
    const Case cases[] = {
        {{"A&B&C", "D"}, {"A", "B", "C\r\nD\r\n"}},
        {{"A&&B"}, {"A", "", "B\r\n"}},
        {{"&A&"}, {"", "A", "\r\n"}},
    };
    for (const Case& c : cases) {
        SendReceiveRig rig({{"Шаг", kData, {"1", "Отбой"}}});
        rig.Driver().TlgLines = QStringList{"|  #2345"} + c.text;
        rig.Advance(50);
        const std::int64_t took = rig.RunWhileAt("Шаг");
        const QString what = c.text.join('/');
        EXPECT_EQ(rig.Sent().toHex(' '), Encoded(c.parts.join(QString())).toHex(' ')) << what.toStdString();
        EXPECT_GE(took, 1000 * (c.parts.size() - 1)) << "a second of silence at each mark: " << what.toStdString();
        EXPECT_EQ(rig.StepName(), "Далее");
        EXPECT_TRUE(rig.Driver().TxDone);
        EXPECT_TRUE(rig.Driver().Tx.IsEmpty());
        EXPECT_FALSE(rig.Driver().TxPauseActive);
    }
}

TEST_F(SendData, ALineLongerThanTheRingGoesOutWholeAsTheRingMakesRoom)
{
    QString longLine;
    for (int i = 0; i < 150; ++i)
        longLine += QChar(u'A' + i % 26);
    r.Driver().AllocTxRing(64);
    r.Driver().TlgLines = QStringList{"|  #2345", longLine, "B"};
    r.Advance(50);
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Далее");
    EXPECT_TRUE(r.Driver().TxDone);
    EXPECT_EQ(r.Sent().toHex(' '), Encoded(longLine + "\r\nB\r\n").toHex(' '));
    EXPECT_FALSE(r.Logged(QStringLiteral("+-+Буфер передачи заполнен, текст не поставлен")));
}

TEST_F(SendData, TextThatCanNeverGoIntoTheRingFailsTheCall)
{
    r.Driver().AllocTxRing(1); // room for nothing
    r.Driver().TlgLines = QStringList{"|  #2345", "AB"};
    r.Advance(50);
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Отбой");
    EXPECT_EQ(r.Driver().ResultCode, FailureCodes::Unk);
    EXPECT_FALSE(r.Driver().TxDone);
    EXPECT_TRUE(r.Sent().isEmpty());
    EXPECT_TRUE(r.Logged(QStringLiteral("Текст не помещается в буфер передачи: строка №1")));
}

TEST_F(SendData, ATransmissionClearedDuringAPauseLeavesNothingForTheNext)
{
    r.Driver().TlgLines = QStringList{"|  #2345", "A&B"};
    r.Advance(50 + 400);
    r.Clear();
    r.RunWhileAt("Шаг");
    ASSERT_EQ(r.StepName(), "Отбой");
    r.Sent();
    // The next telegram.
    r.line->setRing(true);
    r.Driver().TlgLines = QStringList{"|  #77", "C"};
    r.Driver().RestartProtocol();
    r.Advance(50);
    ASSERT_EQ(r.StepName(), "Шаг");
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Далее");
    EXPECT_EQ(r.Sent(), Codes({14, 8, 2})) << "C and its line end, in the Latin register still in force";
}

TEST_F(SendData, ATransmitterWithoutEchoIsLoggedAndNudgedButTheElementGoesOn)
{
    r.Driver().ClearingTime = 60000;
    r.Driver().TlgLines = QStringList{"|  #2345", "ABC"};
    r.Advance(50 + 10);
    r.line->setUnplugged(true); // nothing can be written: no echo comes back
    r.Advance(1300);
    EXPECT_EQ(r.StepName(), "Шаг");
    r.line->setUnplugged(false);
    r.RunWhileAt("Шаг");
    EXPECT_EQ(r.StepName(), "Далее");
    const QStringList log = r.LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const QString& l) {
        return l.startsWith(QStringLiteral("Канал 1: (Шаг) [Тайм-аут на передаче \"ABC"));
    })) << log.join('\n').toStdString();
}

} // namespace
