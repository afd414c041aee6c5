#pragma once

#include "platform/serial/SerialTypes.h"

#include <QString>
#include <termios.h>

namespace korvane::serial {

// The control flags of a termios frame: data bits, stop bits, parity.
inline constexpr tcflag_t kTermiosFrameBits = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;

// A frame in termios terms: the frame flags (within kTermiosFrameBits) and
// the speed for both directions: a speed code, or B0 with baud set for a
// rate that has no code (set through termios2 as an arbitrary speed).
struct TermiosFrame {
    tcflag_t cflag = 0;
    speed_t speed = B0;
    std::uint32_t baud = 0; // with speed B0: the arbitrary rate in bit/s
};

// The termios form of line settings. 5 to 8 data bits are CS5 to CS8; one
// and a half stop bits are CS5|CSTOPB, which a 16550-style UART sends as 1.5;
// mark and space parity use CMSPAR (mark with PARODD). Empty when termios can
// express the settings, else the reason (the frame is then left unchanged).
QString toTermiosFrame(const LineSettings& settings, TermiosFrame& frame);

// Line settings from a termios frame; for a speed code that no baud rate of
// the port names, the frame's arbitrary rate (0 when it has none).
LineSettings fromTermiosFrame(const TermiosFrame& frame);

} // namespace korvane::serial
