#include "platform/serial/TermiosSerialDevice.h"

#include "platform/serial/MarkedInputDecoder.h"
#include "platform/serial/TermiosBaud.h"
#include "platform/serial/TermiosFrame.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace korvane::serial {

namespace {

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool notSupported(int error)
{
    return error == ENOTTY || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

std::int64_t steadyMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The signal that ends the modem-line watcher's TIOCMIWAIT; its handler does
// nothing, it only interrupts the call.
int lineWatchSignal()
{
    return SIGRTMIN + 3;
}

void ignoreSignal(int) {}

// A driver may round an arbitrary speed to what its clock can divide.
bool closeRate(std::uint32_t got, std::uint32_t wanted)
{
    const std::uint32_t diff = got > wanted ? got - wanted : wanted - got;
    return diff * 50 <= wanted;
}

} // namespace

std::unique_ptr<TermiosSerialDevice> TermiosSerialDevice::open(const QString& path, QString* error)
{
    auto failWith = [&](const QString& text) -> std::unique_ptr<TermiosSerialDevice> {
        if (error)
            *error = text;
        return nullptr;
    };
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failWith(QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    auto closeWith = [&](const QString& text) {
        ::close(fd);
        return failWith(text);
    };
    if (!::isatty(fd))
        return closeWith(QStringLiteral("%1: not a serial device").arg(path));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        return closeWith(e == EWOULDBLOCK ? QStringLiteral("%1: the port is in use").arg(path)
                                          : QStringLiteral("%1: cannot lock: %2").arg(path, errnoText(e)));
    }
    if (::ioctl(fd, TIOCEXCL) != 0)
        return closeWith(QStringLiteral("%1: exclusive open refused: %2").arg(path, errnoText(errno)));

    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return closeWith(QStringLiteral("%1: cannot read the line settings: %2").arg(path, errnoText(errno)));
    // Raw binary line: no echo, no line editing, no signals, no translation,
    // no flow control, no parity checking; breaks marked in the data.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | INPCK | ISTRIP | INLCR | IGNCR | ICRNL
                                        | IXON | IXOFF | IXANY);
    t.c_iflag |= PARMRK;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | HUPCL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return closeWith(QStringLiteral("%1: cannot set a raw line: %2").arg(path, errnoText(errno)));

    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0)
        return closeWith(QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    const int inputWakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (inputWakeFd < 0) {
        const int e = errno;
        ::close(wakeFd);
        return closeWith(QStringLiteral("%1: %2").arg(path, errnoText(e)));
    }

    std::unique_ptr<TermiosSerialDevice> device(new TermiosSerialDevice(fd, wakeFd, inputWakeFd, path));
    // Linux raises DTR and RTS on open; both stay low until the caller sets them.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIC, &lines) != 0 && notSupported(errno))
        device->m_modemSupported = false;
    {
        std::lock_guard lock(device->m_mutex);
        if (device->m_modemSupported)
            device->pollModemLines();
        device->pollErrorCounts();
        device->noteLine(fromTermiosFrame({t.c_cflag & kTermiosFrameBits, ::cfgetospeed(&t)}));
    }
    if (device->m_modemSupported)
        device->startLineWatcher();
    return device;
}

TermiosSerialDevice::TermiosSerialDevice(int fd, int wakeFd, int inputWakeFd, QString path)
    : m_path(std::move(path)), m_fd(fd), m_wakeFd(wakeFd), m_inputWakeFd(inputWakeFd),
      m_noModemError(QStringLiteral("%1: modem lines (TIOCMGET): not supported by this device").arg(m_path))
{
}

TermiosSerialDevice::~TermiosSerialDevice()
{
    close();
    ::close(m_wakeFd);
    ::close(m_inputWakeFd);
}

bool TermiosSerialDevice::usable()
{
    if (m_closed) {
        m_error = QStringLiteral("%1: the device is closed").arg(m_path);
        return false;
    }
    return true;
}

void TermiosSerialDevice::fail(const QString& what, int error)
{
    m_error = QStringLiteral("%1: %2: %3").arg(m_path, what,
                                              notSupported(error) ? QStringLiteral("not supported by this device")
                                                                  : errnoText(error));
}

