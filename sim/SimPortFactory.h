#pragma once

#include "platform/serial/SerialPortMap.h"

namespace korvane::sim {

// Lets "sim:<scenario>" ports (KORVANE_COM<n>=sim:<scenario>) open a
// simulated network built from a built-in scenario or a scenario file, on
// real time: each open of such a port gets a network of its own, which lives
// while the port has it open. A name registered with the map as a device
// still goes to that device. Call once at program start.
void installSimulatedPorts(serial::SerialPortMap& map = serial::serialPortMap());

} // namespace korvane::sim
