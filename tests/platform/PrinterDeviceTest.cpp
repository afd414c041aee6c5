#include "platform/PrinterDevice.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(PrinterDevice, TheFirstParallelPortFollowsTheEnvironmentElseTheLinuxDevice)
{
    qunsetenv("KORVANE_LPT1");
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("//./LPT1")), QStringLiteral("/dev/lp0"));
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("//./lpt1")), QStringLiteral("/dev/lp0"));
    qputenv("KORVANE_LPT1", "/dev/usb/lp0");
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("//./LPT1")), QStringLiteral("/dev/usb/lp0"));
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("/tmp/printout")), QStringLiteral("/tmp/printout"));
    qunsetenv("KORVANE_LPT1");
}

} // namespace
} // namespace korvane
