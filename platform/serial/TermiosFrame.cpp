#include "platform/serial/TermiosFrame.h"

#include "platform/serial/LineCheck.h"

#include <array>

namespace korvane::serial {

namespace {

struct BaudEntry {
    std::uint32_t rate;
    speed_t code;
};

// The port's baud rates that termios names; 100, 14400, 56000, 128000 and
// 256000 bit/s have no code and go as arbitrary speeds.
constexpr std::array<BaudEntry, 15> kBauds{{
    {50, B50},
    {75, B75},
    {110, B110},
    {150, B150},
    {200, B200},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
}};

} // namespace

QString toTermiosFrame(const LineSettings& s, TermiosFrame& frame)
{
    QString problem = lineSettingsProblem(s);
    if (!problem.isEmpty())
        return problem;
    speed_t speed = B0;
    for (const auto& e : kBauds) {
        if (e.rate == s.baudRate)
            speed = e.code;
    }

    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tcflag_t cflag = sizes[s.byteSize - 5];
    if (s.stopBits != 0)
        cflag |= CSTOPB; // with CS5 a 16550-style UART sends 1.5 stop bits
    switch (s.parity) {
    case 1: cflag |= PARENB | PARODD; break;
    case 2: cflag |= PARENB; break;
    case 3: cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    frame = {cflag, speed, s.baudRate};
    return {};
}

LineSettings fromTermiosFrame(const TermiosFrame& frame)
{
    LineSettings s;
    s.baudRate = frame.speed == B0 ? frame.baud : 0;
    for (const auto& e : kBauds) {
        if (e.code == frame.speed)
            s.baudRate = e.rate;
    }
    switch (frame.cflag & CSIZE) {
    case CS5: s.byteSize = 5; break;
    case CS6: s.byteSize = 6; break;
    case CS7: s.byteSize = 7; break;
    default: s.byteSize = 8; break;
    }
    if ((frame.cflag & CSTOPB) == 0)
        s.stopBits = 0;
    else
        s.stopBits = s.byteSize == 5 ? 1 : 2;
    if ((frame.cflag & PARENB) == 0)
        s.parity = 0;
    else if ((frame.cflag & CMSPAR) != 0)
        s.parity = (frame.cflag & PARODD) != 0 ? 3 : 4;
    else
        s.parity = (frame.cflag & PARODD) != 0 ? 1 : 2;
    return s;
}

} // namespace korvane::serial
