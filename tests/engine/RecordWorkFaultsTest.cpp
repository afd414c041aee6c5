// Record files and journals when the disk fails or the program is killed:
// a connection renamed at its end takes only its own blocks along, on disk,
// whether a last block follows or not; a full disk or an unwritable INI file
// stops nothing else, and what waits is written whole and in order when
// space returns; after a kill at any disk step a restart finishes the work,
// so a number is marked done exactly when its record and journal line are
// on disk, and a reception cut by a crash stands as .RE with its journal line.

#include "tests/engine/FileWorkRig.h"

#include "engine/OutgoingTelegrams.h"
#include "engine/RecordFiles.h"
#include "engine/TelegramNumbering.h"
#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "platform/SafeFileWriter.h"
#include "protocols/TxProtoc.h"
#include "support/OemText.h"
#include "tests/fakes/FileSizeLimit.h"

#include <QDir>

#include <gtest/gtest.h>


using namespace korvane;
using namespace korvane::test;

namespace {

class RecordWorkFaults : public ::testing::Test {
protected:
    TTxChannelDriver& d() { return f.Driver(); }
    QByteArray Header(std::uint8_t kind = 1)
    {
        return AnsiToOem(RecordFileHeader({d().ConnectionStart, kind, {}, d().Numbering().TlgRecNo}));
    }
    void Receive(const QByteArray& text)
    {
        for (char c : text)
            d().PutRxByte(static_cast<std::uint8_t>(c));
    }
    static QByteArray Text(int n, char base)
    {
        QByteArray t;
        for (int i = 0; i < n; ++i)
            t.append(char(base + i % 20));
        return t;
    }
    // A connection of Kind to File begins now.
    void Begin(std::uint8_t kind, const QString& file)
    {
        f.rig.Advance(1000);
        d().ConnectionStart = f.rig.clock.now();
        d().ConnectionKind = kind;
        d().ConnectionFile = file;
    }
    QStringList Lines(const QString& journal)
    {
        return QString::fromLatin1(FileWorkRig::Read(f.rig.dir.filePath(journal))).split("\r\n", Qt::SkipEmptyParts);
    }
    QStringList Leftovers()
    {
        QStringList out;
        for (const QString& folder : {QStringLiteral("in1"), QStringLiteral("out1"), QString()})
            out << QDir(f.rig.dir.filePath(folder)).entryList({"*.kvnew"}, QDir::Files | QDir::Hidden);
        return out;
    }

