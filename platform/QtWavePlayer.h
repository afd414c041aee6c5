#pragma once

#include "platform/WavePlayer.h"

#include <functional>
#include <memory>

class QSoundEffect;

namespace korvane {

// Wave files through Qt Multimedia on the default output device. A machine
// without an output device stays silent and says so once through Log.
class QtWavePlayer final : public WavePlayer {
public:
    explicit QtWavePlayer(std::function<void(const QString&)> log = {});
    ~QtWavePlayer() override;

    void play(const QString& fileName, bool loop) override;

private:
    std::unique_ptr<QSoundEffect> effect_;
    std::function<void(const QString&)> log_;
    bool silenceLogged_ = false;
};

} // namespace korvane
