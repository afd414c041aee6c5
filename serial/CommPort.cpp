#include "serial/CommPort.h"

#include "serial/CommPortThreads.h"

#include "platform/serial/SerialPortMap.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace korvane {

using serial::SerialDevice;

TCustomCommPort::TCustomCommPort(QObject* AOwner, serial::SerialPortMap* Map)
    : QObject(AOwner), m_map(Map ? *Map : serial::serialPortMap()), m_sync()
{
}

TCustomCommPort::~TCustomCommPort()
{
    Close();
    m_retired.clear();
}

// ------------------------------------------------------------- open, close

void TCustomCommPort::Open()
{
    if (m_opened.load() || m_closeInProgress)
        return;
    if (m_stepDepth == 0)
        m_retired.clear();

    {
        std::scoped_lock lock(m_writeLock, m_readLock);
        m_outBuffer = std::make_unique<std::uint8_t[]>(m_outBuffSize.load());
        m_inBuffer = std::make_unique<std::uint8_t[]>(m_inBuffSize.load());
        m_outCount = 0;
        m_inCount = 0;
    }

    const QString name = QStringLiteral("\\\\.\\COM%1").arg(static_cast<int>(m_comNumber.load()) + 1);
    QString error;
    std::shared_ptr<SerialDevice> device = m_map.open(name, &error);
    if (!device) {
        NoteError(error);
        FreeBuffers(); // so that the buffer sizes can be changed again
        return;
    }
    {
        std::lock_guard lock(m_deviceMutex);
        m_device = device;
    }
    m_handleValid = true;

    if (!device->setQueueSizes(m_inBuffSize.load(), m_outBuffSize.load()))
        NoteDeviceError(*device);
    // All line parameters in one update, so that a device that checks
    // combinations never sees a mixture of old and new values.
    UpdateLine([this](serial::LineSettings& dcb) {
        dcb.baudRate = BaudTable[m_baudRate.load()];
        dcb.parity = ParityTable[m_parity.load()];
        dcb.stopBits = StopBitsTable[m_stopBits.load()];
        dcb.byteSize = DataBitsTable[m_dataBits.load()];
    });
    m_closing = false;
    m_stepClock = device->steppingClock();
    serial::VirtualClock* const stepClock = m_stepClock.load();
    const bool stepped = stepClock != nullptr;
    constexpr int startWaitMs = 1000;

    m_statusThread = std::make_unique<TStatusThread>(*this, device, m_statusInterval.load(), m_statusSignal);
    m_statusThreadExists = true;
    if (stepped)
        m_statusThread->Begin();
    else
        m_statusThread->Resume();
    m_statusSignal.wait(startWaitMs);

    if (!device->setEventMask(CommEventMask))
        NoteDeviceError(*device);

    m_readThread = std::make_unique<TReadThread>(*this, device, m_readInterval.load(), m_readSignal);
    if (stepped)
        m_readThread->Begin();
    else
        m_readThread->Resume();
    m_readSignal.wait(startWaitMs);
    m_writeThread = std::make_unique<TWriteThread>(*this, device, m_writeInterval.load(), m_writeSignal);
    if (stepped)
        m_writeThread->Begin();
    else
        m_writeThread->Resume();
    m_writeSignal.wait(startWaitMs);

    if (stepped)
        m_stepTick = stepClock->subscribe([this] { StepWorkers(); });

    m_opened = true;
    OnOpen(this);
}

void TCustomCommPort::Close()
{
    m_closing = true;
    {
        std::lock_guard lock(m_pauseMutex);
    }
    m_pauseWake.notify_all();
    m_outputWake.notify_all();
    if (!m_opened.load() || m_closeInProgress)
        return;
    m_closeInProgress = true;
    // A handler that closes the port: the worker that raised it goes on.
    m_sync.abandonRunning();

    m_ring = false;
    m_dcd = false;
    const std::shared_ptr<SerialDevice> device = Device();
    StopWorker(m_writeThread);
    m_readWake.set();
    device->wakeInputWait();
    StopWorker(m_readThread);
    device->setEventMask(0); // completes the status thread's wait
    StopWorker(m_statusThread);
    m_statusThreadExists = false;
    m_stepTick.reset();
    m_stepClock = nullptr;

    // What is still queued for sending is dropped, so that closing never
    // waits for a slow line to drain.
    device->purgeOutput();
    device->close();
    {
        std::scoped_lock lock(m_writeLock, m_readLock);
        m_handleValid = false;
        {
            std::lock_guard deviceLock(m_deviceMutex);
            m_device.reset();
        }
        m_outBuffer.reset();
        m_inBuffer.reset();
        m_inCount = 0;
        m_outCount = 0;
    }
    m_dtr = false;
    m_opened = false;
    ++m_generation;
    m_closeInProgress = false;
    OnClose(this);
}

