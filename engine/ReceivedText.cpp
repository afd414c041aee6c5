#include "engine/ReceivedText.h"

namespace korvane {

ReceivedText::ReceivedText()
    : positions_(Capacity)
    , bytes_(Capacity)
{
}

void ReceivedText::Note(std::int64_t position, std::uint8_t b)
{
    const std::size_t slot = Slot(count_);
    positions_[slot] = position;
    bytes_[slot] = b;
    if (count_ < Capacity)
        ++count_;
    else
        oldest_ = (oldest_ + 1) % Capacity;
}

QByteArray ReceivedText::Since(std::int64_t from) const
{
    // The first character kept at From or later: positions only grow.
    std::size_t low = 0;
    std::size_t high = count_;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (positions_[Slot(mid)] < from)
            low = mid + 1;
        else
            high = mid;
    }
    QByteArray out;
    out.reserve(static_cast<qsizetype>(count_ - low));
    for (std::size_t i = low; i < count_; ++i)
        out.append(static_cast<char>(bytes_[Slot(i)]));
    return out;
}

} // namespace korvane
