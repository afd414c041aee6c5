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
        if (r != WaitResult::Completed)
            m_port.Pause(m_interval);
        if (m_port.Closing())
            break;
        if (r == WaitResult::Pending)
            r = m_device->finishWait(mask, true);
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
            m_phase = Phase::Sleeping;
            m_due = NowMs + m_interval;
            return;
        }
        case Phase::Sleeping:
            if (NowMs < m_due)
                return;
            if (m_started == WaitResult::Pending) {
                m_phase = Phase::Waiting;
                continue;
            }
            m_phase = Phase::Start;
            m_port.StatusCycleEnd(*this, false);
            return;
        case Phase::Waiting: {
            std::uint32_t mask = 0;
            const WaitResult r = m_device->finishWait(mask, false);
            if (r == WaitResult::Pending)
                return;
            m_phase = Phase::Start;
            if (r == WaitResult::Completed)
                EventMask = mask;
            m_port.StatusCycleEnd(*this, r == WaitResult::Completed);
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
        if (m_port.m_readWake.wait(m_interval)) {
            if (m_port.Closing())
                break;
            m_port.ReaderCycle(*this);
        } else {
            m_port.m_readWake.set(); // read at once in the next cycle
        }
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
    if (!woken && NowMs - m_lastCycle < m_interval)
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
        if (m_port.m_outCount.load() > 0)
            m_port.WriterCycle(*this);
        m_port.Pause(m_interval);
        if (ShouldLeave())
            break;
    }
    m_signal.set();
}

void TWriteThread::Step(std::int64_t NowMs)
{
    if (m_port.Closing() || Stale() || NowMs < m_due)
        return;
    m_due = NowMs + m_interval;
    if (m_port.m_outCount.load() > 0)
        m_port.WriterCycle(*this);
}

} // namespace korvane
