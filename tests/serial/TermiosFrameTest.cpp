// Line settings in termios terms: the flags a UART driver gets for each
// frame, and back. (A pseudo-terminal keeps 8 data bits and no parity, so
// the 5-bit frames and parities are checked here, without a device.)
#include "platform/serial/TermiosFrame.h"

#include <gtest/gtest.h>

using namespace korvane::serial;

namespace {

struct FrameCase {
    const char* name;
    LineSettings line;
    speed_t speed;
    tcflag_t cflag;
};

class TermiosFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(TermiosFrames, MapToTheDriverFlagsAndBack)
{
    const FrameCase& c = GetParam();
    TermiosFrame frame;
    ASSERT_EQ(toTermiosFrame(c.line, frame), QString());
    EXPECT_EQ(frame.cflag, c.cflag);
    EXPECT_EQ(frame.speed, c.speed);
    EXPECT_EQ(fromTermiosFrame(frame), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TermiosFrames,
    ::testing::Values(FrameCase{"Telegraph50Baud5Bits1_5Stop", {50, 5, 0, 1}, B50, CS5 | CSTOPB},
                      FrameCase{"Adapter9600_8N1", {9600, 8, 0, 0}, B9600, CS8},
                      FrameCase{"Odd", {75, 6, 1, 0}, B75, CS6 | PARENB | PARODD},
                      FrameCase{"EvenTwoStop", {110, 7, 2, 2}, B110, CS7 | CSTOPB | PARENB},
                      FrameCase{"Mark", {300, 7, 3, 0}, B300, CS7 | PARENB | PARODD | CMSPAR},
                      FrameCase{"Space", {1200, 8, 4, 0}, B1200, CS8 | PARENB | CMSPAR},
                      FrameCase{"FiveBitsEven", {150, 5, 2, 0}, B150, CS5 | PARENB},
                      FrameCase{"Fast", {115200, 8, 0, 2}, B115200, CS8 | CSTOPB}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TermiosFrame, EveryPortSpeedThatTermiosNamesIsTaken)
{
    const std::uint32_t named[] = {50,   75,   110,  150,   200,   300,   600,   1200,
                                   2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (std::uint32_t rate : named) {
        TermiosFrame frame;
        EXPECT_EQ(toTermiosFrame({rate, 8, 0, 0}, frame), QString()) << rate;
        EXPECT_EQ(fromTermiosFrame(frame).baudRate, rate);
    }
}

TEST(TermiosFrame, WhatTermiosCannotSayIsRefusedWithItsReason)
{
    struct Case {
        LineSettings line;
        const char* reason;
    };
    const Case cases[] = {
        {{0, 8, 0, 0}, "baud rate 0"},    {{50, 4, 0, 0}, "4 data bits"},   {{50, 8, 0, 1}, "1.5 stop bits"},
        {{50, 5, 0, 2}, "2 stop bits"},   {{50, 5, 5, 0}, "parity code 5"},
    };
    for (const Case& c : cases) {
        TermiosFrame frame{CS8, B9600};
        const QString problem = toTermiosFrame(c.line, frame);
        EXPECT_TRUE(problem.contains(QString::fromLatin1(c.reason))) << c.reason << ": " << problem.toStdString();
        EXPECT_EQ(frame.cflag, tcflag_t{CS8}) << c.reason; // untouched
        EXPECT_EQ(frame.speed, speed_t{B9600}) << c.reason;
    }
}

TEST(TermiosFrame, PortSpeedsWithoutATermiosNameGoAsArbitrarySpeeds)
{
    for (std::uint32_t rate : {100u, 14400u, 56000u, 128000u, 256000u}) {
        TermiosFrame frame{CS8, B9600};
        EXPECT_EQ(toTermiosFrame({rate, 5, 0, 1}, frame), QString()) << rate;
        EXPECT_EQ(frame.speed, speed_t{B0}) << rate;
        EXPECT_EQ(frame.baud, rate);
        EXPECT_EQ(frame.cflag, tcflag_t{CS5 | CSTOPB}) << rate;
        EXPECT_EQ(fromTermiosFrame(frame), (LineSettings{rate, 5, 0, 1}));
    }
}

} // namespace
