// Disk work the driver's line side asks for: done by the file tick on the
// main thread, without the engine lock.

#include "engine/TxDriver.h"

namespace korvane {

void TTxChannelDriver::QueueFileWork(FileWorkQueue::Work work)
{
    fileWork_.Post(std::move(work));
}

void TTxChannelDriver::QueueLogLine(const QString& line)
{
    QueueFileWork([env = env_, line] { env.Log(line); });
}

void TTxChannelDriver::RunQueuedFileWork()
{
    fileWork_.Run();
}

void TTxChannelDriver::FinishQueuedFileWork(const std::function<void()>& onFailure)
{
    fileWork_.RunAll(onFailure);
}
} // namespace korvane