bool TermiosSerialDevice::setQueueSizes(std::uint32_t inQueue, std::uint32_t outQueue)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return false;
    if (inQueue == 0 || outQueue == 0) {
        m_error = QStringLiteral("%1: queue sizes must not be 0").arg(m_path);
        return false;
    }
    m_inCapacity = inQueue;
    m_outCapacity = outQueue;
    return true;
}

bool TermiosSerialDevice::getLine(LineSettings& s)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return false;
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0) {
        fail(QStringLiteral("tcgetattr"), errno);
        return false;
    }
    s = fromTermiosFrame({t.c_cflag & kTermiosFrameBits, ::cfgetospeed(&t)});
    if (s.baudRate == 0) {
        const int e = readArbitrarySpeed(m_fd, s.baudRate);
        if (e != 0 && !notSupported(e)) {
            fail(QStringLiteral("TCGETS2"), e);
            return false;
        }
    }
    return true;
}

bool TermiosSerialDevice::setLine(const LineSettings& s)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return false;
    TermiosFrame frame;
    const QString problem = toTermiosFrame(s, frame);
    if (!problem.isEmpty()) {
        m_error = QStringLiteral("%1: line settings refused: %2").arg(m_path, problem);
        return false;
    }
    termios old{};
    if (::tcgetattr(m_fd, &old) != 0) {
        fail(QStringLiteral("tcgetattr"), errno);
        return false;
    }
    std::uint32_t oldArbitrary = 0;
    readArbitrarySpeed(m_fd, oldArbitrary);
    if (frame.speed != B0) {
        termios t = old;
        t.c_cflag = (t.c_cflag & ~kTermiosFrameBits) | frame.cflag;
        ::cfsetispeed(&t, frame.speed);
        ::cfsetospeed(&t, frame.speed);
        if (::tcsetattr(m_fd, TCSANOW, &t) != 0) {
            fail(QStringLiteral("line settings refused (tcsetattr)"), errno);
            restoreLine(old, oldArbitrary);
            return false;
        }
    } else if (const int e = setArbitrarySpeed(m_fd, kTermiosFrameBits, frame.cflag, frame.baud); e != 0) {
        fail(QStringLiteral("line settings refused (TCSETS2, %1 bit/s)").arg(frame.baud), e);
        restoreLine(old, oldArbitrary);
        return false;
    }
    // The update succeeds when any part was taken: read back and check all.
    termios got{};
    if (::tcgetattr(m_fd, &got) != 0) {
        fail(QStringLiteral("tcgetattr"), errno);
        return false;
    }
    bool taken = (got.c_cflag & kTermiosFrameBits) == frame.cflag;
    if (frame.speed != B0) {
        taken = taken && ::cfgetospeed(&got) == frame.speed && ::cfgetispeed(&got) == frame.speed;
    } else {
        std::uint32_t rate = 0;
        taken = taken && readArbitrarySpeed(m_fd, rate) == 0 && closeRate(rate, frame.baud);
    }
    if (!taken) {
        restoreLine(old, oldArbitrary);
        m_error = QStringLiteral("%1: line settings refused: the driver did not take %2 bit/s, %3 data bits, "
                                 "stop bits code %4, parity code %5")
                      .arg(m_path)
                      .arg(s.baudRate)
                      .arg(s.byteSize)
                      .arg(s.stopBits)
                      .arg(s.parity);
        return false;
    }
    noteLine(s);
    lowerUnwantedLines();
    return true;
}

void TermiosSerialDevice::restoreLine(const termios& old, std::uint32_t oldArbitrary)
{
    if (oldArbitrary != 0)
        setArbitrarySpeed(m_fd, kTermiosFrameBits, old.c_cflag & kTermiosFrameBits, oldArbitrary);
    else
        ::tcsetattr(m_fd, TCSANOW, &old);
}

void TermiosSerialDevice::noteLine(const LineSettings& settings)
{
    m_charMicros = characterMicros(settings);
}

void TermiosSerialDevice::lowerUnwantedLines()
{
    // A driver raises DTR and RTS when the speed leaves 0; only the caller
    // raises them here.
    if (!m_modemSupported)
        return;
    int lines = (m_wantDtr ? 0 : TIOCM_DTR) | (m_wantRts ? 0 : TIOCM_RTS);
    if (lines != 0)
        ::ioctl(m_fd, TIOCMBIC, &lines);
}

