#pragma once

#include <cstdint>

namespace korvane {

// The speaker: one continuous tone at a time. A tone started sounds until
// another tone replaces it or it is stopped; nothing here waits.
class ToneOutput {
public:
    virtual ~ToneOutput() = default;

    // Sounds Hz (above 0) from now on, replacing any tone that sounds.
    virtual void startTone(std::uint16_t hz) = 0;
    // Silences the speaker; harmless when it is silent already.
    virtual void stopTone() = 0;
};

} // namespace korvane
