// The driver's telegram numbers, kept by the channel's TelegramNumbering.

#include "engine/TxDriver.h"

#include "engine/TelegramNumbering.h"

namespace korvane {

TelegramNumbering& TTxChannelDriver::Numbering()
{
    if (!numbering_)
        numbering_ = std::make_unique<TelegramNumbering>(Channel, env_.IniFileName, *env_.Time);
    return *numbering_;
}

void TTxChannelDriver::ApplyCounters(const TTlgCounters& counters)
{
    EngineLock lock(Mutex());
    Numbering().SetCounters(counters);
}

void TTxChannelDriver::InitNumbers()
{
    EngineLock lock(Mutex());
    Numbering().InitNumbers(TransmDir, ReceiveDir);
}

void TTxChannelDriver::NextCounter(int kind, QString& s)
{
    EngineLock lock(Mutex());
    Numbering().NextCounter(static_cast<std::uint8_t>(kind), s);
}

void TTxChannelDriver::SaveTlgRecNo(std::int32_t n)
{
    EngineLock lock(Mutex());
    Numbering().SaveTlgRecNo(n);
}

std::int32_t TTxChannelDriver::LoadTlgRecNo()
{
    EngineLock lock(Mutex());
    return Numbering().LoadTlgRecNo();
}

} // namespace korvane