bool TermiosSerialDevice::setEventMask(std::uint32_t mask)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return false;
    m_mask = mask;
    m_history &= mask;
    if (m_waitPending) {
        m_waitPending = false;
        m_maskCompletedWait = true;
    }
    wake();
    return true;
}

WaitResult TermiosSerialDevice::startWait(std::uint32_t& events)
{
    std::lock_guard lock(m_mutex);
    events = 0;
    if (!usable())
        return WaitResult::Failed;
    if (m_mask == 0) {
        m_error = QStringLiteral("%1: no event mask is set").arg(m_path);
        return WaitResult::Failed;
    }
    catchUp();
    if (m_closed)
        return WaitResult::Failed;
    m_maskCompletedWait = false;
    if (m_history != 0) {
        events = std::exchange(m_history, 0);
        return WaitResult::Completed;
    }
    m_waitPending = true;
    return WaitResult::Pending;
}

WaitResult TermiosSerialDevice::finishWait(std::uint32_t& events, bool block)
{
    std::unique_lock lock(m_mutex);
    events = 0;
    for (;;) {
        if (!usable()) {
            m_waitPending = false;
            return WaitResult::Failed;
        }
        catchUp();
        if (m_closed)
            continue; // reported by usable() above
        if (m_maskCompletedWait) {
            m_maskCompletedWait = false;
            return WaitResult::Completed;
        }
        if (m_history != 0) {
            m_waitPending = false;
            events = std::exchange(m_history, 0);
            return WaitResult::Completed;
        }
        if (!block)
            return WaitResult::Pending;

        // Wait for input or a wake-up (a write, a line change seen by the
        // watcher, the mask, close); timed only while a send is pending or
        // where the driver cannot wait for line changes.
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (m_in.size() >= m_inCapacity)
            fds[0].fd = -1; // no room: do not spin on input we cannot take
        const int timeout = statusPollTimeout();
        ++m_polling;
        m_statusPolling = true;
        lock.unlock();
        const int r = ::poll(fds, 2, timeout);
        const int pollError = errno;
        lock.lock();
        m_statusPolling = false;
        --m_polling;
        if (m_closed && m_polling == 0)
            m_idle.notify_all();
        if (r < 0 && pollError != EINTR) {
            fail(QStringLiteral("poll"), pollError);
            m_waitPending = false;
            return WaitResult::Failed;
        }
        if (r > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            m_error = QStringLiteral("%1: the device hung up").arg(m_path);
            m_waitPending = false;
            return WaitResult::Failed;
        }
        if (r > 0 && (fds[1].revents & POLLIN) != 0) {
            std::uint64_t counter = 0;
            [[maybe_unused]] const auto n = ::read(m_wakeFd, &counter, sizeof counter);
        }
    }
}

int TermiosSerialDevice::statusPollTimeout()
{
    int timeout = -1;
    if (m_txPending) {
        // Sleep until what was written should have left the line, then look
        // every 2 ms.
        const std::int64_t left = m_txWireEnd - steadyMicros();
        timeout = left > 2000 ? static_cast<int>((left + 999) / 1000) : 2;
    }
    if (m_modemSupported && !m_lineWatch)
        timeout = timeout < 0 ? 5 : std::min(timeout, 5);
    return timeout;
}

InputWait TermiosSerialDevice::waitInput(bool wantInput, int timeoutMs)
{
    const std::int64_t deadline = timeoutMs < 0 ? -1 : steadyMicros() + std::int64_t{timeoutMs} * 1000;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!usable())
            return InputWait::Failed;
        catchUp();
        if (m_closed)
            continue; // reported by usable() above
        if (std::exchange(m_inputWake, false))
            return InputWait::Woken;
        if (wantInput && !m_in.empty())
            return InputWait::Ready;
        int timeout = -1;
        if (deadline >= 0) {
            const std::int64_t left = deadline - steadyMicros();
            if (left <= 0)
                return InputWait::TimedOut;
            timeout = static_cast<int>((left + 999) / 1000);
        }
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_inputWakeFd, POLLIN, 0}};
        if (!wantInput || m_in.size() >= m_inCapacity)
            fds[0].fd = -1;
        ++m_polling;
        m_readerPolling = true;
        lock.unlock();
        const int r = ::poll(fds, 2, timeout);
        const int pollError = errno;
        lock.lock();
        m_readerPolling = false;
        --m_polling;
        if (m_closed && m_polling == 0)
            m_idle.notify_all();
        if (r < 0 && pollError != EINTR) {
            fail(QStringLiteral("poll"), pollError);
            return InputWait::Failed;
        }
        if (r > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            m_error = QStringLiteral("%1: the device hung up").arg(m_path);
            return InputWait::Failed;
        }
        if (r > 0 && (fds[1].revents & POLLIN) != 0) {
            std::uint64_t counter = 0;
            [[maybe_unused]] const auto n = ::read(m_inputWakeFd, &counter, sizeof counter);
        }
    }
}

