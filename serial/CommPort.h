#pragma once

// The serial port component: one COM port opened with given line
// parameters, read and written through three worker threads (status, reader,
// writer) and 4096-byte buffers, modem lines driven and watched, and every
// line event delivered to the owner on the main thread.
//
// Devices. Open() asks a serial::SerialPortMap (the process-wide one unless
// another is given) for "\\.\COMn": /dev/ttyS(n-1) through termios, the path
// named by KORVANE_COM<n>, or "sim:<name>" for a simulated device registered
// in that map.
//
// Events. Every event but OnOpen and OnClose runs on the main thread (the
// thread that created the port) while the worker that raised it waits; each
// is raised only when a handler is assigned. Handlers may be assigned from
// any thread, also while the port is open. Close() keeps running the events
// still in flight while it waits for the threads; a handler may close the
// port. Events reach the main thread through its event loop, so the main
// thread must run one (or call QCoreApplication::processEvents) while a port
// is open. Open() waits up to 1000 ms for each thread's start signal without
// running events. The status thread sends its first line report before that
// signal, so when line-event handlers are assigned before the first Open(),
// the report waits for the main thread and Open() waits the full 1000 ms.
// Each thread sets its signal again when it ends and nothing clears it in
// between, so an Open() after a Close() finds the signals of the previous
// threads and does not wait at all, handlers or not (the first report then
// arrives once the event loop runs).
//
// Idle cost. The workers sleep until there is work: the status thread in the
// device's event wait, the reader until the status thread or Close() wakes it
// or the device has input, the writer until Write() hands it bytes. The
// intervals are waited only while they matter: the reader's while received
// bytes wait to be read (OnDataAvail is raised again once per ReadInterval),
// the writer's while bytes wait to be sent, the status thread's after a wait
// that failed.
//
// Threads. Read, Write, the line operations and the property setters may be
// called from another thread than the main thread too (the fast tick of the
// engine); an OnDTRSignal raised from there waits for the main thread. Open,
// Close and the destructor belong to the main thread.
//
// ---------------------------------------------------------------------------
// Virtual time: running a whole channel deterministically
//
// A simulated device created on a serial::VirtualClock with steppedPort set
// makes the port run its three workers as steps of that clock instead of
// threads, on the thread that advances the clock (the test's main thread):
//
//     serial::VirtualClock clock;
//     auto line = serial::SimSerialDevice::create({&clock, /*steppedPort*/ true});
//     serial::SimulatedPortRegistration reg(serial::serialPortMap(), "line1", line);
//     qputenv("KORVANE_COM1", "sim:line1");        // or give the port a map of its own
//     TCommPort port;  port.SetComNumber(cnCOM1);  port.Open();   // the driver's own code
//     line->send(...); line->setRing(true);        // the distant side
//     clock.advance(150);                          // everything happens in here
//     line->takeArrivals();                        // what the port sent, with times
//
// In each millisecond of clock.advance() the device moves its bytes first
// (subscribed before the port), then the port runs, in this order:
// - the status step: an event wait that finds the recorded events, or looks
//   again every millisecond (after StatusInterval ms when the wait failed),
//   and on success does exactly what the status thread does (wake the
//   reader, OnDataAvail, input lines, the dispatch in the documented order);
// - the reader step: one reader cycle when woken by the status step, when
//   the device holds input and the buffer has room, or ReadInterval ms after
//   its last cycle while bytes wait to be read;
// - the writer step: one writer cycle as soon as bytes wait to be sent, then
//   every WriteInterval ms while they still do.
// Handlers run directly inside advance(), on the caller's thread; they may
// write (the next character on transmitter empty goes out in the same
// millisecond), change lines, close or reopen the port. Subscribe the
// engine's own timers to the same clock so that port events and ticks
// interleave by virtual time. OnOpen/OnClose and the line operations behave
// as on real threads; Open() does not wait for anything.
// ---------------------------------------------------------------------------

#include "serial/CommEvent.h"
#include "serial/CommPortTypes.h"
#include "serial/MainThreadSync.h"
#include "serial/SignalEvent.h"

#include "platform/serial/SerialDevice.h"
#include "platform/serial/VirtualClock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace korvane {

namespace serial {
class SerialPortMap;
}

class TCommWorker;
class TStatusThread;
class TReadThread;
class TWriteThread;

class TCustomCommPort : public QObject {
    Q_OBJECT

public:
    explicit TCustomCommPort(QObject* AOwner = nullptr, serial::SerialPortMap* Map = nullptr);
    ~TCustomCommPort() override;

    void Open();
    void Close();

    // Only on an open port (else nothing happens, nothing is stored): stores
    // the four values and applies them in one device update.
    void SetParams(TBaudRate Baud, TDataBits DataBits, TStopBits StopBits, TParity Parity);

