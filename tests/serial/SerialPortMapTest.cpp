#include "SerialTestSupport.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

TEST(SerialPortMap, ComNamesMapToTtySUnlessTheEnvironmentSaysOtherwise)
{
    qunsetenv("KORVANE_COM1");
    qunsetenv("KORVANE_COM8");
    struct Case {
        const char* name;
        const char* target;
    };
    const Case cases[] = {
        {R"(\\.\COM1)", "/dev/ttyS0"},
        {R"(\\.\COM8)", "/dev/ttyS7"},
        {R"(\\.\com2)", "/dev/ttyS1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"sim:line", "sim:line"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(serial::SerialPortMap::resolve(QString::fromLatin1(c.name)), QString::fromLatin1(c.target)) << c.name;

    ScopedEnv usb("KORVANE_COM2", "/dev/ttyUSB3");
    ScopedEnv sim("KORVANE_COM5", "sim:adapter5");
    EXPECT_EQ(serial::SerialPortMap::resolve(QStringLiteral(R"(\\.\COM2)")), QStringLiteral("/dev/ttyUSB3"));
    EXPECT_EQ(serial::SerialPortMap::resolve(QStringLiteral(R"(\\.\COM5)")), QStringLiteral("sim:adapter5"));
    EXPECT_EQ(serial::SerialPortMap::resolve(QStringLiteral(R"(\\.\COM6)")), QStringLiteral("/dev/ttyS5"));
}

TEST(SerialPortMap, OpensRegisteredSimulatedDevicesOnly)
{
    serial::SerialPortMap map;
    auto device = serial::SimSerialDevice::create();
    QString error;
    EXPECT_FALSE(map.open(QStringLiteral("sim:adapter"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("adapter")));
    {
        serial::SimulatedPortRegistration registration(map, QStringLiteral("adapter"), device);
        auto opened = map.open(QStringLiteral("sim:adapter"), &error);
        ASSERT_TRUE(opened);
        EXPECT_TRUE(device->isOpen());
        EXPECT_FALSE(map.open(QStringLiteral("sim:adapter"), &error)); // exclusive
        opened->close();
        EXPECT_FALSE(device->isOpen());
        std::uint32_t lines = 0;
        EXPECT_FALSE(opened->modemStatus(lines)); // a closed handle stays closed
    }
    EXPECT_FALSE(map.open(QStringLiteral("sim:adapter"), &error));
}

} // namespace
