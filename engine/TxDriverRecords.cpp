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

void TTxChannelDriver::WriteChunk(const QString& path)
{
    QByteArray block;
    QDateTime start;
    {
        EngineLock lock(Mutex());
        if (!Rx.ChunkPending())
            return;
        start = ConnectionStart;
        block = AnsiToOem(RecordFileHeader({ConnectionStart, ConnectionKind, AdapterNote, Numbering().TlgRecNo}));
        QByteArray text = Rx.NextChunk(); // converted as a copy: the waiting chunk stays as received
        AnsiToOemShort(text);
        block += text;
    }
    // A connection whose record was renamed at its end (.RE, .PT) takes its
    // blocks written so far along, so that it stays in one file.
    if (start.isValid() && start == recordStart_ && recordPath_ != path && QFileInfo::exists(recordPath_)
        && !QFileInfo::exists(path))
        RenameNoReplace(recordPath_, path);
    AppendToFile(path, block);
    recordPath_ = path;
    recordStart_ = start;
    EngineLock lock(Mutex());
    Rx.ChunkWritten();
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
    } catch (...) {
        EngineLock lock(Mutex());
        TlgRecNoSavePending = true;
        throw;
    }
}

void TTxChannelDriver::WriteChunks()
{
    if (env_.Time->tickMs() < chunkRetryAt_)
        return;
    QString written;
    for (;;) {
        QString path;
        {
            EngineLock lock(Mutex());
            if (!Rx.ChunkPending()) {
                // Cleared in the same breath as the queue is seen empty, so a
                // chunk handed over meanwhile keeps its request.
                if (Events.take(DriverEvent::WriteChunk))
                    Events.raise(DriverEvent::ChunkWritten);
                break;
            }
            path = ConnectionFile;
            if (path.isEmpty()) {
                Rx.ChunkWritten(); // no record is kept of this connection
                continue;
            }
        }
        try {
            WriteChunk(path);
        } catch (const FileError& e) {
            // Kept and tried again at a calm pace; logged once, the alarm stays on.
            chunkRetryAt_ = env_.Time->tickMs() + ChunkRetryInterval;
            if (!chunkFailureLogged_)
                env_.Log(QStringLiteral("== Исключение: %1 [%2]")
                             .arg(e.message(), QStringLiteral("TTxChannelDriver.WriteChunk")));
            chunkFailureLogged_ = true;
            EngineLock lock(Mutex());
            EnterFailureAlarm();
            return;
        }
        chunkFailureLogged_ = false;
        written = path;
    }
    if (!written.isEmpty() && env_.RefreshFolder)
        env_.RefreshFolder(QFileInfo(written).absolutePath());
}

void TTxChannelDriver::AppendJournalLine(const QString& path, const QString& line)
{
    AppendToFile(path, AnsiToOem(line));
}

void TTxChannelDriver::WriteRxJournal()
{
    RxJournalFields f;
    QString path;
    {
        EngineLock lock(Mutex());
        f = {AdapterNote, RxJrnStart, RxJrnFile, PartnerAnswerBack, ConnTxCount, ConnRxCount, RxJrnEnd};
        path = ReceiveJrnFile;
    }
    AppendJournalLine(path, RxJournalLine(f) + QStringLiteral("\r\n"));
    if (env_.Journals)
        env_.Journals->Post(Channel, JournalNotifier::ReceiveJournal);
}

void TTxChannelDriver::WriteTxJournal()
{
    TxJournalFields f;
    QString path;
    {
        EngineLock lock(Mutex());
        f = {TxJrnStart, TxJrnNumber, TxJrnTelegram, TxJrnRecordFile, TxJrnResult, JrnTxCount, JrnRxCount, TxJrnEnd};
        path = TransmJrnFile;
    }
    AppendJournalLine(path, TxJournalLine(f) + QStringLiteral("\r\n"));
    if (env_.Journals)
        env_.Journals->Post(Channel, JournalNotifier::TransmitJournal);
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
