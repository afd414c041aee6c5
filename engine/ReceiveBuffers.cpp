#include "engine/ReceiveBuffers.h"

#include <algorithm>

namespace korvane {

bool ReceiveBuffers::Put(std::uint8_t b)
{
    Active()[static_cast<std::size_t>(pos_)] = b;
    ++pos_;
    if (pos_ < BufferSize)
        return false;
    chunks_.emplace_back(reinterpret_cast<const char*>(Active().data()), BufferSize);
    EndBuffer(BufferSize, true);
    return true;
}

int ReceiveBuffers::Flush(int minLength)
{
    const int length = pos_;
    if (length > minLength)
        chunks_.emplace_back(reinterpret_cast<const char*>(Active().data()), length);
    EndBuffer(length, false);
    return length;
}

void ReceiveBuffers::Reset()
{
    EndBuffer(pos_, false);
}

void ReceiveBuffers::Place(const QByteArray& text)
{
    if (text.isEmpty())
        chunks_.emplace_back();
    for (qsizetype at = 0; at < text.size(); at += BufferSize)
        chunks_.push_back(text.mid(at, BufferSize));
}

void ReceiveBuffers::ChunkWritten()
{
    if (!chunks_.empty())
        chunks_.pop_front();
}

void ReceiveBuffers::EndBuffer(int length, bool swap)
{
    const std::uint8_t* filled = Active().data();
    activeStart_ += length;
    pos_ = 0;
    const bool next = swap ? !activeB_ : false;
    // The block just ended stays readable unless its buffer is filled again at once.
    prev_ = next != activeB_ ? filled : nullptr;
    prevLen_ = prev_ ? length : 0;
    activeB_ = next;
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
