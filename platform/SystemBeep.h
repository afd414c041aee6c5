#pragma once

namespace korvane {

// The system's short message beep: it sounds by itself and the call
// returns at once.
class SystemBeep {
public:
    virtual ~SystemBeep() = default;

    virtual void beep() = 0;
};

} // namespace korvane
