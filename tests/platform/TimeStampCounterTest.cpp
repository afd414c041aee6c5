#include "platform/TimeStampCounter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace korvane;

TEST(TimeStampCounter, MachineCounterRunsForward)
{
    TimeStampCounter& counter = systemTimeStampCounter();
    const std::uint64_t a = counter.read();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const std::uint64_t b = counter.read();
    EXPECT_GT(b, a);
    if (!MachineTimeStampCounter::isProcessorCounter()) {
        EXPECT_GE(b - a, 2'000'000u); // nanoseconds
    }
}
