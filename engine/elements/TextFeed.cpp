#include "engine/elements/TextFeed.h"

#include "engine/TxDriver.h"

namespace korvane {

bool TextFeed::Feed(TTxChannelDriver& d)
{
    if (rest_.isEmpty())
        return true;
    EngineLock lock(d.Mutex());
    const bool ringWasEmpty = d.Tx.IsEmpty();
    const qsizetype queued = d.QueueText(rest_);
    rest_.remove(0, queued);
    return queued > 0 || !ringWasEmpty;
}

} // namespace korvane
