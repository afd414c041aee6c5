#include "platform/serial/SerialPortMap.h"

#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/TermiosSerialDevice.h"

#include <QRegularExpression>

namespace korvane::serial {

namespace {
const QString kSimPrefix = QStringLiteral("sim:");
}

QString SerialPortMap::resolve(const QString& portName)
{
    static const QRegularExpression comName(QStringLiteral(R"(^\\\\\.\\COM([1-9][0-9]*)$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = comName.match(portName);
    if (!m.hasMatch())
        return portName;
    const int n = m.captured(1).toInt();
    const QByteArray variable = "KORVANE_COM" + QByteArray::number(n);
    const QString target = qEnvironmentVariable(variable.constData());
    if (!target.isEmpty())
        return target;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

std::unique_ptr<SerialDevice> SerialPortMap::open(const QString& portName, QString* error) const
{
    const QString target = resolve(portName);
    if (target.startsWith(kSimPrefix)) {
        const QString name = target.mid(kSimPrefix.size());
        std::shared_ptr<SimSerialDevice> device = simulated(name);
        if (!device) {
            SimulatedFactory factory;
            {
                std::lock_guard lock(m_mutex);
                factory = m_factory;
            }
            QString why;
            if (factory)
                device = factory(name, &why);
            if (!device) {
                if (error)
                    *error = QStringLiteral("%1: no simulated device \"%2\"").arg(portName, name)
                             + (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
                return nullptr;
            }
        }
        return device->open(error);
    }
    return TermiosSerialDevice::open(target, error);
}

void SerialPortMap::registerSimulated(const QString& name, std::shared_ptr<SimSerialDevice> device)
{
    std::lock_guard lock(m_mutex);
    m_simulated[name] = std::move(device);
}

void SerialPortMap::unregisterSimulated(const QString& name)
{
    std::lock_guard lock(m_mutex);
    m_simulated.erase(name);
}

std::shared_ptr<SimSerialDevice> SerialPortMap::simulated(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_simulated.find(name);
    return it == m_simulated.end() ? nullptr : it->second;
}

void SerialPortMap::setSimulatedFactory(SimulatedFactory factory)
{
    std::lock_guard lock(m_mutex);
    m_factory = std::move(factory);
}

SerialPortMap& serialPortMap()
{
    static SerialPortMap map;
    return map;
}

SimulatedPortRegistration::SimulatedPortRegistration(SerialPortMap& map, QString name,
                                                     std::shared_ptr<SimSerialDevice> device)
    : m_map(map), m_name(std::move(name))
{
    m_map.registerSimulated(m_name, std::move(device));
}

SimulatedPortRegistration::~SimulatedPortRegistration()
{
    m_map.unregisterSimulated(m_name);
}

} // namespace korvane::serial
