#include "platform/AudioToneOutput.h"

#include "platform/ToneGenerator.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace korvane {

namespace {

constexpr int kPreferredRate = 44100;
constexpr qint64 kBufferMicroseconds = 30000; // keeps a change of tone prompt

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
        generator = std::make_unique<ToneGenerator>(format, kBufferMicroseconds);
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
