#pragma once

// What the text sending, clear-down and reception elements share beyond the
// element base: noticing characters that arrived in the receive buffer.

#include "engine/TxDriver.h"
#include "engine/TxElementPro.h"

#include <QString>

#include <cstdint>

namespace korvane::elements {

// Whether the receive buffer's fill position moved since Mark; Mark follows it.
inline bool CharactersArrived(const TTxChannelDriver& d, std::int64_t& mark)
{
    if (d.Rx.Total() == mark)
        return false;
    mark = d.Rx.Total();
    return true;
}

} // namespace korvane::elements
