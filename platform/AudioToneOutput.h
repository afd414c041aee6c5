#pragma once

#include "platform/ToneOutput.h"

#include <memory>

class QAudioDevice;

namespace korvane {

// The speaker on a sound card: a synthesised square wave at low volume on an
// audio output device. On a machine without an audio device (a server, a
// test run) it stays silent; an output that fails is given up quietly, so
// the program never stops for want of sound. Main thread only.
class AudioToneOutput final : public ToneOutput {
public:
    // The system's default audio output.
    AudioToneOutput();
    // A chosen device; a null device means no sound at all.
    explicit AudioToneOutput(const QAudioDevice& device);
    ~AudioToneOutput() override;

    AudioToneOutput(const AudioToneOutput&) = delete;
    AudioToneOutput& operator=(const AudioToneOutput&) = delete;

    void startTone(std::uint16_t hz) override;
    void stopTone() override;

    // True while a tone is being sent to a device.
    bool isAudible() const;

private:
    class Impl;
    std::unique_ptr<Impl> d;
};

} // namespace korvane
