// The character engine on a whole channel: scanner ticks and the simulated
// line on one virtual time line.

#include "tests/engine/EngineRig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr int WruHoldBefore = 285;
const QString kIdle = QStringLiteral("Анализ состояния приема");

class CharacterEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.catalog = MakeCatalog({{kIdle, "TTxCheckInputLine",
                                    [](ScriptedElement& e) { e.Driver().RxEnabled = true; }, nullptr}});
        rig.set = MakeSet({{"Ожидание", kIdle, {}}});
        rig.AddLine(1);
        rig.EnableChannel(1, QStringLiteral("$12345 AB"));
        rig.Start();
        rig.Driver().SetWindow(&window);
        rig.Advance(60); // the first protocol tick starts the waiting element
        ASSERT_NE(rig.Driver().CurrentElement, nullptr);
        window.Forget();
    }
    void Receive(const QByteArray& codes) { rig.lines[1]->send(codes); }
    // The time as the log lines show it.
    QString Stamp() const { return rig.clock.now().time().toString(QStringLiteral("ss:zzz")); }
    // Waits until N characters in all have been received; the time then.
    QString ReceivedAt(int n)
    {
        while (rig.Driver().RxCharCount < n)
            rig.Advance(1);
        return Stamp();
    }

    EngineRig rig;
    FakeChannelWindow window;
};

TEST_F(CharacterEngine, EachCharacterGoesOutOnlyAfterTheTransmitterEmptiedOfThePreviousOne)
{
    TTxChannelDriver& d = rig.Driver();
    ASSERT_EQ(d.LineRegister, NoRegister);
    d.SendString(QStringLiteral("AB"));
    rig.Advance(5);
    EXPECT_EQ(d.Tx.Count(), 1) << "'B' waits in the ring while 'A' (shift and letter) is on the line";
    rig.Advance(290); // the shift and the 'A' take 150 ms each
    EXPECT_EQ(d.Tx.Count(), 1);
    rig.Advance(20);
    EXPECT_EQ(d.Tx.Count(), 0);
    rig.Advance(200);
    const auto arrivals = [&] {
        auto a = rig.lines[1]->takeArrivals();
        return a;
    }();
    ASSERT_EQ(arrivals.size(), 3u);
    EXPECT_EQ(arrivals[0].byte, 31);
    EXPECT_EQ(arrivals[1].byte, 3);
    EXPECT_EQ(arrivals[2].byte, 25);
    EXPECT_GE(arrivals[2].us - arrivals[1].us, 150000);
    EXPECT_EQ(d.LineRegister, LatinRegister);
    EXPECT_EQ(d.TxCharCount, 3);
    EXPECT_TRUE(d.TxIdle);
}

TEST_F(CharacterEngine, AnswerbackRequestIsAnsweredAfterTheHoldAndThePartnerAnswerbackIsCaptured)
{
    TTxChannelDriver& d = rig.Driver();
    Receive(Codes({27, 9})); // figures, D = WRU
    while (d.WruCount == 0)
        rig.Advance(1);
    const int answerBack = int(d.AnswerBack.size());
    EXPECT_EQ(d.Tx.Count(), answerBack) << "the own answerback is queued at once";
    rig.Advance(WruHoldBefore);
    EXPECT_EQ(d.Tx.Count(), answerBack) << "and held for 300 ms";
    EXPECT_TRUE(rig.lines[1]->takeArrivals().empty());
    rig.Advance(20);
    EXPECT_EQ(d.Tx.Count(), answerBack - 1) << "the fast tick after the hold starts the transmitter";
    rig.Advance(12 * 150);
    const QByteArray sent = rig.lines[1]->takeReceived();
    // "$12345 AB": Latin shift, figures 1 to 5, space, Latin shift, A, B.
    EXPECT_EQ(sent, Codes({31, 27, 23, 19, 1, 10, 16, 4, 31, 3, 25}));
    ASSERT_TRUE(d.PartnerAbCapture);
    // The partner answers with 20 codes: "*ABC" in Russian letters and 16 spaces.
    QByteArray partner = Codes({0, 3, 25, 14});
    partner.append(QByteArray(16, char(4)));
    Receive(partner);
    rig.Advance(21 * 150);
    EXPECT_FALSE(d.PartnerAbCapture);
    EXPECT_EQ(d.PartnerAnswerBack, QStringLiteral("АБЦ") + QString(16, u' '));
}

