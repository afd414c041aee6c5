#include "platform/serial/SimSerialDevice.h"

#include "platform/serial/LineCheck.h"
#include "platform/serial/SimScheduler.h"

#include <algorithm>
#include <cstring>

namespace korvane::serial {

// The port side as a SerialDevice. It keeps the device alive and names
// itself by the id of its open, so that calls through it fail once it has
// been closed, also when the device has been opened again meanwhile.
class SimSerialDevice::PortHandle final : public SerialDevice {
public:
    PortHandle(std::shared_ptr<SimSerialDevice> device, std::uint64_t id)
        : m_device(std::move(device)), m_id(id)
    {
    }
    ~PortHandle() override { close(); }

    bool setQueueSizes(std::uint32_t in, std::uint32_t out) override
    {
        QString e;
        return report(m_device->portSetQueueSizes(m_id, in, out, e), e);
    }
    bool getLine(LineSettings& s) override
    {
        QString e;
        return report(m_device->portGetLine(m_id, s, e), e);
    }
    bool setLine(const LineSettings& s) override
    {
        QString e;
        return report(m_device->portSetLine(m_id, s, e), e);
    }
    bool setEventMask(std::uint32_t mask) override
    {
        QString e;
        return report(m_device->portSetEventMask(m_id, mask, e), e);
    }
    WaitResult startWait(std::uint32_t& events) override
    {
        QString e;
        const WaitResult r = m_device->portStartWait(m_id, events, e);
        report(r != WaitResult::Failed, e);
        return r;
    }
    WaitResult finishWait(std::uint32_t& events, bool block) override
    {
        QString e;
        const WaitResult r = m_device->portFinishWait(m_id, events, block, e);
        report(r != WaitResult::Failed, e);
        return r;
    }
    bool clearErrors(std::uint32_t& errors, QueueStatus& st) override
    {
        QString e;
        return report(m_device->portClearErrors(m_id, errors, st, e), e);
    }
    bool queueStatus(QueueStatus& st) override
    {
        QString e;
        return report(m_device->portQueueStatus(m_id, st, e), e);
    }
    bool modemStatus(std::uint32_t& lines) override
    {
        QString e;
        return report(m_device->portModemStatus(m_id, lines, e), e);
    }
    bool escape(Escape f) override
    {
        QString e;
        return report(m_device->portEscape(m_id, f, e), e);
    }
    std::int64_t read(void* data, std::size_t size) override
    {
        QString e;
        const std::int64_t n = m_device->portRead(m_id, data, size, e);
        report(n >= 0, e);
        return n;
    }
    std::int64_t write(const void* data, std::size_t size) override
    {
        QString e;
        const std::int64_t n = m_device->portWrite(m_id, data, size, e);
        report(n >= 0, e);
        return n;
    }
    bool purgeOutput() override
    {
        QString e;
        return report(m_device->portPurge(m_id, e), e);
    }
    InputWait waitInput(bool wantInput, int timeoutMs) override
    {
        QString e;
        const InputWait r = m_device->portWaitInput(m_id, wantInput, timeoutMs, e);
        report(r != InputWait::Failed, e);
        return r;
    }
    void wakeInputWait() override { m_device->portWakeInput(m_id); }
    void close() override { m_device->portClose(m_id); }
    QString lastError() const override
    {
        std::lock_guard lock(m_errorMutex);
        return m_error;
    }
    VirtualClock* steppingClock() const override { return m_device->steppingClock(); }

private:
    bool report(bool ok, const QString& error)
    {
        if (!ok) {
            std::lock_guard lock(m_errorMutex);
            m_error = error;
        }
        return ok;
    }

