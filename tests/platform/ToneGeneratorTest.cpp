#include "platform/ToneGenerator.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace korvane;

namespace {

QAudioFormat format(QAudioFormat::SampleFormat sampleFormat, int rate = 44100, int channels = 1)
{
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(channels);
    f.setSampleFormat(sampleFormat);
    return f;
}

// The first channel's samples of `frames` frames of 16-bit audio.
std::vector<qint16> readInt16(ToneGenerator& gen, qint64 frames, int channels = 1)
{
    const QByteArray bytes = gen.read(frames * channels * 2);
    std::vector<qint16> out;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2 * channels) {
        qint16 s;
        std::memcpy(&s, bytes.constData() + i, 2);
        out.push_back(s);
    }
    return out;
}

// Changes from negative to positive: one per period of a square wave.
int risingEdges(const std::vector<qint16>& samples)
{
    int edges = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        edges += samples[i - 1] < 0 && samples[i] > 0 ? 1 : 0;
    return edges;
}

} // namespace

TEST(ToneGenerator, OneSecondHoldsAsManyPeriodsAsTheFrequency)
{
    for (const std::uint16_t hz : {std::uint16_t(65), std::uint16_t(525), std::uint16_t(1051),
                                   std::uint16_t(8402), std::uint16_t(15909)}) {
        ToneGenerator gen(format(QAudioFormat::Int16), 30000);
        gen.setFrequency(hz);
        const std::vector<qint16> second = readInt16(gen, 44100);
        ASSERT_EQ(second.size(), 44100u);
        // The wave starts high, so the first period has no rising edge.
        EXPECT_NEAR(risingEdges(second), hz - 1, 1) << hz;
        const qint16 level = static_cast<qint16>(ToneGenerator::kAmplitude * 32767);
        for (const qint16 s : second)
            ASSERT_TRUE(s == level || s == -level) << hz;
    }
}

TEST(ToneGenerator, SilenceAtZeroHertzAndTheWaveGoesOnAfterAChange)
{
    ToneGenerator gen(format(QAudioFormat::Int16), 30000);
    for (const qint16 s : readInt16(gen, 1000))
        ASSERT_EQ(s, 0);

    gen.setFrequency(441); // 100 samples a period at 44100 Hz
    const std::vector<qint16> a = readInt16(gen, 100);
    EXPECT_EQ(std::count_if(a.begin(), a.end(), [](qint16 s) { return s > 0; }), 50);

    gen.setFrequency(0);
    for (const qint16 s : readInt16(gen, 100))
        ASSERT_EQ(s, 0);

    gen.setFrequency(882);
    EXPECT_EQ(gen.frequency(), 882);
    EXPECT_NEAR(risingEdges(readInt16(gen, 44100)), 882, 1);
}

TEST(ToneGenerator, WritesEveryChannelInTheDevicesSampleFormat)
{
    // Stereo: both channels carry the same sample.
    {
        ToneGenerator gen(format(QAudioFormat::Int16, 8000, 2), 30000);
        gen.setFrequency(1000);
        const QByteArray bytes = gen.read(8 * 4);
        ASSERT_EQ(bytes.size(), 32);
        for (int frame = 0; frame < 8; ++frame)
            EXPECT_EQ(bytes.mid(frame * 4, 2), bytes.mid(frame * 4 + 2, 2)) << frame;
    }
    // Float: exactly the amplitude, then its negative.
    {
        ToneGenerator gen(format(QAudioFormat::Float, 8000), 30000);
        gen.setFrequency(1000); // 8 samples a period
        const QByteArray bytes = gen.read(8 * 4);
        std::vector<float> samples(8);
        std::memcpy(samples.data(), bytes.constData(), 32);
        const float a = static_cast<float>(ToneGenerator::kAmplitude);
        EXPECT_EQ(samples, (std::vector<float>{a, a, a, a, -a, -a, -a, -a}));
    }
    // Unsigned 8-bit: silence is the middle value.
    {
        ToneGenerator gen(format(QAudioFormat::UInt8), 30000);
        EXPECT_EQ(gen.read(4), QByteArray(4, '\x80'));
    }
}

TEST(ToneGenerator, OffersItsBufferAndGivesWholeFramesOnly)
{
    ToneGenerator gen(format(QAudioFormat::Int16, 44100, 2), 30000);
    gen.setFrequency(525);
    EXPECT_EQ(gen.bytesAvailable(), format(QAudioFormat::Int16, 44100, 2).bytesForDuration(30000));
    EXPECT_TRUE(gen.isSequential());
    EXPECT_EQ(gen.read(7).size(), 4); // one frame of two 16-bit channels
}