TEST_F(CharacterEngine, APartnerAnswerbackThatSpansTheBufferSwapIsCapturedWhole)
{
    TTxChannelDriver& d = rig.Driver();
    while (d.Rx.Total() < ReceiveBuffers::BufferSize - 4)
        d.PutRxByte('.');
    d.AnswerBackSending = true;
    d.SendNext(); // nothing queued: the own answerback has gone, the capture starts
    ASSERT_TRUE(d.PartnerAbCapture);
    // 20 codes: the Latin shift and "ABCDEFGHIJKLMNOPQRS"; four letters fill the first buffer.
    const QByteArray letters = Codes({3, 25, 14, 9, 1, 13, 26, 20, 6, 11, 15, 18, 28, 12, 24, 22, 23, 10, 5});
    Receive(Codes({31}) + letters);
    rig.Advance(20 * 150 + 60);
    EXPECT_TRUE(d.Rx.RxActiveB());
    EXPECT_FALSE(d.PartnerAbCapture);
    EXPECT_EQ(d.PartnerAnswerBack, QStringLiteral("ABCDEFGHIJKLMNOPQRS"));
}

TEST_F(CharacterEngine, ThreeBellsBeepOnceOnTheNextProtocolTick)
{
    Receive(Codes({27, 11, 27, 11, 27, 11}));
    rig.Advance(6 * 150 + 60);
    EXPECT_EQ(rig.beep.beeps, 1);
    EXPECT_FALSE(rig.Driver().BellAlarm);
}

struct BellCase {
    const char* what;
    QByteArray codes;
    int beeps;
};

void PrintTo(const BellCase& c, std::ostream* os)
{
    *os << c.what;
}

class Bells : public CharacterEngine, public ::testing::WithParamInterface<std::tuple<BellCase, bool>> {};

// Bells in the figures register come each after its figures shift; a shift
// code never breaks a run, also when its mark is shown (ModeDriver bit 0).
TEST_P(Bells, ThreeInARowBeepOnce)
{
    const auto& [c, showShifts] = GetParam();
    rig.modes.Set([show = showShifts](TDriverModes& m) { m.ModeDriver = show ? DriverMode::ShowShiftMarks : 0; });
    Receive(c.codes);
    rig.Advance(int(c.codes.size()) * 150 + 60);
    EXPECT_EQ(rig.beep.beeps, c.beeps) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    RunsOfBells, Bells,
    ::testing::Combine(::testing::Values(BellCase{"each after its shift", Codes({27, 11, 27, 11, 27, 11}), 1},
                                         BellCase{"one shift", Codes({27, 11, 11, 11}), 1},
                                         BellCase{"Latin shift between", Codes({27, 11, 31, 27, 11, 27, 11}), 1},
                                         BellCase{"a letter between", Codes({27, 11, 1, 11, 11}), 0},
                                         BellCase{"a space between", Codes({27, 11, 4, 11, 11}), 0},
                                         BellCase{"two only", Codes({27, 11, 27, 11}), 0}),
                       ::testing::Bool()));

TEST_F(CharacterEngine, ALetterBetweenBellsResetsTheCount)
{
    // bell, letter (figures 3 is not a bell), bell, bell
    Receive(Codes({27, 11, 1, 11, 11}));
    rig.Advance(5 * 150 + 60);
    EXPECT_EQ(rig.beep.beeps, 0);
    EXPECT_EQ(rig.Driver().BellCount, 2u);
}

TEST_F(CharacterEngine, ReceivedTextIsShownAndStoredWithoutLineFeeds)
{
    Receive(Codes({31, 3, 8, 2, 25})); // $ A CR LF B
    rig.Advance(5 * 150 + 60);
    EXPECT_EQ(window.Calls("SendMemoChar"),
              QStringList({"SendMemoChar(A)", "SendMemoChar(\r)", "SendMemoChar(B)"}));
    const auto& buf = rig.Driver().Rx.BufA();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buf.data()), rig.Driver().Rx.RxPos()), QByteArray("A\rB"));
    EXPECT_EQ(rig.Driver().RxCharCount, 5);
    EXPECT_TRUE(window.Calls().contains("SetRxCount(5)"));
}

TEST_F(CharacterEngine, ChannelLinesGoToTheLogFromTheFileTick)
{
    rig.Driver().SendString(QStringLiteral("A"));
    Receive(Codes({31}));
    rig.Advance(400);
    const QStringList log = rig.LogLines();
    auto has = [&](const QString& prefix) {
        return std::any_of(log.begin(), log.end(), [&](const QString& l) { return l.startsWith(prefix); });
    };
    EXPECT_TRUE(has("Канал 1: [Tx ->: '$A' ")) << log.join('\n').toStdString();
    EXPECT_TRUE(has("Канал 1: [Rx <-: '$' "));
    EXPECT_TRUE(has("Канал 1: (Ожидание)"));
}

