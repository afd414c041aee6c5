#include "engine/OutgoingTelegrams.h"

#include "engine/CallFailurePolicy.h"
#include "engine/SubscriberLookup.h"
#include "engine/TxDriver.h"
#include "protocols/DriverModes.h"
#include "support/FileCopy.h"
#include "support/FileError.h"
#include "support/NumberLists.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>


namespace korvane {

namespace {
bool IsNumberChar(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

bool IsAddressLine(const QString& l)
{
    return !l.isEmpty() && l.front() == u'|';
}

// 1-based position of the first C in L at or after 1-based From; 0 when none.
int Pos(const QString& l, QChar c, int from = 1)
{
    return static_cast<int>(l.indexOf(c, from - 1)) + 1;
}
} // namespace

QString ChangeFileExt(const QString& path, const QString& ext)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + ext;
}

OutgoingTelegrams::OutgoingTelegrams(TTxChannelDriver& driver) : d_(driver) {}

void OutgoingTelegrams::Log(const QString& line) const
{
    try {
        d_.Environment().Log(line);
    } catch (...) {
        // A daily log that cannot be written never stops a telegram's finishing.
    }
}

// ---------------------------------------------------------------- scan

bool OutgoingTelegrams::Scan()
{
    try {
        if (SelectionHeld()) {
            scanning_ = false;
            return true;
        }
        if (!scanning_) {
            scanning_ = true;
            scanFresh_ = TlgPath.isEmpty();
            if (scanFresh_) {
                TlgSearch = ListOutgoingTelegrams(d_.TransmDir);
                TlgSearchNext = 0;
                known_.BeginListing();
            } else if (ProcessOutgoingFile()) {
                return EndScan(true);
            } else if (lookUpPending_) {
                return false;
            }
        } else if (lookUpPending_ && !TlgPath.isEmpty()) {
            // The number that waited for the directory, from its own mark.
            if (ProcessOutgoingFile())
                return EndScan(true);
            if (lookUpPending_)
                return false;
        }
        switch (ContinueListing()) {
        case ListingResult::Selected:
            return EndScan(true);
        case ListingResult::Exhausted:
            if (scanFresh_)
                known_.Prune();
            return EndScan(false);
        case ListingResult::SliceUsed:
        case ListingResult::LookUpPending:
            return false;
        }
    } catch (...) {
        scanning_ = false; // the next request starts again from the current file
        throw;
    }
    return EndScan(false);
}

bool OutgoingTelegrams::EndScan(bool selected)
{
    scanning_ = false;
    if (!selected && !scanFresh_)
        TlgPath.clear();
    Publish(!selected);
    return true;
}

OutgoingTelegrams::ListingResult OutgoingTelegrams::ContinueListing()
{
    QElapsedTimer slice;
    slice.start();
    const OpenFolder folder(d_.TransmDir);
    CollectChanges();
    for (int examined = 0; TlgSearchNext < TlgSearch.size(); ++examined) {
        if (examined >= SliceMinFiles && slice.nsecsElapsed() > SliceNs)
            return ListingResult::SliceUsed;
        const QString name = TlgSearch[TlgSearchNext++];
        // The last file is always opened: it stays current after the scan.
        if (TlgSearchNext < TlgSearch.size() && KnownToWait(folder, name))
            continue;
        if (OpenOutgoingFile(name) && ProcessOutgoingFile())
            return ListingResult::Selected;
        if (lookUpPending_)
            return ListingResult::LookUpPending;
    }
    return ListingResult::Exhausted;
}

void OutgoingTelegrams::CollectChanges()
{
    if (Watching() && watch_->Collect([this](const QString& name) { known_.Distrust(name); }))
        return;
    // No watch, or one that lost notices: nothing is trusted until a new one stands.
    known_.DistrustAll();
    watch_ = std::make_unique<FolderWatch>(d_.TransmDir);
}

bool OutgoingTelegrams::KnownToWait(const OpenFolder& folder, const QString& name)
{
    const QStringList* lines = known_.TrustedLines(name);
    if (!lines) {
        FileStamp stamp;
        if (!folder.StampOf(name, stamp))
            return false;
        lines = known_.AddressLines(name, stamp, Watching());
        if (!lines)
            return false;
    }
    // As a pass from the file's start: the first '#' of each address line.
    bool examined = false;
    EngineLock lock(d_.Mutex()); // the lists' writers run in the protocol's elements
    for (const QString& l : *lines) {
        const int h = Pos(l, u'#');
        if (h == 0)
            continue;
        if (GetNumberStatus(ExtractNumber(l, h)) != StatusWaiting)
            return false;
        examined = true;
    }
    return examined;
}

bool OutgoingTelegrams::CallSucceeded(const QString& number, DoneMark& mark)
{
    if (SelectedPath.isEmpty() || SelectedLine < 0) {
        SelectedPath.clear();
        return false;
    }
    mark = {SelectedPath, SelectedLine, SelectedPos, number};
    handed_ = false; // its call has ended
    MarkNumberDone();
    doneMarks_.append(mark);
    Publish(false);
    return true;
}

void OutgoingTelegrams::NoteDoneMarkWaiting(const DoneMark& mark)
{
    doneMarks_.append(mark);
}

void OutgoingTelegrams::DoneMarkWritten(const DoneMark& mark, bool gone)
{
    for (qsizetype i = 0; i < doneMarks_.size(); ++i)
        if (doneMarks_[i].path == mark.path && doneMarks_[i].line == mark.line && doneMarks_[i].pos == mark.pos) {
            doneMarks_.removeAt(i);
            break;
        }
    if (gone) {
        Log(QStringLiteral("Файл \"%1\" удален во время передачи: отметка номера %2 не записана, файл не восстановлен")
                .arg(mark.path, mark.number));
        if (mark.path == TlgPath) {
            FinishFile(); // its other numbers are not called
            lookUpPending_ = false;
            Publish(false);
        }
        return;
    }
    if (mark.path != TlgPath || TlgPath.isEmpty())
        return;
    // A call under way keeps its destination; its end continues the telegram.
    if (SelectionHeld())
        return;
    SearchLine = 0;
    SearchPos = 1;
    DestinationFound = false;
    // The telegram's next destination ends a scan under way: its later
    // files are not gone through for another one.
    if (ProcessOutgoingFile())
        scanning_ = false;
    Publish(false);
}

bool OutgoingTelegrams::SelectionHeld()
{
    if (!handed_)
        return false;
    EngineLock lock(d_.Mutex());
    // Taken (or dropped) by the idle element, which runs again: the call
    // made with it has ended. A call that succeeded ends it earlier, at
    // CallSucceeded.
    if (!d_.Events.has(DriverEvent::DestinationChosen) && d_.IdleStepRunning())
        handed_ = false;
    return handed_;
}

bool OutgoingTelegrams::DoneMarkWaiting(const QString& path) const
{
    for (const DoneMark& m : doneMarks_)
        if (m.path == path)
            return true;
    return false;
}

void OutgoingTelegrams::OverlayDoneMarks()
{
    for (const DoneMark& m : std::as_const(doneMarks_))
        if (m.path == TlgPath)
            ApplyDoneMark(TlgLines, m.line, m.pos, m.number);
}

void OutgoingTelegrams::Publish(bool scanEnded)
{
    // The line side reads the telegram's lines, its path and the number
    // while it calls: they stay as its call began until that call has ended.
    if (SelectionHeld()) {
        announce_ = false;
        return;
    }
    ChannelWindow* window = nullptr;
    {
        EngineLock lock(d_.Mutex());
        d_.TlgLines = TlgLines;
        d_.TlgPath = TlgPath;
        d_.TlgFileName = TlgFileName;
        if (scanEnded)
            d_.ScanDelay = GlobalModes.ScanPeriod;
        if (announce_) {
            d_.Number = Number;
            d_.Address = Address;
            d_.SetExpectedAnswerBack(ExpectedAnswerBack);
            d_.Events.raise(DriverEvent::DestinationChosen);
            handed_ = true;
            window = d_.Window;
        }
    }
    if (window) // the window's own thread is this one; no lock is held
        window->SetCallInfo(TlgFileName, Number, Address, QStringLiteral("AB=") + ExpectedAnswerBack);
    announce_ = false;
}

// ---------------------------------------------------------------- one file

bool OutgoingTelegrams::OpenOutgoingFile(const QString& name)
{
    TlgFileName = name;
    TlgPath = d_.TransmDir + u'/' + name;
    SearchLine = 0;
    SearchPos = 1;
    DestinationFound = false;
    LastFileResult = 0;
    lookUpPending_ = false;
    FileStamp stamp;
    const bool stamped = StampOfFile(TlgPath, stamp); // before reading: a later change shows
    try {
        LoadOemStringsClear(TlgPath, TlgRawLines, TlgLines);
    } catch (const FileError& e) {
        known_.Forget(name);
        // Passed over in this scan: an empty list read from a failed load
        // is no telegram without addresses.
        if (QFileInfo::exists(TlgPath) && !loadFailuresLogged_.contains(TlgPath)) {
            loadFailuresLogged_.insert(TlgPath);
            Log(e.message());
        }
        TlgPath.clear();
        TlgLines.clear();
        return false;
    }
    loadFailuresLogged_.remove(TlgPath);
    OverlayDoneMarks(); // a number whose mark waits for the disk is not called again
    if (stamped)
        known_.Remember(name, stamp, TlgLines, Watching());
    return true;
}

bool OutgoingTelegrams::ProcessOutgoingFile()
{
    lookUpPending_ = false;
    Selection r = SelectNextDestination();
    switch (r) {
    case Selected:
        if (!Number.isEmpty() && !LookUpSubscriber()) {
            KeepForLookUp();
            r = Waiting;
            break;
        }
        ForgetLogged(TlgPath); // a telegram that is called is no finished one
        announce_ = true;
        break;
    case NoAddress:
        LogOnce(TlgPath, QStringLiteral("Файл \"%1\" содержит некорректный заголовок").arg(TlgPath));
        if (LastFileResult == 0) {
            RenameTo(QStringLiteral(".ERR"));
            FinishFile();
        }
        break;
    case AllDone:
        FinishAllDone();
        break;
    case OnlyBlocked: {
        if (DoneMarkWaiting(TlgPath))
            break; // finished once its done mark is on disk
        LogOnce(TlgPath, QStringLiteral("Файл \"%1\" содержит только \"неэффективные\" номера").arg(TlgPath));
        QString ext = QStringLiteral(".LER");
        {
            EngineLock lock(d_.Mutex());
            const int i = BadNumbers && !Number.isEmpty() ? BadNumbers->IndexOf(Number) : -1;
            if (i >= 0) {
                const auto* bad = BadNumbers->ObjectAs<TBadNumObject>(i);
                const FailureCode code = bad ? bad->Reason : FailureCodes::Success;
                if (code < FailureCodes::Count && !FailureCodeNames[code].isEmpty())
                    ext = u'.' + FailureCodeNames[code].toString();
            }
        }
        RenameTo(ext);
        FinishFile();
        break;
    }
    case Waiting:
    case Blocked:
        break;
    }
    LastFileResult = r;
    return r == Selected;
}

void OutgoingTelegrams::FinishAllDone()
{
    if (DoneMarkWaiting(TlgPath))
        return; // finished once its last mark is on disk
    const QString path = TlgPath;
    LogOnce(path, QStringLiteral("Файл \"%1\" обработан полностью").arg(path));
    const DiskSteps disk(d_.Environment().DiskStep);
    bool finished = false;
    if (d_.Modes & ChannelMode::AutoDelTrs) {
        finished = disk.Remove(path);
        if (finished)
            Log(QStringLiteral("Файл \"%1\" удален").arg(path));
        else
            LogOnce(path, QStringLiteral("Не могу удалить файл \"%1\"").arg(path));
    } else {
        const QString trs = ChangeFileExt(path, QStringLiteral(".TRS"));
        if (DiskSteps::SameFile(path, trs)) {
            // A rename by link and unlink cut by a crash: one file under both names.
            finished = disk.Remove(path);
            if (finished)
                Log(QStringLiteral("Файл \"%1\" переименован в \"%2\"").arg(path, trs));
            else
                LogOnce(path, QStringLiteral("Не могу переименовать файл \"%1\" в \"%2\"").arg(path, trs));
        } else if (DiskSteps::SizeOf(trs) >= 0) {
            // Appended and deleted by the channel's pending file work, which
            // knows a crash's repeat from a new sending: a telegram sent again
            // word for word is appended again.
            finished = d_.MoveTelegramByWork(path, trs);
        } else {
            finished = RenameTo(QStringLiteral(".TRS"));
        }
    }
    if (finished)
        ForgetLogged(path);
    FinishFile(); // a telegram that keeps its name is tried again by a later scan
}

bool OutgoingTelegrams::RenameTo(const QString& ext)
{
    const QString target = ChangeFileExt(TlgPath, ext);
    const DiskSteps disk(d_.Environment().DiskStep);
    if (DiskSteps::SameFile(TlgPath, target) ? disk.Remove(TlgPath) : disk.Rename(TlgPath, target)) {
        Log(QStringLiteral("Файл \"%1\" переименован в \"%2\"").arg(TlgPath, target));
        ForgetLogged(TlgPath);
        return true;
    }
    LogOnce(TlgPath, QStringLiteral("Не могу переименовать файл \"%1\" в \"%2\"").arg(TlgPath, target));
    return false;
}

void OutgoingTelegrams::ForgetLogged(const QString& path)
{
    const QString prefix = path + u'\n';
    for (auto it = finishLogged_.begin(); it != finishLogged_.end();)
        it = it->startsWith(prefix) ? finishLogged_.erase(it) : std::next(it);
}

void OutgoingTelegrams::LogOnce(const QString& path, const QString& line)
{
    const QString key = path + u'\n' + line;
    if (finishLogged_.contains(key))
        return;
    finishLogged_.insert(key);
    Log(line);
}

void OutgoingTelegrams::FinishFile()
{
    TlgPath.clear();
    if (d_.Environment().RefreshFolder)
        d_.Environment().RefreshFolder(d_.TransmDir);
}

void OutgoingTelegrams::KeepForLookUp()
{
    SearchLine = static_cast<std::uint16_t>(SelectedLine);
    SearchPos = static_cast<std::uint16_t>(SelectedPos);
    DestinationFound = false;
    SelectedPath.clear();
    SelectedLine = -1;
    lookUpPending_ = true;
}

bool OutgoingTelegrams::LookUpSubscriber()
{
    SubscriberLookup* directory = d_.Environment().Directory;
    if (!directory)
        return true;
    SubscriberRecord record;
    QString error;
    switch (directory->LocateSubscriber(Number, record, error)) {
    case SubscriberLookup::Result::Found:
        Address = record.Name;
        // An empty answerback (an imported subscriber) says nothing: the
        // one of the address line or the number stays, as for a number the
        // directory does not know; an empty expectation matches no answer.
        if (!record.AnswerBack.isEmpty())
            ExpectedAnswerBack = record.AnswerBack;
        directoryFailureLogged_ = false;
        break;
    case SubscriberLookup::Result::NotFound:
        directoryFailureLogged_ = false;
        break;
    case SubscriberLookup::Result::Unavailable:
        // Not taken as not found: the number is not called without the
        // answerback the directory may hold for it.
        if (!directoryFailureLogged_)
            Log(QStringLiteral("Канал %1: [Справочник абонентов недоступен: %2]").arg(d_.Channel).arg(error));
        directoryFailureLogged_ = true;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the numbers

OutgoingTelegrams::Selection OutgoingTelegrams::SelectNextDestination()
{
    Number.clear();
    DestinationFound = false;
    Selection result = Blocked;
    int p = SearchPos;
    int i = SearchLine;
    for (; i < TlgLines.size(); ++i) {
        const QString l = TlgLines[i];
        if (!IsAddressLine(l))
            break;
        const int h = Pos(l, u'#', p);
        SearchPos = static_cast<std::uint16_t>(h + 1);
        Number = ExtractNumber(l, h);
        p = 1;
        if (h == 0)
            continue;
        if (CheckNumber(Number, i, h) != Callable)
            continue;
        Address.clear();
        const QString rest = l.mid(h);
        const qsizetype open = rest.indexOf(u'(');
        const qsizetype close = rest.indexOf(u')');
        if (open >= 0 && close > open && open == Number.size())
            ExpectedAnswerBack = rest.mid(open + 1, close - open - 1);
        else
            ExpectedAnswerBack = AnswerBackFromNumber(Number);
        DestinationFound = true;
        SearchLine = static_cast<std::uint16_t>(i);
        SelectedPath = TlgPath;
        SelectedNumber = Number;
        SelectedLine = i;
        SelectedPos = h;
        return Selected;
    }
    SearchLine = static_cast<std::uint16_t>(i);
    if (!HasPendingNumbers())
        result = FinalOutcome();
    return result;
}

OutgoingTelegrams::Selection OutgoingTelegrams::FinalOutcome() const
{
    // A line is done when one of its alternatives was called ('*'),
    // whatever blocked ones ('~') stand beside it; it is blocked when it
    // holds only blocked ones.
    bool done = false;
    for (const QString& l : TlgLines) {
        if (!IsAddressLine(l))
            break;
        if (HasDoneMark(l))
            done = true;
        else if (l.contains(u'~'))
            return OnlyBlocked;
    }
    return done ? AllDone : NoAddress;
}

bool OutgoingTelegrams::HasDoneMark(const QString& l)
{
    for (qsizetype i = 0; i < l.size(); ++i) {
        const QChar mark = l[i];
        if (mark != u'#' && mark != u'*' && mark != u'~')
            continue;
        qsizetype end = i + 1;
        while (end < l.size() && IsNumberChar(l[end]))
            ++end;
        if (end == i + 1)
            continue; // no number follows
        if (mark == u'*')
            return true;
        i = end - 1;
        // The expected answerback right after the number is passed over whole.
        if (end < l.size() && l[end] == u'(') {
            const qsizetype close = l.indexOf(u')', end + 1);
            if (close > 0)
                i = close;
        }
    }
    return false;
}

OutgoingTelegrams::NumberCheck OutgoingTelegrams::CheckNumber(const QString& n, int index, int h)
{
    NumberStatus status;
    {
        EngineLock lock(d_.Mutex()); // the lists' writers run in the protocol's elements
        status = GetNumberStatus(n);
    }
    if (status == StatusCallable)
        return Callable;
    if (status == StatusWaiting)
        return WaitsForRetry;
    TlgLines[index][h - 1] = u'~';
    if (DoneMarkWaiting(TlgPath))
        SaveBlockedMarkAlone(index, h, n);
    else
        SaveTelegram(TlgPath, TlgLines, TlgRawLines);
    return BlockedNow;
}

void OutgoingTelegrams::SaveBlockedMarkAlone(int index, int h, const QString& n)
{
    if (DiskSteps::SizeOf(TlgPath) < 0) {
        SaveTelegram(TlgPath, TlgLines, TlgRawLines); // logs that it was deleted
        return;
    }
    OemLines raw;
    QStringList lines;
    LoadOemStringsClear(TlgPath, raw, lines);
    if (index >= lines.size() || h > lines[index].size() || lines[index][h - 1] != u'#'
        || ExtractNumber(lines[index], h) != n)
        return; // changed meanwhile: the next pass finds it as it is now
    lines[index][h - 1] = u'~';
    SaveTelegram(TlgPath, lines, raw);
}

OutgoingTelegrams::NumberStatus OutgoingTelegrams::GetNumberStatus(const QString& n)
{
    if (n.isEmpty())
        return StatusBlocked;
    if (BadNumbers && BadNumbers->IndexOf(n) >= 0)
        return StatusBlocked;
    if (UnsuccNumbers) {
        const int i = UnsuccNumbers->IndexOf(n);
        if (i >= 0) {
            const auto* retry = UnsuccNumbers->ObjectAs<TUnsucNumObject>(i);
            return retry && retry->Wait > 0 ? StatusWaiting : StatusCallable;
        }
    }
    return StatusCallable;
}

QString OutgoingTelegrams::ExtractNumber(const QString& l, int h)
{
    QString n;
    if (h <= 0)
        return n;
    for (qsizetype i = h; i < l.size() && IsNumberChar(l[i]); ++i)
        if (n.size() < NumberCapacity)
            n += l[i];
    return n;
}

QString OutgoingTelegrams::AnswerBackFromNumber(const QString& n)
{
    if (n.size() <= 6)
        return n;
    if (n.size() == 7 && n[6] == u'-')
        return n.left(6);
    return n.right(6);
}

void OutgoingTelegrams::ReplaceMarks(QString& l)
{
    l.replace(u'#', u'*');
}

void OutgoingTelegrams::MarkNumberDone()
{
    const QString path = SelectedPath;
    const QString number = SelectedNumber;
    const int line = SelectedLine;
    const int pos = SelectedPos;
    SelectedPath.clear();
    SelectedLine = -1;
    // On disk it is written by the file work, after the call's record and journal line.
    if (!path.isEmpty() && path == TlgPath)
        ApplyDoneMark(TlgLines, line, pos, number);
}

bool OutgoingTelegrams::ApplyDoneMark(QStringList& lines, int line, int pos, const QString& number)
{
    int at = line;
    int h = pos;
    // Where the telegram changed meanwhile, the number's '#' in an address line.
    if (!MarkStandsAt(lines, at, h, number) && !FindMark(lines, number, at, h))
        return false; // the number is no longer to be called in this file
    lines[at][h - 1] = u'*';
    ReplaceMarks(lines[at]);
    return true;
}

bool OutgoingTelegrams::MarkStandsAt(const QStringList& lines, int index, int h, const QString& n)
{
    if (index < 0 || index >= lines.size() || h < 1)
        return false;
    const QString& l = lines[index];
    return IsAddressLine(l) && h <= l.size() && l[h - 1] == u'#' && ExtractNumber(l, h) == n;
}

bool OutgoingTelegrams::FindMark(const QStringList& lines, const QString& n, int& index, int& h)
{
    for (int i = 0; i < lines.size() && IsAddressLine(lines[i]); ++i) {
        for (int at = Pos(lines[i], u'#'); at > 0; at = Pos(lines[i], u'#', at + 1)) {
            if (MarkStandsAt(lines, i, at, n)) {
                index = i;
                h = at;
                return true;
            }
        }
    }
    return false;
}

bool OutgoingTelegrams::HasPendingNumbers() const
{
    for (const QString& l : TlgLines) {
        if (!IsAddressLine(l))
            return false;
        if (l.contains(u'#'))
            return true;
    }
    return false;
}

void OutgoingTelegrams::SaveTelegram(const QString& path, const QStringList& lines, OemLines& raw)
{
    if (DiskSteps::SizeOf(path) < 0) {
        // Deleted by the operator meanwhile: it stays deleted.
        LogOnce(path, QStringLiteral("Файл \"%1\" удален: изменения не записаны").arg(path));
        if (path == TlgPath)
            TlgPath.clear();
        return;
    }
    // Written beside the telegram and renamed over it: a crash leaves the old or the new one whole.
    SaveOemStrings(path, raw, lines);
}

} // namespace korvane