    bool SetBreak(bool Value);
    bool SetDTRState(bool Value);
    bool SetDTR(bool Value);
    bool SetRTSState(bool Value);
    bool SetRTS(bool Value);
    bool GetRing();
    bool GetDSR();
    void ToggleDTR();
    // The adapter presence test by a DTR-to-DCD loop-back.
    bool CheckAdapter(bool Inverted);

    std::uint32_t Read(void* Buf, std::uint32_t Count);
    std::uint8_t ReadByte();
    std::uint32_t Write(const void* Buf, std::uint32_t Count);
    std::uint32_t WriteByte(std::uint8_t B);
    std::uint32_t WriteString(const QByteArray& S);
    std::uint32_t GetOutCount() const { return m_outCount.load(); }
    std::uint32_t InCount() const { return m_inCount.load(); }

    // The line flags as last read or set.
    bool CTSState() const { return m_cts.load(); }
    bool DSRState() const { return m_dsr.load(); }
    bool RLSDState() const { return m_dcd.load(); }
    bool RingState() const { return m_ring.load(); }
    bool BreakState() const { return m_break.load(); }
    bool DTRState() const { return m_dtr.load(); }
    bool RTSState() const { return m_rts.load(); }

    // Why the last open or device setting failed (the port itself reports
    // nothing; callers may log this).
    QString LastError() const;

protected:
    // Published by TCommPort.
    TComNumber ComNumber() const { return m_comNumber.load(); }
    void SetComNumber(TComNumber Value) { m_comNumber.store(Value); }
    TBaudRate BaudRate() const { return m_baudRate.load(); }
    void SetBaudRate(TBaudRate Value);
    TParity Parity() const { return m_parity.load(); }
    void SetParity(TParity Value);
    TStopBits StopBits() const { return m_stopBits.load(); }
    void SetStopBits(TStopBits Value);
    TDataBits DataBits() const { return m_dataBits.load(); }
    void SetDataBits(TDataBits Value);
    std::uint32_t InBuffSize() const { return m_inBuffSize.load(); }
    void SetInBuffSize(std::uint32_t Value);
    std::uint32_t OutBuffSize() const { return m_outBuffSize.load(); }
    void SetOutBuffSize(std::uint32_t Value);
    bool Opened() const { return m_opened.load(); }
    void SetOpened(bool Value);
    // Taken by each thread when Open creates it.
    int StatusInterval() const { return m_statusInterval.load(); }
    void SetStatusInterval(int Value) { m_statusInterval.store(Value); }
    int ReadInterval() const { return m_readInterval.load(); }
    void SetReadInterval(int Value) { m_readInterval.store(Value); }
    int WriteInterval() const { return m_writeInterval.load(); }
    void SetWriteInterval(int Value) { m_writeInterval.store(Value); }

    CommEvent<TNotifyEvent> OnOpen;
    CommEvent<TNotifyEvent> OnClose;
    CommEvent<TNotifyEvent> OnCTSSignal;
    CommEvent<TNotifyEvent> OnDSRSignal;
    CommEvent<TNotifyEvent> OnDTRSignal;
    CommEvent<TNotifyEvent> OnRLSDSignal;
    CommEvent<TNotifyEvent> OnTxEmptySignal;
    CommEvent<TNotifyEvent> OnRxDSignal; // never raised
    CommEvent<TNotifyEvent> OnTxDSignal; // never raised
    CommEvent<TCommDataAvailEvent> OnDataAvail;
    CommEvent<TNotifyEvent> OnBreakSignal;
    CommEvent<TCommErrorEvent> OnErrorSignal;
    CommEvent<TNotifyEvent> OnRingSignal;

private:
    friend class TCommWorker;
    friend class TStatusThread;
    friend class TReadThread;
    friend class TWriteThread;

    enum class Event : std::uint8_t { CTS, DSR, DTR, RLSD, TxEmpty, DataAvail, Break, Error, Ring };

    std::shared_ptr<serial::SerialDevice> Device() const;
    bool HandleValid() const { return m_handleValid.load(); }
    bool Closing() const { return m_closing.load(); }
    void NoteError(const QString& error);
    void NoteDeviceError(serial::SerialDevice& device);
    // GetCommState, change, SetCommState; false when the device refused.
    template <typename Change>
    void UpdateLine(Change change);
    void FreeBuffers();
    bool Escape(TEscapeLine Line, bool Value);

