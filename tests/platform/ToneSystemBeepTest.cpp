#include "platform/ToneSystemBeep.h"

#include "tests/fakes/FakeToneOutput.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

constexpr int kBeepMs = 20;

// Runs the event loop until the tone output falls silent (or, for a test
// gone wrong, ten seconds pass).
void waitForSilence(const test::FakeToneOutput& tone)
{
    QElapsedTimer watch;
    watch.start();
    while (tone.sounding() && watch.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
}

TEST(ToneSystemBeepTest, SoundsAShortToneThatStopsByItself)
{
    test::FakeToneOutput tone{systemClock()};
    ToneSystemBeep beep{tone, 880, kBeepMs};

    beep.beep();
    ASSERT_TRUE(tone.sounding());
    waitForSilence(tone);

    ASSERT_EQ(tone.timeline().size(), 1u);
    EXPECT_EQ(tone.timeline().front().hz, 880);
    EXPECT_GE(tone.timeline().front().ms, std::uint64_t(kBeepMs));
    EXPECT_FALSE(tone.sounding());
}

TEST(ToneSystemBeepTest, BeepWhileBeepingStartsTheToneAgain)
{
    test::FakeToneOutput tone{systemClock()};
    ToneSystemBeep beep{tone, 880, kBeepMs};

    beep.beep();
    beep.beep();
    waitForSilence(tone);

    ASSERT_EQ(tone.events.size(), 3u);
    EXPECT_EQ(tone.events[1].hz, 880);
    EXPECT_GE(tone.events[2].tickMs - tone.events[1].tickMs, std::uint64_t(kBeepMs));
    EXPECT_EQ(tone.events[2].hz, 0);
}

TEST(ToneSystemBeepTest, DestroyedWhileSoundingLeavesTheOutputSilent)
{
    test::FakeToneOutput tone{systemClock()};
    {
        ToneSystemBeep beep{tone, 880, 10000};
        beep.beep();
        ASSERT_TRUE(tone.sounding());
    }
    EXPECT_FALSE(tone.sounding());
}

} // namespace
