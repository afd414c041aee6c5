// Record files, journals and the adapter's program file as the file tick
// writes them for a channel: what the line side hands over ends up in the
// files byte for byte, once, and never while the engine lock is held.

#include "tests/engine/FileWorkRig.h"

#include "engine/RecordFiles.h"
#include "engine/TelegramNumbering.h"
#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "protocols/TxProtoc.h"
#include "support/OemText.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QByteArray kStars = "\r\n\r\n****\r\n\r\n";

class RecordFileWriting : public ::testing::Test {
protected:
    TTxChannelDriver& d() { return f.Driver(); }
    std::int32_t IniRecNo()
    {
        return IniFile(f.rig.dir.filePath("KORVANE2.INI")).ReadInteger(ChannelSectionName(1), "TlgRecNo", -1);
    }
    void Store(const QString& text)
    {
        for (QChar c : text)
            d().PutRxChar(c);
    }
    // The header of a reception with the current start and received number.
    QByteArray ReceptionHeader()
    {
        return AnsiToOem(RecordFileHeader({d().ConnectionStart, 1, {}, d().Numbering().TlgRecNo}));
    }

    FileWorkRig f;
    FakeChannelWindow window;
};

TEST_F(RecordFileWriting, AReceptionIsNumberedAndItsTextWrittenBehindTheHeader)
{
    d().SetWindow(&window);
    d().Numbering().TlgRecNo = 7;
    d().StartRecFile();
    EXPECT_EQ(d().ConnectionFile, f.In("TLG00007.REC"));
    EXPECT_EQ(d().ConnectionKind, 1);
    EXPECT_EQ(d().RxJrnFile, "TLG00007.REC");
    EXPECT_TRUE(window.Calls().contains("SetTelegramFile(TLG00007.REC)"));
    EXPECT_EQ(IniRecNo(), -1); // no disk work on the line side
    Store(QStringLiteral("ПРИВЕТ №1\r"));
    EXPECT_EQ(d().FlushRxBuffer(), 10);
    f.Tick();
    EXPECT_EQ(IniRecNo(), 8);
    const QByteArray file = FileWorkRig::Read(f.In("TLG00007.REC"));
    EXPECT_EQ(file, kStars + "15-\xEF\xAD\xA2-26 12:00:00 \x82\xE5\xAE\xA4\xEF\xE9\xA8\xA9 \xAD\xAE\xAC\xA5\xE0 \xFC" "00007\r\n"
                        "\x8F\x90\x88\x82\x85\x92 \xFC" "1\r");
    EXPECT_TRUE(d().Events.has(DriverEvent::ChunkWritten));
    EXPECT_FALSE(d().Events.has(DriverEvent::WriteChunk));
    EXPECT_TRUE(f.refreshed.contains(f.rig.dir.filePath("in1")));
}

TEST_F(RecordFileWriting, TheCommonReceiveFileGathersEveryReception)
{
    d().Modes |= ChannelMode::CommonRec;
    d().ReceiveCommonFile = f.In("ALL.REC");
    for (int i = 0; i < 2; ++i) {
        d().StartRecFile();
        Store(QStringLiteral("TEXT %1").arg(i));
        d().FlushRxBuffer();
        f.Tick();
    }
    const QByteArray file = FileWorkRig::Read(f.In("ALL.REC"));
    EXPECT_EQ(file.count("****"), 2);
    EXPECT_TRUE(file.endsWith("TEXT 1"));
}

TEST_F(RecordFileWriting, AReceptionOverOneBufferIsWrittenInBlocksWithTheSameHeader)
{
    d().StartRecFile();
    f.rig.Advance(5000); // the header keeps the start of the connection
    QByteArray text;
    for (int i = 0; i < 8192 + 300; ++i)
        text.append(char('a' + i % 26));
    for (char c : text)
        d().PutRxByte(static_cast<std::uint8_t>(c));
    f.Tick(); // the first, full buffer
    d().FlushRxBuffer();
    f.Tick();
    const QByteArray header = ReceptionHeader();
    EXPECT_EQ(FileWorkRig::Read(d().ConnectionFile), header + text.left(8192) + header + text.mid(8192));
}

