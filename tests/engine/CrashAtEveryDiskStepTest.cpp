// The file tick killed at every one of its disk steps in turn. Each run of
// a scenario is a child process that dies (_exit: no destructor, no buffer
// and no file work of it runs any more) just before its k-th disk step, or
// inside it for a safe rewrite (its temporary stays). The parent then
// starts the channel again on the same folders and reads the disk:
// - a number is marked done exactly when its record and its journal line of
//   success are there, and a number marked done is never called again;
// - every record file is made of whole blocks, each connection's blocks
//   together in one file, nothing of a connection twice;
// - every record has exactly one journal line, and a connection the kill cut
//   stands under its crash name (.RE, .PT) with all that came in more than
//   a second before the kill;
// - no temporary and no work file is left, and a second start changes nothing.

#include "tests/engine/FileWorkRig.h"

#include "engine/OutgoingTelegrams.h"
#include "engine/ReceiveBuffers.h"
#include "engine/RecordFiles.h"
#include "engine/TelegramNumbering.h"
#include "platform/SafeFileWriter.h"
#include "support/FailureCodes.h"
#include "support/OemText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <utility>
#include <ostream>
#include <vector>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr int kBuffer = ReceiveBuffers::BufferSize;
// What came in this long before a kill is on disk after the restart: a second.
constexpr std::int64_t kSavedWithinMs = 1000;
// A connection that collected this much or less is line noise: it leaves no record.
constexpr int kNoise = 5;
const QByteArray kStars = "\r\n\r\n****\r\n\r\n";

// One connection of a scenario, as the checks need it.
struct Call {
    QByteArray header; // of its blocks
    QByteArray text;   // all that came in
    QString name;      // its record's name at its end
    QString crashName; // the same when a crash cuts it
    QString number;    // the number called; empty: a reception
    bool success = false;
};

// What a child tells its parent as it dies.
struct Death {
    int step = -1; // the step it died at; -1: it ran to its end; -2: it told nothing
    char name[16] = {};
    char path[256] = {}; // in the rig's folder
    int finished = 0;    // the connections whose file work was all done
    int live = -1;       // the connection in progress
    int saved = 0;       // of its text, what came in kSavedWithinMs or more before
};

QString Relative(const FileWorkRig& f, const QString& path)
{
    return QDir(f.rig.dir.path()).relativeFilePath(path);
}

// A scenario's moves, as the protocol's elements would make them.
class ScenarioRun {
public:
    explicit ScenarioRun(FileWorkRig& f) : f_(f) {}

    void PutTelegram(const QString& name, const QString& text)
    {
        FileWorkRig::Write(f_.Out(name), AnsiToOem(text));
    }
    void Scan()
    {
        d().Events.clear(DriverEvent::DestinationChosen);
        d().Events.raise(DriverEvent::ScanOutgoing);
        f_.Tick();
    }
    // The destination chosen last is called. Connections begin a second
    // apart at least, so that their headers differ.
    void BeginTransmission()
    {
        f_.rig.Advance(1000);
        TTxChannelDriver& r = d();
        const QDateTime now = f_.rig.clock.now();
        r.ConnectionFile = ChangeFileExt(r.TlgPath, QStringLiteral(".PTC"));
        r.ConnectionKind = 2;
        r.ConnectionStart = now;
        r.TxJrnStart = now;
        r.TxJrnNumber = r.Number;
        r.TxJrnTelegram = r.TlgFileName;
        r.TxJrnRecordFile = QFileInfo(r.ConnectionFile).fileName();
        r.TxJrnResult.clear();
        Open({AnsiToOem(RecordFileHeader({now, 2, {}, r.Numbering().TlgRecNo})), {}, r.TxJrnRecordFile,
              QFileInfo(ChangeFileExt(r.ConnectionFile, QStringLiteral(".PT"))).fileName(), r.Number, false});
    }
    void BeginReception()
    {
        f_.rig.Advance(1000);
        TTxChannelDriver& r = d();
        r.StartRecFile();
        const QString name = QFileInfo(r.ConnectionFile).fileName();
        Open({AnsiToOem(RecordFileHeader({r.ConnectionStart, 1, {}, r.Numbering().TlgRecNo})), {}, name,
              QFileInfo(ChangeFileExt(r.ConnectionFile, QStringLiteral(".RE"))).fileName(), {}, false});
    }
    // N characters come in, letters only (no header can be mistaken in them).
    void Receive(int n)
    {
        Call& c = calls[std::size_t(live_)];
        for (int i = 0; i < n; ++i) {
            const char ch = char('a' + (live_ * 7 + int(c.text.size()) % 23) % 26);
            c.text.append(ch);
            d().PutRxByte(static_cast<std::uint8_t>(ch));
        }
        arrivals_.emplace_back(f_.rig.clock.tickMs(), int(c.text.size()));
    }
    void Wait(std::int64_t ms) { f_.rig.Advance(ms); }
    // The clear-down: a failed call's record becomes .PT.
    void EndTransmission(bool success)
    {
        TTxChannelDriver& r = d();
        if (!success) {
            r.ConnectionFile = ChangeFileExt(r.TlgPath, QStringLiteral(".PT"));
            calls[std::size_t(live_)].name = QFileInfo(r.ConnectionFile).fileName();
        }
        calls[std::size_t(live_)].success = success;
        r.TxJrnRecordFile = QFileInfo(r.ConnectionFile).fileName();
        r.TxJrnResult = FailureCodeTexts[success ? FailureCodes::Success : FailureCodes::Occ].toString();
        r.TxJrnEnd = f_.rig.clock.now();
        if (success)
            r.Events.raise(DriverEvent::CallSucceeded);
        r.FlushRxBuffer();
        r.Events.raise(DriverEvent::WriteTxJournal);
        Finish();
    }
    // The clear-down of a reception; Unfinished: it is kept as .RE.
    void EndReception(bool unfinished)
    {
        TTxChannelDriver& r = d();
        if (unfinished) {
            r.ConnectionFile = ChangeFileExt(r.ConnectionFile, QStringLiteral(".RE"));
            calls[std::size_t(live_)].name = QFileInfo(r.ConnectionFile).fileName();
        }
        r.RxJrnFile = QFileInfo(r.ConnectionFile).fileName();
        r.RxJrnEnd = f_.rig.clock.now();
        r.FlushRxBuffer();
        r.Events.raise(DriverEvent::WriteRxJournal);
        Finish();
    }

