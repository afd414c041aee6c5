#pragma once

#include "platform/serial/SerialDevice.h"
#include "serial/SignalEvent.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace korvane {

class TCustomCommPort;

// A worker of an open port: its port, a copy of the port's device, its
// interval (copied when Open creates it) and the port's signal event that it
// sets when it starts and when it ends. It runs either as a thread of its own
// (Resume: Execute in a loop) or as steps of a virtual clock (Begin once,
// then Step every millisecond).
class TCommWorker {
public:
    TCommWorker(TCustomCommPort& Port, std::shared_ptr<serial::SerialDevice> Device, int Interval,
                SignalEvent& Signal);
    virtual ~TCommWorker();
    TCommWorker(const TCommWorker&) = delete;
    TCommWorker& operator=(const TCommWorker&) = delete;

    void Resume();
    void Terminate() { m_terminated.store(true); }
    bool Terminated() const { return m_terminated.load(); }
    bool Finished() const { return m_finished.load(); }
    void WaitFor();

    virtual void Begin() { m_signal.set(); }
    virtual void Step(std::int64_t NowMs) = 0;

    serial::SerialDevice& Device() { return *m_device; }
    int Interval() const { return m_interval; }
    // The port was closed (and maybe opened again) since this worker began.
    bool Stale() const;

protected:
    virtual void Execute() = 0;
    bool ShouldLeave() const;

    TCustomCommPort& m_port;
    const std::shared_ptr<serial::SerialDevice> m_device;
    const int m_interval;
    SignalEvent& m_signal;
    const std::uint64_t m_generation;

private:
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

class TStatusThread final : public TCommWorker {
public:
    using TCommWorker::TCommWorker;
    void Begin() override;
    void Step(std::int64_t NowMs) override;

    std::uint32_t EventMask = 0; // of the last wait
    std::uint32_t Errors = 0;    // of the last error query

protected:
    void Execute() override;

private:
    enum class Phase : std::uint8_t { Start, Sleeping, Waiting };
    Phase m_phase = Phase::Start;
    serial::WaitResult m_started = serial::WaitResult::Pending;
    std::int64_t m_due = 0;
};

class TReadThread final : public TCommWorker {
public:
    using TCommWorker::TCommWorker;
    void Step(std::int64_t NowMs) override;

protected:
    void Execute() override;

private:
    std::int64_t m_lastCycle = 0;
};

class TWriteThread final : public TCommWorker {
public:
    using TCommWorker::TCommWorker;
    void Step(std::int64_t NowMs) override;

protected:
    void Execute() override;

private:
    std::int64_t m_due = 0;
};

} // namespace korvane
