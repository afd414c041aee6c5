#pragma once

#include "platform/serial/MarkedInputDecoder.h"
#include "platform/serial/SerialDevice.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

struct termios;

namespace korvane::serial {

// A serial device file (/dev/ttyS0, /dev/ttyUSB0, a pseudo-terminal) through
// termios.
//
// - Opened exclusively: TIOCEXCL and a non-blocking flock, so that a second
//   open fails even for a process that TIOCEXCL lets through.
// - Raw, binary, no flow control, no parity checking, CLOCAL; DTR and RTS are
//   lowered right after the open (Linux raises them when a port opens), and
//   again after every change of the line parameters where the caller has not
//   raised them (a driver raises both when the speed leaves 0, which another
//   program may have left behind).
// - Line parameters: every baud rate of the port's list, the ones termios
//   names by a speed code and the others (100, 14400, 56000, 128000, 256000)
//   as arbitrary speeds through termios2; 5 to 8 data bits, 1.5 stop bits as
//   CS5|CSTOPB (a 16550-style UART sends those as 1.5), parity none/odd/even
//   and mark/space through CMSPAR. The update is read back; a driver that did
//   not take every part of it gets its previous settings back and the update
//   is reported as refused.
// - Input is read with PARMRK so that a break is told from data: it is
//   reported as ev::Break and ce::Break and never enters the data.
// - Waits sleep until something happens: input on the descriptor, a wake-up,
//   a line change. Modem lines are watched by a helper thread blocked in
//   TIOCMIWAIT (ended by a signal, since closing the device cannot end it);
//   where the driver lacks TIOCMIWAIT the event wait looks at them every few
//   milliseconds instead. Line errors come from TIOCGICOUNT where the driver
//   has it, looked at whenever the device wakes.
// - Transmitter empty: the output queue (TIOCOUTQ) is 0 and, where the driver
//   reports it, the line status says the shift register is empty. Where the
//   driver refuses the line status (many USB adapters, whose queue count
//   reaches 0 when the bytes are handed to the adapter), the event waits
//   besides until the character times of what was written have passed.
//   Checked only while a send is pending.
// - Devices without modem lines (pseudo-terminals): learnt once; from then on
//   modemStatus() and the DTR/RTS functions fail at once with "... not
//   supported by this device" in lastError(). Break works where the driver
//   has it.
class TermiosSerialDevice final : public SerialDevice {
public:
    // nullptr with the reason in error when the device cannot be opened
    // (missing, not a terminal, in use).
    static std::unique_ptr<TermiosSerialDevice> open(const QString& path, QString* error = nullptr);
    ~TermiosSerialDevice() override;

    bool setQueueSizes(std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool getLine(LineSettings& settings) override;
    bool setLine(const LineSettings& settings) override;
    bool setEventMask(std::uint32_t mask) override;
    WaitResult startWait(std::uint32_t& events) override;
    WaitResult finishWait(std::uint32_t& events, bool block) override;
    bool clearErrors(std::uint32_t& errors, QueueStatus& status) override;
    bool queueStatus(QueueStatus& status) override;
    bool modemStatus(std::uint32_t& lines) override;
    bool escape(Escape function) override;
    std::int64_t read(void* data, std::size_t size) override;
    std::int64_t write(const void* data, std::size_t size) override;
    bool purgeOutput() override;
    void close() override;
    InputWait waitInput(bool wantInput, int timeoutMs) override;
    void wakeInputWait() override;
    QString lastError() const override;

private:
    TermiosSerialDevice(int fd, int wakeFd, int inputWakeFd, QString path);

    // With m_mutex held.
    bool usable();
    void fail(const QString& what, int error);
    void catchUp();
    void drainInput();
    void decode(const std::uint8_t* raw, std::size_t n);
    void pollModemLines();
    void pollErrorCounts();
    void pollTransmitter();
    void record(std::uint32_t event);
    bool outQueue(std::uint32_t& count);
    int statusPollTimeout();
    void noteLine(const LineSettings& settings);
    void lowerUnwantedLines();
    bool noModemLines();
    void restoreLine(const struct termios& old, std::uint32_t oldArbitrary);
    void wake();
    void wakeReader();

    // The modem-line watcher (no lock held).
    void startLineWatcher();
    void watchLines();
    void stopLineWatcher();

    const QString m_path;
    int m_fd;
    const int m_wakeFd;      // eventfd that ends the event wait's poll()
    const int m_inputWakeFd; // eventfd that ends the reader's poll()
    const QString m_noModemError;

    mutable std::mutex m_mutex;
    std::condition_variable m_idle; // close() waits for pollers to leave
    int m_polling = 0;
    bool m_closed = false;
    QString m_error;

    std::uint32_t m_inCapacity = 4096;
    std::uint32_t m_outCapacity = 4096;
    std::deque<std::uint8_t> m_in;
    MarkedInputDecoder m_decoder;

    std::uint32_t m_mask = 0;
    std::uint32_t m_history = 0;
    bool m_waitPending = false;
    bool m_maskCompletedWait = false;
    std::uint32_t m_errors = 0;

    bool m_modemSupported = true;
    std::uint32_t m_lines = 0;
    bool m_countsSupported = true;
    bool m_haveCounts = false;
    int m_counts[11] = {};
    bool m_lsrSupported = true;
    bool m_txPending = false;
    std::int64_t m_charMicros = 0;  // one character of the current frame
    std::int64_t m_txWireEnd = 0;   // when what was written has left the line (estimate, steady µs)

    bool m_statusPolling = false;   // the event wait sleeps in poll()
    bool m_readerPolling = false;   // the reader sleeps in poll()
    bool m_inputWake = false;       // wakeInputWait() not yet taken
    bool m_wantDtr = false, m_wantRts = false;

    bool m_lineWatch = false;       // the watcher waits in TIOCMIWAIT for the event wait
    std::thread m_watcher;
    std::atomic<bool> m_watchStop{false};
    std::atomic<bool> m_watchEnded{false};
};

} // namespace korvane::serial