void TermiosSerialDevice::wakeInputWait()
{
    std::lock_guard lock(m_mutex);
    m_inputWake = true;
    wakeReader();
}

bool TermiosSerialDevice::clearErrors(std::uint32_t& errors, QueueStatus& status)
{
    std::lock_guard lock(m_mutex);
    errors = 0;
    if (!usable())
        return false;
    catchUp();
    std::uint32_t out = 0;
    if (!outQueue(out))
        return false;
    errors = std::exchange(m_errors, 0);
    status = {static_cast<std::uint32_t>(m_in.size()), out};
    return true;
}

bool TermiosSerialDevice::queueStatus(QueueStatus& status)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return false;
    catchUp();
    std::uint32_t out = 0;
    if (!outQueue(out))
        return false;
    status = {static_cast<std::uint32_t>(m_in.size()), out};
    return true;
}

bool TermiosSerialDevice::modemStatus(std::uint32_t& lines)
{
    std::lock_guard lock(m_mutex);
    lines = 0;
    if (!usable() || noModemLines())
        return false;
    int bits = 0;
    if (::ioctl(m_fd, TIOCMGET, &bits) != 0) {
        const int e = errno;
        if (notSupported(e)) {
            m_modemSupported = false;
            noModemLines();
        } else {
            fail(QStringLiteral("TIOCMGET"), e);
        }
        return false;
    }
    lines = ((bits & TIOCM_CTS) ? ms::CtsOn : 0) | ((bits & TIOCM_DSR) ? ms::DsrOn : 0)
            | ((bits & TIOCM_RNG) ? ms::RingOn : 0) | ((bits & TIOCM_CAR) ? ms::RlsdOn : 0);
    return true;
}

bool TermiosSerialDevice::noModemLines()
{
    if (m_modemSupported)
        return false;
    m_error = m_noModemError; // shared, not formatted again
    return true;
}

bool TermiosSerialDevice::escape(Escape function)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return false;
    if (function != Escape::SetBreak && function != Escape::ClrBreak) {
        if (function == Escape::SetDtr || function == Escape::ClrDtr)
            m_wantDtr = function == Escape::SetDtr;
        else if (function == Escape::SetRts || function == Escape::ClrRts)
            m_wantRts = function == Escape::SetRts;
        if (noModemLines())
            return false;
    }
    int r = -1;
    int bits = 0;
    const char* name = "";
    switch (function) {
    case Escape::SetDtr: bits = TIOCM_DTR; r = ::ioctl(m_fd, TIOCMBIS, &bits); name = "TIOCMBIS DTR"; break;
    case Escape::ClrDtr: bits = TIOCM_DTR; r = ::ioctl(m_fd, TIOCMBIC, &bits); name = "TIOCMBIC DTR"; break;
    case Escape::SetRts: bits = TIOCM_RTS; r = ::ioctl(m_fd, TIOCMBIS, &bits); name = "TIOCMBIS RTS"; break;
    case Escape::ClrRts: bits = TIOCM_RTS; r = ::ioctl(m_fd, TIOCMBIC, &bits); name = "TIOCMBIC RTS"; break;
    case Escape::SetBreak: r = ::ioctl(m_fd, TIOCSBRK); name = "TIOCSBRK"; break;
    case Escape::ClrBreak: r = ::ioctl(m_fd, TIOCCBRK); name = "TIOCCBRK"; break;
    default:
        m_error = QStringLiteral("%1: unknown line function %2").arg(m_path).arg(static_cast<int>(function));
        return false;
    }
    if (r != 0) {
        const int e = errno;
        if (notSupported(e) && function != Escape::SetBreak && function != Escape::ClrBreak) {
            m_modemSupported = false;
            noModemLines();
        } else {
            fail(QString::fromLatin1(name), e);
        }
        return false;
    }
    return true;
}

