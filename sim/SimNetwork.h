#pragma once

#include "platform/serial/SimScheduler.h"
#include "sim/Exchange.h"
#include "sim/IntelligentAdapter.h"
#include "sim/Scenario.h"
#include "sim/SimpleAdapter.h"
#include "sim/Transcript.h"

#include <memory>

namespace korvane::serial {
class SimSerialDevice;
}

namespace korvane::sim {

// One scenario's simulated network behind one simulated serial device: the
// simple adapter, the exchange and its stations, run by a scheduler (on the
// scheduler's virtual clock in tests, on its own thread in real time). The
// device is what a port opens; the transcript is what the line saw.
class SimNetwork {
public:
    // steppedPort: with a virtual clock, the port above the device runs its
    // workers as steps of that clock (SimSerialDevice::Options).
    SimNetwork(const Scenario& scenario, serial::SimScheduler& scheduler, bool steppedPort = false);
    ~SimNetwork();
    SimNetwork(const SimNetwork&) = delete;
    SimNetwork& operator=(const SimNetwork&) = delete;

    const std::shared_ptr<serial::SimSerialDevice>& device() const { return m_device; }
    // Whether anything beyond the network itself holds the device (an open
    // port's handle does).
    bool deviceHeldOutside() const;
    Transcript& transcript() { return m_transcript; }
    // A network that runs as long as the program (not a test's) keeps only
    // this many of its newest line events: the last few minutes of a busy
    // line (a code each way for every character), which nobody reads whole.
    static constexpr std::size_t ProgramHistory = 4000;
    // Keeps at most MaxEntries line events (and adapter history), the newest.
    void limitHistory(std::size_t maxEntries);

    // Only on the scheduler's thread, or while it does not run (a virtual
    // clock between advances).
    Exchange& exchange() { return *m_exchange; }
    SimpleAdapter& adapter() { return *m_adapter; }
    // The intelligent adapter of an "adapter tarvelox" scenario (which then
    // has no simple adapter, exchange or stations); nullptr otherwise.
    IntelligentAdapter* intelligentAdapter() { return m_intelligent.get(); }

private:
    std::int64_t step(std::int64_t nowUs);

    serial::SimScheduler& m_scheduler;
    std::shared_ptr<serial::SimSerialDevice> m_device;
    Transcript m_transcript;
    std::unique_ptr<SimpleAdapter> m_adapter;
    std::unique_ptr<Exchange> m_exchange;
    std::unique_ptr<IntelligentAdapter> m_intelligent;
    serial::SimScheduler::Registration m_registration;
};

} // namespace korvane::sim
