#pragma once

#include <QAudioFormat>
#include <QIODevice>

#include <atomic>
#include <cstdint>

namespace korvane {

// An endless stream of audio samples of a square wave at the current
// frequency (silence at 0 Hz), in the given format, at low volume. The
// frequency may be changed at any time, also while a reader on another
// thread takes samples; the wave goes on from where it was. Nothing is read
// ahead, so a change is heard from the next sample read.
class ToneGenerator final : public QIODevice {
public:
    // Of full scale: a square wave is loud.
    static constexpr double kAmplitude = 0.08;

    // bufferMicroseconds: how much bytesAvailable() offers a reader at once.
    ToneGenerator(const QAudioFormat& format, qint64 bufferMicroseconds);

    void setFrequency(std::uint16_t hz) { m_hz.store(hz); }
    std::uint16_t frequency() const { return m_hz.load(); }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void writeSample(char* out, double value) const;

    QAudioFormat m_format;
    qint64 m_bufferMicroseconds;
    std::atomic<std::uint16_t> m_hz{0};
    double m_phase = 0.0;
};

} // namespace korvane
