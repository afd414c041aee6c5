#pragma once

#include <cstdint>

// Line speeds that the C library's termios has no code for (100, 14400,
// 56000, 128000, 256000 bit/s), through the kernel's termios2 with BOTHER.
// Kept apart from <termios.h>, whose structure clashes with the kernel's.
namespace korvane::serial {

// Sets the frame flags selected by frameMask to frameFlags and the speed of
// both directions to baud bit/s, in one update. 0, or the errno of the failure.
int setArbitrarySpeed(int fd, unsigned frameMask, unsigned frameFlags, std::uint32_t baud);

// The output speed when the driver holds an arbitrary one (BOTHER), else 0.
// 0, or the errno of the failure.
int readArbitrarySpeed(int fd, std::uint32_t& baud);

} // namespace korvane::serial
