#include "engine/JournalNotifier.h"

namespace korvane {

void JournalNotifier::Post(int channel, int kind)
{
    QMetaObject::invokeMethod(
        this, [this, channel, kind] { emit JournalChanged(channel, kind); }, Qt::QueuedConnection);
}

} // namespace korvane