    Death Now(int step, const char* name, const QString& path) const
    {
        Death death;
        death.step = step;
        std::strncpy(death.name, name, sizeof death.name - 1);
        std::strncpy(death.path, Relative(f_, path).toUtf8().constData(), sizeof death.path - 1);
        death.finished = finished_;
        death.live = live_;
        const std::uint64_t now = f_.rig.clock.tickMs();
        for (const auto& [at, total] : arrivals_)
            if (at + std::uint64_t(kSavedWithinMs) <= now)
                death.saved = total;
        return death;
    }

    std::vector<Call> calls;
    QStringList doneBefore; // numbers marked done in telegrams of earlier runs

private:
    TTxChannelDriver& d() { return f_.Driver(); }
    void Open(Call c)
    {
        calls.push_back(std::move(c));
        live_ = int(calls.size()) - 1;
        arrivals_.clear();
    }
    // The file ticks until the clear-down's requests are done, as the clear-down waits for them.
    void Finish()
    {
        for (int i = 0; i < 20 && d().Events.has(DriverEvent::WriteChunk | DriverEvent::WriteTxJournal
                                                 | DriverEvent::WriteRxJournal | DriverEvent::CallSucceeded);
             ++i)
            f_.Tick();
        f_.Tick();
        d().ResetCounters();
        live_ = -1;
        arrivals_.clear();
        ++finished_;
    }

    FileWorkRig& f_;
    int live_ = -1;
    int finished_ = 0;
    std::vector<std::pair<std::uint64_t, int>> arrivals_;
};

struct Scenario {
    const char* id; // the test's name
    const char* name;
    void (*run)(ScenarioRun&);
};

void PrintTo(const Scenario& s, std::ostream* out)
{
    *out << s.name;
}

