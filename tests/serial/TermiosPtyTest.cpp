// The termios device on a pseudo-terminal: the data path, exclusive open,
// and what a device without modem lines reports.
#include "SerialTestSupport.h"

#include "platform/serial/TermiosSerialDevice.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {

// The master side of a pseudo-terminal; the slave is the port's device.
class PtyFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(::grantpt(m_master), 0);
        ASSERT_EQ(::unlockpt(m_master), 0);
        m_slave = QString::fromLocal8Bit(::ptsname(m_master));
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_env = std::make_unique<ScopedEnv>("KORVANE_COM3", m_slave.toLocal8Bit());
    }
    void TearDown() override
    {
        m_env.reset();
        if (m_master >= 0)
            ::close(m_master);
    }

    // What the port sent, as far as it arrived within timeoutMs.
    QByteArray readMaster(int expected, int timeoutMs = 900)
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

    int m_master = -1;
    QString m_slave;
    std::unique_ptr<ScopedEnv> m_env;
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
    // 0377 and 0 are data here: only a break on the line is marked.
    const QByteArray back("line\xff\xff\x00 ok\x7f", 11);
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

    // Speeds that termios does not name are refused, and nothing changes.
    EXPECT_FALSE(device->setLine({14400, 8, 0, 0}));
    EXPECT_TRUE(device->lastError().contains(QStringLiteral("14400")));
    EXPECT_FALSE(device->setLine({9600, 8, 0, 1}));
    ASSERT_TRUE(device->getLine(got));
    EXPECT_EQ(got, wanted);
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
