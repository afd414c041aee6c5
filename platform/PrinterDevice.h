#pragma once

#include <QString>

namespace korvane {

// The first parallel port as the program names it ("//./LPT1") maps to a
// native path: the environment variable KORVANE_LPT1 when it is set (a
// printer device such as /dev/usb/lp0 or /dev/lp0, a FIFO or a plain
// file), otherwise /dev/lp0. Any other name passes unchanged.
QString NativePrinterDevice(const QString& name);

inline constexpr char FirstPrinterPort[] = "//./LPT1";

} // namespace korvane
