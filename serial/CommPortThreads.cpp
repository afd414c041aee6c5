#include "serial/CommPortThreads.h"

#include "serial/CommPort.h"

namespace korvane {

using serial::WaitResult;

TCommWorker::TCommWorker(TCustomCommPort& Port, std::shared_ptr<serial::SerialDevice> Device, int Interval,
                         SignalEvent& Signal)
    : m_port(Port), m_device(std::move(Device)), m_interval(Interval < 1 ? 1 : Interval), m_signal(Signal),
      m_generation(Port.m_generation.load())
{
}

TCommWorker::~TCommWorker()
{
    // The port stops every worker before it frees it.
    if (m_thread.joinable())
        m_thread.join();
}

void TCommWorker::Resume()
{
    m_thread = std::thread([this] {
        Execute();
        m_finished.store(true);
        m_port.m_sync.notify();
    });
}

void TCommWorker::WaitFor()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool TCommWorker::Stale() const
{
    return m_port.m_generation.load() != m_generation;
}

bool TCommWorker::ShouldLeave() const
{
    return m_port.Closing() || Terminated();
}

// ------------------------------------------------------------------ status

void TStatusThread::Begin()
{
    m_port.StatusFirstReport(*this);
    m_signal.set();
}

void TStatusThread::Execute()
{
    m_port.StatusFirstReport(*this);
    m_signal.set();
    for (;;) {
        if (m_port.Closing())
            break;
        std::uint32_t mask = 0;
        WaitResult r = m_device->startWait(mask);
        // Only a device that cannot wait is tried again after the interval;
        // a pending wait blocks until its events come.
        if (r == WaitResult::Failed)
            m_port.Pause(m_interval);
        if (m_port.Closing())
            break;
        if (r == WaitResult::Pending) {
            r = m_device->finishWait(mask, true);
            if (r == WaitResult::Failed)
                m_port.Pause(m_interval); // a wait that broke off: no busy loop on a failing device
        }
        if (m_port.Closing())
            break;
        const bool succeeded = r == WaitResult::Completed;
        if (succeeded)
            EventMask = mask;
        m_port.StatusCycleEnd(*this, succeeded);
        if (ShouldLeave())
            break;
    }
    m_signal.set();
}

void TStatusThread::Step(std::int64_t NowMs)
{
    for (;;) {
        if (m_port.Closing() || Stale())
            return;
        switch (m_phase) {
        case Phase::Start: {
            std::uint32_t mask = 0;
            m_started = m_device->startWait(mask);
            if (m_started == WaitResult::Completed) {
                EventMask = mask;
                m_port.StatusCycleEnd(*this, true);
                return; // the next cycle begins in the next millisecond
            }
            if (m_started == WaitResult::Pending) {
                m_phase = Phase::Waiting;
                continue;
            }
            m_phase = Phase::Sleeping;
            m_due = NowMs + m_interval;
            return;
        }
        case Phase::Sleeping:
            if (NowMs < m_due)
                return;
            m_phase = Phase::Start;
            m_port.StatusCycleEnd(*this, false);
            return;
        case Phase::Waiting: {
            std::uint32_t mask = 0;
            const WaitResult r = m_device->finishWait(mask, false);
            if (r == WaitResult::Pending)
                return;
            if (r == WaitResult::Completed) {
                m_phase = Phase::Start;
                EventMask = mask;
                m_port.StatusCycleEnd(*this, true);
                return;
            }
            m_phase = Phase::Sleeping; // as a failed start: look again after the interval
            m_started = WaitResult::Failed;
            m_due = NowMs + m_interval;
            return;
        }
        }
    }
}

// ------------------------------------------------------------------ reader

void TReadThread::Execute()
{
    m_signal.set();
    for (;;) {
        // Sleeps until the status thread or Close wakes it, or the device
        // has input and the buffer has room; the interval is armed only while
        // received bytes wait to be read, to raise OnDataAvail again.
        if (!m_port.m_readWake.tryTake()) {
            const std::uint32_t inCount = m_port.m_inCount.load();
            const bool room = inCount < m_port.m_inBuffSize.load();
            const serial::InputWait r = m_device->waitInput(room, inCount > 0 ? m_interval : -1);
            if (r == serial::InputWait::Failed)
                m_port.m_readWake.wait(m_interval); // a failing device is looked at once per interval
            else if (r == serial::InputWait::Woken)
                m_port.m_readWake.tryTake();
        }
        if (m_port.Closing())
            break;
        m_port.ReaderCycle(*this);
        if (ShouldLeave())
            break;
    }
    m_signal.set();
}

void TReadThread::Step(std::int64_t NowMs)
{
    if (m_port.Closing() || Stale())
        return;
    if (m_lastCycle == 0)
        m_lastCycle = NowMs;
    const bool woken = m_port.m_readWake.tryTake();
    const std::uint32_t inCount = m_port.m_inCount.load();
    bool due = inCount > 0 && NowMs - m_lastCycle >= m_interval;
    if (!woken && !due && inCount < m_port.m_inBuffSize.load()) {
        serial::QueueStatus status;
        due = m_device->queueStatus(status) && status.inQueue > 0; // input the status step has not announced
    }
    if (!woken && !due)
        return;
    m_lastCycle = NowMs;
    m_port.ReaderCycle(*this);
}

// ------------------------------------------------------------------ writer

void TWriteThread::Execute()
{
    m_signal.set();
    for (;;) {
        if (m_port.Closing())
            break;
        // Sleeps until Write hands it bytes; while bytes wait, one cycle per
        // interval (the device may have no room for them yet).
        if (m_port.m_outCount.load() > 0) {
            m_port.WriterCycle(*this);
            if (m_port.m_outCount.load() > 0)
                m_port.Pause(m_interval);
        } else {
            m_port.AwaitOutput();
        }
        if (ShouldLeave())
            break;
    }
    m_signal.set();
}

void TWriteThread::Step(std::int64_t NowMs)
{
    if (m_port.Closing() || Stale())
        return;
    if (m_port.m_outCount.load() == 0) {
        m_due = NowMs; // idle: the next bytes go out at once
        return;
    }
    if (NowMs < m_due)
        return;
    m_due = NowMs + m_interval;
    m_port.WriterCycle(*this);
}

} // namespace korvane
