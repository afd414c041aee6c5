#include "platform/serial/LineCheck.h"

namespace korvane::serial {

QString lineSettingsProblem(const LineSettings& s)
{
    if (s.baudRate == 0)
        return QStringLiteral("baud rate 0 is not a line speed");
    if (s.byteSize < 5 || s.byteSize > 8)
        return QStringLiteral("%1 data bits are not supported (5 to 8)").arg(s.byteSize);
    if (s.parity > 4)
        return QStringLiteral("parity code %1 is unknown").arg(s.parity);
    if (s.stopBits > 2)
        return QStringLiteral("stop bits code %1 is unknown").arg(s.stopBits);
    if (s.stopBits == 1 && s.byteSize != 5)
        return QStringLiteral("1.5 stop bits need 5 data bits, not %1").arg(s.byteSize);
    if (s.stopBits == 2 && s.byteSize == 5)
        return QStringLiteral("2 stop bits cannot go with 5 data bits");
    return {};
}

} // namespace korvane::serial
