#include "platform/AudioToneOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <atomic>
#include <cstring>

namespace korvane {

namespace {

constexpr double kAmplitude = 0.08;      // of full scale: a square wave is loud
constexpr int kPreferredRate = 44100;
constexpr qint64 kBufferMicroseconds = 30000; // keeps a change of tone prompt

// An endless stream of samples of the current tone (silence at 0 Hz), read
// by the audio sink as it needs them.
class ToneGenerator final : public QIODevice {
public:
    explicit ToneGenerator(const QAudioFormat& format) : m_format(format)
    {
        open(QIODevice::ReadOnly);
    }

    void setFrequency(std::uint16_t hz) { m_hz.store(hz); }
    std::uint16_t frequency() const { return m_hz.load(); }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_format.bytesForDuration(kBufferMicroseconds) + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const int sampleBytes = m_format.bytesPerSample();
        const int frameBytes = m_format.bytesPerFrame();
        if (frameBytes <= 0)
            return 0;
        const qint64 frames = maxSize / frameBytes;
        const double step = double(m_hz.load()) / m_format.sampleRate();
        for (qint64 i = 0; i < frames; ++i) {
            double value = 0.0;
            if (step > 0.0) {
                value = m_phase < 0.5 ? kAmplitude : -kAmplitude;
                m_phase += step;
                m_phase -= static_cast<long>(m_phase);
            }
            for (int c = 0; c < m_format.channelCount(); ++c) {
                writeSample(data, value);
                data += sampleBytes;
            }
        }
        return frames * frameBytes;
    }

    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void writeSample(char* out, double value) const
    {
        switch (m_format.sampleFormat()) {
        case QAudioFormat::UInt8: {
            const auto s = static_cast<quint8>(128 + value * 127);
            std::memcpy(out, &s, sizeof s);
            break;
        }
        case QAudioFormat::Int16: {
            const auto s = static_cast<qint16>(value * 32767);
            std::memcpy(out, &s, sizeof s);
            break;
        }
        case QAudioFormat::Int32: {
            const auto s = static_cast<qint32>(value * 2147483647.0);
            std::memcpy(out, &s, sizeof s);
            break;
        }
        case QAudioFormat::Float: {
            const auto s = static_cast<float>(value);
            std::memcpy(out, &s, sizeof s);
            break;
        }
        default:
            std::memset(out, 0, m_format.bytesPerSample());
            break;
        }
    }

    QAudioFormat m_format;
    std::atomic<std::uint16_t> m_hz{0};
    double m_phase = 0.0;
};

// Mono 16-bit if the device takes it, else whatever the device prefers.
QAudioFormat chooseFormat(const QAudioDevice& device)
{
    QAudioFormat format;
    format.setSampleRate(kPreferredRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(format))
        return format;
    return device.preferredFormat();
}

} // namespace

class AudioToneOutput::Impl {
public:
    explicit Impl(const QAudioDevice& audioDevice) : device(audioDevice)
    {
        if (device.isNull())
            return;
        format = chooseFormat(device);
        if (format.sampleFormat() == QAudioFormat::Unknown || format.bytesPerFrame() <= 0)
            return;
        generator = std::make_unique<ToneGenerator>(format);
    }

    bool usable() const { return generator && !failed; }

    // The sink is made on the first tone, so that a program that never sounds
    // never opens the device.
    QAudioSink* ensureSink()
    {
        if (!sink) {
            sink = std::make_unique<QAudioSink>(device, format);
            sink->setBufferSize(format.bytesForDuration(kBufferMicroseconds));
            QObject::connect(sink.get(), &QAudioSink::stateChanged, sink.get(),
                             [this](QAudio::State state) {
                                 if (state == QAudio::StoppedState
                                     && sink->error() != QAudio::NoError)
                                     failed = true;
                             });
        }
        return sink.get();
    }

    QAudioDevice device;
    QAudioFormat format;
    std::unique_ptr<ToneGenerator> generator; // outlives the sink that reads it
    std::unique_ptr<QAudioSink> sink;
    bool failed = false;
};

AudioToneOutput::AudioToneOutput() : AudioToneOutput(QMediaDevices::defaultAudioOutput()) {}

AudioToneOutput::AudioToneOutput(const QAudioDevice& device)
    : d(std::make_unique<Impl>(device))
{
}

AudioToneOutput::~AudioToneOutput()
{
    if (d->sink)
        d->sink->stop();
}

void AudioToneOutput::startTone(std::uint16_t hz)
{
    if (!d->usable())
        return;
    d->generator->setFrequency(hz);
    QAudioSink* sink = d->ensureSink();
    if (sink->state() == QAudio::StoppedState) {
        sink->start(d->generator.get());
        if (sink->error() != QAudio::NoError)
            d->failed = true;
    }
}

void AudioToneOutput::stopTone()
{
    if (!d->generator)
        return;
    d->generator->setFrequency(0);
    // Stopping drops what the device still has buffered, so the tone ends now.
    if (d->sink && d->sink->state() != QAudio::StoppedState)
        d->sink->stop();
}

bool AudioToneOutput::isAudible() const
{
    return d->usable() && d->sink && d->sink->state() != QAudio::StoppedState
           && d->generator->frequency() != 0;
}

} // namespace korvane
