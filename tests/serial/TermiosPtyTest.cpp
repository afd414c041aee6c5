// The termios device on a pseudo-terminal: the data path, exclusive open,
// and what a device without modem lines reports.
#include "PseudoTerminal.h"
#include "SerialTestSupport.h"

#include "platform/serial/TermiosFrame.h"
#include "platform/serial/TermiosSerialDevice.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {

// The master side of a pseudo-terminal; the slave is the port's device.
class PtyFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        KORVANE_SKIP_WITHOUT_PSEUDO_TERMINALS();
        m_pty = std::make_unique<PseudoTerminal>("KORVANE_COM3");
        ASSERT_TRUE(m_pty->ok()) << m_pty->error();
        m_master = m_pty->master();
        m_slave = m_pty->slave();
    }

    // What the port sent, as far as it arrived within timeoutMs.
    QByteArray readMaster(int expected, int timeoutMs = 10'000)
    {
        QByteArray got;
        waitUntil(
            [&] {
                char buf[256];
                const ssize_t n = ::read(m_master, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, static_cast<int>(n));
                return got.size() >= expected;
            },
            timeoutMs);
        return got;
    }

    std::unique_ptr<PseudoTerminal> m_pty;
    int m_master = -1;
    QString m_slave;
    serial::SerialPortMap m_map;
};

TEST_F(PtyFixture, BytesGoBothWaysAt9600Baud8N1)
{
    TCommPort port(nullptr, &m_map);
    port.SetComNumber(cnCOM3);
    port.SetBaudRate(br__9600);
    port.Open();
    ASSERT_TRUE(port.Opened()) << port.LastError().toStdString();

    const QByteArray out("KORVANE\x00\xff\x1f\r\n", 12);
    EXPECT_EQ(port.WriteString(out), 12u);
    EXPECT_EQ(readMaster(12), out);

    QByteArray in;
    port.OnDataAvail = [&](QObject*, int count) {
        QByteArray chunk(count, '\0');
        chunk.resize(static_cast<int>(port.Read(chunk.data(), static_cast<std::uint32_t>(count))));
        in += chunk;
    };
    // 0377 and 0 are data here: only a break on the line is marked. Carriage
    // return, the interrupt, XON/XOFF and end-of-file characters pass as they
    // are: the input is raw.
    const QByteArray back("line\r\xff\xff\x00\x03\x11\x13\x04 ok\x7f\n", 18);
    ASSERT_EQ(::write(m_master, back.constData(), static_cast<size_t>(back.size())), back.size());
    EXPECT_TRUE(waitUntil([&] { return in.size() >= back.size(); }));
    EXPECT_EQ(in, back);
    port.Close();
}

TEST_F(PtyFixture, TheLineParametersAreReadBackFromTheDevice)
{
    QString error;
    auto device = serial::TermiosSerialDevice::open(m_slave, &error);
    ASSERT_TRUE(device) << error.toStdString();
    const serial::LineSettings wanted{9600, 8, 0, 0};
    ASSERT_TRUE(device->setLine(wanted)) << device->lastError().toStdString();
    serial::LineSettings got;
    ASSERT_TRUE(device->getLine(got));
    EXPECT_EQ(got, wanted);

    // A frame that cannot be is refused, and nothing changes.
    EXPECT_FALSE(device->setLine({9600, 8, 0, 1}));
    ASSERT_TRUE(device->getLine(got));
    EXPECT_EQ(got, wanted);
}

TEST_F(PtyFixture, SpeedsWithoutATermiosCodeAreSetAndReadBack)
{
    QString error;
    auto device = serial::TermiosSerialDevice::open(m_slave, &error);
    ASSERT_TRUE(device) << error.toStdString();
    for (std::uint32_t rate : {100u, 14400u, 56000u, 128000u, 256000u, 9600u, 100u}) {
        SCOPED_TRACE(rate);
        const serial::LineSettings wanted{rate, 8, 0, 0};
        ASSERT_TRUE(device->setLine(wanted)) << device->lastError().toStdString();
        serial::LineSettings got;
        ASSERT_TRUE(device->getLine(got)) << device->lastError().toStdString();
        EXPECT_EQ(got, wanted);
    }
    // A refused frame after an arbitrary speed leaves that speed in force.
    EXPECT_FALSE(device->setLine({100, 8, 1, 0}));
    serial::LineSettings got;
    ASSERT_TRUE(device->getLine(got));
    EXPECT_EQ(got, (serial::LineSettings{100, 8, 0, 0}));
}

TEST_F(PtyFixture, APortAt100BaudOpensAndKeepsItsSpeedThroughSingleChanges)
{
    TCommPort port(nullptr, &m_map);
    port.SetComNumber(cnCOM3);
    port.SetBaudRate(br___100);
    port.Open();
    ASSERT_TRUE(port.Opened());
    EXPECT_EQ(port.LastError(), QString());
    port.SetStopBits(sb2_0); // one field changed: the speed is read back and kept
    EXPECT_EQ(port.LastError(), QString());
    termios t{};
    ASSERT_EQ(::tcgetattr(m_master, &t), 0);
    EXPECT_EQ(t.c_cflag & CSTOPB, tcflag_t{CSTOPB});
    QString error;
    port.Close();
    auto device = serial::TermiosSerialDevice::open(m_slave, &error);
    ASSERT_TRUE(device) << error.toStdString();
    serial::LineSettings got;
    ASSERT_TRUE(device->getLine(got));
    EXPECT_EQ(got, (serial::LineSettings{100, 8, 0, 2}));
}