TEST_F(RecordFileWriting, AConnectionRenamedAtItsEndKeepsItsEarlierBlocksInTheSameFile)
{
    d().StartRecFile();
    const QString rec = d().ConnectionFile;
    for (int i = 0; i < 8192 + 20; ++i)
        d().PutRxByte('r');
    f.Tick();
    ASSERT_TRUE(QFile::exists(rec));
    // The clear-down names the last part's file (one answerback request only).
    d().ConnectionFile = ChangeFileExt(rec, ".RE");
    d().FlushRxBuffer();
    f.Tick();
    EXPECT_FALSE(QFile::exists(rec));
    const QByteArray header = ReceptionHeader();
    EXPECT_EQ(FileWorkRig::Read(d().ConnectionFile), header + QByteArray(8192, 'r') + header + QByteArray(20, 'r'));
    // The next connection starts a file of its own.
    f.rig.Advance(1000);
    d().StartRecFile();
    Store(QStringLiteral("SECOND"));
    d().FlushRxBuffer();
    d().ConnectionFile = ChangeFileExt(d().ConnectionFile, ".RE");
    f.Tick();
    EXPECT_TRUE(FileWorkRig::Read(d().ConnectionFile).endsWith("SECOND"));
    EXPECT_TRUE(QFile::exists(ChangeFileExt(rec, ".RE")));
}

TEST_F(RecordFileWriting, AFinalPartOfFiveBytesOrFewerIsNotWritten)
{
    d().StartRecFile();
    Store(QStringLiteral("NOISE"));
    EXPECT_EQ(d().FlushRxBuffer(), 5);
    EXPECT_FALSE(d().Events.has(DriverEvent::WriteChunk));
    f.Tick();
    EXPECT_FALSE(QFile::exists(d().ConnectionFile));
    Store(QStringLiteral("X"));
    EXPECT_EQ(d().Rx.BufA()[0], 'X'); // the next text starts in buffer A
}

TEST_F(RecordFileWriting, AnAdapterTelegramGetsItsNoteInTheHeaderAndTheJournal)
{
    d().StartRecFile();
    d().AdapterNote = QStringLiteral("/TARVELOX/ №3 15/01/26 11:00:00 0012-0012");
    d().PartnerAnswerBack = QStringLiteral("777 ABC");
    d().ConnRxCount = 12;
    d().RxJrnEnd = f.rig.clock.now();
    const QString text = QString(9000, u'Ж');
    EXPECT_EQ(d().PlaceChunk(text), 9000);
    d().Events.raise(DriverEvent::WriteRxJournal);
    f.Tick();
    const QByteArray header = kStars + AnsiToOem(d().AdapterNote) + "\r\n15-\xEF\xAD\xA2-26 12:00:00\r\n";
    EXPECT_EQ(FileWorkRig::Read(d().ConnectionFile), header + QByteArray(8192, '\x86') + header + QByteArray(808, '\x86'));
    const QByteArray journal = FileWorkRig::Read(f.rig.dir.filePath("rx1.jrn"));
    EXPECT_EQ(journal, AnsiToOem(d().AdapterNote + " 15-янв-26 12:00:00 [TLG00001.REC] <         777 ABC> 0000 0012 "
                                                   "12:00:00\r\n"));
    EXPECT_TRUE(d().Events.has(DriverEvent::RxJournalWritten));
    EXPECT_TRUE(f.notices.empty()); // posted, not called
    f.Deliver();
    EXPECT_EQ(f.notices, (std::vector<std::pair<int, int>>{{1, 1}}));
}

