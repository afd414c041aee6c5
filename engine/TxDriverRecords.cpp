// The channel driver's record files and journals: the start of a
// reception, the receive chunks and their hand-over to the file tick, the
// record file blocks, the journal lines and the adapter's program file.

#include "engine/TxDriver.h"

#include "engine/JournalNotifier.h"
#include "engine/RecordFiles.h"
#include "engine/TelegramNumbering.h"
#include "platform/Clock.h"
#include "platform/CodePages.h"
#include "support/FileError.h"
#include "support/OemText.h"

#include "platform/SafeFileWriter.h"
#include "support/FailureCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace korvane {

namespace {
// A final part of this many bytes or fewer is line noise, not a record.
constexpr int NoiseChunkLength = 5;
} // namespace

void TTxChannelDriver::StartRecFile()
{
    EngineLock lock(Mutex());
    ConnectionStart = env_.Time->now();
    ConnectionKind = 1;
    TelegramNumbering& numbers = Numbering();
    if (Modes & ChannelMode::CommonRec) {
        ConnectionFile = ReceiveCommonFile;
    } else {
        QString n;
        FormatNumber5(numbers.TlgRecNo, n);
        ConnectionFile = ReceiveDir + QStringLiteral("/TLG") + n + QStringLiteral(".REC");
    }
    ++numbers.TlgRecNo;
    TlgRecNoSavePending = true; // the INI file is written by the file tick, never here
    AdapterNote.clear();
    RxJrnStart = ConnectionStart;
    RxJrnFile = QFileInfo(ConnectionFile).fileName();
    PartnerAnswerBack.clear();
    ConnTxCount = 0;
    ConnRxCount = 0;
    if (Window)
        Window->SetTelegramFile(RxJrnFile);
}

void TTxChannelDriver::NoteChunkHandedOver()
{
    Events.clear(DriverEvent::ChunkWritten);
    Events.raise(DriverEvent::WriteChunk);
}

int TTxChannelDriver::FlushRxBuffer()
{
    EngineLock lock(Mutex());
    const int length = Rx.Flush(NoiseChunkLength);
    if (length > NoiseChunkLength)
        NoteChunkHandedOver();
    return length;
}

void TTxChannelDriver::ResetRxBuffer()
{
    EngineLock lock(Mutex());
    Rx.Reset();
}

int TTxChannelDriver::PlaceChunk(const QString& text)
{
    EngineLock lock(Mutex());
    const QByteArray bytes = codepage::toCp1251(text);
    Rx.Place(bytes);
    NoteChunkHandedOver(); // an empty text too: its record is a header alone
    return static_cast<int>(bytes.size());
}

QString TTxChannelDriver::ConnectionId() const
{
    return QString::number(ConnectionStart.isValid() ? ConnectionStart.toMSecsSinceEpoch() : 0) + u'/'
           + QString::number(ConnectionKind);
}

QString TTxChannelDriver::PendingWorkFile() const
{
    const QString folder =
        env_.IniFileName.isEmpty() ? env_.ProgramFolder : QFileInfo(env_.IniFileName).absolutePath();
    return QDir(folder).filePath(QStringLiteral(".korvane2-channel%1.work").arg(Channel));
}

PendingFileWork& TTxChannelDriver::Work()
{
    if (!work_)
        work_ = std::make_unique<PendingFileWork>(PendingWorkFile(), env_.DiskStep);
    return *work_;
}

bool TTxChannelDriver::RecordWaiting(const QString& path) const
{
    return work_ && work_->FileWaiting(path);
}

bool TTxChannelDriver::RecordWorkDone() const
{
    if (Events.has(DriverEvent::WriteChunk | DriverEvent::WriteTxJournal | DriverEvent::WriteRxJournal))
        return false;
    return !work_ || std::none_of(work_->Items().begin(), work_->Items().end(),
                                  [](const FileWorkItem& i) {
                                      return i.kind != FileWorkItem::Kind::Mark && !i.connection.isEmpty();
                                  });
}