// The terminal settings as the driver holds them, read from the master side
// (on Linux the master reports the settings of its slave).
TEST_F(PtyFixture, SpeedsAndStopBitsReachTheDriver)
{
    QString error;
    auto device = serial::TermiosSerialDevice::open(m_slave, &error);
    ASSERT_TRUE(device) << error.toStdString();
    struct Case {
        serial::LineSettings line;
        speed_t speed;
        tcflag_t frame;
    };
    const Case cases[] = {
        {{50, 8, 0, 0}, B50, CS8},
        {{75, 8, 0, 2}, B75, CS8 | CSTOPB},
        {{1200, 8, 0, 0}, B1200, CS8},
        {{9600, 8, 0, 0}, B9600, CS8},
        {{115200, 8, 0, 2}, B115200, CS8 | CSTOPB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.line.baudRate << " bit/s, stop bits code " << int(c.line.stopBits));
        ASSERT_TRUE(device->setLine(c.line)) << device->lastError().toStdString();
        termios t{};
        ASSERT_EQ(::tcgetattr(m_master, &t), 0);
        EXPECT_EQ(t.c_cflag & serial::kTermiosFrameBits, c.frame);
        EXPECT_EQ(::cfgetospeed(&t), c.speed);
        serial::LineSettings got;
        ASSERT_TRUE(device->getLine(got));
        EXPECT_EQ(got, c.line);
    }
}

// A pseudo-terminal keeps 8 data bits and no parity whatever it is asked:
// such a driver, like a UART that cannot do a frame, has the whole update
// refused and reported, and keeps its previous settings.
TEST_F(PtyFixture, AFrameTheDriverDoesNotTakeIsRefusedNotChanged)
{
    QString error;
    auto device = serial::TermiosSerialDevice::open(m_slave, &error);
    ASSERT_TRUE(device) << error.toStdString();
    const serial::LineSettings before{9600, 8, 0, 0};
    ASSERT_TRUE(device->setLine(before)) << device->lastError().toStdString();
    termios was{};
    ASSERT_EQ(::tcgetattr(m_master, &was), 0);
    struct Refused {
        serial::LineSettings line;
        const char* reason;
    };
    const Refused cases[] = {
        {{50, 5, 0, 1}, "did not take"},  // the telegraph frame, not on a pty
        {{9600, 8, 1, 0}, "did not take"}, // odd parity
        {{50, 7, 3, 0}, "did not take"},   // mark parity
        {{9600, 4, 0, 0}, "4 data bits"},
        {{9600, 8, 0, 1}, "1.5 stop bits"}, // 1.5 only with 5 data bits
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_FALSE(device->setLine(c.line));
        EXPECT_TRUE(device->lastError().contains(QString::fromLatin1(c.reason)))
            << device->lastError().toStdString();
        termios now{};
        ASSERT_EQ(::tcgetattr(m_master, &now), 0);
        EXPECT_EQ(now.c_cflag, was.c_cflag);
        EXPECT_EQ(::cfgetospeed(&now), ::cfgetospeed(&was));
        serial::LineSettings got;
        ASSERT_TRUE(device->getLine(got));
        EXPECT_EQ(got, before);
    }
}

TEST_F(PtyFixture, ASecondOpenIsRefusedWhileThePortIsHeld)
{
    TCommPort first(nullptr, &m_map);
    first.SetComNumber(cnCOM3);
    first.Open();
    ASSERT_TRUE(first.Opened()) << first.LastError().toStdString();

    TCommPort second(nullptr, &m_map);
    second.SetComNumber(cnCOM3);
    second.Open();
    EXPECT_FALSE(second.Opened());
    EXPECT_TRUE(second.LastError().contains(QStringLiteral("in use"))
                || second.LastError().contains(QStringLiteral("busy")))
        << second.LastError().toStdString();

    first.Close();
    second.Open();
    EXPECT_TRUE(second.Opened()) << second.LastError().toStdString();
}

TEST_F(PtyFixture, ModemLinesThatThePtyLacksAreReportedNotInvented)
{
    TCommPort port(nullptr, &m_map);
    port.SetComNumber(cnCOM3);
    port.Open();
    ASSERT_TRUE(port.Opened()) << port.LastError().toStdString();
    // A pseudo-terminal has no modem lines: the status read fails and says
    // so, and the port reads the lines as off.
    EXPECT_FALSE(port.GetDSR());
    EXPECT_FALSE(port.GetRing());
    EXPECT_TRUE(port.LastError().contains(QStringLiteral("TIOCMGET")))
        << port.LastError().toStdString();
    EXPECT_FALSE(port.CheckAdapter(false));
    port.Close();
}

TEST(TermiosDevice, AMissingDeviceIsNamedInTheError)
{
    QString error;
    EXPECT_FALSE(serial::TermiosSerialDevice::open(QStringLiteral("/nonexistent/ttyX"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/ttyX")));
    EXPECT_FALSE(serial::TermiosSerialDevice::open(QStringLiteral("/dev/null"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a serial device")));
}

} // namespace
