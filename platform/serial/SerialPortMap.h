#pragma once

#include "platform/serial/SerialDevice.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace korvane::serial {

class SimSerialDevice;

// Where a port name leads, and the registry of simulated devices.
//
// "\\.\COMn" (n = 1, 2, ...) maps to /dev/ttyS<n-1>, unless the environment
// variable KORVANE_COM<n> names another target: a device path, or
// "sim:<name>" for a simulated device registered here under <name>. Any other
// name is taken as a target itself (a path or "sim:<name>").
//
// Simulated line adapters register their devices here (sim/ and tests);
// nothing in the platform knows them beyond this registry. A name that has no
// device registered goes to the simulated-device factory, when one is set
// (sim/ sets one that builds a simulated network from a scenario). Thread-safe.
class SerialPortMap {
public:
    // The target of a port name, after the environment is applied.
    static QString resolve(const QString& portName);

    // Opens the device behind a port name; nullptr with the reason in error
    // when it does not exist or is in use.
    std::unique_ptr<SerialDevice> open(const QString& portName, QString* error = nullptr) const;

    void registerSimulated(const QString& name, std::shared_ptr<SimSerialDevice> device);
    void unregisterSimulated(const QString& name);
    std::shared_ptr<SimSerialDevice> simulated(const QString& name) const;

    // Makes a device for a "sim:<name>" without a registered one; nullptr
    // with the reason in error when it cannot. The factory runs without the
    // map's lock held.
    using SimulatedFactory = std::function<std::shared_ptr<SimSerialDevice>(const QString& name, QString* error)>;
    void setSimulatedFactory(SimulatedFactory factory);

private:
    mutable std::mutex m_mutex;
    std::map<QString, std::shared_ptr<SimSerialDevice>> m_simulated;
    SimulatedFactory m_factory;
};

// The process-wide map that ports use unless they are given another one.
SerialPortMap& serialPortMap();

// RAII registration of a simulated device (for tests and simulated adapters).
class SimulatedPortRegistration {
public:
    SimulatedPortRegistration(SerialPortMap& map, QString name, std::shared_ptr<SimSerialDevice> device);
    ~SimulatedPortRegistration();
    SimulatedPortRegistration(const SimulatedPortRegistration&) = delete;
    SimulatedPortRegistration& operator=(const SimulatedPortRegistration&) = delete;

private:
    SerialPortMap& m_map;
    QString m_name;
};

} // namespace korvane::serial