void TTxChannelDriver::SaveTlgRecNoIfPending()
{
    TelegramNumbering* numbers = nullptr;
    std::int32_t n = 0;
    {
        EngineLock lock(Mutex());
        if (!TlgRecNoSavePending)
            return;
        TlgRecNoSavePending = false;
        numbers = &Numbering();
        n = numbers->TlgRecNo;
    }
    try {
        numbers->SaveTlgRecNo(n); // touches only the INI file
        failuresLogged_.remove(env_.IniFileName);
    } catch (const FileError& e) {
        // Kept and tried again on the next tick; the rest of the file work goes on.
        {
            EngineLock lock(Mutex());
            TlgRecNoSavePending = true;
        }
        FileWorkFailed(env_.IniFileName, e.message());
    }
}

void TTxChannelDriver::LogQuietly(const QString& line) const
{
    try {
        env_.Log(line);
    } catch (...) {
        // The daily log on a full disk: the line cannot be kept anywhere, the file work goes on.
    }
}

void TTxChannelDriver::FileWorkFailed(const QString& key, const QString& message, bool keyIsFile)
{
    if (failuresLogged_.contains(key))
        return; // told already; tried again quietly until it succeeds
    failuresLogged_.insert(key);
    LogQuietly(QStringLiteral("== Исключение: %1 [%2]").arg(message, QStringLiteral("TTxChannelDriver.FileWork")));
    EngineLock lock(Mutex());
    if (Window)
        Window->SetAlarmFile(keyIsFile ? QDir::toNativeSeparators(key) : QString());
    EnterFailureAlarm();
}

ConnectionInProgress TTxChannelDriver::CutConnection(const QString& id)
{
    ConnectionInProgress c;
    c.id = id;
    c.path = ConnectionFile;
    c.header = AnsiToOem(RecordFileHeader({ConnectionStart, ConnectionKind, AdapterNote, Numbering().TlgRecNo}));
    QByteArray part = Rx.Filling();
    AnsiToOemShort(part);
    c.part = part;
    const bool common = ConnectionFile == (ConnectionKind == 1 ? ReceiveCommonFile : TransmCommonFile);
    c.crashPath = common ? ConnectionFile
                         : ChangeFileExt(ConnectionFile, ConnectionKind == 1 ? QStringLiteral(".RE") : QStringLiteral(".PT"));
    const QDateTime now = env_.Time->now();
    const QString name = QFileInfo(c.crashPath).fileName();
    if (ConnectionKind == 1) {
        c.journalPath = ReceiveJrnFile;
        c.journalLine = AnsiToOem(
            RxJournalLine({AdapterNote, RxJrnStart, name, PartnerAnswerBack, ConnTxCount, ConnRxCount, now})
            + QStringLiteral("\r\n"));
        c.notice = JournalNotifier::ReceiveJournal;
    } else {
        c.journalPath = TransmJrnFile;
        c.journalLine = AnsiToOem(TxJournalLine({TxJrnStart, TxJrnNumber, TxJrnTelegram, name,
                                                 FailureCodeTexts[FailureCodes::Unk].toString(), JrnTxCount,
                                                 JrnRxCount, now})
                                  + QStringLiteral("\r\n"));
        c.notice = JournalNotifier::TransmitJournal;
    }
    c.recNo = Numbering().TlgRecNo;
    return c;
}

void TTxChannelDriver::RecoverFileWork()
{
    recovered_ = true;
    for (const QString& folder : {TransmDir, ReceiveDir, QFileInfo(PendingWorkFile()).absolutePath()})
        if (!folder.isEmpty())
            RemoveSafeWriteLeftovers(folder);
    PendingFileWork& work = Work();
    const bool found = work.Load();
    const PendingFileWork::Damage& damage = work.LoadDamage();
    if (damage.found)
        LogQuietly(
            (damage.keptAs.isEmpty()
                 ? QStringLiteral("Канал %1: [Файл работы канала %2 поврежден и не сохранен отдельно; %3]")
                 : QStringLiteral("Канал %1: [Файл работы канала %2 поврежден и сохранен как %4; %3]"))
                .arg(Channel)
                .arg(work.FileName(),
                     QStringLiteral("прочитано из него записей: %1, соединение %2")
                         .arg(damage.itemsRead)
                         .arg(damage.connectionRead ? QStringLiteral("прочитано") : QStringLiteral("не прочитано")),
                     damage.keptAs));
    if (!found)
        return;
    const ConnectionInProgress cut = work.Connection();
    if (work.FinishCutConnection(NoiseChunkLength))
        LogQuietly(QStringLiteral("Канал %1: [Соединение прервано сбоем программы; его запись закончена: %2]")
                     .arg(Channel)
                     .arg(cut.crashPath));
    {
        EngineLock lock(Mutex());
        if (cut.recNo > Numbering().TlgRecNo) {
            Numbering().TlgRecNo = cut.recNo; // its number is never given again
            TlgRecNoSavePending = true;
        }
    }
    for (const FileWorkItem& i : work.Items())
        if (i.kind == FileWorkItem::Kind::Mark)
            Outgoing().NoteDoneMarkWaiting({i.path, i.line, i.pos, i.number});
}