    std::shared_ptr<SimSerialDevice> m_device;
    const std::uint64_t m_id;
    mutable std::mutex m_errorMutex;
    QString m_error;
};

std::shared_ptr<SimSerialDevice> SimSerialDevice::create(Options options)
{
    std::shared_ptr<SimSerialDevice> device(new SimSerialDevice(options));
    if (options.clock) {
        std::weak_ptr<SimSerialDevice> weak = device;
        device->m_tick = options.clock->subscribe([weak] {
            if (auto d = weak.lock()) {
                std::lock_guard lock(d->m_mutex);
                d->catchUp();
                d->m_changed.notify_all();
            }
        });
    }
    return device;
}

SimSerialDevice::SimSerialDevice(Options options)
    : m_options(options), m_realStart() // real time is SimScheduler::realTimeUs()
{
}

SimSerialDevice::~SimSerialDevice() = default;

std::unique_ptr<SerialDevice> SimSerialDevice::open(QString* error)
{
    std::lock_guard lock(m_mutex);
    catchUp();
    if (m_openId != 0) {
        if (error)
            *error = QStringLiteral("the simulated device is in use");
        return nullptr;
    }
    m_openId = m_nextId++;
    m_mask = 0;
    m_history = 0;
    m_waitPending = false;
    m_maskCompletedWait = false;
    m_errors = 0;
    m_inputWake = false;
    notifyFarEnd();
    return std::make_unique<PortHandle>(shared_from_this(), m_openId);
}

// ---------------------------------------------------------------- far end

bool SimSerialDevice::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_openId != 0;
}

std::int64_t SimSerialDevice::nowUs() const
{
    std::lock_guard lock(m_mutex);
    return nowLocked();
}

LineSettings SimSerialDevice::line() const
{
    std::lock_guard lock(m_mutex);
    return m_line;
}

int SimSerialDevice::lineUpdates() const
{
    std::lock_guard lock(m_mutex);
    return m_lineUpdates;
}

QueueStatus SimSerialDevice::queues() const
{
    std::lock_guard lock(m_mutex);
    const_cast<SimSerialDevice*>(this)->catchUp();
    return queuesLocked();
}

bool SimSerialDevice::transmitterEmpty() const
{
    std::lock_guard lock(m_mutex);
    const_cast<SimSerialDevice*>(this)->catchUp();
    return outQueueCount() == 0;
}

void SimSerialDevice::send(const QByteArray& bytes)
{
    std::lock_guard lock(m_mutex);
    catchUp();
    for (char c : bytes)
        m_farOut.push_back(static_cast<std::uint8_t>(c));
    if (!m_farShifting && !m_farOut.empty()) {
        m_farByte = m_farOut.front();
        m_farOut.pop_front();
        m_farShifting = true;
        const LineSettings frame = farSendFrame();
        const std::int64_t start = startAfterBreak(nowLocked(), m_inBreakOff, frame);
        m_toPort.send(start, frame, m_farByte);
        m_farShiftEnd = start + characterMicros(frame);
    }
    m_changed.notify_all();
}

std::vector<SimSerialDevice::Arrival> SimSerialDevice::takeArrivals()
{
    std::lock_guard lock(m_mutex);
    catchUp();
    return std::exchange(m_arrivals, {});
}

QByteArray SimSerialDevice::takeReceived()
{
    QByteArray bytes;
    for (const Arrival& a : takeArrivals())
        bytes.append(static_cast<char>(a.byte));
    return bytes;
}

void SimSerialDevice::setFarFrame(std::optional<LineSettings> frame)
{
    std::lock_guard lock(m_mutex);
    catchUp();
    m_farFrame = frame;
}

std::optional<LineSettings> SimSerialDevice::farFrame() const
{
    std::lock_guard lock(m_mutex);
    return m_farFrame;
}

void SimSerialDevice::setFarEndListener(std::function<void()> listener)
{
    std::lock_guard lock(m_mutex);
    m_farListener = std::move(listener);
}

std::int64_t SimSerialDevice::nextFarEndDueUs() const
{
    std::lock_guard lock(m_mutex);
    std::int64_t due = m_toFar.nextCompletionUs(m_farFrame);
    if (m_shifting && (due < 0 || m_shiftEnd < due))
        due = m_shiftEnd; // the next character goes on the line then
    return due;
}

void SimSerialDevice::setInput(bool& line, bool on, std::uint32_t event)
{
    catchUp();
    changeInput(line, on, event);
}

