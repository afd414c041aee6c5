#include "engine/ReceiveBuffers.h"

#include <algorithm>

namespace korvane {

ReceiveBuffers::Swap ReceiveBuffers::Put(std::uint8_t b)
{
    Active()[static_cast<std::size_t>(pos_)] = b;
    ++pos_;
    if (pos_ < BufferSize)
        return Swap::None;
    return SwapBuffers(BufferSize);
}

ReceiveBuffers::Swap ReceiveBuffers::HandOver()
{
    return SwapBuffers(pos_);
}

ReceiveBuffers::Swap ReceiveBuffers::SwapBuffers(int length)
{
    const auto* filled = Active().data();
    activeStart_ += length;
    pos_ = 0;
    if (pending_) {
        // The other buffer still holds the chunk: keep this one's bytes
        // behind it and fill this buffer again.
        prevCopy_ = QByteArray(reinterpret_cast<const char*>(filled), length);
        held_.append(prevCopy_);
        prev_ = reinterpret_cast<const std::uint8_t*>(prevCopy_.constData());
        prevLen_ = length;
        return Swap::Held;
    }
    chunkInB_ = activeB_;
    chunkLen_ = length;
    pending_ = true;
    prev_ = filled;
    prevLen_ = length;
    prevCopy_.clear();
    activeB_ = !activeB_;
    return Swap::HandedOver;
}

QByteArray ReceiveBuffers::TakeChunk()
{
    QByteArray out;
    if (!pending_)
        return out;
    const auto& chunk = chunkInB_ ? b_ : a_;
    out = QByteArray(reinterpret_cast<const char*>(chunk.data()), chunkLen_);
    out.append(held_);
    held_.clear();
    pending_ = false;
    return out;
}

QByteArray ReceiveBuffers::Stored(std::int64_t from, std::int64_t to) const
{
    QByteArray out;
    const std::int64_t prevStart = activeStart_ - prevLen_;
    for (std::int64_t p = std::max(from, prev_ ? prevStart : activeStart_); p < to && p < Total(); ++p) {
        if (p >= activeStart_)
            out.append(static_cast<char>(Active()[static_cast<std::size_t>(p - activeStart_)]));
        else
            out.append(static_cast<char>(prev_[p - prevStart]));
    }
    return out;
}

} // namespace korvane
