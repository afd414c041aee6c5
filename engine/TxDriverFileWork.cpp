// The driver's part of the file tick: what the line side asked for in
// Events, carried out on the main thread, with the disk never touched while
// the engine lock is held.

#include "engine/TxDriver.h"

#include "protocols/DriverModes.h"
#include "support/FileError.h"

#include <QDir>
#include <QFileInfo>

#include <exception>
#include <utility>

namespace korvane {

void TTxChannelDriver::FileWork()
{
    logFailure_ = nullptr;
    if (FileTickIdle())
        return;
    WriteChannelLines();
    if (!recovered_)
        RecoverFileWork();

    if (Events.take(DriverEvent::LoadAdapterProgram)) {
        const QFileInfo program(QDir(env_.ProgramFolder).filePath(QStringLiteral("TARVELOX.BIN")));
        try {
            if (program.isFile() && LoadFirmware(program.filePath(), static_cast<std::int32_t>(program.size())))
                Events.raise(DriverEvent::AdapterProgramLoaded);
        } catch (const FileError& e) {
            FileWorkFailed(program.filePath(), e.message()); // the exchange times out; the rest goes on
        }
    }

    // The number of a reception begun since the last tick, before its first block.
    SaveTlgRecNoIfPending();

    // The chunks, journal lines and done marks asked for, then written:
    // a number is marked done after its call's record and journal line.
    TakeRecordWork();
    QueueAdapterFiledMark();
    RunRecordWork();
    SettleAdapterFiledMark();

    // A long scan goes on over the following ticks; the request stays until it ends.
    if (Events.has(DriverEvent::ScanOutgoing) && Outgoing().Scan())
        Events.clear(DriverEvent::ScanOutgoing);
    if (logFailure_)
        std::rethrow_exception(std::exchange(logFailure_, nullptr));
}

void TTxChannelDriver::WriteChannelLines()
{
    QStringList lines;
    {
        EngineLock lock(Mutex());
        const bool logMode = GlobalModes.TlxLogMode != 0;
        const QString ch = QString::number(Channel);
        const QString step = CurrentStep ? CurrentStep->Name : QString();
        auto take = [&](std::uint32_t bit, std::uint32_t done, QString* pending, bool always, bool needStep,
                        auto format) {
            if (!Events.take(bit))
                return;
            if ((always || logMode) && (!needStep || CurrentStep)) {
                lines << format(pending ? *pending : QString());
                if (pending)
                    pending->clear();
            }
            Events.raise(done);
        };
        take(DriverEvent::LogElementStart, DriverEvent::ElementStartLogged, nullptr, false, true,
             [&](const QString&) { return QStringLiteral("Канал %1: (%2)").arg(ch, step); });
        take(DriverEvent::LogStepLine, DriverEvent::StepLineLogged, &PendingStepLine, false, true,
             [&](const QString& s) { return QStringLiteral("Канал %1: (%2) [%3]").arg(ch, step, s); });
        take(DriverEvent::LogEngineLine, DriverEvent::EngineLineLogged, &PendingEngineLine, false, true,
             [&](const QString& s) { return QStringLiteral("Канал %1: (%2) [%3]").arg(ch, step, s); });
        take(DriverEvent::LogRxLine, DriverEvent::RxLineLogged, &PendingRxLine, false, false,
             [&](const QString& s) { return QStringLiteral("Канал %1: [%2]").arg(ch, s); });
        take(DriverEvent::LogTxLine, DriverEvent::TxLineLogged, &PendingTxLine, false, false,
             [&](const QString& s) { return QStringLiteral("Канал %1: [%2]").arg(ch, s); });
        take(DriverEvent::LogExceptionLine, DriverEvent::ExceptionLineLogged, &PendingExceptionLine, true, false,
             [&](const QString& s) { return QStringLiteral("Канал %1: [%2]").arg(ch, s); });
    }
    // The daily log is written outside the lock, so the fast tick never waits for a disk.
    for (const QString& line : std::as_const(lines)) {
        try {
            env_.Log(line);
        } catch (...) {
            // Reported when the rest of the file work is done: a log that
            // cannot be written never holds up the records.
            if (!logFailure_)
                logFailure_ = std::current_exception();
        }
    }
}

} // namespace korvane