void TCustomCommPort::StopWorker(std::unique_ptr<TCommWorker>& worker)
{
    if (!worker)
        return;
    worker->Terminate();
    if (m_stepDepth > 0) {
        // Closed from inside a step: the worker is still on the stack.
        m_retired.push_back(std::move(worker));
        return;
    }
    if (m_stepClock.load() == nullptr) // stepped workers have no thread to wait for
        m_sync.serveUntil([&] { return worker->Finished(); });
    worker->WaitFor();
    worker.reset();
}

void TCustomCommPort::FreeBuffers()
{
    std::scoped_lock lock(m_writeLock, m_readLock);
    m_outBuffer.reset();
    m_inBuffer.reset();
    m_inCount = 0;
    m_outCount = 0;
}

void TCustomCommPort::SetOpened(bool Value)
{
    if (Value)
        Open();
    else
        Close();
}

// -------------------------------------------------------------- properties

std::shared_ptr<SerialDevice> TCustomCommPort::Device() const
{
    std::lock_guard lock(m_deviceMutex);
    return m_device;
}

void TCustomCommPort::NoteError(const QString& error)
{
    std::lock_guard lock(m_errorMutex);
    m_lastError = error;
}

void TCustomCommPort::NoteDeviceError(SerialDevice& device)
{
    NoteError(device.lastError());
}

QString TCustomCommPort::LastError() const
{
    std::lock_guard lock(m_errorMutex);
    return m_lastError;
}

template <typename Change>
void TCustomCommPort::UpdateLine(Change change)
{
    const std::shared_ptr<SerialDevice> device = Device();
    if (!device)
        return;
    std::lock_guard lock(m_deviceMutex); // one update at a time
    serial::LineSettings dcb;
    if (!device->getLine(dcb)) {
        NoteDeviceError(*device);
        return;
    }
    change(dcb);
    if (!device->setLine(dcb)) {
        NoteDeviceError(*device);
        return;
    }
    m_dcb = dcb;
}

void TCustomCommPort::SetBaudRate(TBaudRate Value)
{
    m_baudRate = Value;
    if (HandleValid())
        UpdateLine([&](serial::LineSettings& dcb) { dcb.baudRate = BaudTable[Value]; });
}

void TCustomCommPort::SetParity(TParity Value)
{
    m_parity = Value;
    if (HandleValid())
        UpdateLine([&](serial::LineSettings& dcb) { dcb.parity = ParityTable[Value]; });
}

void TCustomCommPort::SetStopBits(TStopBits Value)
{
    m_stopBits = Value;
    if (HandleValid())
        UpdateLine([&](serial::LineSettings& dcb) { dcb.stopBits = StopBitsTable[Value]; });
}

void TCustomCommPort::SetDataBits(TDataBits Value)
{
    m_dataBits = Value;
    if (HandleValid())
        UpdateLine([&](serial::LineSettings& dcb) { dcb.byteSize = DataBitsTable[Value]; });
}

void TCustomCommPort::SetParams(TBaudRate Baud, TDataBits DataBits, TStopBits StopBits, TParity Parity)
{
    if (!HandleValid())
        return;
    m_baudRate = Baud;
    m_dataBits = DataBits;
    m_stopBits = StopBits;
    m_parity = Parity;
    UpdateLine([&](serial::LineSettings& dcb) {
        dcb.baudRate = BaudTable[Baud];
        dcb.byteSize = DataBitsTable[DataBits];
        dcb.stopBits = StopBitsTable[StopBits];
        dcb.parity = ParityTable[Parity];
    });
}

