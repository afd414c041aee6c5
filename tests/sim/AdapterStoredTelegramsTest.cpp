// Telegrams stored in a TARVELOX-01 adapter, fetched by a whole channel on
// virtual time: each goes whole into its own file with its journal line,
// whatever its length; replies are read from what the adapter sent alone;
// a telegram already filed when the channels restarted is deleted, not
// filed again, whatever point of its filing the program ended at; the note
// of a fetched telegram ends with it.

#include "tests/sim/AdapterRig.h"

#include "engine/RecordFiles.h"
#include "engine/elements/AdapterFiledMark.h"
#include "support/OemText.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <ostream>

using namespace korvane;
using namespace korvane::test;
using Fault = sim::IntelligentAdapter::Fault;

namespace {

const QDateTime kStoredAt(QDate(2026, 12, 10), QTime(9, 0));
// Codes "$ABC".
const QByteArray kShortCodes("\x1F\x03\x19\x0E", 4);

sim::IntelligentAdapter::StoredTelegram Telegram(int number, QByteArray codes)
{
    return {static_cast<std::uint8_t>(number), kStoredAt, std::move(codes)};
}

QString Note(int number, int length)
{
    return QString::asprintf("/TARVELOX/ \u2116%d 10/12/26 09:00:00 %.4d-%.4d", number, length, length);
}

// A record file's blocks: the note line of each block's header and its text.
struct Block {
    QByteArray note;
    QByteArray text;
};

std::vector<Block> Blocks(const QByteArray& file)
{
    std::vector<Block> out;
    const QByteArray stars = "\r\n\r\n****\r\n\r\n";
    if (!file.startsWith(stars))
        return out;
    qsizetype at = 0;
    while (at < file.size()) {
        if (file.mid(at, stars.size()) != stars)
            break;
        at += stars.size();
        const qsizetype noteEnd = file.indexOf("\r\n", at);
        const qsizetype dateEnd = file.indexOf("\r\n", noteEnd + 2);
        qsizetype next = file.indexOf(stars, dateEnd + 2);
        if (next < 0)
            next = file.size();
        out.push_back({file.mid(at, noteEnd - at), file.mid(dateEnd + 2, next - dateEnd - 2)});
        at = next;
    }
    return out;
}

class StoredTelegrams : public ::testing::Test {
protected:
    StoredTelegrams() { f.adapter->setProgramPresent(true); }

    QByteArray Oem(const QString& s) { return AnsiToOem(s); }
    QStringList JournalLines() const
    {
        QStringList out;
        for (const QByteArray& l : f.Journal().split('\n'))
            if (!l.isEmpty())
                out << OemToAnsi(l);
        return out;
    }
    // The short telegram №1 was filed as itself alone.
    void ExpectFirstFiledAlone()
    {
        const std::vector<Block> first = Blocks(AdapterRig::Read(f.In("TLG00001.REC")));
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].note, Oem(Note(1, 4)));
        EXPECT_EQ(first[0].text, "ABC");
    }

    AdapterRig f;
};

// A telegram of any length, none at all included, goes whole into its own
// file behind the one before it, with one journal line of its own; the
// telegram before it keeps its file to itself.
struct LengthCase {
    const char* what;
    int codes;
};

class StoredTelegramLengths : public StoredTelegrams, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(StoredTelegramLengths, AreFiledWholeEachInItsOwnFile)
{
    const int length = GetParam().codes;
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    f.adapter->storeTelegram(Telegram(2, QByteArray(length, '\x03'))); // '-' each
    f.Start();
    ASSERT_TRUE(f.RunToEnd(120000));
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());
    EXPECT_TRUE(f.adapter->stored().empty());
    EXPECT_EQ(f.adapter->transcript().count("> ATDELT."), 2);
    EXPECT_EQ(f.adapter->transcript().count("> ATGETT."), 2);

    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC", "TLG00002.REC"}));
    ExpectFirstFiledAlone();
    // The long one in blocks of one receive buffer each, every block behind its own header.
    const std::vector<Block> second = Blocks(AdapterRig::Read(f.In("TLG00002.REC")));
    ASSERT_EQ(second.size(), std::size_t(std::max(1, (length + 8191) / 8192)));
    QByteArray text;
    for (const Block& b : second) {
        EXPECT_EQ(b.note, Oem(Note(2, length)));
        text += b.text;
    }
    EXPECT_EQ(text, QByteArray(length, '-'));

    const QStringList journal = JournalLines();
    ASSERT_EQ(journal.size(), 2);
    EXPECT_TRUE(journal[0].startsWith(Note(1, 4) + u' ')) << journal[0].toStdString();
    EXPECT_TRUE(journal[1].startsWith(Note(2, length) + u' ')) << journal[1].toStdString();
    EXPECT_TRUE(journal[1].contains("[TLG00002.REC]")) << journal[1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Fetched, StoredTelegramLengths,
                         ::testing::Values(LengthCase{"empty", 0}, LengthCase{"reply of one buffer", 8192 - 11},
                                           LengthCase{"text of one buffer", 8192},
                                           LengthCase{"longer than a buffer", 8200},
                                           LengthCase{"longer than both buffers", 20000}),
                         [](const auto& info) { return std::string("Codes") + std::to_string(info.param.codes); });

