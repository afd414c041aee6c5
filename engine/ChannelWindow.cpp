#include "engine/ChannelWindow.h"

namespace korvane {

bool ChannelWindow::ClearChannelCommand(std::uint8_t carriedOut)
{
    return command_.compare_exchange_strong(carriedOut, ChannelCommands::None);
}

QString ChannelWindow::Number() const
{
    const std::lock_guard lock(numberMutex_);
    return number_;
}

void ChannelWindow::SetNumber(const QString& number)
{
    const std::lock_guard lock(numberMutex_);
    number_ = number.left(NumberCapacity);
}

QString ChannelWindow::AlarmFile() const
{
    const std::lock_guard lock(numberMutex_);
    return alarmFile_;
}

void ChannelWindow::SetAlarmFile(const QString& file)
{
    const std::lock_guard lock(numberMutex_);
    alarmFile_ = file;
}

} // namespace korvane
