#pragma once

#include <QString>

namespace korvane {

// Wave files on the sound card, played without waiting. A wave started
// replaces one still playing; a looping wave repeats until another replaces
// it. A file that cannot be played plays nothing (no default sound).
class WavePlayer {
public:
    virtual ~WavePlayer() = default;
    virtual void play(const QString& fileName, bool loop) = 0;
};

} // namespace korvane
