#pragma once

// Small pieces that the text sending, clear-down and reception elements
// share: counting a wait down by the fast tick, noticing characters that
// arrived in the receive buffer, and the exception guard of a DoIt.

#include "engine/EngineError.h"
#include "engine/TxDriver.h"
#include "engine/TxElementPro.h"

#include <QString>

#include <cstdint>
#include <exception>

namespace korvane::elements {

// One fast tick off a countdown; true once it has run out (<= 0).
inline bool TickDown(std::int32_t& left)
{
    left -= TTxChannelDriver::FastInterval;
    return left <= 0;
}

// Whether the receive buffer's fill position moved since Mark; Mark follows it.
inline bool CharactersArrived(const TTxChannelDriver& d, std::int64_t& mark)
{
    if (d.Rx.Total() == mark)
        return false;
    mark = d.Rx.Total();
    return true;
}

// Runs one DoIt body; a failure that escapes it becomes the element's
// exception line with Tag ("TTxPause.DoIt") and the protocol restarts.
template <class Body>
void GuardedDoIt(TTxElementPro& e, const QString& tag, Body&& body)
{
    try {
        body();
    } catch (const std::exception& ex) {
        e.HandleException(ExceptionMessage(ex), tag);
    }
}

} // namespace korvane::elements
