#pragma once

#include "serial/CommPort.h"

#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/VirtualClock.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace korvane::test {

// Runs the main thread's event loop until done() holds or timeoutMs passed.
// The default is generous: it only bounds a wait that should end much sooner,
// so that a loaded test machine does not turn a slow pass into a failure.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 60'000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the event loop for ms milliseconds.
inline void pumpFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

// Sets an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

// A port on COM3 that leads to a simulated device of its own.
struct SimPort {
    explicit SimPort(serial::SimSerialDevice::Options options = {})
        : device(serial::SimSerialDevice::create(options)),
          registration(map, QStringLiteral("line3"), device),
          port(nullptr, &map)
    {
        port.SetComNumber(cnCOM3);
    }

    serial::SerialPortMap map;
    ScopedEnv env{"KORVANE_COM3", "sim:line3"};
    std::shared_ptr<serial::SimSerialDevice> device;
    serial::SimulatedPortRegistration registration;
    TCommPort port;
};

// A simulated port whose workers are steps of a virtual clock.
struct SteppedPort {
    SteppedPort() : sim(serial::SimSerialDevice::Options{&clock, true}) {}

    serial::VirtualClock clock;
    SimPort sim;
    serial::SimSerialDevice& device() { return *sim.device; }
    TCommPort& port() { return sim.port; }
};

} // namespace korvane::test