TEST_F(CharacterEngine, TxAndRxLinesAreLoggedWhole)
{
    TTxChannelDriver& d = rig.Driver();
    const QString sentAt = Stamp();
    d.SendString(QStringLiteral("A"));
    rig.Advance(400);
    Receive(Codes({31}));
    const QString latinAt = ReceivedAt(1);
    rig.Advance(60);
    Receive(Codes({1}));
    const QString letterAt = ReceivedAt(2);
    rig.Advance(60);
    Receive(Codes({8}));
    const QString returnAt = ReceivedAt(3);
    rig.Advance(60);
    Receive(Codes({27}));
    const QString figuresAt = ReceivedAt(4);
    rig.Advance(60);
    const QStringList log = rig.LogLines();
    EXPECT_TRUE(log.contains("Канал 1: [Tx ->: '$A' " + sentAt + "]")) << log.join('\n').toStdString();
    EXPECT_TRUE(log.contains("Канал 1: [Rx <-: '$' " + latinAt + "]"));
    EXPECT_TRUE(log.contains("Канал 1: [Rx <-: 'E' " + letterAt + "]"));
    EXPECT_TRUE(log.contains("Канал 1: [Rx <-: '<' " + returnAt + "]"));
    EXPECT_TRUE(log.contains("Канал 1: [Rx <-: '^' " + figuresAt + "]"));
}

TEST_F(CharacterEngine, TheAnswerbackLinesAreLoggedWhole)
{
    Receive(Codes({27, 9})); // figures, WRU
    rig.Advance(2 * 150 + 300 + 12 * 150 + 100);
    const QStringList log = rig.LogLines();
    EXPECT_TRUE(log.contains("Канал 1: (Ожидание) [+-+Начинаем передачу АО (Cntr=9)]")) << log.join('\n').toStdString();
    EXPECT_TRUE(log.contains("Канал 1: (Ожидание) [+-+Завершили передачу АО (Cntr=0)]"));
}

TEST_F(CharacterEngine, CharactersThatSendNothingAreLoggedAndCountedInTheProgress)
{
    TTxChannelDriver& d = rig.Driver();
    window.SetProgressPosition(0);
    const QString noSignAt = Stamp();
    d.SendString(QStringLiteral("µ")); // no telegraph sign
    rig.Advance(50);                   // a file tick
    d.SendString(QStringLiteral("&")); // a transmit pause
    rig.Advance(50);
    EXPECT_EQ(window.ProgressPosition(), 2) << "every character taken from the ring";
    EXPECT_TRUE(rig.lines[1]->takeReceived().isEmpty());
    const QStringList log = rig.LogLines();
    EXPECT_EQ(log.count("Канал 1: [Tx ->: '' " + noSignAt + "]"), 1) << log.join('\n').toStdString();
    EXPECT_EQ(log.count("Канал 1: (Ожидание) [+-+Повтор передачи символа]"), 2);
    d.SendString(QStringLiteral("E"));
    rig.Advance(400);
    EXPECT_EQ(window.ProgressPosition(), 2) << "E waits behind the pause";
    rig.Advance(2000);
    EXPECT_EQ(window.ProgressPosition(), 3);
}

