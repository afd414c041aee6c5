#include "engine/TxPrintWork.h"

#include "engine/BusyGuard.h"
#include "engine/EngineError.h"
#include "engine/TelegramPrinter.h"
#include "engine/TxDriver.h"
#include "platform/Clock.h"
#include "protocols/ChannelOptions.h"
#include "protocols/DriverModes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>

namespace korvane {

namespace {

const QString kTag = QStringLiteral("TTxScanner.ScanPrintWork");

} // namespace

TxPrintWork::TxPrintWork(Environment env) : env_(std::move(env)) {}

void TxPrintWork::ScanPrintWork()
{
    if (PrintWorkBusy)
        return;
    BusyGuard busy(PrintWorkBusy);
    try {
        // The device's outcome is taken whatever the hour: a failure frees
        // the file for the retry and is logged as it comes.
        if (printerBusy_) {
            PrinterDone(); // the hold starts with the next second
            return;
        }
        if (!PrintWindowOpen())
            return;
        if (Printing) {
            FinishPrint();
            return;
        }
        if (retryWait_ > 0) {
            --retryWait_;
            return;
        }
        for (int c = 1; c <= 8; ++c) {
            TTxChannelDriver* d = env_.Drivers ? env_.Drivers(c) : nullptr;
            if (!d)
                continue;
            std::uint32_t modes = 0;
            QString receiveDir, transmDir;
            {
                EngineLock lock(*env_.Mutex);
                modes = d->Modes;
                receiveDir = d->ReceiveDir;
                transmDir = d->TransmDir;
            }
            QString file;
            if (modes & ChannelMode::AutoPrintRec)
                file = FirstFile(receiveDir, QStringLiteral("TLG?????.REC"));
            if (file.isEmpty() && (modes & ChannelMode::AutoPrintTrm))
                file = FirstFile(transmDir, QStringLiteral("TEL?????.PTC"));
            if (file.isEmpty())
                continue;
            PrintFileName = file;
            PrintChannel = c;
            StartPrint(PrintFileName);
            break;
        }
    } catch (...) {
        LogOnce(CurrentExceptionMessage());
    }
}

void TxPrintWork::StartPrint(const QString& fileName)
{
    Printing = 1;
    try {
        env_.Printer->PrintFile(fileName);
    } catch (...) {
        PrintFailed();
        throw;
    }
    printerBusy_ = true;
    PrinterDone();
}

bool TxPrintWork::PrinterDone()
{
    QString error;
    switch (env_.Printer->PrintProgress(error)) {
    case TelegramPrinter::Progress::Printing:
        return false;
    case TelegramPrinter::Progress::Printed:
        printerBusy_ = false;
        lastLogged_.clear();
        PrintHold = HoldSeconds;
        return true;
    case TelegramPrinter::Progress::Failed:
        break;
    }
    PrintFailed();
    throw EngineError(error);
}

// Not printed: the file keeps its name and is tried again after the hold;
// it is never renamed as if it had been printed.
void TxPrintWork::PrintFailed()
{
    printerBusy_ = false;
    Printing = 0;
    PrintFileName.clear();
    retryWait_ = HoldSeconds;
}

void TxPrintWork::FinishPrint()
{
    --PrintHold;
    if (PrintHold >= 1)
        return;
    QFileInfo info(PrintFileName);
    const QString target = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".PRT");
    // QFile::rename never replaces an existing file.
    if (QFile::rename(PrintFileName, target)) {
        if (env_.RefreshFolder)
            env_.RefreshFolder(info.path());
        PrintFileName.clear();
        Printing = 0;
        lastLogged_.clear();
        return;
    }
    if (TTxChannelDriver* d = env_.Drivers ? env_.Drivers(PrintChannel) : nullptr) {
        EngineLock lock(*env_.Mutex);
        d->Modes &= ~(ChannelMode::AutoPrintTrm | ChannelMode::AutoPrintRec);
    }
    throw EngineError(QStringLiteral("Не могу переименовать файл") + QChar(13) + PrintFileName + QChar(13) +
                      QStringLiteral("Автоматическая печать будет отключена!"));
}

bool TxPrintWork::PrintWindowOpen() const
{
    const double begin = GlobalModes.BeginTime;
    const double end = GlobalModes.EndTime;
    if (begin == end)
        return true;
    const QTime t = env_.Time->now().time();
    const double day = t.msecsSinceStartOfDay() / 86400000.0;
    return begin <= day && day <= end;
}

QString TxPrintWork::FirstFile(const QString& dir, const QString& mask) const
{
    if (dir.isEmpty())
        return {};
    const QDir folder(dir);
    const QStringList names = folder.entryList({mask}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (!BeingWritten(path))
            return path;
    }
    return {};
}

// A file that a connection still writes to is printed once its connection
// has ended and its last part is on disk.
bool TxPrintWork::BeingWritten(const QString& path) const
{
    QStringList writing;
    {
        EngineLock lock(*env_.Mutex);
        for (int c = 1; c <= 8; ++c) {
            TTxChannelDriver* d = env_.Drivers ? env_.Drivers(c) : nullptr;
            if (d && d->RecordWaiting(path)) // blocks that wait for a full disk
                return true;
            if (d && !d->ConnectionFile.isEmpty() &&
                (d->ConnectionKind != 0 || d->Events.has(DriverEvent::WriteChunk)))
                writing << d->ConnectionFile;
        }
    }
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (const QString& f : writing)
        if (QFileInfo(f).absoluteFilePath() == wanted)
            return true;
    return false;
}

void TxPrintWork::LogOnce(const QString& message)
{
    const QString line = QStringLiteral("== Исключение: %1 [%2]").arg(message, kTag);
    if (line == lastLogged_)
        return;
    lastLogged_ = line;
    if (env_.Log)
        env_.Log(line);
}

} // namespace korvane