void TTxChannelDriver::TakeRecordWork()
{
    PendingFileWork& work = Work();
    std::vector<FileWorkItem> items;
    std::uint32_t doneAtOnce = 0;
    bool succeeded = false;
    QString number;
    QString conn;
    ConnectionInProgress live;
    bool blockTaken = false;
    {
        EngineLock lock(Mutex());
        conn = ConnectionId();
        // A record renamed at the end of its connection (.RE, .PT) takes the
        // connection's blocks along on disk, whether a last block follows or not.
        if (conn == recordConn_ && conn != endedConn_ && !recordPath_.isEmpty() && !ConnectionFile.isEmpty()
            && ConnectionFile != recordPath_) {
            FileWorkItem move;
            move.kind = FileWorkItem::Kind::Move;
            move.connection = conn;
            move.path = recordPath_;
            move.target = ConnectionFile;
            items.push_back(move);
            recordPath_ = ConnectionFile;
        }
        // Taken before the queue is emptied: a chunk handed over meanwhile raises it again.
        if (Events.take(DriverEvent::WriteChunk))
            doneAtOnce |= DriverEvent::ChunkWritten;
        while (Rx.ChunkPending()) {
            QByteArray text = Rx.NextChunk();
            Rx.ChunkWritten();
            if (ConnectionFile.isEmpty())
                continue; // no record is kept of this connection
            AnsiToOemShort(text);
            FileWorkItem block;
            block.connection = conn;
            block.path = ConnectionFile;
            block.bytes =
                AnsiToOem(RecordFileHeader({ConnectionStart, ConnectionKind, AdapterNote, Numbering().TlgRecNo}))
                + text;
            block.block = true;
            block.doneBit = DriverEvent::ChunkWritten;
            items.push_back(block);
            blockTaken = true;
            recordConn_ = conn;
            recordPath_ = ConnectionFile;
        }
        // The line is formatted only when it was asked for.
        auto journal = [&](std::uint32_t request, std::uint32_t doneBit, const QString& path, auto line,
                           int notice) {
            if (!Events.take(request))
                return;
            endedConn_ = conn;
            if (path.isEmpty()) {
                doneAtOnce |= doneBit; // no journal is kept
                return;
            }
            FileWorkItem item;
            item.connection = conn;
            item.path = path;
            item.bytes = AnsiToOem(line() + QStringLiteral("\r\n"));
            item.doneBit = doneBit;
            item.notice = notice;
            items.push_back(item);
        };
        journal(DriverEvent::WriteTxJournal, DriverEvent::TxJournalWritten, TransmJrnFile,
                [&] {
                    return TxJournalLine({TxJrnStart, TxJrnNumber, TxJrnTelegram, TxJrnRecordFile, TxJrnResult,
                                          JrnTxCount, JrnRxCount, TxJrnEnd});
                },
                JournalNotifier::TransmitJournal);
        journal(DriverEvent::WriteRxJournal, DriverEvent::RxJournalWritten, ReceiveJrnFile,
                [&] {
                    return RxJournalLine({AdapterNote, RxJrnStart, RxJrnFile, PartnerAnswerBack, ConnTxCount,
                                          ConnRxCount, RxJrnEnd});
                },
                JournalNotifier::ReceiveJournal);
        succeeded = Events.take(DriverEvent::CallSucceeded) != 0;
        number = Number;
        if (ConnectionKind != 0 && conn != endedConn_ && !ConnectionFile.isEmpty())
            live = CutConnection(conn);
    }
    for (FileWorkItem& item : items)
        work.Add(std::move(item));
    DoneMark mark;
    if (succeeded && Outgoing().CallSucceeded(number, mark)) {
        FileWorkItem item;
        item.kind = FileWorkItem::Kind::Mark;
        item.connection = conn; // written after the call's record and journal line
        item.path = mark.path;
        item.line = mark.line;
        item.pos = mark.pos;
        item.number = mark.number;
        work.Add(item);
    }
    // What the connection has collected reaches the disk within about a
    // second; when a block was taken, at once, since the text kept for a
    // crash then still holds what the block holds.
    const std::uint64_t now = env_.Time->tickMs();
    if (blockTaken || live.id != work.Connection().id || now >= partSavedAt_ + PartSaveInterval) {
        work.SetConnection(live);
        partSavedAt_ = now;
    }
    for (std::uint32_t bit : {DriverEvent::ChunkWritten, DriverEvent::TxJournalWritten, DriverEvent::RxJournalWritten})
        if ((doneAtOnce & bit) && !work.Waiting(bit))
            Events.raise(bit);
}

