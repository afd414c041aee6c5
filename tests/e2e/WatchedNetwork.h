#pragma once

#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimScheduler.h"
#include "platform/serial/SimSerialDevice.h"
#include "sim/Scenario.h"
#include "sim/SimNetwork.h"
#include "support/TelegraphCode.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace korvane::test {

// A scenario's simulated network on real time whose line a test watches:
// its device is registered with the process-wide port map under Name, so a
// port set to "sim:<Name>" (KORVANE_COM<n>) opens it, also anew after a
// restart of the channels, and the whole transcript stays readable.
class WatchedNetwork {
public:
    WatchedNetwork(const QString& scenarioFile, const QString& name)
    {
        QString error;
        std::optional<sim::Scenario> scenario = sim::Scenario::load(scenarioFile, &error);
        EXPECT_TRUE(scenario) << error.toStdString();
        network_ = std::make_unique<sim::SimNetwork>(scenario.value_or(sim::Scenario{}), scheduler_);
        registration_ = std::make_unique<serial::SimulatedPortRegistration>(serial::serialPortMap(), name,
                                                                            network_->device());
    }

    sim::Transcript& Transcript() { return network_->transcript(); }
    const std::shared_ptr<serial::SimSerialDevice>& Device() const { return network_->device(); }

    // Everything the terminal has sent on the line, decoded; the figures
    // code 10 read as the digit 4, as the demonstration's network has it.
    QString SentText()
    {
        QString text;
        TelegraphRegister reg = LatinRegister;
        DecodeTelegraph(network_->transcript().codes(true), text, reg, false);
        text.replace(QChar(0x0427), QLatin1Char('4'));
        return text;
    }

private:
    serial::SimScheduler scheduler_; // real time; outlives the network
    std::unique_ptr<sim::SimNetwork> network_;
    std::unique_ptr<serial::SimulatedPortRegistration> registration_;
};

} // namespace korvane::test
