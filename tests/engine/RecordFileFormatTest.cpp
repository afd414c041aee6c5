// The record file headers, the journal lines and the appending of a block,
// on their own.

#include "engine/RecordFiles.h"
#include "support/FileError.h"
#include "support/OemText.h"
#include "tests/fakes/FileSizeLimit.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>


using namespace korvane;
using korvane::test::FileSizeLimit;

namespace {

const QDateTime kStart(QDate(2026, 12, 5), QTime(9, 7, 3));

TEST(RecordDates, EveryMonthHasItsRussianAbbreviation)
{
    const char* expected[] = {"янв", "фев", "мар", "апр", "май", "июн", "июл", "авг", "сен", "окт", "ноя", "дек"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(RecordDateTime(QDateTime(QDate(2009, m, 1), QTime(23, 59, 58))),
                  QStringLiteral("01-%1-09 23:59:58").arg(QString::fromUtf8(expected[m - 1])));
    EXPECT_EQ(RecordDateTime(kStart), QStringLiteral("05-дек-26 09:07:03"));
    EXPECT_EQ(RecordTime(kStart), QStringLiteral("09:07:03"));
}

TEST(RecordFileHeader, EachKindOfConnectionHasItsHeaderByteForByte)
{
    struct Case {
        RecordHeaderFields fields;
        QByteArray oem;
    };
    const QByteArray stars = "\r\n\r\n****\r\n\r\n";
    const QByteArray date = "05-\xA4\xA5\xAA-26 09:07:03"; // "дек" in CP866
    const Case cases[] = {
        // a reception: the number of its file, '№' is 0xFC
        {{kStart, 1, {}, 8}, stars + date + " \x82\xE5\xAE\xA4\xEF\xE9\xA8\xA9 \xAD\xAE\xAC\xA5\xE0 \xFC" "00007\r\n"},
        // a dialog shows the last received number too
        {{kStart, 3, {}, 123457}, stars + date + " \x82\xE5\xAE\xA4\xEF\xE9\xA8\xA9 \xAD\xAE\xAC\xA5\xE0 \xFC" "123456\r\n"},
        // an automatic transmission: the date alone
        {{kStart, 2, {}, 8}, stars + date + "\r\n"},
        // a telegram the adapter delivered: its note between the stars and the date
        {{kStart, 1, QStringLiteral("/TARVELOX/ №3"), 8}, stars + "/TARVELOX/ \xFC" "3\r\n" + date + "\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnsiToOem(RecordFileHeader(c.fields)), c.oem) << int(c.fields.ConnectionKind);
}

TEST(JournalLines, AReceiveLineFillsItsColumns)
{
    RxJournalFields f;
    f.RxJrnStart = kStart;
    f.RxJrnFile = QStringLiteral("TLG00007.REC");
    f.PartnerAnswerBack = QStringLiteral("ABCDEFGHIJKLMNOPQRST"); // 20: the first 16 are kept
    f.ConnTxCount = 0;
    f.ConnRxCount = 153;
    f.RxJrnEnd = QDateTime(QDate(2026, 12, 5), QTime(9, 12, 0));
    const QString line = RxJournalLine(f);
    EXPECT_EQ(line, QStringLiteral("05-дек-26 09:07:03 [TLG00007.REC] <ABCDEFGHIJKLMNOP> 0000 0153 09:12:00"));
    EXPECT_EQ(line.size(), 71);

    f.RxJrnFile = QStringLiteral("TLG7.RE");
    f.PartnerAnswerBack = QStringLiteral("12345 AB");
    f.AdapterNote = QStringLiteral("/TARVELOX/ №1");
    f.ConnRxCount = 40000; // counters are unsigned
    EXPECT_EQ(RxJournalLine(f),
              QStringLiteral("/TARVELOX/ №1 05-дек-26 09:07:03 [TLG7.RE     ] <        12345 AB> 0000 40000 09:12:00"));
}

TEST(JournalLines, ATransmitLineFillsItsColumns)
{
    TxJournalFields f;
    f.TxJrnStart = kStart;
    f.TxJrnNumber = QStringLiteral("0123456789012");
    f.TxJrnTelegram = QStringLiteral("Диалог");
    f.TxJrnRecordFile = QStringLiteral("DLG00012.PTC");
    f.TxJrnResult = QStringLiteral("         Успешно        ");
    f.JrnTxCount = 65535;
    f.JrnRxCount = 7;
    f.TxJrnEnd = QDateTime(QDate(2026, 12, 5), QTime(10, 0, 1));
    const QString line = TxJournalLine(f);
    EXPECT_EQ(line, QStringLiteral("05-дек-26 09:07:03 #0123456789       Диалог [DLG00012.PTC]          Успешно"
                                   "         65535 0007 10:00:01"));
    f.JrnTxCount = 12;
    f.TxJrnTelegram = QStringLiteral("TEL00001.TLG");
    f.TxJrnNumber = QStringLiteral("51234");
    EXPECT_EQ(TxJournalLine(f).size(), 102);
    EXPECT_TRUE(TxJournalLine(f).contains(QStringLiteral(" #51234      TEL00001.TLG [DLG00012.PTC] ")));
}

TEST(AppendToFile, AMissingFileIsCreatedAndAnExistingOneGrows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("j.txt");
    AppendToFile(path, "one\r\n");
    AppendToFile(path, "two\r\n");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("one\r\ntwo\r\n"));
    try {
        AppendToFile(dir.filePath("no/such/folder.txt"), "x");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Ошибка открытия файла %1").arg(dir.filePath("no/such/folder.txt")));
    }
}

TEST(AppendToFile, ABlockThatDoesNotFitLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("rec.txt");
    AppendToFile(path, "first");
    {
        FileSizeLimit full(20); // the device fills up in the middle of the block
        EXPECT_THROW(AppendToFile(path, "header and its text"), FileError);
    }
    AppendToFile(path, "header and its text");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("firstheader and its text"));
}

} // namespace