void TCustomCommPort::SetInBuffSize(std::uint32_t Value)
{
    std::lock_guard lock(m_readLock);
    if (!m_inBuffer)
        m_inBuffSize = Value;
}

void TCustomCommPort::SetOutBuffSize(std::uint32_t Value)
{
    std::lock_guard lock(m_writeLock);
    if (!m_outBuffer)
        m_outBuffSize = Value;
}

// ------------------------------------------------------------- line control

bool TCustomCommPort::Escape(TEscapeLine Line, bool Value)
{
    if (!m_opened.load())
        return false;
    const std::shared_ptr<SerialDevice> device = Device();
    if (!device)
        return false;
    if (device->escape(EscapeFuncTables[Line][Value ? 1 : 0]))
        return true;
    NoteDeviceError(*device);
    return false;
}

bool TCustomCommPort::SetBreak(bool Value)
{
    return Escape(elBreak, Value);
}

bool TCustomCommPort::SetDTRState(bool Value)
{
    m_dtr = Value;
    const bool ok = Escape(elDTR, Value);
    if (OnDTRSignal && m_statusThreadExists.load())
        Raise(Event::DTR);
    return ok;
}

bool TCustomCommPort::SetDTR(bool Value)
{
    return SetDTRState(Value);
}

bool TCustomCommPort::SetRTSState(bool Value)
{
    m_rts = Value;
    return Escape(elRTS, Value);
}

bool TCustomCommPort::SetRTS(bool Value)
{
    return SetRTSState(Value);
}

bool TCustomCommPort::GetRing()
{
    std::uint32_t lines = 0;
    const std::shared_ptr<SerialDevice> device = Device();
    const bool ok = device && device->modemStatus(lines);
    if (device && !ok)
        NoteDeviceError(*device);
    const bool on = ok && (lines & serial::ms::RingOn) != 0;
    m_ring = on;
    return on;
}

bool TCustomCommPort::GetDSR()
{
    std::uint32_t lines = 0;
    const std::shared_ptr<SerialDevice> device = Device();
    const bool ok = device && device->modemStatus(lines);
    if (device && !ok)
        NoteDeviceError(*device);
    const bool on = ok && (lines & serial::ms::DsrOn) != 0;
    m_dsr = on;
    return on;
}

void TCustomCommPort::ToggleDTR()
{
    SetDTR(m_toggle);
    m_toggle = !m_toggle;
}

bool TCustomCommPort::CheckAdapter(bool Inverted)
{
    const std::shared_ptr<SerialDevice> device = Device();
    if (!device)
        return false;
    SetDTR(true);
    std::uint32_t lines = 0;
    if (!device->modemStatus(lines)) {
        NoteDeviceError(*device);
        return false;
    }
    m_dcd = (lines & serial::ms::RlsdOn) != 0;
    bool ok = Inverted ? !m_dcd.load() : m_dcd.load();
    if (ok) {
        SetDTR(false);
        if (device->modemStatus(lines)) {
            m_dcd = (lines & serial::ms::RlsdOn) != 0;
            ok = Inverted ? m_dcd.load() : !m_dcd.load();
        }
    }
    return ok;
}

// ------------------------------------------------------------ reading, writing

std::uint32_t TCustomCommPort::Read(void* Buf, std::uint32_t Count)
{
    std::lock_guard lock(m_readLock);
    if (!HandleValid() || !m_inBuffer)
        return 0;
    const std::uint32_t inCount = m_inCount.load();
    const std::uint32_t n = std::min(Count, inCount);
    if (n == 0)
        return 0;
    std::memcpy(Buf, m_inBuffer.get(), n);
    std::memmove(m_inBuffer.get(), m_inBuffer.get() + n, inCount - n);
    m_inCount = inCount - n;
    return n;
}

std::uint8_t TCustomCommPort::ReadByte()
{
    if (m_inCount.load() == 0)
        return 0;
    std::uint8_t b = 0;
    Read(&b, 1);
    return b;
}

