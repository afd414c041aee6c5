#pragma once

// Channels 1..Count on simulated lines, each with its outgoing and incoming
// folder in a temporary directory, and a protocol set whose one protocol
// waits in the idle step: what the scanner's thread tests and the tick
// benchmarks run on. KORVANE_COMn names each channel's line; the element
// catalogue (what the idle step does) is the caller's.

#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimSerialDevice.h"
#include "protocols/ElementClassRegistry.h"
#include "protocols/ProtocolModel.h"

#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace korvane::test {

class SimulatedIdleChannels {
public:
    SimulatedIdleChannels(int count, const QString& lineName)
    {
        int err = 0;
        set.Registry = BuildClassRegistry(err);
        TProtocolRec protocol;
        protocol.Name = QStringLiteral("Ожидание");
        protocol.Elements.push_back(
            {QStringLiteral("Ждать"), set.Registry->find(QStringLiteral("Анализ состояния приема")), 0, {}});
        set.Protocols[0].push_back(std::move(protocol));
        for (int c = 1; c <= count; ++c) {
            auto line = serial::SimSerialDevice::create();
            const QString name = lineName + QString::number(c);
            map.registerSimulated(name, line);
            qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), ("sim:" + name).toUtf8());
            lines.push_back(line);
            TChannelOptions& r = set.Channels[std::size_t(c - 1)];
            r.AdapterType = 1;
            r.TransmDir.setText(Outgoing(c));
            r.ReceiveDir.setText(dir.filePath(QStringLiteral("in%1").arg(c)));
        }
    }

    QString Outgoing(int channel) const { return dir.filePath(QStringLiteral("out%1").arg(channel)); }

    QTemporaryDir dir;
    TProtocolSet set;
    serial::SerialPortMap map;
    std::vector<std::shared_ptr<serial::SimSerialDevice>> lines; // channel c at c - 1
};

} // namespace korvane::test
