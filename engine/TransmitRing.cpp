#include "engine/TransmitRing.h"

namespace korvane {

void TransmitRing::Allocate(int size)
{
    if (size <= 0)
        return;
    ring_.assign(static_cast<std::size_t>(size), QChar());
    Reset();
}

bool TransmitRing::Put(QChar c)
{
    if (IsFull())
        return false;
    ring_[static_cast<std::size_t>(write_)] = c;
    write_ = Advance(write_);
    UpdateCount();
    return true;
}

void TransmitRing::Take()
{
    if (IsEmpty())
        return;
    read_ = Advance(read_);
    UpdateCount();
}

void TransmitRing::Untake()
{
    read_ = read_ == 0 ? Size() - 1 : read_ - 1;
    UpdateCount();
}

void TransmitRing::SetPositions(int read, int write)
{
    read_ = read;
    write_ = write;
    UpdateCount();
}

void TransmitRing::UpdateCount()
{
    count_ = static_cast<std::int16_t>((write_ - read_ + Size()) % Size());
}

void EchoRing::Allocate(int size)
{
    if (size <= 0)
        return;
    ring_.assign(static_cast<std::size_t>(size), QChar());
    read_ = write_ = 0;
}

void EchoRing::Put(QChar c)
{
    ring_[static_cast<std::size_t>(write_)] = c;
    write_ = Advance(write_);
    if (write_ == read_)
        read_ = Advance(read_); // drop the oldest rather than lose the whole ring
}

QChar EchoRing::Take()
{
    const QChar c = ring_[static_cast<std::size_t>(read_)];
    read_ = Advance(read_);
    return c;
}

} // namespace korvane