// A reply longer than asked for is still arriving when the next command
// goes out: the next reply is what the adapter sent to that command, never
// the channel's own command bytes nor the tail of the reply before.
class LongReplies : public StoredTelegrams, public ::testing::WithParamInterface<const char*> {};

TEST_P(LongReplies, LeaveTheNextReplyAsTheAdapterSentIt)
{
    f.adapter->injectFault(GetParam(), Fault::LongReply);
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    f.adapter->storeTelegram(Telegram(2, QByteArray(5, '\x03')));
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());
    EXPECT_TRUE(f.adapter->stored().empty());
    const QStringList windowText = f.WindowText();
    EXPECT_TRUE(windowText.contains("line Телеграмма №1 от 10/12/26 09:00:00 Размер: 4 символа"))
        << windowText.join('\n').toStdString();
    EXPECT_TRUE(windowText.contains("line Телеграмма №2 от 10/12/26 09:00:00 Размер: 5 символа"))
        << windowText.join('\n').toStdString();
    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC", "TLG00002.REC"}));
    ExpectFirstFiledAlone();
    const std::vector<Block> second = Blocks(AdapterRig::Read(f.In("TLG00002.REC")));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].note, Oem(Note(2, 5)));
    EXPECT_EQ(second[0].text, "-----");
}

INSTANTIATE_TEST_SUITE_P(Replies, LongReplies, ::testing::Values("ATTEST", "ATTLXS", "ATHTEL", "ATDELT"));

// The channels restart after a telegram was filed and before the adapter
// deleted it: the next exchange deletes it without fetching or filing it again.
TEST_F(StoredTelegrams, AFiledTelegramIsDeletedAfterARestartNotFiledAgain)
{
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    f.adapter->storeTelegram(Telegram(2, QByteArray(5, '\x03')));
    f.Start();
    for (int ms = 0; ms < 20000 && f.Journal().count("\r\n") < 1; ++ms)
        f.rig.Advance(1);
    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    ASSERT_EQ(f.adapter->stored().size(), 2u);
    ASSERT_FALSE(f.adapter->transcript().contains("> ATDELT."));

    f.RestartChannels();
    ASSERT_TRUE(f.RunToEnd());
    const QStringList t = f.adapter->transcript();
    EXPECT_EQ(t.count("> ATGETT."), 2); // №1 before the restart, №2 after it
    EXPECT_EQ(t.count("> ATDELT."), 2);
    const qsizetype again = t.lastIndexOf("command mode");
    ASSERT_GT(again, 0);
    EXPECT_EQ(t.indexOf("> ATHTEL.", again) + 2, t.indexOf("> ATDELT.", again)); // its header, then deleted
    EXPECT_TRUE(f.adapter->stored().empty());
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());

    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC", "TLG00002.REC"}));
    ExpectFirstFiledAlone();
    const QStringList journal = JournalLines();
    ASSERT_EQ(journal.size(), 2);
    EXPECT_TRUE(journal[0].startsWith(Note(1, 4) + u' ')) << journal[0].toStdString();
    EXPECT_TRUE(journal[1].startsWith(Note(2, 5) + u' ')) << journal[1].toStdString();
    // Both deleted: no telegram is marked filed any more.
    EXPECT_TRUE(AdapterFiledMark(1, f.rig.Environment().IniFileName).Load().isEmpty());
}

// The header repeated before the telegram's text came garbled over the
// line: the mark of the filed telegram is still the header the adapter
// gives for it, so that after a restart it is recognised and deleted, not
// filed a second time.
TEST_F(StoredTelegrams, AGarbledHeaderCopyDoesNotMakeARestartFileTheTelegramAgain)
{
    f.adapter->injectFault("ATGETT", Fault::Garbage); // the whole reply noise, the repeated header with it
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    f.Start();
    for (int ms = 0; ms < 20000 && f.Journal().count("\r\n") < 1; ++ms)
        f.rig.Advance(1);
    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    ASSERT_FALSE(f.adapter->transcript().contains("> ATDELT."));

    f.RestartChannels();
    ASSERT_TRUE(f.RunToEnd());
    const QStringList t = f.adapter->transcript();
    EXPECT_EQ(t.count("> ATGETT."), 1) << t.join('\n').toStdString();
    EXPECT_EQ(t.count("> ATDELT."), 1);
    EXPECT_TRUE(f.adapter->stored().empty());
    EXPECT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    EXPECT_EQ(JournalLines().size(), 1);
}