void SimSerialDevice::changeInput(bool& line, bool on, std::uint32_t event)
{
    if (line != on) {
        line = on;
        if (m_lineEvents)
            record(event);
        m_changed.notify_all();
    }
}

void SimSerialDevice::setCts(bool on)
{
    std::lock_guard lock(m_mutex);
    setInput(m_cts, on, ev::Cts);
}

void SimSerialDevice::setDsr(bool on)
{
    std::lock_guard lock(m_mutex);
    setInput(m_dsr, on, ev::Dsr);
}

void SimSerialDevice::setRing(bool on)
{
    std::lock_guard lock(m_mutex);
    setInput(m_ring, on, ev::Ring);
}

void SimSerialDevice::setDcd(bool on)
{
    std::lock_guard lock(m_mutex);
    setInput(m_dcd, on, ev::Rlsd);
}

void SimSerialDevice::setInputBreak(bool on)
{
    std::lock_guard lock(m_mutex);
    catchUp();
    if (on && !m_inBreak && m_openId != 0) {
        m_errors |= ce::Break;
        record(ev::Break);
        m_changed.notify_all();
    }
    if (m_inBreak && !on)
        m_inBreakOff = nowLocked();
    m_inBreak = on;
    m_toPort.setBreak(on, nowLocked());
}

void SimSerialDevice::injectErrors(std::uint32_t ceFlags)
{
    std::lock_guard lock(m_mutex);
    catchUp();
    if (m_openId == 0)
        return;
    m_errors |= ceFlags;
    record(ev::Err);
    m_changed.notify_all();
}

void SimSerialDevice::setDcdFollowsDtr(bool enabled, bool inverted, std::int64_t delayUs)
{
    std::lock_guard lock(m_mutex);
    m_dcdFollowsDtr = enabled;
    m_dcdInverted = inverted;
    m_dcdDelay = std::max<std::int64_t>(0, delayUs);
    m_dcdPending.clear();
    if (enabled)
        setInput(m_dcd, m_dtr != inverted, ev::Rlsd);
}

void SimSerialDevice::setUnplugged(bool unplugged)
{
    std::lock_guard lock(m_mutex);
    m_unplugged = unplugged;
    m_changed.notify_all();
}

void SimSerialDevice::setLineEventsReported(bool reported)
{
    std::lock_guard lock(m_mutex);
    m_lineEvents = reported;
}

void SimSerialDevice::setModemStatusFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_modemFails = fails;
}

bool SimSerialDevice::dtr() const
{
    std::lock_guard lock(m_mutex);
    return m_dtr;
}

bool SimSerialDevice::rts() const
{
    std::lock_guard lock(m_mutex);
    return m_rts;
}

bool SimSerialDevice::breakOn() const
{
    std::lock_guard lock(m_mutex);
    return m_brk;
}

bool SimSerialDevice::inputBreak() const
{
    std::lock_guard lock(m_mutex);
    return m_inBreak;
}

std::vector<SimSerialDevice::LineChange> SimSerialDevice::lineChanges() const
{
    std::lock_guard lock(m_mutex);
    return m_changes;
}

std::vector<SimSerialDevice::LineChange> SimSerialDevice::takeLineChanges()
{
    std::lock_guard lock(m_mutex);
    std::vector<LineChange> fresh(m_changes.begin() + static_cast<std::ptrdiff_t>(m_changesTaken), m_changes.end());
    m_changesTaken = m_changes.size();
    return fresh;
}

std::uint64_t SimSerialDevice::purgedBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_purged;
}

// -------------------------------------------------------------- port side

bool SimSerialDevice::portUsable(std::uint64_t id, QString& error) const
{
    if (m_openId == 0 || id != m_openId) {
        error = QStringLiteral("the simulated device is closed");
        return false;
    }
    if (m_unplugged) {
        error = QStringLiteral("the simulated device is unplugged");
        return false;
    }
    return true;
}

bool SimSerialDevice::portSetQueueSizes(std::uint64_t id, std::uint32_t in, std::uint32_t out, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return false;
    if (in == 0 || out == 0) {
        error = QStringLiteral("queue sizes must not be 0");
        return false;
    }
    m_inCapacity = in;
    m_outCapacity = out;
    return true;
}

