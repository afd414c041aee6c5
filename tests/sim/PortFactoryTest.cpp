// KORVANE_COM<n>=sim:<scenario> through the port map, on real time.
#include "SimRig.h"

#include "platform/serial/SerialPortMap.h"
#include "sim/SimPortFactory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace korvane;
using namespace std::chrono_literals;

namespace {

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10'000ms)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct Env {
    Env(const char* name, const QByteArray& value) : name(name) { qputenv(name, value); }
    ~Env() { qunsetenv(name); }
    const char* name;
};

TEST(SimPortFactory, AScenarioPortAnswersASeizeOnRealTime)
{
    serial::SerialPortMap map;
    sim::installSimulatedPorts(map);
    Env env("KORVANE_COM6", "sim:busy");
    QString error;
    auto port = map.open(QStringLiteral("\\\\.\\COM6"), &error);
    ASSERT_TRUE(port) << error.toStdString();
    auto ring = [&] {
        std::uint32_t lines = 0;
        port->modemStatus(lines);
        return (lines & serial::ms::RingOn) != 0;
    };
    port->escape(serial::Escape::SetBreak);
    port->escape(serial::Escape::SetDtr);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(ring());
    port->escape(serial::Escape::ClrBreak); // seize
    EXPECT_TRUE(waitFor(ring)) << "the busy pulse begins";
    EXPECT_TRUE(waitFor([&] { return !ring(); })) << "and ends";
}

TEST(SimPortFactory, EachOpenGetsANetworkOfItsOwnAndUnknownNamesAreRefused)
{
    serial::SerialPortMap map;
    sim::installSimulatedPorts(map);
    Env one("KORVANE_COM7", "sim:answer");
    Env two("KORVANE_COM8", "sim:answer");
    QString error;
    auto a = map.open(QStringLiteral("\\\\.\\COM7"), &error);
    auto b = map.open(QStringLiteral("\\\\.\\COM8"), &error);
    EXPECT_TRUE(a && b) << error.toStdString();
    a.reset();
    a = map.open(QStringLiteral("\\\\.\\COM7"), &error);
    EXPECT_TRUE(a) << "a closed port opens again";

    {
        // The network holds its device twice (itself and its adapter); a
        // port's handle is what makes it held outside.
        serial::VirtualClock clock;
        serial::SimScheduler scheduler(&clock);
        sim::SimNetwork network(*sim::Scenario::load(QStringLiteral("answer")), scheduler);
        EXPECT_FALSE(network.deviceHeldOutside());
        auto handle = network.device()->open();
        EXPECT_TRUE(network.deviceHeldOutside());
        handle.reset();
        EXPECT_FALSE(network.deviceHeldOutside());
    }

    Env bad("KORVANE_COM5", "sim:no-such-scenario");
    EXPECT_FALSE(map.open(QStringLiteral("\\\\.\\COM5"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no-such-scenario"))) << error.toStdString();

    // A device registered under the name still wins.
    auto own = serial::SimSerialDevice::create();
    map.registerSimulated(QStringLiteral("answer"), own);
    auto c = map.open(QStringLiteral("\\\\.\\COM7"), &error);
    ASSERT_TRUE(c);
    EXPECT_TRUE(own->isOpen());
}

} // namespace
