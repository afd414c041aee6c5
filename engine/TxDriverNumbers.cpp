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
    // The folders and the INI file are read without the lock, on a copy.
    TelegramNumbering numbers = [this] {
        EngineLock lock(Mutex());
        return Numbering();
    }();
    numbers.InitNumbers(TransmDir, ReceiveDir);
    EngineLock lock(Mutex());
    TelegramNumbering& n = Numbering();
    n.TlgRecNo = numbers.TlgRecNo;
    n.NextTelNo = numbers.NextTelNo;
    n.NextDlgNo = numbers.NextDlgNo;
}

void TTxChannelDriver::NextCounter(int kind, QString& s)
{
    EngineLock lock(Mutex());
    Numbering().DrawCounter(static_cast<std::uint8_t>(kind), s);
    // The counters as drawn now; saves queued one after another keep their order.
    QueueFileWork([numbers = Numbering()]() mutable { numbers.SaveTlgCounters(); }, FileWorkLane::Counters);
}

void TTxChannelDriver::SaveTlgRecNo(std::int32_t n)
{
    EngineLock lock(Mutex());
    QueueFileWork([numbers = Numbering(), n]() mutable { numbers.SaveTlgRecNo(n); }, FileWorkLane::RecNo);
}

std::int32_t TTxChannelDriver::LoadTlgRecNo()
{
    const TelegramNumbering numbers = [this] {
        EngineLock lock(Mutex());
        return Numbering();
    }();
    return numbers.LoadTlgRecNo(); // read without the lock
}

} // namespace korvane
