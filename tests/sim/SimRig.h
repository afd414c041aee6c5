#pragma once

#include "platform/serial/SimScheduler.h"
#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/VirtualClock.h"
#include "sim/Scenario.h"
#include "sim/SimNetwork.h"
#include "support/TelegraphCode.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

namespace korvane::test {

// A scenario's network on a virtual clock, with the terminal's port side
// driven by hand: line polarity by break, RI and DSR read as the engine
// reads them, 5-bit codes in and out.
struct SimRig {
    explicit SimRig(const QString& scenarioText)
    {
        QString error;
        auto s = sim::Scenario::parse(scenarioText, &error);
        EXPECT_TRUE(s) << error.toStdString();
        scenario = s.value_or(sim::Scenario{});
        network = std::make_unique<sim::SimNetwork>(scenario, scheduler);
        port = network->device()->open();
        EXPECT_TRUE(port);
        port->setLine({50, 5, 0, 1});
        port->setEventMask(0x1FD);
        port->escape(serial::Escape::SetDtr);
        port->escape(serial::Escape::SetBreak); // the line at '-'
        clock.advance(10);
    }

    void advance(std::int64_t ms) { clock.advance(ms); }
    void linePlus() { port->escape(serial::Escape::ClrBreak); }
    void lineMinus() { port->escape(serial::Escape::SetBreak); }
    std::uint32_t lines()
    {
        std::uint32_t l = 0;
        port->modemStatus(l);
        return l;
    }
    bool inputPlus() { return (lines() & serial::ms::RingOn) != 0; }
    bool lineFault() { return (lines() & serial::ms::DsrOn) != 0; }
    // Sends telegraph text; returns when it will have gone.
    void send(const QString& text)
    {
        QByteArray codes;
        EncodeTelegraph(text, codes, txRegister);
        port->write(codes.constData(), std::size_t(codes.size()));
    }
    // What arrived from the line since the last call, decoded.
    QString received()
    {
        char buf[512];
        const auto n = port->read(buf, sizeof buf);
        QString text;
        DecodeTelegraph(QByteArrayView(buf, n), text, rxRegister, false);
        text.replace(QChar(0x0427), QLatin1Char('4')); // figures code 10
        text.replace(QLatin1Char('\r'), QLatin1Char('<'));
        text.replace(QLatin1Char('\n'), QLatin1Char('_'));
        return all += text, text;
    }
    // Dials a digit by pulses: 60 ms '-', 40 ms '+' each, then the gap.
    void dial(int digit, std::int64_t gapMs = 500)
    {
        for (int i = 0; i < (digit == 0 ? 10 : digit); ++i) {
            lineMinus();
            advance(60);
            linePlus();
            advance(40);
        }
        advance(gapMs);
    }
    // Milliseconds from now until the input is '+' (-1 when not within limitMs).
    std::int64_t untilInput(bool plus, std::int64_t limitMs)
    {
        for (std::int64_t t = 0; t <= limitMs; ++t) {
            if (inputPlus() == plus)
                return t;
            advance(1);
        }
        return -1;
    }
    QStringList exchangeLog()
    {
        return network->transcript().texts({QStringLiteral("seize"), QStringLiteral("invite"),
                                            QStringLiteral("busy"), QStringLiteral("pulse"), QStringLiteral("digit"),
                                            QStringLiteral("proceed"), QStringLiteral("select"),
                                            QStringLiteral("connect"), QStringLiteral("service"),
                                            QStringLiteral("release"), QStringLiteral("clear"),
                                            QStringLiteral("confirm"), QStringLiteral("call")});
    }

    serial::VirtualClock clock;
    serial::SimScheduler scheduler{&clock};
    sim::Scenario scenario;
    std::unique_ptr<sim::SimNetwork> network;
    std::unique_ptr<serial::SerialDevice> port;
    TelegraphRegister txRegister = NoRegister;
    TelegraphRegister rxRegister = NoRegister;
    QString all;
};

} // namespace korvane::test

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
