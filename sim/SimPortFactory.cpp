#include "sim/SimPortFactory.h"

#include "platform/serial/SimScheduler.h"
#include "platform/serial/SimSerialDevice.h"
#include "sim/SimNetwork.h"

#include <algorithm>
#include <list>
#include <memory>
#include <mutex>

namespace korvane::sim {

namespace {

// The networks of the program's simulated ports, on one real-time scheduler.
class RealTimeNetworks {
public:
    std::shared_ptr<serial::SimSerialDevice> make(const QString& name, QString* error)
    {
        std::optional<Scenario> scenario = Scenario::load(name, error);
        if (!scenario)
            return nullptr;
        std::lock_guard lock(m_mutex);
        // A network whose device nobody holds any more (its port was closed
        // and its handle gone) has served its open.
        m_networks.remove_if([](const std::unique_ptr<SimNetwork>& n) { return !n->deviceHeldOutside(); });
        m_networks.push_back(std::make_unique<SimNetwork>(*scenario, m_scheduler));
        // Nobody reads these transcripts whole: a line busy for days keeps
        // only its recent past.
        m_networks.back()->limitHistory(SimNetwork::ProgramHistory);
        return m_networks.back()->device();
    }

private:
    serial::SimScheduler m_scheduler; // real time; declared first, so it outlives the networks
    std::mutex m_mutex;
    std::list<std::unique_ptr<SimNetwork>> m_networks;
};

} // namespace

void installSimulatedPorts(serial::SerialPortMap& map)
{
    static RealTimeNetworks networks;
    map.setSimulatedFactory([](const QString& name, QString* error) { return networks.make(name, error); });
}

} // namespace korvane::sim
