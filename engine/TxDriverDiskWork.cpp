// Disk work the driver's line side asks for: done by the file tick on the
// main thread, without the engine lock.

#include "engine/TxDriver.h"

#include "support/FileError.h"

namespace korvane {

void TTxChannelDriver::QueueFileWork(FileWorkQueue::Work work, int lane)
{
    fileWork_.Post(std::move(work), lane);
}

void TTxChannelDriver::QueueLogLine(const QString& line)
{
    QueueFileWork([env = env_, line] { env.Log(line); }, FileWorkLane::Log);
}

void TTxChannelDriver::RunQueuedFileWork()
{
    try {
        fileWork_.Run();
        if (!failuresLogged_.isEmpty())
            failuresLogged_.remove(QStringLiteral("queued"));
    } catch (const FileError& e) {
        // Kept for the next tick; the driver's other file work goes on.
        FileWorkFailed(QStringLiteral("queued"), e.message(), false);
    } catch (const std::exception& e) {
        FileWorkFailed(QStringLiteral("queued"), QString::fromUtf8(e.what()), false);
    }
}

void TTxChannelDriver::FinishQueuedFileWork(const std::function<void()>& onFailure)
{
    fileWork_.RunAll(onFailure);
}
} // namespace korvane