bool SimSerialDevice::portGetLine(std::uint64_t id, LineSettings& s, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return false;
    s = m_line;
    return true;
}

bool SimSerialDevice::portSetLine(std::uint64_t id, const LineSettings& s, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return false;
    const QString problem = lineSettingsProblem(s);
    if (!problem.isEmpty()) {
        error = QStringLiteral("line settings refused: ") + problem;
        return false;
    }
    catchUp();
    m_line = s;
    ++m_lineUpdates;
    notifyFarEnd();
    return true;
}

bool SimSerialDevice::portSetEventMask(std::uint64_t id, std::uint32_t mask, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return false;
    m_mask = mask;
    m_history &= mask;
    if (m_waitPending) {
        m_waitPending = false;
        m_maskCompletedWait = true;
    }
    m_changed.notify_all();
    return true;
}

WaitResult SimSerialDevice::portStartWait(std::uint64_t id, std::uint32_t& events, QString& error)
{
    std::lock_guard lock(m_mutex);
    events = 0;
    if (!portUsable(id, error))
        return WaitResult::Failed;
    if (m_mask == 0) {
        error = QStringLiteral("no event mask is set");
        return WaitResult::Failed;
    }
    catchUp();
    m_maskCompletedWait = false;
    if (m_history != 0) {
        events = std::exchange(m_history, 0);
        return WaitResult::Completed;
    }
    m_waitPending = true;
    return WaitResult::Pending;
}

WaitResult SimSerialDevice::portFinishWait(std::uint64_t id, std::uint32_t& events, bool block, QString& error)
{
    std::unique_lock lock(m_mutex);
    events = 0;
    for (;;) {
        if (!portUsable(id, error)) {
            m_waitPending = false;
            return WaitResult::Failed;
        }
        catchUp();
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
        const std::int64_t due = m_options.clock ? -1 : nextDueLocked();
        if (due < 0)
            m_changed.wait(lock);
        else
            m_changed.wait_until(lock, m_realStart + std::chrono::microseconds(due));
    }
}

bool SimSerialDevice::portClearErrors(std::uint64_t id, std::uint32_t& errors, QueueStatus& st, QString& error)
{
    std::lock_guard lock(m_mutex);
    errors = 0;
    if (!portUsable(id, error))
        return false;
    catchUp();
    errors = std::exchange(m_errors, 0);
    st = queuesLocked();
    return true;
}

bool SimSerialDevice::portQueueStatus(std::uint64_t id, QueueStatus& st, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return false;
    catchUp();
    st = queuesLocked();
    return true;
}

bool SimSerialDevice::portModemStatus(std::uint64_t id, std::uint32_t& lines, QString& error)
{
    std::lock_guard lock(m_mutex);
    lines = 0;
    if (!portUsable(id, error))
        return false;
    if (m_modemFails) {
        error = QStringLiteral("the modem status cannot be read");
        return false;
    }
    lines = (m_cts ? ms::CtsOn : 0) | (m_dsr ? ms::DsrOn : 0) | (m_ring ? ms::RingOn : 0)
            | (m_dcd ? ms::RlsdOn : 0);
    return true;
}

bool SimSerialDevice::portEscape(std::uint64_t id, Escape f, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return false;
    catchUp();
    bool dtr = m_dtr, rts = m_rts, brk = m_brk;
    switch (f) {
    case Escape::SetDtr: dtr = true; break;
    case Escape::ClrDtr: dtr = false; break;
    case Escape::SetRts: rts = true; break;
    case Escape::ClrRts: rts = false; break;
    case Escape::SetBreak: brk = true; break;
    case Escape::ClrBreak: brk = false; break;
    default:
        error = QStringLiteral("unknown line function %1").arg(static_cast<int>(f));
        return false;
    }
    setOutputs(dtr, rts, brk);
    return true;
}

