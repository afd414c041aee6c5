#include "platform/serial/TermiosBaud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace korvane::serial {

int setArbitrarySpeed(int fd, unsigned frameMask, unsigned frameFlags, std::uint32_t baud)
{
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag = (t.c_cflag & ~frameMask) | (frameFlags & frameMask);
    // Input speed code 0: the input runs at the output speed.
    t.c_cflag &= ~static_cast<unsigned>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER;
    t.c_ospeed = baud;
    t.c_ispeed = baud;
    if (::ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

int readArbitrarySpeed(int fd, std::uint32_t& baud)
{
    baud = 0;
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    if ((t.c_cflag & CBAUD) == BOTHER)
        baud = t.c_ospeed;
    return 0;
}

} // namespace korvane::serial