// The disk refuses the fetched telegram's record or its journal line for a
// while: the adapter keeps the telegram, neither deleted nor marked filed,
// until both are on disk, and it is deleted once they are.
class RefusedByTheDisk : public StoredTelegrams, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedByTheDisk, TheTelegramStaysInTheAdapterUntilItIsWritten)
{
    auto full = std::make_shared<std::atomic<bool>>(true);
    const QString refused = QString::fromLatin1(GetParam());
    f.rig.configure = [full, refused](ScannerEnvironment& env) {
        env.DiskStep = [full, refused](const char*, const QString& path) {
            return !(*full && path.endsWith(refused));
        };
    };
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    f.Start();
    for (int ms = 0; ms < 20000; ms += 10)
        f.rig.Advance(10);
    const QString ini = f.rig.Environment().IniFileName;
    EXPECT_TRUE(f.adapter->transcript().contains("> ATGETT."));
    EXPECT_FALSE(f.adapter->transcript().contains("> ATDELT.")) << f.adapter->transcript().join('\n').toStdString();
    EXPECT_EQ(f.adapter->stored().size(), 1u);
    EXPECT_TRUE(AdapterFiledMark(1, ini).Load().isEmpty());

    *full = false;
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_EQ(f.adapter->transcript().count("> ATDELT."), 1);
    EXPECT_TRUE(f.adapter->stored().empty());
    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    ExpectFirstFiledAlone();
    EXPECT_EQ(JournalLines().size(), 1);
    EXPECT_TRUE(AdapterFiledMark(1, ini).Load().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Refused, RefusedByTheDisk, ::testing::Values("/in1/TLG00001.REC", "/rx1.jrn"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Record" : "JournalLine"); });

// A telegram that was fetched but not yet filed when the channels restarted
// is fetched and filed again after the restart: nothing is lost.
TEST_F(StoredTelegrams, ATelegramNotYetFiledAtARestartIsFetchedAgain)
{
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    f.Start();
    while (!f.adapter->transcript().contains("> ATGETT."))
        f.rig.Advance(1);
    f.RestartChannels(); // its reply never reaches the old driver
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_EQ(f.adapter->transcript().count("> ATGETT."), 2);
    EXPECT_TRUE(f.adapter->stored().empty());
    const QStringList files = f.Received();
    ASSERT_EQ(files.size(), 1);
    const std::vector<Block> blocks = Blocks(AdapterRig::Read(f.In(files[0])));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].text, "ABC");
    EXPECT_EQ(JournalLines().size(), 1);
}

// The program ends while the fetched telegram's filing is under way: killed
// (nothing of it runs on the way out) just before one of the disk steps of
// that filing, or closed while the disk refuses one of them, the disk
// refusing it for a while after the start too or not. The start that
// finishes the work left also marks the telegram filed before the exchange
// asks the adapter for it: it is filed exactly once and deleted.
struct EndCase {
    const char* id;
    const char* step;  // killed just before this disk step on File; null: closed while the disk refuses File
    const char* file;  // the end of the file's path
    bool stillRefused; // closed: the disk refuses File for a while after the start as well
};

void PrintTo(const EndCase& c, std::ostream* out)
{
    *out << c.id;
}

class ProgramEnds : public StoredTelegrams, public ::testing::WithParamInterface<EndCase> {
protected:
    // The channel run in a child process that dies before the step; true when it died there.
    bool KilledInChild(const char* step, const QString& file)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            f.rig.configure = [step, file](ScannerEnvironment& env) {
                env.DiskStep = [step, file](const char* s, const QString& path) {
                    if (std::strcmp(s, step) == 0 && path.endsWith(file))
                        ::_exit(0);
                    return true;
                };
            };
            f.Start();
            f.RunToEnd();
            ::_exit(1);
        }
        int status = 0;
        return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

TEST_P(ProgramEnds, TheNextStartFilesTheTelegramOnceAndDeletesIt)
{
    const EndCase& c = GetParam();
    const QString file = QString::fromLatin1(c.file);
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    qsizetype restartAt = 0; // the transcript's length when the program started again
    if (c.step) {
        ASSERT_TRUE(KilledInChild(c.step, file)) << "never came to " << c.step << " " << c.file;
        f.Start();
    } else {
        auto full = std::make_shared<std::atomic<bool>>(true);
        f.rig.configure = [full, file](ScannerEnvironment& env) {
            env.DiskStep = [full, file](const char*, const QString& path) { return !(*full && path.endsWith(file)); };
        };
        f.Start();
        while (!f.adapter->transcript().contains("> ATGETT."))
            f.rig.Advance(10);
        f.rig.Advance(5000); // the file tick tries in vain
        ASSERT_FALSE(f.adapter->transcript().contains("> ATDELT."));
        f.rig.scanner.reset(); // the program is closed
        restartAt = f.adapter->transcript().size();
        *full = c.stillRefused;
        f.StartScanner();
        if (c.stillRefused) {
            f.rig.Advance(20000);
            const QStringList t = f.adapter->transcript().mid(restartAt);
            EXPECT_FALSE(t.contains("> ATGETT.")) << t.join('\n').toStdString();
            EXPECT_FALSE(t.contains("> ATDELT."));
            EXPECT_EQ(f.adapter->stored().size(), 1u);
            *full = false;
        }
    }
    ASSERT_TRUE(f.RunToEnd());
    const QStringList t = f.adapter->transcript().mid(restartAt);
    EXPECT_FALSE(t.contains("> ATGETT.")) << t.join('\n').toStdString();
    EXPECT_EQ(t.count("> ATDELT."), 1);
    EXPECT_TRUE(f.adapter->stored().empty());
    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    ExpectFirstFiledAlone();
    const QStringList journal = JournalLines();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].startsWith(Note(1, 4) + u' ')) << journal[0].toStdString();
    EXPECT_TRUE(AdapterFiledMark(1, f.rig.Environment().IniFileName).Load().isEmpty());
    EXPECT_FALSE(QFile::exists(f.Driver().PendingWorkFile()));
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ProgramEnds,
    ::testing::Values(EndCase{"KilledBeforeTheRecord", "append", "/in1/TLG00001.REC", false},
                      EndCase{"KilledInTheRecord", "append-rest", "/in1/TLG00001.REC", false},
                      EndCase{"KilledBeforeTheJournalLine", "append", "/rx1.jrn", false},
                      EndCase{"KilledBeforeTheMark", "setting", "/KORVANE2.INI", false},
                      EndCase{"KilledAfterTheMark", "remove", ".work", false},
                      EndCase{"ClosedWhileTheRecordIsRefused", nullptr, "/in1/TLG00001.REC", false},
                      EndCase{"ClosedWhileTheJournalLineIsRefused", nullptr, "/rx1.jrn", false},
                      EndCase{"ClosedWhileTheMarkIsRefused", nullptr, "/KORVANE2.INI", false},
                      EndCase{"ClosedAndStillRefusedAfterTheStart", nullptr, "/in1/TLG00001.REC", true}),
    [](const auto& info) { return std::string(info.param.id); });

