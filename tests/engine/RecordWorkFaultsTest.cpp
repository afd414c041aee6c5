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
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>


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

TEST_F(RecordWorkFaults, AJournalLineNamesARecordOnlyOnceTheRecordIsOnDisk)
{
    bool refused = true; // the outgoing folder is read-only
    f.diskStep = [&](const char*, const QString& path) { return !(refused && path.contains("/out1/")); };
    Begin(2, f.Out("TEL00001.PTC"));
    d().TxJrnRecordFile = QStringLiteral("TEL00001.PTC");
    Receive("TEXT SENT");
    d().FlushRxBuffer();
    d().Events.raise(DriverEvent::WriteTxJournal);
    for (int i = 0; i < 5; ++i) {
        f.rig.Advance(1000);
        EXPECT_FALSE(QFile::exists(f.Out("TEL00001.PTC")));
        EXPECT_TRUE(Lines("tx1.jrn").isEmpty()) << "a journal line names a record not on disk";
    }
    refused = false;
    f.rig.Advance(2100);
    EXPECT_EQ(FileWorkRig::Read(f.Out("TEL00001.PTC")), Header(2) + "TEXT SENT");
    const QStringList lines = Lines("tx1.jrn");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains("[TEL00001.PTC"));
}

TEST_F(RecordWorkFaults, WorkThatKeepsFailingRaisesTheAlarmOnceAndIsTriedLessOften)
{
    QDir(f.rig.dir.filePath("in1")).removeRecursively(); // the folder is gone
    int appends = 0;
    f.diskStep = [&](const char* step, const QString& path) {
        if (path.contains("/in1/") && std::strcmp(step, "append") == 0)
            ++appends;
        return true;
    };
    FakeChannelWindow window;
    {
        EngineLock lock(d().Mutex());
        d().Window = &window;
    }
    d().StartRecFile();
    const QString rec = d().ConnectionFile;
    Receive("RECEIVED TEXT");
    d().FlushRxBuffer();
    d().Events.raise(DriverEvent::WriteRxJournal);
    EXPECT_FALSE(d().RecordWorkDone());
    f.Tick();
    ASSERT_EQ(d().Alarm, 1);
    EXPECT_TRUE(d().SoundEvents.has(SoundEvent::Alarm));
    EXPECT_EQ(window.AlarmFile(), rec); // the alarm names the file
    const QStringList logged = f.LogWith("Исключение");
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].contains(rec)) << logged[0].toStdString();
    EXPECT_FALSE(d().RecordWorkDone());
    // The operator acknowledges the alarm; the same work failing again raises it no more.
    d().SetAlarm(0);
    d().SoundEvents.clear(SoundEvent::Alarm);
    f.rig.Advance(2 * 60 * 1000);
    EXPECT_EQ(d().Alarm, 0);
    EXPECT_FALSE(d().SoundEvents.has(SoundEvent::Alarm));
    EXPECT_EQ(f.LogWith("Исключение").size(), 1);
    // Tried again ever less often (once a second would be 120 tries), yet tried.
    EXPECT_GT(appends, 10);
    EXPECT_LT(appends, 40);
    ASSERT_TRUE(QDir().mkpath(f.rig.dir.filePath("in1")));
    f.rig.Advance(61 * 1000);
    EXPECT_EQ(FileWorkRig::Read(rec), Header() + "RECEIVED TEXT");
    EXPECT_EQ(Lines("rx1.jrn").size(), 1);
    EXPECT_TRUE(d().RecordWorkDone());
    EngineLock lock(d().Mutex());
    d().Window = nullptr;
}

TEST_F(RecordWorkFaults, AWorkFileThatCannotBeSavedIsTriedAtMostOncePerFileTick)
{
    const QString workFile = d().PendingWorkFile();
    int saves = 0;
    f.diskStep = [&](const char*, const QString& path) {
        if (path != workFile)
            return true;
        ++saves;
        return false;
    };
    d().StartRecFile();
    const std::int64_t period = 2000;
    for (std::int64_t t = 0; t < period; t += 100) {
        Receive("ABCDEFGHIJ");
        f.rig.Advance(100);
    }
    EXPECT_GT(saves, 0);
    EXPECT_LE(saves, period / TTxScanner::FileInterval + 1);
}

