// The file tick's look at a channel with nothing to do: it notices that,
// under one short hold of the engine lock, and does no more.

#include "engine/TxDriver.h"

#include "engine/elements/AdapterExchange.h"

namespace korvane {

bool TTxChannelDriver::FileTickIdle()
{
    if (!recovered_)
        return false;
    if (work_ && (!work_->Empty() || work_->Changed() || !work_->Connection().id.isEmpty()))
        return false;
    // Every request that FileWork answers.
    constexpr std::uint32_t requests =
        DriverEvent::ScanOutgoing | DriverEvent::CallSucceeded | DriverEvent::WriteChunk
        | DriverEvent::WriteTxJournal | DriverEvent::WriteRxJournal | DriverEvent::LoadAdapterProgram
        | DriverEvent::LogTxLine | DriverEvent::LogRxLine | DriverEvent::LogEngineLine | DriverEvent::LogStepLine
        | DriverEvent::LogElementStart | DriverEvent::LogExceptionLine;
    EngineLock lock(Mutex());
    if ((Events.load() & requests) != 0 || TlgRecNoSavePending || Rx.ChunkPending())
        return false;
    if (adapterExchange_ && adapterExchange_->FiledMarkPending())
        return false;
    if (ConnectionFile.isEmpty())
        return true;
    // A connection whose text is still kept for a crash, or whose blocks
    // are to follow its record under a new name.
    const bool moved = !recordPath_.isEmpty() && ConnectionFile != recordPath_;
    if (ConnectionKind == 0 && !moved)
        return true;
    const QString conn = ConnectionId();
    if (conn == endedConn_)
        return true;
    return ConnectionKind == 0 && conn != recordConn_;
}

} // namespace korvane
