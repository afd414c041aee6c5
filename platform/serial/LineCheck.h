#pragma once

#include "platform/serial/SerialTypes.h"

#include <QString>

namespace korvane::serial {

// Why a UART cannot run a frame: empty when it can. A UART does 5 to 8 data
// bits; one and a half stop bits only with 5 data bits, two stop bits only
// with 6 to 8; parity none, odd, even, mark or space.
QString lineSettingsProblem(const LineSettings& settings);

} // namespace korvane::serial