std::int64_t TermiosSerialDevice::read(void* data, std::size_t size)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return -1;
    catchUp();
    const std::size_t n = std::min(size, m_in.size());
    std::copy_n(m_in.begin(), n, static_cast<std::uint8_t*>(data));
    m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<std::int64_t>(n);
}

std::int64_t TermiosSerialDevice::write(const void* data, std::size_t size)
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return -1;
    std::uint32_t queued = 0;
    if (!outQueue(queued))
        return -1;
    const std::size_t room = queued < m_outCapacity ? m_outCapacity - queued : 0;
    const std::size_t n = std::min(size, room);
    if (n == 0)
        return 0;
    const ssize_t w = ::write(m_fd, data, n);
    if (w < 0) {
        if (errno == EAGAIN || errno == EINTR)
            return 0;
        fail(QStringLiteral("write"), errno);
        return -1;
    }
    if (w > 0) {
        m_txPending = true;
        m_txWireEnd = std::max(m_txWireEnd, steadyMicros()) + w * m_charMicros;
    }
    wake(); // the event wait now looks at the transmitter
    return w;
}

bool TermiosSerialDevice::purgeOutput()
{
    std::lock_guard lock(m_mutex);
    if (!usable())
        return false;
    if (::tcflush(m_fd, TCOFLUSH) != 0) {
        fail(QStringLiteral("tcflush"), errno);
        return false;
    }
    return true;
}

void TermiosSerialDevice::close()
{
    std::unique_lock lock(m_mutex);
    if (m_closed)
        return;
    m_closed = true;
    wake();
    wakeReader();
    m_idle.wait(lock, [&] { return m_polling == 0; });
    lock.unlock();
    stopLineWatcher();
    lock.lock();
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
}

QString TermiosSerialDevice::lastError() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

// ------------------------------------------------------------ with the lock

void TermiosSerialDevice::catchUp()
{
    drainInput();
    if (m_modemSupported)
        pollModemLines();
    pollErrorCounts();
    pollTransmitter();
}

void TermiosSerialDevice::drainInput()
{
    std::uint8_t raw[512];
    while (m_in.size() < m_inCapacity) {
        // Decoding never yields more bytes than it reads, so this always fits.
        const std::size_t room = std::min<std::size_t>(sizeof raw, m_inCapacity - m_in.size());
        const ssize_t n = ::read(m_fd, raw, room);
        if (n <= 0)
            return;
        decode(raw, static_cast<std::size_t>(n));
        if (m_readerPolling && !m_in.empty())
            wakeReader(); // it may sleep on a descriptor that is empty now
    }
}

void TermiosSerialDevice::decode(const std::uint8_t* raw, std::size_t n)
{
    const MarkedInputDecoder::Result r = m_decoder.feed(raw, n, m_in);
    m_errors |= r.errors;
    record(r.events);
}

void TermiosSerialDevice::pollModemLines()
{
    int bits = 0;
    if (::ioctl(m_fd, TIOCMGET, &bits) != 0) {
        if (notSupported(errno))
            m_modemSupported = false;
        return;
    }
    const std::uint32_t lines = ((bits & TIOCM_CTS) ? ms::CtsOn : 0) | ((bits & TIOCM_DSR) ? ms::DsrOn : 0)
                                | ((bits & TIOCM_RNG) ? ms::RingOn : 0) | ((bits & TIOCM_CAR) ? ms::RlsdOn : 0);
    const std::uint32_t changed = lines ^ m_lines;
    m_lines = lines;
    if (changed & ms::CtsOn)
        record(ev::Cts);
    if (changed & ms::DsrOn)
        record(ev::Dsr);
    if (changed & ms::RingOn)
        record(ev::Ring);
    if (changed & ms::RlsdOn)
        record(ev::Rlsd);
}

