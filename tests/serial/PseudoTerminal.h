#pragma once

// A pseudo-terminal for the tests of the termios data path, and the probe
// that tells whether the machine has any: a container or a chroot without
// devpts has none, and a test that needs one is skipped there, saying why.

#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace korvane::test {

// The master side of a pseudo-terminal, made COM<n> while it lives; its
// slave is the port's device.
class PseudoTerminal {
public:
    explicit PseudoTerminal(const char* comVariable = nullptr)
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0) {
            m_error = std::string("posix_openpt: ") + std::strerror(errno);
            return;
        }
        if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            m_error = std::string("grantpt/unlockpt: ") + std::strerror(errno);
            return;
        }
        const char* slave = ::ptsname(m_master);
        if (!slave) {
            m_error = std::string("ptsname: ") + std::strerror(errno);
            return;
        }
        m_slave = QString::fromLocal8Bit(slave);
        if (comVariable)
            m_env = std::make_unique<ScopedEnv>(comVariable, m_slave.toLocal8Bit());
    }
    ~PseudoTerminal()
    {
        m_env.reset();
        if (m_master >= 0)
            ::close(m_master);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return !m_slave.isEmpty(); }
    // Why there is none.
    const std::string& error() const { return m_error; }
    int master() const { return m_master; }
    const QString& slave() const { return m_slave; }

private:
    int m_master = -1;
    QString m_slave;
    std::string m_error;
    std::unique_ptr<ScopedEnv> m_env;
};

// Whether this machine gives pseudo-terminals at all (probed once), and why
// not.
inline const std::string& PseudoTerminalsMissing()
{
    static const std::string missing = [] {
        PseudoTerminal probe;
        if (!probe.ok())
            return probe.error();
        // The slave must open too: without devpts mounted the master has no
        // other side.
        const int slave = ::open(probe.slave().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (slave < 0)
            return "open " + probe.slave().toStdString() + ": " + std::strerror(errno);
        ::close(slave);
        return std::string();
    }();
    return missing;
}

} // namespace korvane::test

// Skips the running test (in its body or its fixture's SetUp) on a machine
// without pseudo-terminals.
#define KORVANE_SKIP_WITHOUT_PSEUDO_TERMINALS()                                                          \
    do {                                                                                                 \
        if (!::korvane::test::PseudoTerminalsMissing().empty())                                          \
            GTEST_SKIP() << "this machine has no pseudo-terminals ("                                     \
                         << ::korvane::test::PseudoTerminalsMissing() << ")";                            \
    } while (false)
