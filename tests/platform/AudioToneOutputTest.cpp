#include "platform/AudioToneOutput.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// On a machine without sound the speaker must stay silent and never fail.
TEST(AudioToneOutputTest, WithoutADeviceStaysSilent)
{
    AudioToneOutput out{QAudioDevice()};

    out.stopTone();
    out.startTone(525);
    EXPECT_FALSE(out.isAudible());
    out.startTone(15909);
    EXPECT_FALSE(out.isAudible());
    out.stopTone();
    EXPECT_FALSE(out.isAudible());
}

// The default output, whatever this machine has: tones change and stop.
TEST(AudioToneOutputTest, DefaultOutputStartsAndStops)
{
    const bool hasDevice = !QMediaDevices::defaultAudioOutput().isNull();
    AudioToneOutput out;

    out.startTone(440);
    QCoreApplication::processEvents();
    if (!hasDevice) {
        EXPECT_FALSE(out.isAudible());
    }
    out.startTone(880);
    out.stopTone();
    EXPECT_FALSE(out.isAudible());
    out.startTone(440);
    QCoreApplication::processEvents();
    // Destroyed while sounding: the tone ends with the object.
}

} // namespace
