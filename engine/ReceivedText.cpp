#include "engine/ReceivedText.h"

#include <algorithm>

namespace korvane {

void ReceivedText::Note(std::int64_t position, std::uint8_t b)
{
    entries_.push_back({position, b});
    if (entries_.size() > Capacity)
        entries_.pop_front();
}

QByteArray ReceivedText::Since(std::int64_t from) const
{
    const auto first = std::lower_bound(entries_.begin(), entries_.end(), from,
                                        [](const Entry& e, std::int64_t p) { return e.Position < p; });
    QByteArray out;
    out.reserve(static_cast<qsizetype>(entries_.end() - first));
    for (auto it = first; it != entries_.end(); ++it)
        out.append(static_cast<char>(it->Byte));
    return out;
}

} // namespace korvane
