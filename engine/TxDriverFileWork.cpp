// The driver's part of the file tick that this engine core does itself: the
// channel lines waiting for the daily log.

#include "engine/TxDriver.h"

#include "protocols/DriverModes.h"

namespace korvane {

void TTxChannelDriver::FileWork()
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
            if ((always || logMode) && (!needStep || CurrentStep))
                lines << format(pending ? *pending : QString());
            if (pending)
                pending->clear();
            Events.raise(done);
        };
        take(DriverEvent::LogExceptionLine, DriverEvent::ExceptionLineLogged, &PendingExceptionLine, true, false,
             [&](const QString& s) { return QStringLiteral("Канал %1: [%2]").arg(ch, s); });
        take(DriverEvent::LogElementStart, DriverEvent::ElementStartLogged, nullptr, false, true,
             [&](const QString&) { return QStringLiteral("Канал %1: (%2)").arg(ch, step); });
        take(DriverEvent::LogStepLine, DriverEvent::StepLineLogged, &PendingStepLine, false, true,
             [&](const QString& s) { return QStringLiteral("Канал %1: (%2) [%3]").arg(ch, step, s); });
        take(DriverEvent::LogEngineLine, DriverEvent::EngineLineLogged, &PendingEngineLine, false, true,
             [&](const QString& s) { return QStringLiteral("Канал %1: (%2) [%3]").arg(ch, step, s); });
        take(DriverEvent::LogTxLine, DriverEvent::TxLineLogged, &PendingTxLine, false, false,
             [&](const QString& s) { return QStringLiteral("Канал %1: [%2]").arg(ch, s); });
        take(DriverEvent::LogRxLine, DriverEvent::RxLineLogged, &PendingRxLine, false, false,
             [&](const QString& s) { return QStringLiteral("Канал %1: [%2]").arg(ch, s); });
    }
    // The file itself is written outside the lock, so the fast tick never waits for a disk.
    for (const QString& line : std::as_const(lines))
        env_.Log(line);
}

} // namespace korvane
