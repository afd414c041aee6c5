#include "engine/TelegramNumbering.h"

#include "platform/IniFile.h"
#include "protocols/ChannelOptions.h"
#include "protocols/TxProtoc.h"
#include "support/FileError.h"
#include "support/FileNumbering.h"

#include <utility>

namespace korvane {

namespace {

const QString kDayKey = QStringLiteral("TlgCntDay");
const QString kMonthKey = QStringLiteral("TlgCntMonth");
const QString kFullNumberKey = QStringLiteral("TlgCntFullNumber");
const QString kCksNumberKey = QStringLiteral("TlgCntCKSNumber");
const QString kRecNoKey = QStringLiteral("TlgRecNo");

int quarterOf(int month)
{
    return (month - 1) / 3;
}

} // namespace

TelegramNumbering::TelegramNumbering(int channel, QString iniFileName, const Clock& clock)
    : m_channel(channel), m_iniFileName(std::move(iniFileName)), m_clock(clock)
{
}

void TelegramNumbering::SetCounters(const TTlgCounters& counters)
{
    TlgCntDay = counters.Day;
    TlgCntMonth = counters.Month;
    TlgCntFullNumber = counters.FullNumber;
    FNumberMode = counters.fNumberMode();
    TlgCntCKSNumber = counters.CKSNumber;
    CKSNumberMode = counters.cksNumberMode();
}

bool TelegramNumbering::CounterResetDue(QChar mode, std::uint8_t change)
{
    if (mode == CounterResetMode::EveryDay)
        return change >= DateChange::Day;
    if (mode == CounterResetMode::EveryMonth)
        return change >= DateChange::Month;
    if (mode == CounterResetMode::EveryQuarter)
        return change >= DateChange::Quarter;
    if (mode == CounterResetMode::EveryYear)
        return change >= DateChange::Year;
    return false;
}

std::uint8_t TelegramNumbering::DateChangeSince(std::uint8_t lastDay, std::uint8_t lastMonth, const QDate& today)
{
    const int d = today.day();
    const int m = today.month();
    if (lastMonth < 1 || lastMonth > 12)
        return DateChange::Year;
    if (m == lastMonth) {
        if (d == lastDay)
            return DateChange::None;
        return d > lastDay ? DateChange::Day : DateChange::Year;
    }
    if (m < lastMonth)
        return DateChange::Year;
    return quarterOf(m) != quarterOf(lastMonth) ? DateChange::Quarter : DateChange::Month;
}

void TelegramNumbering::NextCounter(std::uint8_t kind, QString& s)
{
    DrawCounter(kind, s);
    SaveTlgCounters();
}

void TelegramNumbering::DrawCounter(std::uint8_t kind, QString& s)
{
    const QDate today = m_clock.today();
    const std::uint8_t change = DateChangeSince(TlgCntDay, TlgCntMonth, today);
    if (CounterResetDue(CKSNumberMode, change))
        TlgCntCKSNumber = 1;
    if (CounterResetDue(FNumberMode, change))
        TlgCntFullNumber = 1;

    std::uint16_t& counter = kind != 0 ? TlgCntCKSNumber : TlgCntFullNumber;
    s = QString::number(counter);
    counter = static_cast<std::uint16_t>(counter + 1);

    TlgCntMonth = static_cast<std::uint8_t>(today.month());
    TlgCntDay = static_cast<std::uint8_t>(today.day());
}

void TelegramNumbering::SaveTlgCounters()
{
    IniFile ini(m_iniFileName);
    const QString section = ChannelSectionName(m_channel);
    const bool written = ini.WriteInteger(section, kDayKey, TlgCntDay)
                         && ini.WriteInteger(section, kMonthKey, TlgCntMonth)
                         && ini.WriteInteger(section, kFullNumberKey, TlgCntFullNumber)
                         && ini.WriteInteger(section, kCksNumberKey, TlgCntCKSNumber);
    if (!written)
        throw FileError::writeFailed(m_iniFileName);
}

void TelegramNumbering::SaveTlgRecNo(std::int32_t n)
{
    IniFile ini(m_iniFileName);
    if (!ini.WriteInteger(ChannelSectionName(m_channel), kRecNoKey, n))
        throw FileError::writeFailed(m_iniFileName);
}

std::int32_t TelegramNumbering::LoadTlgRecNo() const
{
    const IniFile ini(m_iniFileName);
    return ini.ReadInteger(ChannelSectionName(m_channel), kRecNoKey, 1);
}

void TelegramNumbering::InitNumbers(const QString& transmDirNative, const QString& receiveDirNative)
{
    TlgRecNo = LoadTlgRecNo();
    if (TlgRecNo == 1)
        GetNextFileNumber(receiveDirNative + QStringLiteral("/TLG*.*"), TlgRecNo);
    GetNextFileNumber(transmDirNative + QStringLiteral("/TEL*.*"), NextTelNo);
    GetNextFileNumber(transmDirNative + QStringLiteral("/DLG*.PT?"), NextDlgNo);
}

} // namespace korvane
