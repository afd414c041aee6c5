#include "sim/SimNetwork.h"

#include "platform/serial/SimSerialDevice.h"

namespace korvane::sim {

SimNetwork::SimNetwork(const Scenario& scenario, serial::SimScheduler& scheduler, bool steppedPort)
    : m_scheduler(scheduler),
      m_device(serial::SimSerialDevice::create({scheduler.clock(), steppedPort && scheduler.clock()}))
{
    if (scenario.intelligent) {
        // The adapter listens to the device and runs on the scheduler itself.
        m_intelligent = std::make_unique<IntelligentAdapter>(m_device, m_scheduler, *scenario.intelligent);
        return;
    }
    m_adapter = std::make_unique<SimpleAdapter>(m_device, &m_transcript, scenario.frame, scenario.dcdDelayMs * 1000);
    m_exchange = std::make_unique<Exchange>(scenario.exchange, *m_adapter, scenario.stations, &m_transcript);
    m_device->setFarEndListener([s = &m_scheduler] { s->wake(); });
    m_registration = m_scheduler.add([this](std::int64_t now) { return step(now); });
}

SimNetwork::~SimNetwork()
{
    m_intelligent.reset();
    m_device->setFarEndListener(nullptr);
    m_registration.reset(); // waits for a step running on the scheduler's thread
}

void SimNetwork::limitHistory(std::size_t maxEntries)
{
    m_transcript.setLimit(maxEntries);
    if (m_intelligent)
        m_intelligent->setHistoryLimit(maxEntries);
}

bool SimNetwork::deviceHeldOutside() const
{
    constexpr long kOwnHolders = 2; // the network and its adapter
    return m_device.use_count() > kOwnHolders;
}

std::int64_t SimNetwork::step(std::int64_t nowUs)
{
    std::int64_t due = m_exchange->step(nowUs);
    const std::int64_t line = m_adapter->nextDueUs();
    if (line >= 0 && (due < 0 || line < due))
        due = line;
    return due;
}

} // namespace korvane::sim
