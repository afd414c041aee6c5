#pragma once

// Text on its way into a driver's transmit ring. What the ring has no room
// for waits here and goes in as the transmitter makes room, so a text
// longer than the ring is sent whole rather than cut.

#include <QString>

namespace korvane {

class TTxChannelDriver;

class TextFeed {
public:
    // Text waits behind whatever is still waiting.
    void Append(const QString& text) { rest_ += text; }
    void Clear() { rest_.clear(); }
    bool IsEmpty() const { return rest_.isEmpty(); }

    // Puts into the ring as much of the waiting text as fits. False when
    // none of it fits into an empty ring: that text can never be sent.
    bool Feed(TTxChannelDriver& d);

private:
    QString rest_;
};

} // namespace korvane