const Scenario kScenarios[] = {
    {"Transmission", "a transmission that succeeds",
     [](ScenarioRun& s) {
         s.PutTelegram("TEL00001.TLG", "|#51234\r\nТЕКСТ\r\n");
         s.Scan();
         s.BeginTransmission();
         s.Receive(300);
         s.Wait(1200);
         s.Receive(100);
         s.EndTransmission(true);
     }},
    {"TransmissionAppendedToTrs", "a transmission appended to the .TRS of its name",
     [](ScenarioRun& s) {
         s.PutTelegram("TEL00003.TRS", "|*99999\r\nПРЕЖНЯЯ\r\n");
         s.doneBefore << "99999";
         s.PutTelegram("TEL00003.TLG", "|#51234\r\nТЕКСТ\r\n");
         s.Scan();
         s.BeginTransmission();
         s.Receive(300);
         s.Wait(1200);
         s.EndTransmission(true);
     }},
    {"TransmissionSentAgain", "a telegram sent again byte for byte, appended to its .TRS again",
     [](ScenarioRun& s) {
         s.PutTelegram("TEL00004.TRS", "|*51234\r\nТЕКСТ\r\n");
         s.doneBefore << "51234";
         s.PutTelegram("TEL00004.TLG", "|#51234\r\nТЕКСТ\r\n");
         s.Scan();
         s.BeginTransmission();
         s.Receive(300);
         s.Wait(1200);
         s.EndTransmission(true);
     }},
    {"ReceptionOverOneBuffer", "a reception over one buffer",
     [](ScenarioRun& s) {
         s.BeginReception();
         s.Receive(5000);
         s.Wait(1200);
         s.Receive(kBuffer - 5000 + 48); // the first buffer is full
         s.Wait(300);
         s.Receive(60);
         s.Wait(1200);
         s.Receive(30);
         s.EndReception(false);
     }},
    {"UnfinishedReception", "a reception over one buffer kept as unfinished",
     [](ScenarioRun& s) {
         s.BeginReception();
         s.Receive(kBuffer + 100);
         s.Wait(1200);
         s.EndReception(true);
     }},
    {"FailedCallAfterSuccessfulOne", "a failed call after a successful one in the telegram's record",
     [](ScenarioRun& s) {
         s.PutTelegram("TEL00002.TLG", "|#51234\r\n|#51235\r\nТЕКСТ\r\n");
         s.Scan();
         s.BeginTransmission();
         s.Receive(200);
         s.Wait(1200);
         s.EndTransmission(true); // the next number is chosen at once
         s.BeginTransmission();
         s.Receive(kBuffer + 20);
         s.Wait(1200);
         s.EndTransmission(false);
     }},
};

// What a restart finds on disk.
class DiskCheck {
public:
    DiskCheck(FileWorkRig& f, const std::vector<Call>& calls, const QStringList& doneBefore, const Death& death)
        : f_(f), calls_(calls), doneBefore_(doneBefore), death_(death), fileOf_(calls.size()),
          lengthOf_(calls.size(), 0)
    {
    }

    // The problems found; Chosen: the numbers the scans after the restart chose.
    QStringList Run(const QStringList& chosen)
    {
        NoLeftovers();
        for (const QString& folder : {QStringLiteral("in1"), QStringLiteral("out1")})
            for (const QString& name : QDir(f_.rig.dir.filePath(folder)).entryList(QDir::Files))
                if (QRegularExpression(QStringLiteral("\\.(REC|RE|PTC|PT)$")).match(name).hasMatch())
                    Blocks(name, FileWorkRig::Read(f_.rig.dir.filePath(folder + u'/' + name)));
        const std::vector<Line> tx = Journal(QStringLiteral("tx1.jrn"));
        const std::vector<Line> rx = Journal(QStringLiteral("rx1.jrn"));
        std::vector<Line> lines = tx;
        lines.insert(lines.end(), rx.begin(), rx.end());
        Connections(lines);
        Marks(tx, chosen);
        return bad_;
    }

private:
    struct Line {
        QString record;
        QString number;
        bool success = false;
    };

    void NoLeftovers()
    {
        for (const QString& folder : {QString(), QStringLiteral("in1"), QStringLiteral("out1")}) {
            const QStringList temps = QDir(f_.rig.dir.filePath(folder))
                                          .entryList({QStringLiteral("*") + SafeWriteSuffix}, QDir::Files | QDir::Hidden);
            if (!temps.isEmpty())
                bad_ << "temporaries left: " + temps.join(' ');
        }
        if (QFile::exists(f_.Driver().PendingWorkFile()))
            bad_ << "the work file is left";
    }