std::int64_t SimSerialDevice::portRead(std::uint64_t id, void* data, std::size_t size, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return -1;
    catchUp();
    const std::size_t n = std::min(size, m_in.size());
    auto* out = static_cast<std::uint8_t*>(data);
    std::copy_n(m_in.begin(), n, out);
    m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<std::int64_t>(n);
}

std::int64_t SimSerialDevice::portWrite(std::uint64_t id, const void* data, std::size_t size, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return -1;
    catchUp();
    const std::uint32_t queued = outQueueCount();
    const std::size_t room = queued < m_outCapacity ? m_outCapacity - queued : 0;
    const std::size_t n = std::min(size, room);
    const auto* in = static_cast<const std::uint8_t*>(data);
    m_out.insert(m_out.end(), in, in + n);
    if (!m_shifting && !m_out.empty()) {
        m_shiftByte = m_out.front();
        m_out.pop_front();
        m_shifting = true;
        const std::int64_t start = startAfterBreak(nowLocked(), m_brkOff, m_line);
        m_toFar.send(start, m_line, m_shiftByte);
        m_shiftEnd = start + characterMicros(m_line);
        notifyFarEnd();
    }
    m_changed.notify_all();
    return static_cast<std::int64_t>(n);
}

bool SimSerialDevice::portPurge(std::uint64_t id, QString& error)
{
    std::lock_guard lock(m_mutex);
    if (!portUsable(id, error))
        return false;
    catchUp();
    m_purged += m_out.size();
    m_out.clear();
    return true;
}

void SimSerialDevice::portClose(std::uint64_t id)
{
    std::lock_guard lock(m_mutex);
    if (m_openId == 0 || id != m_openId)
        return;
    catchUp();
    m_openId = 0;
    m_mask = 0;
    m_history = 0;
    m_waitPending = false;
    m_maskCompletedWait = false;
    m_in.clear();
    setOutputs(false, false, false);
    notifyFarEnd();
    m_changed.notify_all();
}

VirtualClock* SimSerialDevice::steppingClock() const
{
    return m_options.steppedPort ? m_options.clock : nullptr;
}

// ------------------------------------------------- port side: reader's wait

InputWait SimSerialDevice::portWaitInput(std::uint64_t id, bool wantInput, int timeoutMs, QString& error)
{
    using Clock = std::chrono::steady_clock;
    const bool limited = timeoutMs >= 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!portUsable(id, error))
            return InputWait::Failed;
        catchUp();
        if (std::exchange(m_inputWake, false))
            return InputWait::Woken;
        if (wantInput && !m_in.empty())
            return InputWait::Ready;
        if (limited && Clock::now() >= deadline)
            return InputWait::TimedOut;
        // On real time nobody else may look at the line when the next
        // character is due: wake up for it.
        const std::int64_t due = m_options.clock ? -1 : nextDueLocked();
        if (due >= 0) {
            const Clock::time_point at = m_realStart + std::chrono::microseconds(due);
            m_changed.wait_until(lock, limited ? std::min(at, deadline) : at);
        } else if (limited) {
            m_changed.wait_until(lock, deadline);
        } else {
            m_changed.wait(lock);
        }
    }
}

void SimSerialDevice::portWakeInput(std::uint64_t id)
{
    std::lock_guard lock(m_mutex);
    if (id != m_openId)
        return;
    m_inputWake = true;
    m_changed.notify_all();
}

// ------------------------------------------------------------ with the lock

std::int64_t SimSerialDevice::nowLocked() const
{
    if (m_options.clock)
        return m_options.clock->nowUs();
    return SimScheduler::realTimeUs();
}