std::uint32_t TCustomCommPort::Write(const void* Buf, std::uint32_t Count)
{
    std::lock_guard lock(m_writeLock);
    if (!HandleValid() || !m_outBuffer)
        return 0;
    const std::uint32_t outCount = m_outCount.load();
    const std::uint32_t room = m_outBuffSize.load() - outCount;
    const std::uint32_t n = std::min(Count, room);
    if (n == 0)
        return 0;
    std::memcpy(m_outBuffer.get() + outCount, Buf, n);
    m_outCount = outCount + n;
    if (outCount == 0) {
        // The writer may be asleep with nothing to send.
        { std::lock_guard wake(m_pauseMutex); }
        m_outputWake.notify_one();
    }
    return n;
}

std::uint32_t TCustomCommPort::WriteByte(std::uint8_t B)
{
    return Write(&B, 1);
}

std::uint32_t TCustomCommPort::WriteString(const QByteArray& S)
{
    if (S.isEmpty())
        return 0;
    return Write(S.constData(), static_cast<std::uint32_t>(S.size()));
}

// ----------------------------------------------------------------- events

bool TCustomCommPort::Assigned(Event e) const
{
    switch (e) {
    case Event::CTS: return static_cast<bool>(OnCTSSignal);
    case Event::DSR: return static_cast<bool>(OnDSRSignal);
    case Event::DTR: return static_cast<bool>(OnDTRSignal);
    case Event::RLSD: return static_cast<bool>(OnRLSDSignal);
    case Event::TxEmpty: return static_cast<bool>(OnTxEmptySignal);
    case Event::DataAvail: return static_cast<bool>(OnDataAvail);
    case Event::Break: return static_cast<bool>(OnBreakSignal);
    case Event::Error: return static_cast<bool>(OnErrorSignal);
    case Event::Ring: return static_cast<bool>(OnRingSignal);
    }
    return false;
}

void TCustomCommPort::Raise(Event e, int Errors)
{
    if (!Assigned(e))
        return;
    if (m_stepClock.load() != nullptr && m_sync.onMainThread()) {
        Deliver(e, Errors);
        return;
    }
    m_sync.run([this, e, Errors] { Deliver(e, Errors); });
}

void TCustomCommPort::Deliver(Event e, int Errors)
{
    switch (e) {
    case Event::CTS: OnCTSSignal(this); break;
    case Event::DSR: OnDSRSignal(this); break;
    case Event::DTR: OnDTRSignal(this); break;
    case Event::RLSD: OnRLSDSignal(this); break;
    case Event::TxEmpty: OnTxEmptySignal(this); break;
    case Event::DataAvail: OnDataAvail(this, static_cast<int>(m_inCount.load())); break;
    case Event::Break: OnBreakSignal(this); break;
    case Event::Error: OnErrorSignal(this, Errors); break;
    case Event::Ring: OnRingSignal(this); break;
    }
}

void TCustomCommPort::Pause(int ms)
{
    std::unique_lock lock(m_pauseMutex);
    m_pauseWake.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_closing.load(); });
}

void TCustomCommPort::AwaitOutput()
{
    std::unique_lock lock(m_pauseMutex);
    m_outputWake.wait(lock, [&] { return m_closing.load() || m_outCount.load() > 0; });
}

// ---------------------------------------------------------- worker cycles

void TCustomCommPort::StatusFirstReport(TStatusThread& thread)
{
    std::uint32_t lines = 0;
    if (!HandleValid() || !thread.Device().modemStatus(lines))
        return;
    m_cts = (lines & serial::ms::CtsOn) != 0;
    m_dsr = (lines & serial::ms::DsrOn) != 0;
    m_ring = (lines & serial::ms::RingOn) != 0;
    m_dcd = (lines & serial::ms::RlsdOn) != 0;
    thread.EventMask = FirstReportMask;
    Dispatch(thread, thread.EventMask);
}