    // Worker cycles (shared by the threads and the virtual-time steps).
    bool Assigned(Event e) const;
    void Raise(Event e, int Errors = 0);
    void Deliver(Event e, int Errors);
    void Pause(int ms);
    // The writer's sleep while it has nothing to send.
    void AwaitOutput();
    void StatusFirstReport(TStatusThread& thread);
    void StatusCycleEnd(TStatusThread& thread, bool Succeeded);
    void Dispatch(TStatusThread& thread, std::uint32_t Mask);
    void ReaderCycle(TReadThread& thread);
    void WriterCycle(TWriteThread& thread);
    void StopWorker(std::unique_ptr<TCommWorker>& worker);
    void StepWorkers();

    serial::SerialPortMap& m_map;
    MainThreadSync m_sync;

    mutable std::mutex m_deviceMutex;
    std::shared_ptr<serial::SerialDevice> m_device;
    std::atomic<bool> m_handleValid{false};
    serial::LineSettings m_dcb;

    std::atomic<TComNumber> m_comNumber{cnCOM2};
    std::atomic<TBaudRate> m_baudRate{br_19200};
    std::atomic<TParity> m_parity{paNone};
    std::atomic<TStopBits> m_stopBits{sb1_0};
    std::atomic<TDataBits> m_dataBits{db8};

    std::unique_ptr<TCommWorker> m_statusThread;
    std::unique_ptr<TCommWorker> m_readThread;
    std::unique_ptr<TCommWorker> m_writeThread;
    std::atomic<bool> m_statusThreadExists{false};
    std::vector<std::unique_ptr<TCommWorker>> m_retired; // stepped workers closed inside their own step

    SignalEvent m_statusSignal;
    SignalEvent m_readSignal;
    SignalEvent m_writeSignal;
    SignalEvent m_readWake;

    std::atomic<int> m_statusInterval{1};
    std::atomic<int> m_readInterval{1};
    std::atomic<int> m_writeInterval{1};

    std::atomic<bool> m_closing{false};
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseWake;
    std::condition_variable m_outputWake; // Write or Close wakes the idle writer
    bool m_closeInProgress = false;
    std::atomic<std::uint64_t> m_generation{0}; // counts closes

    std::mutex m_writeLock;
    std::mutex m_readLock;
    std::unique_ptr<std::uint8_t[]> m_outBuffer;
    std::atomic<std::uint32_t> m_outBuffSize{4096};
    std::atomic<std::uint32_t> m_outCount{0};
    std::unique_ptr<std::uint8_t[]> m_inBuffer;
    std::atomic<std::uint32_t> m_inBuffSize{4096};
    std::atomic<std::uint32_t> m_inCount{0};

    std::atomic<bool> m_cts{false}, m_dsr{false}, m_dcd{false}, m_ring{false}, m_break{false};
    std::atomic<bool> m_dtr{false}, m_rts{false};
    std::atomic<bool> m_opened{false};
    bool m_toggle = false;

    std::atomic<serial::VirtualClock*> m_stepClock{nullptr};
    serial::VirtualClock::Subscription m_stepTick;
    int m_stepDepth = 0;

    mutable std::mutex m_errorMutex;
    QString m_lastError;
};

// The serial port object with its properties and events published.
class TCommPort final : public TCustomCommPort {
    Q_OBJECT

public:
    using TCustomCommPort::TCustomCommPort;

    using TCustomCommPort::BaudRate;
    using TCustomCommPort::ComNumber;
    using TCustomCommPort::DataBits;
    using TCustomCommPort::InBuffSize;
    using TCustomCommPort::Opened;
    using TCustomCommPort::OutBuffSize;
    using TCustomCommPort::Parity;
    using TCustomCommPort::ReadInterval;
    using TCustomCommPort::SetBaudRate;
    using TCustomCommPort::SetComNumber;
    using TCustomCommPort::SetDataBits;
    using TCustomCommPort::SetInBuffSize;
    using TCustomCommPort::SetOpened;
    using TCustomCommPort::SetOutBuffSize;
    using TCustomCommPort::SetParity;
    using TCustomCommPort::SetReadInterval;
    using TCustomCommPort::SetStatusInterval;
    using TCustomCommPort::SetStopBits;
    using TCustomCommPort::SetWriteInterval;
    using TCustomCommPort::StatusInterval;
    using TCustomCommPort::StopBits;
    using TCustomCommPort::WriteInterval;

    using TCustomCommPort::OnBreakSignal;
    using TCustomCommPort::OnClose;
    using TCustomCommPort::OnCTSSignal;
    using TCustomCommPort::OnDataAvail;
    using TCustomCommPort::OnDSRSignal;
    using TCustomCommPort::OnDTRSignal;
    using TCustomCommPort::OnErrorSignal;
    using TCustomCommPort::OnOpen;
    using TCustomCommPort::OnRingSignal;
    using TCustomCommPort::OnRLSDSignal;
    using TCustomCommPort::OnRxDSignal;
    using TCustomCommPort::OnTxDSignal;
    using TCustomCommPort::OnTxEmptySignal;
};

} // namespace korvane