TEST_F(RecordFileWriting, ATransmitJournalLineCreatesAMissingJournal)
{
    d().TxJrnStart = QDateTime(QDate(2026, 1, 15), QTime(11, 58, 0));
    d().TxJrnNumber = QStringLiteral("51234");
    d().TxJrnTelegram = QStringLiteral("TEL00003.TLG");
    d().TxJrnRecordFile = QStringLiteral("TEL00003.PTC");
    d().TxJrnResult = FailureCodeTexts[FailureCodes::Occ].toString();
    d().JrnTxCount = 1;
    d().JrnRxCount = 40000;
    d().TxJrnEnd = f.rig.clock.now();
    d().Events.raise(DriverEvent::WriteTxJournal);
    f.Tick();
    const QByteArray journal = FileWorkRig::Read(f.rig.dir.filePath("tx1.jrn"));
    EXPECT_EQ(journal, AnsiToOem(QStringLiteral("15-янв-26 11:58:00 #51234      TEL00003.TLG [TEL00003.PTC]       Абонент "
                                                "занят      0001 40000 12:00:00\r\n")));
    EXPECT_TRUE(d().Events.has(DriverEvent::TxJournalWritten));
    f.Deliver();
    EXPECT_EQ(f.notices, (std::vector<std::pair<int, int>>{{1, 0}}));
}

TEST_F(RecordFileWriting, AChunkThatCannotBeWrittenWaitsUnchangedAndIsWrittenOnceLater)
{
    d().SetWindow(&window);
    d().StartRecFile();
    const QString record = d().ConnectionFile;
    bool refused = true;
    f.diskStep = [&](const char*, const QString& path) { return !(refused && path == record); };
    Store(QStringLiteral("ТЕКСТ ТЕЛЕГРАММЫ"));
    d().FlushRxBuffer();
    f.rig.Advance(3000); // many file ticks
    EXPECT_FALSE(d().Events.has(DriverEvent::WriteChunk)); // taken: the line side goes on
    EXPECT_FALSE(d().Events.has(DriverEvent::ChunkWritten));
    EXPECT_TRUE(d().RecordWaiting(record));
    EXPECT_EQ(d().Alarm, 1);
    EXPECT_EQ(f.LogWith("Ошибка записи файла " + record).size(), 1);
    refused = false;
    f.rig.Advance(1100);
    EXPECT_TRUE(d().Events.has(DriverEvent::ChunkWritten));
    EXPECT_FALSE(d().RecordWaiting(record));
    EXPECT_EQ(FileWorkRig::Read(record), ReceptionHeader() + AnsiToOem(QStringLiteral("ТЕКСТ ТЕЛЕГРАММЫ")));
}

TEST_F(RecordFileWriting, TheAdapterProgramIsReadWhenItFitsTheBuffer)
{
    struct Case {
        int size; // -1: no file
        bool loaded;
    };
    const QString program = f.rig.dir.filePath("TARVELOX.BIN");
    d().SetWindow(&window);
    for (const Case c : {Case{-1, false}, Case{100, true}, Case{8192, true}, Case{8193, false}}) {
        QFile::remove(program);
        QByteArray image;
        for (int i = 0; i < c.size; ++i)
            image.append(char(i * 7));
        if (c.size >= 0)
            FileWorkRig::Write(program, image);
        d().Events.clear(DriverEvent::AdapterProgramLoaded);
        d().FirmwareSize = 0;
        window.Forget();
        d().Events.raise(DriverEvent::LoadAdapterProgram);
        f.Tick();
        EXPECT_FALSE(d().Events.has(DriverEvent::LoadAdapterProgram));
        EXPECT_EQ(d().Events.has(DriverEvent::AdapterProgramLoaded), c.loaded) << c.size;
        if (c.loaded) {
            EXPECT_EQ(d().FirmwareSize, c.size);
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(d().FirmwareBuf.data()), c.size), image);
        }
        // A file too large is the window's box (its timer shows it), nothing modal in the file tick.
        EXPECT_EQ(window.Calls("SetAdapterProgramError").size(), c.size > 8192 ? 1 : 0) << c.size;
        EXPECT_TRUE(f.rig.box.shown.isEmpty()) << c.size;
    }
    EXPECT_EQ(f.LogWith("больше буфера адаптера").size(), 1);
}

} // namespace
