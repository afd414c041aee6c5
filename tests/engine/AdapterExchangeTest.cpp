// The TARVELOX-01 exchange's wire formats: the command words with their
// binary arguments, the settings block built from the channel's settings,
// the note of a fetched telegram, and the mark of a telegram already filed.

#include "engine/elements/AdapterExchange.h"

#include "engine/PendingFileWork.h"
#include "support/FileError.h"
#include "tests/engine/EngineRig.h"
#include "tests/fakes/TestFiles.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

struct CommandCase {
    const char* what;
    QByteArray bytes;
    const char* hex;
};

TEST(AdapterCommands, GoOutAsTheirNameAndLowByteFirstWords)
{
    const CommandCase cases[] = {
        {"time 09:05:02", AdapterExchange::TimeCommand(QTime(9, 5, 2)),
         "41 54 54 49 4d 45 2c 02 00 2c 05 00 2c 09 00 2e"},
        {"date 2026-12-10", AdapterExchange::DateCommand(QDate(2026, 12, 10)),
         "41 54 44 41 54 45 2c 1a 00 2c 0c 00 2c 0a 00 2e"},
        {"date 2100-01-01", AdapterExchange::DateCommand(QDate(2100, 1, 1)),
         "41 54 44 41 54 45 2c 00 00 2c 01 00 2c 01 00 2e"},
        {"test", AdapterExchange::Command("ATTEST"), "41 54 54 45 53 54 2e"},
        {"settings load", AdapterExchange::Command("ATLOAD", {0x0020, 0x2EA0}),
         "41 54 4c 4f 41 44 2c 20 00 2c a0 2e 2e"},
        {"modes", AdapterExchange::Command("ATLODO", {0x0001, 0x8003}),
         "41 54 4c 4f 44 4f 2c 01 00 2c 03 80 2e"},
    };
    for (const CommandCase& c : cases)
        EXPECT_EQ(c.bytes.toHex(' '), QByteArray(c.hex)) << c.what;
}

TEST(AdapterCommands, TheNoteOfAFetchedTelegramCountsWhatArrived)
{
    StoredTelegramHeader h = StoredTelegramHeader::FromBytes(QByteArray::fromHex("07 1A 0C 0A 00 02 05 09 00 E8 03"));
    EXPECT_EQ(AdapterExchange::Note(h, 1011), QStringLiteral("/TARVELOX/ №7 10/12/26 09:05:02 1000-1000"));
    h = StoredTelegramHeader::FromBytes(QByteArray::fromHex("FF 00 01 02 00 00 00 00 00 05 00"));
    EXPECT_EQ(AdapterExchange::Note(h, 20), QStringLiteral("/TARVELOX/ №255 02/01/00 00:00:00 0005-0009"));
}

class AdapterSettingsBlock : public ::testing::Test {
protected:
    AdapterSettingsBlock()
    {
        rig.catalog = MakeCatalog({{QStringLiteral("Анализ состояния приема"), "TTxCheckInputLine", nullptr, nullptr}});
        rig.set = MakeSet({{"Ожидание", QStringLiteral("Анализ состояния приема"), {}}});
        rig.AddLine(1);
        rig.EnableChannel(1);
        rig.Start();
    }
    QByteArray Block()
    {
        const auto b = AdapterExchange::SettingsBlock(rig.Driver());
        return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size()));
    }
    EngineRig rig;
};

TEST_F(AdapterSettingsBlock, AnAnswerbackLongerThanTwentyCodesFillsTheFirstTwentyOnly)
{
    rig.Driver().AnswerBack = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const QByteArray b = Block();
    // Latin letters from the Latin register: no shift before them.
    EXPECT_EQ(b.left(20).toHex(' '), "03 19 0e 09 01 0d 1a 14 06 0b 0f 12 1c 0c 18 16 17 0a 05 10");
    EXPECT_EQ(b.mid(30).toHex(' '), "0a 03");
}

TEST_F(AdapterSettingsBlock, AShortAnswerbackIsPaddedWithFiguresShifts)
{
    rig.Driver().AnswerBack = QStringLiteral("AB");
    EXPECT_EQ(Block().left(20).toHex(' '), "03 19 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b 1b");
}

struct LineCase {
    std::uint16_t baud, dataBits, stopBits, parity;
    const char* divisorAndControl; // bytes 20..22
};

