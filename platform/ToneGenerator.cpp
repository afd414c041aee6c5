#include "platform/ToneGenerator.h"

#include <cstring>

namespace korvane {

ToneGenerator::ToneGenerator(const QAudioFormat& format, qint64 bufferMicroseconds)
    : m_format(format), m_bufferMicroseconds(bufferMicroseconds)
{
    // Unbuffered: a buffered device reads ahead a whole chunk (16 KB, some
    // 190 ms of sound), which a change of tone would then only reach late.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 ToneGenerator::bytesAvailable() const
{
    return m_format.bytesForDuration(m_bufferMicroseconds) + QIODevice::bytesAvailable();
}

qint64 ToneGenerator::readData(char* data, qint64 maxSize)
{
    const int sampleBytes = m_format.bytesPerSample();
    const int frameBytes = m_format.bytesPerFrame();
    if (frameBytes <= 0 || m_format.sampleRate() <= 0)
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

void ToneGenerator::writeSample(char* out, double value) const
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

} // namespace korvane