    // The record file Name read as whole blocks of the calls.
    void Blocks(const QString& name, const QByteArray& bytes)
    {
        if (!bytes.startsWith(kStars)) {
            bad_ << name + ": does not begin with a block header";
            return;
        }
        std::vector<int> blocks(calls_.size(), 0);
        int previous = -1;
        for (qsizetype pos = 0; pos < bytes.size();) {
            int c = -1;
            for (std::size_t i = 0; i < calls_.size(); ++i)
                if (bytes.mid(pos, calls_[i].header.size()) == calls_[i].header)
                    c = int(i);
            if (c < 0) {
                bad_ << QStringLiteral("%1: no header of a connection at %2").arg(name).arg(pos);
                return;
            }
            const std::size_t ci = std::size_t(c);
            const qsizetype start = pos + calls_[ci].header.size();
            qsizetype next = bytes.indexOf(kStars, start);
            if (next < 0)
                next = bytes.size();
            const QByteArray text = bytes.mid(start, next - start);
            if (!fileOf_[ci].isEmpty() && (fileOf_[ci] != name || previous != c))
                bad_ << QStringLiteral("%1: connection %2 has blocks elsewhere too").arg(name).arg(c);
            const qsizetype at = qsizetype(blocks[ci]) * kBuffer;
            if (text.isEmpty() || text.size() > kBuffer || lengthOf_[ci] != at || calls_[ci].text.mid(at, text.size()) != text)
                bad_ << QStringLiteral("%1: block %2 of connection %3 is not whole (%4 bytes at %5)")
                            .arg(name)
                            .arg(blocks[ci])
                            .arg(c)
                            .arg(text.size())
                            .arg(start);
            fileOf_[ci] = name;
            lengthOf_[ci] += text.size();
            ++blocks[ci];
            previous = c;
            pos = next;
        }
    }