void TCustomCommPort::StatusCycleEnd(TStatusThread& thread, bool Succeeded)
{
    // A failed wait reports nothing: there is no new event to dispatch.
    if (!Succeeded || Closing())
        return;
    if (HandleValid()) {
        m_readWake.set();
        thread.Device().wakeInputWait();
    }
    if (m_inCount.load() > 0)
        Raise(Event::DataAvail);
    if (thread.Stale())
        return;
    const std::uint32_t mask = thread.EventMask;
    std::uint32_t lines = 0;
    if ((mask & ModemEventMask) != 0 && thread.Device().modemStatus(lines)) {
        m_cts = (lines & serial::ms::CtsOn) != 0;
        m_dsr = (lines & serial::ms::DsrOn) != 0;
        const bool ring = (lines & serial::ms::RingOn) != 0;
        if (ring != m_ring.load()) {
            m_ring = ring;
            Raise(Event::Ring);
            if (thread.Stale())
                return;
        }
        m_dcd = (lines & serial::ms::RlsdOn) != 0;
    }
    Dispatch(thread, mask);
}

void TCustomCommPort::Dispatch(TStatusThread& thread, std::uint32_t Mask)
{
    namespace ev = serial::ev;
    thread.Errors = 0;
    if (HandleValid()) {
        serial::QueueStatus status;
        thread.Device().clearErrors(thread.Errors, status);
    }
    const int errors = static_cast<int>(thread.Errors);
    struct Entry {
        std::uint32_t bit;
        Event event;
    };
    static constexpr Entry order[] = {
        {ev::Break, Event::Break}, {ev::Cts, Event::CTS},   {ev::Dsr, Event::DSR},         {ev::Err, Event::Error},
        {ev::Ring, Event::Ring},   {ev::Rlsd, Event::RLSD}, {ev::TxEmpty, Event::TxEmpty},
    };
    m_break = (Mask & ev::Break) != 0;
    for (const Entry& entry : order) {
        if ((Mask & entry.bit) == 0)
            continue;
        Raise(entry.event, errors);
        if (thread.Stale())
            return;
    }
}

void TCustomCommPort::ReaderCycle(TReadThread& thread)
{
    serial::QueueStatus status;
    const bool valid = HandleValid();
    if (valid)
        thread.Device().queueStatus(status);
    {
        std::lock_guard lock(m_readLock);
        if (m_inBuffer) {
            const std::uint32_t size = m_inBuffSize.load();
            const std::uint32_t inCount = m_inCount.load();
            const std::uint32_t n = std::min(status.inQueue, size - inCount);
            if (n > 0 && valid) {
                const std::int64_t got = thread.Device().read(m_inBuffer.get() + inCount, n);
                if (got > 0)
                    m_inCount = std::min<std::uint32_t>(inCount + static_cast<std::uint32_t>(got), size);
            }
        }
    }
    if (m_inCount.load() > 0)
        Raise(Event::DataAvail);
}

void TCustomCommPort::WriterCycle(TWriteThread& thread)
{
    std::lock_guard lock(m_writeLock);
    if (!m_outBuffer)
        return;
    serial::QueueStatus status;
    const bool valid = HandleValid() && thread.Device().queueStatus(status);
    const std::uint32_t size = m_outBuffSize.load();
    const std::uint32_t outCount = m_outCount.load();
    const std::uint32_t n = std::min(outCount, size - std::min(status.outQueue, size));
    if (!valid || n == 0 || Closing())
        return;
    const std::int64_t written = thread.Device().write(m_outBuffer.get(), n);
    if (written <= 0)
        return;
    const auto w = static_cast<std::uint32_t>(written);
    if (w < outCount) {
        std::memmove(m_outBuffer.get(), m_outBuffer.get() + w, outCount - w);
        m_outCount = outCount - w;
    } else {
        m_outCount = 0;
    }
}

// ------------------------------------------------------------ virtual time

void TCustomCommPort::StepWorkers()
{
    if (m_closing.load() || !m_statusThread)
        return;
    serial::VirtualClock* const clock = m_stepClock.load();
    if (clock == nullptr)
        return;
    const auto now = static_cast<std::int64_t>(clock->tickMs());
    const std::uint64_t generation = m_generation.load();
    ++m_stepDepth;
    for (TCommWorker* worker : {m_statusThread.get(), m_readThread.get(), m_writeThread.get()}) {
        if (worker == nullptr || m_closing.load() || m_generation.load() != generation)
            break;
        worker->Step(now);
    }
    --m_stepDepth;
    if (m_stepDepth == 0)
        m_retired.clear(); // workers closed inside their own step
}

} // namespace korvane
