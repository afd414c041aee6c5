#pragma once

#include "platform/WavePlayer.h"

#include <QString>

#include <vector>

namespace korvane::test {

// Records the waves asked for.
class FakeWavePlayer final : public WavePlayer {
public:
    struct Play {
        QString file;
        bool loop;
        bool operator==(const Play&) const = default;
    };
    void play(const QString& fileName, bool loop) override { played.push_back({fileName, loop}); }
    std::vector<Play> played;
};

} // namespace korvane::test