TEST_F(RecordWorkFaults, TheTextOfAConnectionIsKeptSoThatAKillLosesNoMoreThanTheLastSecond)
{
    // A kill during a write of the work file leaves the write before it:
    // what came in since then is lost. For that to be at most the last
    // second, the writes follow each other closely enough that one more
    // write (allowed this long) fits into the second too.
    constexpr std::uint64_t writeAllowance = 200;
    const QString workFile = d().PendingWorkFile();
    std::vector<std::uint64_t> writes;
    f.diskStep = [&](const char* step, const QString& path) {
        if (path == workFile && std::strcmp(step, "replace") == 0)
            writes.push_back(f.rig.clock.tickMs());
        return true;
    };
    d().StartRecFile();
    for (int i = 0; i < 40; ++i) { // a character every 150 ms, as at 50 baud
        Receive("A");
        f.rig.Advance(150);
    }
    ASSERT_GT(writes.size(), 2u);
    for (std::size_t i = 1; i < writes.size(); ++i)
        EXPECT_LE(writes[i] - writes[i - 1] + writeAllowance, 1000u) << "write " << i;
}

TEST(RecordWorkCrash, ADamagedWorkFileIsKeptAsideAndWhatCanBeReadOfItIsFinished)
{
    FileWorkRig g;
    TTxChannelDriver& r = g.Driver();
    bool refused = true; // the journal line waits in the work file
    g.diskStep = [&](const char*, const QString& path) { return !(refused && path.endsWith("rx1.jrn")); };
    r.StartRecFile();
    const QString first = r.ConnectionFile;
    const QByteArray header = AnsiToOem(RecordFileHeader({r.ConnectionStart, 1, {}, r.Numbering().TlgRecNo}));
    for (char ch : QByteArray("FIRST RECEPTION"))
        r.PutRxByte(static_cast<std::uint8_t>(ch));
    r.FlushRxBuffer();
    r.Events.raise(DriverEvent::WriteRxJournal);
    g.Tick();
    r.ResetCounters();
    g.rig.Advance(1000);
    r.StartRecFile(); // a second reception is in progress
    const QString second = r.ConnectionFile;
    const QByteArray header2 = AnsiToOem(RecordFileHeader({r.ConnectionStart, 1, {}, r.Numbering().TlgRecNo}));
    const QByteArray text(300, 'b');
    for (char ch : text)
        r.PutRxByte(static_cast<std::uint8_t>(ch));
    g.rig.Advance(1200);
    const QString workFile = r.PendingWorkFile();
    QByteArray kept = FileWorkRig::Read(workFile);
    ASSERT_FALSE(kept.isEmpty());
    kept.chop(12); // cut: its end is lost
    FileWorkRig::Write(workFile, kept);
    refused = false;
    g.Restart(); // killed
    g.rig.Advance(200);
    // Kept aside as it was, under a name of its own, and said so.
    const QStringList aside = QDir(g.rig.dir.path())
                                  .entryList({QFileInfo(workFile).fileName() + ".*"}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(aside.size(), 1) << aside.join(' ').toStdString();
    EXPECT_EQ(FileWorkRig::Read(g.rig.dir.filePath(aside[0])), kept);
    const QStringList logged = g.LogWith(aside[0]);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].contains("поврежден")) << logged[0].toStdString();
    // What could be read is finished: the reception in progress stands as unfinished.
    EXPECT_EQ(FileWorkRig::Read(first), header + "FIRST RECEPTION");
    EXPECT_EQ(FileWorkRig::Read(ChangeFileExt(second, ".RE")), header2 + text);
    EXPECT_TRUE(FileWorkRig::Read(g.rig.dir.filePath("rx1.jrn")).contains("TLG00002.RE "));
    EXPECT_FALSE(QFile::exists(workFile));
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