void TTxChannelDriver::RunRecordWork()
{
    PendingFileWork& work = Work();
    std::vector<std::pair<DoneMark, bool>> marks;
    QStringList folders;
    PendingFileWork::Outcome outcome;
    outcome.done = [&](const FileWorkItem& i) {
        failuresLogged_.remove(i.path);
        if (i.kind == FileWorkItem::Kind::Mark) {
            marks.emplace_back(DoneMark{i.path, i.line, i.pos, i.number}, i.gone);
            return;
        }
        const QString written = i.kind == FileWorkItem::Kind::Move ? i.target : i.path;
        if ((i.block || i.kind == FileWorkItem::Kind::Move) && !folders.contains(QFileInfo(written).absolutePath()))
            folders << QFileInfo(written).absolutePath();
        if (i.notice >= 0 && env_.Journals)
            env_.Journals->Post(Channel, i.notice);
        if (i.doneBit && !work.Waiting(i.doneBit))
            Events.raise(i.doneBit);
    };
    outcome.failed = [&](const FileWorkItem& i, const QString& message) { FileWorkFailed(i.path, message); };
    work.Run(env_.Time->tickMs(), outcome, static_cast<int>(ChunkRetryInterval));
    QString why;
    if (!work.Save(&why))
        FileWorkFailed(work.FileName(), why);
    else
        failuresLogged_.remove(work.FileName());
    if (env_.RefreshFolder)
        for (const QString& folder : std::as_const(folders))
            env_.RefreshFolder(folder);
    for (const auto& [mark, gone] : marks)
        Outgoing().DoneMarkWritten(mark, gone);
}

bool TTxChannelDriver::MoveTelegramByWork(const QString& from, const QString& to)
{
    PendingFileWork& work = Work();
    if (!work.FileWaiting(from)) {
        FileWorkItem move;
        move.kind = FileWorkItem::Kind::Move;
        move.path = from;
        move.target = to;
        move.offset = 0; // the whole file
        work.Add(move);
    }
    bool done = false;
    PendingFileWork::Outcome outcome;
    outcome.done = [&](const FileWorkItem& i) {
        failuresLogged_.remove(i.path);
        done = done || i.path == from;
    };
    outcome.failed = [&](const FileWorkItem& i, const QString& message) { FileWorkFailed(i.path, message); };
    work.Run(env_.Time->tickMs(), outcome, static_cast<int>(ChunkRetryInterval), from);
    QString why;
    if (!work.Save(&why))
        FileWorkFailed(work.FileName(), why);
    return done;
}

bool TTxChannelDriver::LoadFirmware(const QString& path, std::int32_t size)
{
    if (size < 0 || size > FirmwareBufSize) {
        const QString why = QStringLiteral("Файл %1 (%2 байт) больше буфера адаптера (%3 байт) и не загружен")
                                .arg(path)
                                .arg(size)
                                .arg(FirmwareBufSize);
        env_.Log(QStringLiteral("Канал %1: [%2]").arg(Channel).arg(why));
        // The box waits for the operator: the window's timer shows it, never the file tick.
        EngineLock lock(Mutex());
        if (Window && !Closing())
            Window->SetAdapterProgramError(why);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::openFailed(path);
    const QByteArray image = file.read(size);
    if (image.size() != size)
        throw FileError::readFailed(path);
    EngineLock lock(Mutex());
    std::copy(image.begin(), image.end(), FirmwareBuf.begin());
    FirmwareSize = size;
    return true;
}

} // namespace korvane