TEST_F(CharacterEngine, TheBufferSwapAt8193BytesHasTheFileTickWriteTheFirstChunk)
{
    TTxChannelDriver& d = rig.Driver();
    d.Port->SetParams(br115200, db8, sb1_0, paNone); // an 8-bit line fills the buffer quickly
    d.ConnectionFile = rig.dir.filePath("rec.txt");
    d.ConnectionKind = 2;
    QByteArray text(8193, 'x');
    text[8191] = 'y';
    text[8192] = 'z';
    Receive(text);
    rig.Advance(8193 / 11 + 50);
    EXPECT_EQ(d.RxCharCount, 8193);
    EXPECT_TRUE(d.Rx.RxActiveB());
    EXPECT_EQ(d.Rx.RxPos(), 1);
    EXPECT_EQ(d.Rx.BufB()[0], 'z');
    EXPECT_FALSE(d.Events.has(DriverEvent::WriteChunk));
    EXPECT_TRUE(d.Events.has(DriverEvent::ChunkWritten));
    QFile f(d.ConnectionFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    EXPECT_TRUE(written.endsWith(QByteArray(8191, 'x') + 'y'));
    EXPECT_EQ(written.count('x'), 8191);
}

TEST_F(CharacterEngine, AFullBufferNeverOverwritesAChunkNotYetWritten)
{
    TTxChannelDriver& d = rig.Driver();
    d.SetWindow(&window);
    d.Port->SetParams(br115200, db8, sb1_0, paNone);
    d.ConnectionFile = rig.dir.filePath("later/rec.txt"); // its folder does not exist yet
    d.ConnectionKind = 2;
    QByteArray text;
    for (int i = 0; i < 3 * 8192 + 3; ++i)
        text.append(char('a' + (i / 8192)));
    Receive(text);
    rig.Advance(text.size() / 11 + 50);
    // Nothing could be written: the three blocks wait in the file work, the
    // buffers are free for more text.
    EXPECT_TRUE(d.RecordWaiting(d.ConnectionFile));
    EXPECT_FALSE(d.Events.has(DriverEvent::ChunkWritten));
    EXPECT_EQ(d.Alarm, 1);
    EXPECT_TRUE(window.Calls().contains("SetAlarmColor(true)"));
    ASSERT_TRUE(QDir(rig.dir.path()).mkdir("later"));
    rig.Advance(1100);
    EXPECT_FALSE(d.Rx.ChunkPending());
    EXPECT_FALSE(d.RecordWaiting(d.ConnectionFile));
    EXPECT_TRUE(d.Events.has(DriverEvent::ChunkWritten));
    QFile f(d.ConnectionFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    EXPECT_EQ(all.count('a'), 8192);
    EXPECT_EQ(all.count('b'), 8192);
    EXPECT_EQ(all.count('c'), 8192);
    EXPECT_LT(all.lastIndexOf('a'), all.indexOf('b'));
    EXPECT_LT(all.lastIndexOf('b'), all.indexOf('c'));
}

TEST_F(CharacterEngine, ACharacterWhoseWriteFailedStaysQueuedAndGoesOutLater)
{
    TTxChannelDriver& d = rig.Driver();
    d.Port->Close();
    d.SendString(QStringLiteral("E"));
    EXPECT_EQ(d.Tx.Count(), 1) << "the character was not written, so it stays in the ring";
    EXPECT_EQ(d.TxCharCount, 0);
    EXPECT_EQ(d.PendingEngineLine, QStringLiteral("+-+Повтор передачи символа"));
    d.Port->Open();
    d.Port->SetParams(br____50, db5, sb1_5, paNone);
    rig.Advance(400);
    EXPECT_EQ(rig.lines[1]->takeReceived(), Codes({31, 1}));
    EXPECT_EQ(d.Tx.Count(), 0);
}

TEST_F(CharacterEngine, APortThatStaysUnwritableIsNotedOnceNotOnEveryTry)
{
    TTxChannelDriver& d = rig.Driver();
    d.Port->Close();
    d.SendString(QStringLiteral("E"));
    rig.Advance(1000); // a hundred tries of the fast tick
    EXPECT_EQ(d.Tx.Count(), 1);
    EXPECT_EQ(rig.LogLines().count(QStringLiteral("Канал 1: (Ожидание) [+-+Повтор передачи символа]")), 1);
}

TEST_F(CharacterEngine, APauseMarkHoldsWhatFollowsItInOrderAndNothingIsDropped)
{
    // In Control mode, as in dialog mode: the text after each '&' goes on
    // once the line has been silent for 2 s, and text queued meanwhile
    // follows it.
    TTxChannelDriver& d = rig.Driver();
    d.SendString(QStringLiteral("E&T&E"));
    rig.Advance(400);
    EXPECT_EQ(rig.lines[1]->takeReceived(), Codes({31, 1}));
    EXPECT_TRUE(d.TxPauseActive);
    EXPECT_FALSE(d.TxIdle) << "the held text has not gone out";
    d.SendString(QStringLiteral("A"));
    rig.Advance(1500);
    EXPECT_TRUE(rig.lines[1]->takeReceived().isEmpty());
    rig.Advance(700);
    EXPECT_EQ(rig.lines[1]->takeReceived(), Codes({16}));
    rig.Advance(2200);
    EXPECT_EQ(rig.lines[1]->takeReceived(), Codes({1, 3}));
    EXPECT_TRUE(d.TxIdle);
    EXPECT_TRUE(d.Tx.IsEmpty());
}

TEST_F(CharacterEngine, OnAnEightBitLineTheAmpersandIsAnOrdinaryByte)
{
    TTxChannelDriver& d = rig.Driver();
    d.Port->SetParams(br__9600, db8, sb1_0, paNone);
    d.SendString(QStringLiteral("A&B"));
    rig.Advance(50);
    EXPECT_EQ(rig.lines[1]->takeReceived(), QByteArray("A&B"));
    EXPECT_FALSE(d.TxPauseActive);
}

} // namespace