    FileWorkRig f;
};

TEST_F(RecordWorkFaults, ARecordRenamedAtItsEndIsRenamedOnDiskWithoutALastBlock)
{
    struct Case {
        const char* name;
        std::uint8_t kind;
        const char* file;
        const char* renamed;
        bool dropLast; // the mode bit drops the last part; else it is 3 bytes (noise)
    };
    const Case cases[] = {
        {"reception, noise at the end", 1, "in1/TLG00007.REC", "in1/TLG00007.RE", false},
        {"transmission, last part dropped", 2, "out1/TEL00007.PTC", "out1/TEL00007.PT", true},
    };
    for (const Case& c : cases) {
        Begin(c.kind, f.rig.dir.filePath(c.file));
        const QByteArray text = Text(ReceiveBuffers::BufferSize + 3, 'a');
        Receive(text);
        f.Tick(); // the first buffer is written under the first name
        ASSERT_TRUE(QFile::exists(d().ConnectionFile)) << c.name;
        d().ConnectionFile = f.rig.dir.filePath(c.renamed);
        if (c.dropLast)
            d().ResetRxBuffer();
        else
            EXPECT_EQ(d().FlushRxBuffer(), 3);
        d().Events.raise(c.kind == 1 ? DriverEvent::WriteRxJournal : DriverEvent::WriteTxJournal);
        f.Tick();
        EXPECT_FALSE(QFile::exists(f.rig.dir.filePath(c.file))) << c.name;
        EXPECT_EQ(FileWorkRig::Read(f.rig.dir.filePath(c.renamed)), Header(c.kind) + text.left(8192)) << c.name;
        d().ResetCounters();
    }
}

TEST_F(RecordWorkFaults, AFailedCallMovesOnlyItsOwnBlocksOutOfTheTelegramsRecord)
{
    const QString ptc = f.Out("TEL00003.PTC");
    Begin(2, ptc);
    Receive("FIRST CALL DONE");
    d().FlushRxBuffer();
    d().Events.raise(DriverEvent::WriteTxJournal);
    f.Tick();
    const QByteArray first = Header(2) + "FIRST CALL DONE";
    d().ResetCounters();
    ASSERT_EQ(FileWorkRig::Read(ptc), first);

    Begin(2, ptc);
    const QByteArray text = Text(ReceiveBuffers::BufferSize + 20, 'A');
    Receive(text);
    f.Tick();
    d().ConnectionFile = f.Out("TEL00003.PT"); // the second call failed
    d().FlushRxBuffer();
    d().Events.raise(DriverEvent::WriteTxJournal);
    f.Tick();
    EXPECT_EQ(FileWorkRig::Read(ptc), first);
    EXPECT_EQ(FileWorkRig::Read(f.Out("TEL00003.PT")), Header(2) + text.left(8192) + Header(2) + text.mid(8192));
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(RecordWorkFaults, AnUnwritableIniFileStopsNeitherTheRecordNorTheJournal)
{
    const QString ini = f.rig.dir.filePath("KORVANE2.INI");
    QFile::remove(ini);
    ASSERT_TRUE(QDir().mkdir(ini)); // no file can be written under that name
    d().StartRecFile();
    Receive("TEXT RECEIVED");
    d().FlushRxBuffer();
    d().Events.raise(DriverEvent::WriteRxJournal);
    for (int i = 0; i < 10; ++i)
        f.Tick();
    EXPECT_EQ(FileWorkRig::Read(d().ConnectionFile), Header() + "TEXT RECEIVED");
    EXPECT_EQ(Lines("rx1.jrn").size(), 1);
    EXPECT_FALSE(d().Events.has(DriverEvent::WriteChunk | DriverEvent::WriteRxJournal)); // the clear-down goes on
    EXPECT_EQ(f.LogWith("Ошибка записи файла " + ini).size(), 1);
    EXPECT_EQ(d().Alarm, 1);
    ASSERT_TRUE(QDir().rmdir(ini));
    f.Tick();
    EXPECT_EQ(IniFile(ini).ReadInteger(ChannelSectionName(1), "TlgRecNo", -1), 2);
}

TEST_F(RecordWorkFaults, AJournalLineThatCannotBeWrittenWaitsAndIsWrittenOnce)
{
    bool refused = true;
    f.diskStep = [&](const char*, const QString& path) { return !(refused && path.endsWith("rx1.jrn")); };
    for (int i = 0; i < 2; ++i) {
        d().StartRecFile();
        d().RxJrnFile = QStringLiteral("TLG%1.REC").arg(i);
        Receive("RECEIVED " + QByteArray::number(i));
        d().FlushRxBuffer();
        d().Events.raise(DriverEvent::WriteRxJournal);
        f.Tick();
        EXPECT_TRUE(QFile::exists(d().ConnectionFile)); // the record does not wait for the journal
        d().ResetCounters();
        f.rig.Advance(2000);
    }
    EXPECT_FALSE(d().Events.has(DriverEvent::RxJournalWritten));
    refused = false;
    f.rig.Advance(1100);
    const QStringList lines = Lines("rx1.jrn");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("[TLG0.REC"));
    EXPECT_TRUE(lines[1].contains("[TLG1.REC"));
    EXPECT_TRUE(d().Events.has(DriverEvent::RxJournalWritten));
}

TEST_F(RecordWorkFaults, ReceivedTextWaitsForAFullDiskAndIsWrittenWholeAndInOrder)
{
    d().StartRecFile();
    const QString rec = d().ConnectionFile;
    const QByteArray text = Text(3 * ReceiveBuffers::BufferSize + 100, 'a');
    {
        FileSizeLimit full(4096); // smaller than one block
        Receive(text);
        d().FlushRxBuffer();
        d().Events.raise(DriverEvent::WriteRxJournal);
        f.rig.Advance(5000);
        EXPECT_FALSE(d().Events.has(DriverEvent::WriteChunk | DriverEvent::WriteRxJournal));
        EXPECT_FALSE(QFile::exists(rec));
        EXPECT_EQ(d().Alarm, 1);
    }
    f.rig.Advance(1100);
    const QByteArray h = Header();
    EXPECT_EQ(FileWorkRig::Read(rec), h + text.left(8192) + h + text.mid(8192, 8192) + h + text.mid(16384, 8192) + h
                                          + text.mid(24576));
    EXPECT_EQ(Lines("rx1.jrn").size(), 1);
    EXPECT_TRUE(d().Events.has(DriverEvent::ChunkWritten));
}

TEST(RecordWorkCrash, AReceptionCutByACrashStandsAsUnfinishedWithItsJournalLine)
{
    struct Case {
        const char* name;
        int length;    // received before the crash
        bool recorded; // more than noise
    };
    for (const Case c : {Case{"over one buffer", ReceiveBuffers::BufferSize + 40, true}, Case{"short", 300, true},
                         Case{"noise", 3, false}}) {
        FileWorkRig g;
        TTxChannelDriver& r = g.Driver();
        r.StartRecFile();
        const QString rec = r.ConnectionFile;
        const QByteArray header = AnsiToOem(RecordFileHeader({r.ConnectionStart, 1, {}, r.Numbering().TlgRecNo}));
        const QByteArray text = QByteArray(c.length, 'a');
        for (char ch : text)
            r.PutRxByte(static_cast<std::uint8_t>(ch));
        g.rig.Advance(1200); // about a second: what came in is on disk
        g.Restart();         // killed: nothing more was written on the way out
        const QString re = ChangeFileExt(rec, ".RE");
        EXPECT_FALSE(QFile::exists(rec)) << c.name;
        const QByteArray expected = c.length > 8192 ? header + text.left(8192) + header + text.mid(8192) : header + text;
        const QStringList journal = QString::fromLatin1(FileWorkRig::Read(g.rig.dir.filePath("rx1.jrn")))
                                        .split("\r\n", Qt::SkipEmptyParts);
        if (c.recorded) {
            EXPECT_EQ(FileWorkRig::Read(re), expected) << c.name;
            ASSERT_EQ(journal.size(), 1) << c.name;
            EXPECT_TRUE(journal[0].contains("[TLG00001.RE ")) << c.name;
        } else {
            EXPECT_FALSE(QFile::exists(re)) << c.name;
            EXPECT_TRUE(journal.isEmpty()) << c.name;
        }
        g.Restart(); // nothing is done twice
        EXPECT_EQ(FileWorkRig::Read(re), c.recorded ? expected : QByteArray()) << c.name;
        EXPECT_EQ(FileWorkRig::Read(g.rig.dir.filePath("rx1.jrn")).count("\r\n"), c.recorded ? 1 : 0) << c.name;
        EXPECT_FALSE(QFile::exists(g.Driver().PendingWorkFile())) << c.name;
        g.Driver().StartRecFile();
        EXPECT_EQ(QFileInfo(g.Driver().ConnectionFile).fileName(), "TLG00002.REC") << "its number is not used again";
    }
}

TEST_F(RecordWorkFaults, TemporariesOfCutWritesAreRemovedAtStart)
{
    FileWorkRig::Write(f.Out("TEL00001.TLG") + SafeWriteSuffix, "half");
    FileWorkRig::Write(f.In("TLG00001.REC") + SafeWriteSuffix, "half");
    f.Restart();
    EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(' ').toStdString();
}

} // namespace
