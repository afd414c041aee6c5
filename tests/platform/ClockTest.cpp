#include "platform/Clock.h"
#include "tests/fakes/FakeClock.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(Clock, SystemTickCountNeverGoesBackwards)
{
    const auto a = systemClock().tickMs();
    const auto b = systemClock().tickMs();
    EXPECT_LE(a, b);
}

TEST(Clock, FakeClockMovesWallTimeAndTicksTogether)
{
    test::FakeClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 500)));
    const auto t0 = clock.tickMs();
    clock.advance(600);
    EXPECT_EQ(clock.today(), QDate(2027, 1, 1));
    EXPECT_EQ(clock.now().time(), QTime(0, 0, 0, 100));
    EXPECT_EQ(clock.tickMs() - t0, 600u);
}