void TermiosSerialDevice::pollErrorCounts()
{
    if (!m_countsSupported)
        return;
    serial_icounter_struct c{};
    if (::ioctl(m_fd, TIOCGICOUNT, &c) != 0) {
        if (notSupported(errno))
            m_countsSupported = false;
        return;
    }
    const int now[11] = {c.cts, c.dsr, c.rng, c.dcd, c.rx, c.tx, c.frame, c.overrun, c.parity, c.brk, c.buf_overrun};
    if (m_haveCounts) {
        // Line changes shorter than the polling period still count.
        if (now[0] != m_counts[0])
            record(ev::Cts);
        if (now[1] != m_counts[1])
            record(ev::Dsr);
        if (now[2] != m_counts[2])
            record(ev::Ring);
        if (now[3] != m_counts[3])
            record(ev::Rlsd);
        std::uint32_t errors = 0;
        if (now[6] != m_counts[6])
            errors |= ce::Frame;
        if (now[7] != m_counts[7])
            errors |= ce::Overrun;
        if (now[8] != m_counts[8])
            errors |= ce::Parity;
        if (now[10] != m_counts[10])
            errors |= ce::RxOver;
        if (errors != 0) {
            m_errors |= errors;
            record(ev::Err);
        }
    }
    std::copy(std::begin(now), std::end(now), m_counts);
    m_haveCounts = true;
}

void TermiosSerialDevice::pollTransmitter()
{
    if (!m_txPending)
        return;
    std::uint32_t queued = 0;
    if (!outQueue(queued) || queued != 0)
        return;
    if (m_lsrSupported) {
        unsigned int lsr = 0;
        if (::ioctl(m_fd, TIOCSERGETLSR, &lsr) == 0) {
            if ((lsr & TIOCSER_TEMT) == 0)
                return; // the last byte is still in the shift register
        } else if (notSupported(errno)) {
            m_lsrSupported = false; // the output queue count is all we have
        } else {
            return;
        }
    }
    // Without the line status, a queue count of 0 may only mean "handed to
    // the adapter": the line is empty when the characters' times have passed.
    if (!m_lsrSupported && steadyMicros() < m_txWireEnd)
        return;
    m_txPending = false;
    record(ev::TxEmpty);
}

void TermiosSerialDevice::record(std::uint32_t event)
{
    const std::uint32_t added = event & m_mask & ~m_history;
    m_history |= added;
    if (added != 0 && m_statusPolling)
        wake(); // recorded by another caller while the event wait sleeps
}

bool TermiosSerialDevice::outQueue(std::uint32_t& count)
{
    int n = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &n) != 0) {
        fail(QStringLiteral("TIOCOUTQ"), errno);
        return false;
    }
    count = static_cast<std::uint32_t>(std::max(n, 0));
    return true;
}

void TermiosSerialDevice::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(m_wakeFd, &one, sizeof one);
}

void TermiosSerialDevice::wakeReader()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(m_inputWakeFd, &one, sizeof one);
}

// ------------------------------------------------------- modem-line watcher

void TermiosSerialDevice::startLineWatcher()
{
    struct sigaction action {};
    action.sa_handler = ignoreSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: the signal ends TIOCMIWAIT with EINTR
    if (::sigaction(lineWatchSignal(), &action, nullptr) != 0)
        return; // the event wait looks at the lines itself
    {
        std::lock_guard lock(m_mutex);
        m_lineWatch = true;
    }
    m_watcher = std::thread([this] { watchLines(); });
}

void TermiosSerialDevice::watchLines()
{
    // A line change between two TIOCMIWAIT calls is caught by comparing the
    // lines (and the drivers' change counters) before each call.
    auto snapshot = [this] {
        int bits = 0;
        ::ioctl(m_fd, TIOCMGET, &bits);
        serial_icounter_struct c{};
        ::ioctl(m_fd, TIOCGICOUNT, &c);
        return std::array<int, 5>{bits & (TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CAR), c.cts, c.dsr, c.rng,
                                  c.dcd};
    };
    auto last = snapshot();
    while (!m_watchStop.load()) {
        const auto now = snapshot();
        if (now != last) {
            last = now;
            wake();
            continue;
        }
        if (::ioctl(m_fd, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CAR) != 0) {
            if (errno == EINTR)
                continue;
            // The driver cannot wait for line changes: the event wait looks
            // at the lines every few milliseconds instead.
            {
                std::lock_guard lock(m_mutex);
                m_lineWatch = false;
            }
            wake();
            break;
        }
    }
    m_watchEnded.store(true);
}

void TermiosSerialDevice::stopLineWatcher()
{
    if (!m_watcher.joinable())
        return;
    m_watchStop.store(true);
    // The signal may come just before the watcher enters TIOCMIWAIT: repeat it
    // until the watcher has left.
    while (!m_watchEnded.load()) {
        ::pthread_kill(m_watcher.native_handle(), lineWatchSignal());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_watcher.join();
}

} // namespace korvane::serial
