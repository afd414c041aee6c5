// The adapter presence test: open the channel's port and ask the adapter.
#include "ui/settings/AdapterPresence.h"

#include "serial/CommPort.h"

namespace korvane {

AdapterPresence CommPortPresenceTest::Check(int channel, bool inverted)
{
    TCommPort port(nullptr, map_);
    port.SetComNumber(static_cast<TComNumber>(channel - 1));
    port.Open();
    if (!port.Opened())
        return AdapterPresence::PortNotOpened;
    const bool present = port.CheckAdapter(inverted);
    port.Close();
    return present ? AdapterPresence::Present : AdapterPresence::Missing;
}

} // namespace korvane
