#include "engine/ChannelKeyRing.h"

namespace korvane {

bool ChannelKeyRing::Put(QStringView keys)
{
    const std::lock_guard lock(mutex_);
    if (keys.size() > Size - 1 - CountLocked())
        return false;
    for (const QChar key : keys) {
        keys_[static_cast<std::size_t>(write_)] = key;
        write_ = (write_ + 1) % Size;
    }
    return true;
}

std::optional<QChar> ChannelKeyRing::Take()
{
    const std::lock_guard lock(mutex_);
    if (read_ == write_)
        return std::nullopt;
    const QChar key = keys_[static_cast<std::size_t>(read_)];
    read_ = (read_ + 1) % Size;
    return key;
}

void ChannelKeyRing::Clear()
{
    const std::lock_guard lock(mutex_);
    read_ = 0;
    write_ = 0;
}

int ChannelKeyRing::Count() const
{
    const std::lock_guard lock(mutex_);
    return CountLocked();
}

int ChannelKeyRing::ReadPosition() const
{
    const std::lock_guard lock(mutex_);
    return read_;
}

int ChannelKeyRing::WritePosition() const
{
    const std::lock_guard lock(mutex_);
    return write_;
}

} // namespace korvane