// The note belongs to the fetched telegram alone: once it is filed, and
// however the exchange ends, no later header or journal line carries it.
struct NoteCase {
    const char* what;
    const char* faulty; // a command whose reply never comes, or null
};

class NoteLifetime : public StoredTelegrams, public ::testing::WithParamInterface<NoteCase> {};

TEST_P(NoteLifetime, EndsWithTheFetchedTelegram)
{
    if (GetParam().faulty)
        f.adapter->injectFault(GetParam().faulty, Fault::NoReply);
    f.adapter->storeTelegram(Telegram(1, kShortCodes));
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    TTxChannelDriver& d = f.Driver();
    EXPECT_TRUE(d.AdapterNote.isEmpty()) << d.AdapterNote.toStdString();
    // What a later connection's header would say.
    const QString later = RecordFileHeader({d.ConnectionStart, 2, d.AdapterNote, 1});
    EXPECT_FALSE(later.contains("TARVELOX")) << later.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ends, NoteLifetime,
                         ::testing::Values(NoteCase{"deleted", nullptr}, NoteCase{"no delete reply", "ATDELT"}),
                         [](const auto& info) { return std::string(info.param.faulty ? "TimedOut" : "Deleted"); });

// An adapter program file too large for the buffer: its box comes from the
// channel window's timer, never from within the file tick, and the load
// error follows.
TEST_F(StoredTelegrams, AProgramFileTooLargeIsShownByTheWindowNotTheFileTick)
{
    f.adapter->setProgramPresent(false);
    f.WriteProgram(8200);
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_TRUE(f.rig.box.shown.isEmpty()); // nothing modal from the file tick
    const QStringList boxes = f.view.BoxTexts();
    ASSERT_EQ(boxes.size(), 2) << boxes.join('\n').toStdString();
    EXPECT_TRUE(boxes[0].contains("(8206 байт) больше буфера адаптера (8192 байт)")) << boxes[0].toStdString();
    EXPECT_EQ(boxes[1], QStringLiteral("Ошибка загрузки программы в TARVELOX-01"));
    EXPECT_EQ(f.adapter->programLoads(), 0);
}

} // namespace