    std::vector<Line> Journal(const QString& file)
    {
        const QByteArray bytes = FileWorkRig::Read(f_.rig.dir.filePath(file));
        if (!bytes.isEmpty() && !bytes.endsWith("\r\n"))
            bad_ << file + ": ends in half a line";
        std::vector<Line> lines;
        const QString success = u' ' + FailureCodeTexts[FailureCodes::Success].toString() + u' ';
        static const QRegularExpression record(QStringLiteral("\\[([^\\]]*)\\]"));
        static const QRegularExpression number(QStringLiteral(" #(\\S*)"));
        for (const QString& l : OemToAnsi(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            lines.push_back({record.match(l).captured(1).trimmed(), number.match(l).captured(1), l.contains(success)});
        return lines;
    }

    void Connections(const std::vector<Line>& lines)
    {
        std::map<QString, int> linesOf;
        for (const Line& l : lines) {
            ++linesOf[l.record];
            if (std::find(fileOf_.begin(), fileOf_.end(), l.record) == fileOf_.end())
                bad_ << "a journal line without its record: " + l.record;
        }
        for (std::size_t c = 0; c < calls_.size(); ++c) {
            const Call& call = calls_[c];
            const QString& file = fileOf_[c];
            const bool whole = lengthOf_[c] == call.text.size();
            const QString who = QStringLiteral("connection %1 (%2)").arg(c).arg(file);
            if (file.isEmpty()) {
                if (int(c) < death_.finished || (int(c) == death_.live && death_.saved > kNoise))
                    bad_ << QStringLiteral("connection %1: its record is lost").arg(c);
                continue;
            }
            if (linesOf[file] != 1)
                bad_ << QStringLiteral("%1: %2 journal lines").arg(who).arg(linesOf[file]);
            if (file != call.name && file != call.crashName)
                bad_ << who + ": under a name of no ending";
            const bool ended = file == call.name && whole;
            if (int(c) < death_.finished && !ended)
                bad_ << who + ": ended before the kill, yet not recorded whole under its name";
            if (!ended && file != call.crashName)
                bad_ << who + ": cut, yet not under its crash name";
            if (int(c) == death_.live && lengthOf_[c] < death_.saved)
                bad_ << QStringLiteral("%1: %2 bytes recorded of %3 that came in a second before the kill")
                            .arg(who)
                            .arg(lengthOf_[c])
                            .arg(death_.saved);
            for (const Line& l : lines)
                if (l.record == file && l.success && !(ended && call.success))
                    bad_ << who + ": a line of success for a call that did not succeed or is not recorded whole";
        }
    }

    // The telegrams' marks against the journal's lines of success: a number
    // is marked done once for each time it was done before the run and
    // once more when its call succeeded (a .TRS gathers every sending).
    void Marks(const std::vector<Line>& tx, const QStringList& chosen)
    {
        static const QRegularExpression mark(QStringLiteral("([#*~])([0-9+\\-.]+)"));
        QSet<QString> succeeded;
        for (const Line& l : tx)
            if (l.success)
                succeeded << l.number;
        std::map<QString, int> stars;
        for (const QString& n : doneBefore_)
            stars[n] += 0;
        for (const QString& n : succeeded)
            stars[n] += 0;
        const QDir out(f_.rig.dir.filePath(QStringLiteral("out1")));
        for (const QString& name : out.entryList({QStringLiteral("TEL*")}, QDir::Files)) {
            if (name.endsWith(QStringLiteral(".PTC")) || name.endsWith(QStringLiteral(".PT")))
                continue;
            bool open = false;
            // The address lines of every telegram the file holds (a .TRS gathers several).
            for (const QString& l : OemToAnsi(FileWorkRig::Read(out.filePath(name))).split(QStringLiteral("\r\n"))) {
                if (!l.startsWith(u'|'))
                    continue;
                for (auto it = mark.globalMatch(l); it.hasNext();) {
                    const auto m = it.next();
                    const bool done = m.captured(1) == u'*';
                    open = open || m.captured(1) == u'#';
                    if (done)
                        ++stars[m.captured(2)];
                    else if (succeeded.contains(m.captured(2)))
                        bad_ << QStringLiteral("%1: %2 marked '%3' with a line of success")
                                    .arg(name, m.captured(2), m.captured(1));
                }
            }
            if (!open && name.endsWith(QStringLiteral(".TLG")))
                bad_ << name + ": every number done, yet not finished";
        }
        for (const auto& [n, count] : stars) {
            const int expected = int(doneBefore_.count(n)) + (succeeded.contains(n) ? 1 : 0);
            if (count != expected)
                bad_ << QStringLiteral("%1 marked done %2 times, %3 expected").arg(n).arg(count).arg(expected);
        }
        for (const QString& n : chosen)
            if (succeeded.contains(n))
                bad_ << QStringLiteral("%1 is called again after its success").arg(n);
    }

    FileWorkRig& f_;
    const std::vector<Call>& calls_;
    const QStringList& doneBefore_;
    const Death death_;
    std::vector<QString> fileOf_;
    std::vector<qsizetype> lengthOf_;
    QStringList bad_;
};

// Every file the file work keeps, by name.
std::map<QString, QByteArray> Snapshot(const FileWorkRig& f)
{
    std::map<QString, QByteArray> files;
    for (const QString& folder : {QStringLiteral("in1"), QStringLiteral("out1")})
        for (const QString& name : QDir(f.rig.dir.filePath(folder)).entryList(QDir::Files | QDir::Hidden))
            files[folder + u'/' + name] = FileWorkRig::Read(f.rig.dir.filePath(folder + u'/' + name));
    for (const QString& name : {QStringLiteral("tx1.jrn"), QStringLiteral("rx1.jrn")})
        files[name] = FileWorkRig::Read(f.rig.dir.filePath(name));
    return files;
}

// Scans as the idle element asks for them; the numbers chosen.
QStringList ScanAfterRestart(FileWorkRig& f)
{
    QStringList chosen;
    for (int i = 0; i < 3; ++i) {
        TTxChannelDriver& d = f.Driver();
        d.Events.clear(DriverEvent::DestinationChosen);
        d.Events.raise(DriverEvent::ScanOutgoing);
        f.Tick();
        if (d.Events.has(DriverEvent::DestinationChosen))
            chosen << d.Number;
    }
    return chosen;
}

// The name a rename of the file work gives Path.
QString RenameTarget(const QString& path)
{
    for (const auto& [from, to] : {std::pair{".REC", ".RE"}, std::pair{".PTC", ".PT"}, std::pair{".TLG", ".TRS"}})
        if (path.endsWith(QLatin1String(from)))
            return ChangeFileExt(path, QLatin1String(to));
    return {};
}

// Runs Body in a child that dies before its disk step Kill (none: -1) and
// tells how it died: a true process death, nothing of it runs on the way out.
// A safe rewrite is cut inside (its temporary stands); with Halfway a
// rename is cut as a file system without a no-replace rename cuts it, the
// file linked under its new name and not yet unlinked under its old one.
Death InChild(FileWorkRig& f, int kill, bool halfway, const std::function<void(ScenarioRun&)>& body)
{
    int fds[2];
    if (::pipe(fds) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ScenarioRun run(f);
        int n = 0;
        const auto die = [&](const Death& death) {
            (void)!::write(fds[1], &death, sizeof death);
            ::_exit(0);
        };
        f.diskStep = [&](const char* step, const QString& path) {
            if (n++ != kill)
                return true;
            if (std::strcmp(step, "replace") == 0)
                FileWorkRig::Write(path + SafeWriteSuffix, "cut");
            if (halfway && std::strcmp(step, "rename") == 0)
                (void)!::link(QFile::encodeName(path).constData(), QFile::encodeName(RenameTarget(path)).constData());
            die(run.Now(kill, step, path));
            return true;
        };
        body(run);
        die(run.Now(-1, "", {}));
    }
    ::close(fds[1]);
    Death death;
    qsizetype got = 0;
    while (got < qsizetype(sizeof death)) {
        const ssize_t r = ::read(fds[0], reinterpret_cast<char*>(&death) + got, sizeof death - std::size_t(got));
        if (r <= 0)
            break;
        got += r;
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (got != qsizetype(sizeof death) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "the child to die at step " << kill << " did not tell its death";
        death.step = -2;
    }
    return death;
}

std::string StepName(const Death& death)
{
    return death.step < 0 ? std::string("after its end")
                          : "at step " + std::to_string(death.step) + " " + death.name + " " + death.path;
}

class CrashAtEveryDiskStep : public ::testing::TestWithParam<Scenario> {
protected:
    // A clean run of the scenario: its steps and its connections.
    void SetUp() override
    {
        FileWorkRig f;
        f.diskStep = [&](const char* step, const QString& path) {
            steps_.push_back(step + (u' ' + Relative(f, path)).toStdString());
            return true;
        };
        ScenarioRun run(f);
        GetParam().run(run);
        calls_ = run.calls;
        doneBefore_ = run.doneBefore;
    }

    // The scenario killed before its step Kill (-1: not killed; Halfway: a
    // rename cut between its link and its unlink), its restart killed
    // before its step KillAgain (-1: not killed), and the channel started
    // again and checked. The steps of that last start.
    int KillAndCheck(int kill, int killAgain, bool halfway = false)
    {
        FileWorkRig f;
        const Scenario& scenario = GetParam();
        const Death death = InChild(f, kill, halfway, scenario.run);
        if (death.step == -2)
            return 0;
        std::string where = std::string(scenario.name) + ", killed " + StepName(death)
                            + (halfway ? " between its link and its unlink" : "");
        if (kill >= 0 && steps_[std::size_t(kill)] != death.name + (u' ' + QString::fromUtf8(death.path)).toStdString())
            ADD_FAILURE() << where << ": the run took other steps than the clean one";
        if (killAgain >= 0) {
            const Death again = InChild(f, killAgain, false, [&f](ScenarioRun&) { Start(f); });
            where += ", its restart killed " + StepName(again);
        }
        int restartSteps = 0;
        f.diskStep = [&](const char*, const QString&) {
            ++restartSteps;
            return true;
        };
        Start(f);
        f.diskStep = {};
        const QStringList chosen = ScanAfterRestart(f);
        const QStringList bad = DiskCheck(f, calls_, doneBefore_, death).Run(chosen);
        EXPECT_TRUE(bad.isEmpty()) << where << ":\n  " << bad.join("\n  ").toStdString();
        const auto once = Snapshot(f);
        Start(f);
        EXPECT_TRUE(once == Snapshot(f)) << where << ": a second start changed the files";
        // The next reception's number is none that a record has.
        f.Driver().StartRecFile();
        const QString next = QFileInfo(f.Driver().ConnectionFile).completeBaseName();
        EXPECT_TRUE(QDir(f.rig.dir.filePath(QStringLiteral("in1"))).entryList({next + QStringLiteral(".*")}).isEmpty())
            << where << ": the number of " << next.toStdString() << " is given again";
        return restartSteps;
    }

    // The channel starts again after the kill and runs a few file ticks:
    // the work left is finished on the first.
    static void Start(FileWorkRig& f)
    {
        f.Restart(100);
        f.rig.Advance(4 * TTxScanner::FileInterval);
    }

    std::vector<std::string> steps_;
    std::vector<Call> calls_;
    QStringList doneBefore_;
};

TEST_P(CrashAtEveryDiskStep, ARestartFindsEveryRecordWholeAndEveryMarkBehindItsSuccess)
{
    ASSERT_FALSE(steps_.empty());
    // The kill that leaves the restart the most work is tried again with
    // the restart killed too, at each of its own steps.
    int most = -1;
    int mostSteps = 0;
    for (int k = -1; k < int(steps_.size()); ++k) {
        const int restartSteps = KillAndCheck(k, -1);
        if (restartSteps > mostSteps) {
            most = k;
            mostSteps = restartSteps;
        }
        if (k >= 0 && steps_[std::size_t(k)].starts_with("rename "))
            KillAndCheck(k, -1, true);
    }
    for (int j = 0; j < mostSteps; ++j)
        KillAndCheck(most, j);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CrashAtEveryDiskStep, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.id); });

} // namespace