void SimSerialDevice::catchUp()
{
    const std::int64_t now = nowLocked();
    while (m_shifting && m_shiftEnd <= now) {
        if (!m_out.empty()) {
            m_shiftByte = m_out.front();
            m_out.pop_front();
            m_toFar.send(m_shiftEnd, m_line, m_shiftByte);
            m_shiftEnd += characterMicros(m_line);
        } else {
            m_shifting = false;
            record(ev::TxEmpty);
        }
    }
    const std::vector<SimLineSignal::Received> toFar = m_toFar.receive(now, m_farFrame);
    for (const SimLineSignal::Received& r : toFar)
        m_arrivals.push_back({r.us, r.byte, r.frame, r.frameError});
    if (!toFar.empty())
        notifyFarEnd();

    while (m_farShifting && m_farShiftEnd <= now) {
        if (!m_farOut.empty()) {
            m_farByte = m_farOut.front();
            m_farOut.pop_front();
            const LineSettings frame = farSendFrame();
            m_toPort.send(m_farShiftEnd, frame, m_farByte);
            m_farShiftEnd += characterMicros(frame);
        } else {
            m_farShifting = false;
        }
    }
    for (const SimLineSignal::Received& r : m_toPort.receive(now, m_line)) {
        if (r.frameError && m_openId != 0) {
            m_errors |= ce::Frame;
            record(ev::Err);
        }
        deliverIn(r.byte);
    }

    while (!m_dcdPending.empty() && m_dcdPending.front().us <= now) {
        changeInput(m_dcd, m_dcdPending.front().on, ev::Rlsd);
        m_dcdPending.pop_front();
    }
}

void SimSerialDevice::record(std::uint32_t event)
{
    if (m_openId != 0)
        m_history |= event & m_mask;
}

void SimSerialDevice::deliverIn(std::uint8_t byte)
{
    if (m_openId == 0)
        return; // nobody listens: the character is lost on the line
    if (m_in.size() >= m_inCapacity) {
        m_errors |= ce::RxOver;
        record(ev::Err);
        return;
    }
    m_in.push_back(byte);
    record(ev::RxChar);
}

void SimSerialDevice::setOutputs(bool dtr, bool rts, bool brk)
{
    if (dtr == m_dtr && rts == m_rts && brk == m_brk)
        return;
    const std::int64_t now = nowLocked();
    if (m_brk && !brk)
        m_brkOff = now;
    m_dtr = dtr;
    m_rts = rts;
    m_brk = brk;
    m_changes.push_back({now, dtr, rts, brk});
    m_toFar.setBreak(brk, now);
    if (m_dcdFollowsDtr) {
        if (m_dcdDelay == 0)
            changeInput(m_dcd, m_dtr != m_dcdInverted, ev::Rlsd);
        else
            m_dcdPending.push_back({now + m_dcdDelay, m_dtr != m_dcdInverted});
    }
    notifyFarEnd();
}

void SimSerialDevice::notifyFarEnd()
{
    if (m_farListener)
        m_farListener();
}

// A transmitter that was idle starts a character no sooner than half an
// element after a break has ended: a receiving UART needs that much mark
// before it takes a fall to space for a start element again.
std::int64_t SimSerialDevice::startAfterBreak(std::int64_t now, std::int64_t breakOff, const LineSettings& frame)
{
    if (breakOff < 0 || frame.baudRate == 0)
        return now;
    const std::int64_t halfElement = (500'000 + frame.baudRate - 1) / frame.baudRate;
    return std::max(now, breakOff + halfElement);
}

LineSettings SimSerialDevice::farSendFrame() const
{
    return m_farFrame.value_or(m_line);
}

std::uint32_t SimSerialDevice::outQueueCount() const
{
    return static_cast<std::uint32_t>(m_out.size()) + (m_shifting ? 1u : 0u);
}

QueueStatus SimSerialDevice::queuesLocked() const
{
    return {static_cast<std::uint32_t>(m_in.size()), outQueueCount()};
}

std::int64_t SimSerialDevice::nextDueLocked() const
{
    std::int64_t due = -1;
    if (m_shifting)
        due = m_shiftEnd;
    if (m_farShifting && (due < 0 || m_farShiftEnd < due))
        due = m_farShiftEnd;
    const std::int64_t received = m_toPort.nextCompletionUs(m_line);
    if (received >= 0 && (due < 0 || received < due))
        due = received;
    if (!m_dcdPending.empty() && (due < 0 || m_dcdPending.front().us < due))
        due = m_dcdPending.front().us;
    return due;
}

} // namespace korvane::serial
