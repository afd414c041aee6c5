#include "engine/OutgoingTelegrams.h"

#include "engine/CallFailurePolicy.h"
#include "engine/SubscriberLookup.h"
#include "engine/TxDriver.h"
#include "protocols/DriverModes.h"
#include "support/FileCopy.h"
#include "support/FileError.h"
#include "support/NumberLists.h"

#include <QDir>
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

void OutgoingTelegrams::Scan()
{
    bool selected = false;
    bool ended = false;
    if (TlgPath.isEmpty()) {
        TlgSearch = QDir(d_.TransmDir)
                        .entryList({QStringLiteral("*.TLG")}, QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
        TlgSearchNext = 0;
        selected = ContinueListing();
        ended = !selected;
    } else {
        selected = ProcessOutgoingFile() || ContinueListing();
        if (!selected) {
            TlgPath.clear();
            ended = true;
        }
    }
    Publish(ended);
}

bool OutgoingTelegrams::ContinueListing()
{
    while (TlgSearchNext < TlgSearch.size()) {
        const QString name = TlgSearch[TlgSearchNext++];
        if (OpenOutgoingFile(name) && ProcessOutgoingFile())
            return true;
    }
    return false;
}

bool OutgoingTelegrams::CallSucceeded(const QString& number, DoneMark& mark)
{
    if (SelectedPath.isEmpty() || SelectedLine < 0) {
        SelectedPath.clear();
        return false;
    }
    mark = {SelectedPath, SelectedLine, SelectedPos, number};
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
            Publish(false);
        }
        return;
    }
    if (mark.path != TlgPath || TlgPath.isEmpty())
        return;
    SearchLine = 0;
    SearchPos = 1;
    DestinationFound = false;
    ProcessOutgoingFile();
    Publish(false);
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
    try {
        LoadOemStringsClear(TlgPath, TlgRawLines, TlgLines);
    } catch (const FileError& e) {
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
    return true;
}

bool OutgoingTelegrams::ProcessOutgoingFile()
{
    const Selection r = SelectNextDestination();
    switch (r) {
    case Selected:
        if (!Number.isEmpty())
            LookUpSubscriber();
        announce_ = true;
        break;
    case NoAddress:
        Log(QStringLiteral("Файл \"%1\" содержит некорректный заголовок").arg(TlgPath));
        if (LastFileResult == 0) {
            RenameTo(QStringLiteral(".ERR"));
            FinishFile();
        }
        break;
    case AllDone:
        FinishAllDone();
        break;
    case OnlyBlocked: {
        Log(QStringLiteral("Файл \"%1\" содержит только \"неэффективные\" номера").arg(TlgPath));
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
            // Appended through the safe writer; a telegram that is already the
            // end of the .TRS (its delete failed, or a crash came between) is
            // not appended again.
            const QByteArray telegram = DiskSteps::ReadRange(path, 0);
            const QByteArray old = DiskSteps::ReadRange(trs, 0);
            try {
                if (telegram.isEmpty() || !old.endsWith(telegram))
                    disk.Replace(trs, old + telegram);
                finished = disk.Remove(path);
                if (!finished)
                    LogOnce(path, QStringLiteral("Не могу удалить файл \"%1\"").arg(path));
            } catch (const FileError& e) {
                LogOnce(path, e.message());
            }
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

void OutgoingTelegrams::LookUpSubscriber()
{
    SubscriberLookup* directory = d_.Environment().Directory;
    if (!directory)
        return;
    SubscriberRecord record;
    QString error;
    switch (directory->LocateSubscriber(Number, record, error)) {
    case SubscriberLookup::Result::Found:
        Address = record.Name;
        ExpectedAnswerBack = record.AnswerBack; // also an empty one
        directoryFailureLogged_ = false;
        break;
    case SubscriberLookup::Result::NotFound:
        directoryFailureLogged_ = false;
        break;
    case SubscriberLookup::Result::Unavailable:
        // Taken as not found: the telegram goes on with what the file says.
        if (!directoryFailureLogged_)
            Log(QStringLiteral("Канал %1: [Справочник абонентов недоступен: %2]").arg(d_.Channel).arg(error));
        directoryFailureLogged_ = true;
        break;
    }
}

// ---------------------------------------------------------------- the numbers

OutgoingTelegrams::Selection OutgoingTelegrams::SelectNextDestination()
{
    Number.clear();
    DestinationFound = false;
    Selection result = Blocked;
    int starSeen = 0;
    int tildeSeen = 0;
    int p = SearchPos;
    int i = SearchLine;
    for (; i < TlgLines.size(); ++i) {
        const QString l = TlgLines[i];
        if (!IsAddressLine(l))
            break;
        const int h = Pos(l, u'#', p);
        SearchPos = static_cast<std::uint16_t>(h + 1);
        if (starSeen == 0)
            starSeen = Pos(l, u'*');
        if (tildeSeen == 0)
            tildeSeen = Pos(l, u'~');
        Number = ExtractNumber(l, h);
        p = 1;
        if (h == 0)
            continue;
        const NumberCheck check = CheckNumber(Number, i, h);
        if (check == BlockedNow)
            tildeSeen = h;
        if (check != Callable)
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
        SelectedLine = i;
        SelectedPos = h;
        return Selected;
    }
    SearchLine = static_cast<std::uint16_t>(i);
    if (!HasPendingNumbers())
        result = tildeSeen ? OnlyBlocked : starSeen ? AllDone : NoAddress;
    return result;
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
    SaveTelegram(TlgPath, TlgLines, TlgRawLines);
    return BlockedNow;
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
    const int line = SelectedLine;
    const int pos = SelectedPos;
    SelectedPath.clear();
    SelectedLine = -1;
    // On disk it is written by the file work, after the call's record and journal line.
    if (!path.isEmpty() && path == TlgPath && line >= 0 && line < TlgLines.size() && IsAddressLine(TlgLines[line])
        && pos >= 1 && pos <= TlgLines[line].size()) {
        TlgLines[line][pos - 1] = u'*';
        ReplaceMarks(TlgLines[line]);
    }
}

bool OutgoingTelegrams::ApplyDoneMark(QStringList& lines, int line, int pos, const QString& number)
{
    auto markAt = [&](int i, int h) {
        lines[i][h - 1] = u'*';
        ReplaceMarks(lines[i]);
        return true;
    };
    if (line >= 0 && line < lines.size() && IsAddressLine(lines[line]) && pos >= 1 && pos <= lines[line].size()
        && lines[line][pos - 1] == u'#' && ExtractNumber(lines[line], pos) == number)
        return markAt(line, pos);
    // The telegram changed meanwhile: the first '#' before the number in an address line.
    for (int i = 0; i < lines.size() && IsAddressLine(lines[i]); ++i)
        for (int h = Pos(lines[i], u'#'); h > 0; h = Pos(lines[i], u'#', h + 1))
            if (!number.isEmpty() && ExtractNumber(lines[i], h) == number)
                return markAt(i, h);
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