TEST_F(AdapterSettingsBlock, TheLineSettingsBecomeDivisorAndLineControl)
{
    const LineCase cases[] = {
        {0, 1, 1, 0, "53 07 44"}, // 50 bit/s, 5 bits, 1.5 stop bits
        {1, 1, 0, 0, "e2 04 40"}, // 75 bit/s, 1 stop bit
        {8, 4, 2, 2, "4e 00 5f"}, // 1200 bit/s, 8 bits, 2 stop bits, even
        {2, 3, 0, 1, "aa 03 4a"}, // 100 bit/s, 7 bits, odd
        {3, 0, 0, 0, "55 03 40"}, // 110 bit/s, 4 bits count as 5
    };
    TTxChannelDriver& d = rig.Driver();
    for (const LineCase& c : cases) {
        d.BaudIndex = c.baud;
        d.DataBitsIndex = c.dataBits;
        d.StopBitsIndex = c.stopBits;
        d.ParityIndex = c.parity;
        EXPECT_EQ(Block().mid(20, 3).toHex(' '), QByteArray(c.divisorAndControl)) << c.baud << " " << c.dataBits;
    }
}

TEST_F(AdapterSettingsBlock, TimesAreTruncatedToTheirUnitsAndKeepTheirLowByte)
{
    TTxChannelDriver& d = rig.Driver();
    d.LineBreakTime = 304;         // 60
    d.CallSignalTime = 1300;       // 260: low byte 4
    d.ClearingTime = 9;            // 1
    d.ReceivePauseTime = 120999;   // 120
    d.PauseTime = 5000;            // 1000: low byte 0xE8
    d.ImpulseTime = 4;             // 0
    d.DisconnectWaitTime = 10000;  // 10
    EXPECT_EQ(Block().mid(23, 7).toHex(' '), "3c 04 01 78 e8 00 0a");
}

// The mark of a telegram filed and not yet deleted in the adapter: what
// was saved reads back; a value that is no whole header marks nothing.
TEST(AdapterFiledMarks, ReadBackOnlyAWholeHeader)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("KORVANE2.INI");
    const AdapterFiledMark mark(2, ini);
    const QByteArray header = QByteArray::fromHex("07 1A 0C 0A 00 02 05 09 00 E8 03");
    EXPECT_TRUE(mark.Load().isEmpty()); // no file yet
    mark.Save(header);
    EXPECT_EQ(mark.Load(), header);
    EXPECT_TRUE(AdapterFiledMark(1, ini).Load().isEmpty()); // another channel's section
    mark.Save({});
    EXPECT_TRUE(mark.Load().isEmpty());

    const char* unusable[] = {"071A0C0A0002050900E8", "071A0C0A0002050900E80300", "071A0C0A0002050900E8ZZ", "yes"};
    for (const char* value : unusable) {
        ASSERT_TRUE(WriteFileBytes(ini, QByteArray("[CHANNEL #2]\r\nAdapterFiled=") + value + "\r\n"));
        EXPECT_TRUE(mark.Load().isEmpty()) << value;
    }
    ASSERT_TRUE(WriteFileBytes(ini, "[CHANNEL #2]\r\nAdapterFiled=071a0c0a0002050900e803\r\n"));
    EXPECT_EQ(mark.Load(), header); // either letter case
}

// A mark that cannot be written says so.
TEST(AdapterFiledMarks, AFailedWriteThrows)
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath("plain");
    ASSERT_TRUE(WriteFileBytes(notAFolder, "x"));
    const QByteArray header = QByteArray::fromHex("01 1A 0C 09 00 3A 3B 17 00 04 00");
    EXPECT_THROW(AdapterFiledMark(1, notAFolder + "/KORVANE2.INI").Save(header), FileError);
}

// A mark handed to the pending work is kept in the work's file with the
// record before it, and written only once everything of its telegram's
// connection is on disk: a start after the program ended with the record
// refused finds the mark still waiting and writes it after the record.
TEST(AdapterFiledMarks, ThroughThePendingWorkFollowTheirRecord)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("KORVANE2.INI");
    const QString record = dir.filePath("TLG00001.REC");
    const QString workFile = dir.filePath("channel1.work");
    const AdapterFiledMark mark(1, ini);
    const QByteArray header = QByteArray::fromHex("01 1A 0C 09 00 3A 3B 17 00 04 00");
    bool full = true;
    const DiskStepHook disk = [&](const char*, const QString& path) { return !(full && path == record); };
    {
        PendingFileWork work(workFile, disk);
        FileWorkItem block;
        block.connection = "c1";
        block.path = record;
        block.bytes = "ABC";
        block.block = true;
        work.Add(block);
        work.Add(mark.SaveAfter(header, "c1"));
        work.Run(0, {});
        EXPECT_TRUE(mark.Waiting(work));
        EXPECT_TRUE(mark.Load().isEmpty()); // its record refused: not marked
    } // the program ends

    full = false;
    PendingFileWork work(workFile, disk);
    ASSERT_TRUE(work.Load());
    EXPECT_TRUE(mark.Waiting(work));
    work.Run(0, {});
    EXPECT_FALSE(mark.Waiting(work));
    EXPECT_EQ(ReadFileBytes(record), "ABC");
    EXPECT_EQ(mark.Load(), header);
    EXPECT_FALSE(QFile::exists(workFile));
}

} // namespace
