// The part of an outgoing call after the connection, element after element
// as the built-in protocol runs it, against a distant station that answers
// every WRU with its answerback: the exact codes on the line, the record
// of the transmission, its journal line and the telegram marked done.

#include "tests/engine/elements/SendReceiveRig.h"

#include "platform/CodePages.h"
#include "tests/fakes/TestFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

std::vector<StepSpec> ExchangeSteps()
{
    return {
        {"Передача ЗАО 1", QStringLiteral("Передача ЗАО"), {}},
        {"Прием автоответа 1", QStringLiteral("Прием автоответа"),
         {"5", "2", "Передача автоответа 1", "Передача ЗАО 1", "Отбой", "Отбой"}},
        {"Передача автоответа 1", QStringLiteral("Передача автоответа"), {"Отбой", "Задержка"}},
        {"Передача заголовка", QStringLiteral("Передача заголовка"), {"Включен", "Включен", "Отбой"}},
        {"Передача данных", QStringLiteral("Передача данных"), {"10", "Отбой"}},
        {"Передача ЗАО 2", QStringLiteral("Передача ЗАО"), {}},
        {"Прием автоответа 2", QStringLiteral("Прием автоответа"),
         {"5", "2", "Отбой", "Передача ЗАО 2", "Отбой", "Отбой"}},
        {"Отбой", QStringLiteral("Отбой"), {}},
    };
}

// A distant station: answers each WRU that reaches it with its answerback.
class Station {
public:
    Station(SendReceiveRig& r, QByteArray answerBack) : r_(r), answerBack_(std::move(answerBack)) {}
    // Runs Ms of virtual time; what the line carried to the station.
    void Run(std::int64_t ms)
    {
        for (std::int64_t t = 0; t < ms; t += 10) {
            r_.Advance(10);
            const QByteArray got = r_.line->takeReceived();
            for (char c : got) {
                transcript_.append(c);
                // The WRU: figures shift and code 9.
                if (c == 9 && transcript_.size() >= 2 && transcript_.at(transcript_.size() - 2) == 27) {
                    r_.Receive(answerBack_);
                    ++wrus_;
                }
            }
        }
    }
    const QByteArray& Transcript() const { return transcript_; }
    int Wrus() const { return wrus_; }

private:
    SendReceiveRig& r_;
    QByteArray answerBack_;
    QByteArray transcript_;
    int wrus_ = 0;
};

TEST(OutgoingExchange, AnswerbacksHeaderTextAndClearDownGoOutInOrderAndAreRecorded)
{
    SendReceiveRig r(ExchangeSteps(), {"Задержка"});
    TTxChannelDriver& d = r.Driver();
    const QString telegram = QDir(d.TransmDir).filePath("TEL00003.TLG");
    {
        QFile f(telegram);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("|      #2345(2345 XYZ)\r\nHELLO\r\n");
    }
    d.TransmJrnFile = r.rig.dir.filePath("TRANSM.JRN");
    d.Modes |= ChannelMode::CheckAB;
    // The outgoing scan chooses the destination.
    d.Events.raise(DriverEvent::ScanOutgoing);
    d.FileWork();
    ASSERT_EQ(d.Number, "2345");
    ASSERT_EQ(d.ExpectedAnswerBack, "2345 XYZ");
    ASSERT_EQ(d.TlgLines, QStringList({"|      #2345(2345 XYZ)", "HELLO"}));
    // The connection stands (what the idle element sets up for the call).
    d.ConnectionKind = 2;
    d.ConnectionStart = d.Environment().Time->now();
    d.Address = "xyz";
    d.TlgHeader = "ZCZC {#CALLNUMB} ";
    d.ConnectionFile = QDir(d.TransmDir).filePath("TEL00003.PTC");
    d.TxJrnNumber = d.Number;
    d.TxJrnTelegram = "TEL00003.TLG";

    Station station(r, Encoded("2345 XYZ"));
    station.Run(60000);

    EXPECT_EQ(r.StepName(), "Далее");
    EXPECT_EQ(station.Wrus(), 2);
    // One register serves both directions: the station's answerback leaves
    // the line in Latin, so the channel's own answerback begins with a shift.
    QByteArray expected;
    TelegraphRegister reg = NoRegister;
    EncodeTelegraph(u"@", expected, reg);
    reg = LatinRegister;
    QByteArray rest;
    EncodeTelegraph(u"12345 TEST" u"ZCZC 2345 " u"XYZ\r\n" u"HELLO\r\n" u"@", rest, reg);
    expected += rest;
    EXPECT_EQ(station.Transcript().toHex(' '), expected.toHex(' '));
    EXPECT_TRUE(r.line->breakOn()) << "cleared down: the line at '-'";

    const QString journal = codepage::fromCp866(korvane::test::ReadFileBytes(d.TransmJrnFile));
    EXPECT_TRUE(journal.contains(QStringLiteral("#2345")));
    EXPECT_TRUE(journal.contains(QStringLiteral("[TEL00003.PTC]")));
    EXPECT_TRUE(journal.contains(FailureCodeTexts[FailureCodes::Success].toString()));
    // The call succeeded: its number is marked done, and with no number
    // left the telegram is finished.
    EXPECT_FALSE(QFile::exists(telegram));
    QFile done(QDir(d.TransmDir).filePath("TEL00003.TRS"));
    ASSERT_TRUE(done.open(QIODevice::ReadOnly));
    EXPECT_TRUE(done.readAll().startsWith("|      *2345(2345 XYZ)\r\nHELLO"));
    QFile record(QDir(d.TransmDir).filePath("TEL00003.PTC"));
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QString text = codepage::fromCp866(record.readAll());
    // What went out and what came back, in line order; the figures code 10
    // of the digit 4 is stored as it decodes, 'Ч'.
    EXPECT_TRUE(text.endsWith(QStringLiteral("@23Ч5 XYZ123Ч5 TESTZCZC 23Ч5 XYZ\r\nHELLO\r\n@23Ч5 XYZ")))
        << text.toStdString();
}

} // namespace
