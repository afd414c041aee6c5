#pragma once

#include "platform/serial/SerialDevice.h"
#include "platform/serial/SerialTypes.h"
#include "platform/serial/SimLineSignal.h"
#include "platform/serial/VirtualClock.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace korvane::serial {

// An in-process serial device with two ends. The port side is what
// open() hands out (a SerialDevice, at most one at a time, like an
// exclusively opened COM port); the far end is driven by a test or by a
// simulated line adapter through the public members below.
//
// Timing follows the line parameters: every character takes characterMicros()
// of the frame it is sent in (a 5-bit character with 1.5 stop bits at 50 baud
// takes 150 ms), in both directions, one after the other. Time is either a
// VirtualClock that the test owns or real time (SimScheduler::realTimeUs()).
//
// The line between the two ends is a signal in time (SimLineSignal): each
// receiver samples it in its own frame. The port side sends and receives in
// the frame it set; the far end in the frame it declares (setFarFrame), or,
// when it declares none, in the port's (it then never garbles). A receiver at
// the wrong speed or frame gets what a real UART would: other bytes, framing
// errors (ce::Frame with ev::Err on the port side), or nothing.
//
// Port side -> far end: written bytes wait in the output queue, go out one
// at a time and arrive at the far end when their last stop bit has gone;
// ev::TxEmpty is recorded when the last queued byte has left. DTR, RTS and
// break are recorded with their times. While the port's break is on the line
// is held at space: what is sent meanwhile is lost, and the far end sees the
// break among the line changes.
// Far end -> port side: send() queues bytes that arrive paced in the input
// queue (ev::RxChar; an overflow loses the byte and sets ce::RxOver with
// ev::Err). CTS, DSR, RI and DCD are set by the far end (a change records
// ev::Cts, ev::Dsr, ev::Ring, ev::Rlsd); a break on the input records
// ev::Break and ce::Break, never enters the data, and loses what the far end
// sends while it lasts.
//
// The far end learns of the port side's doings through a listener (line
// changes, a character that arrived or went on the line, new line settings,
// open and close) and takes only what is new (takeArrivals, takeLineChanges);
// nextFarEndDueUs() tells a scheduler (SimScheduler) when the next character
// can arrive.
//
// Closing the port side lowers DTR, RTS and break and empties the input
// queue; what was still queued for sending keeps going out, as a real
// device drains its queue after the close, unless the port purged it.
//
// Thread-safe: the far end may be driven from the test's thread while the
// port side is used by the port's worker threads.
class SimSerialDevice final : public std::enable_shared_from_this<SimSerialDevice> {
public:
    struct Options {
        // nullptr: real time.
        VirtualClock* clock = nullptr;
        // With a clock: the port above runs its workers as steps of the
        // clock instead of threads (SerialDevice::steppingClock), so that a
        // whole channel runs deterministically on the test's thread.
        bool steppedPort = false;
    };

    // A character as it arrived at the far end.
    struct Arrival {
        std::int64_t us;    // time at which the far end's frame for it ended
                            // (its last stop bit left, in a matched frame)
        std::uint8_t byte;  // as the far end's receiver sampled it
        LineSettings frame; // the frame the port sent it in
        bool frameError = false;
    };
    // A change of the port side's output lines.
    struct LineChange {
        std::int64_t us;
        bool dtr;
        bool rts;
        bool brk;
    };

    static std::shared_ptr<SimSerialDevice> create(Options options);
    static std::shared_ptr<SimSerialDevice> create() { return create(Options{}); }
    ~SimSerialDevice();
    SimSerialDevice(const SimSerialDevice&) = delete;
    SimSerialDevice& operator=(const SimSerialDevice&) = delete;

    // The port side; nullptr with a reason in error when it is already open.
    std::unique_ptr<SerialDevice> open(QString* error = nullptr);

    // ---- far end ----
    bool isOpen() const;
    std::int64_t nowUs() const;
    LineSettings line() const;
    int lineUpdates() const;                 // accepted setLine calls
    QueueStatus queues() const;              // the port side's queue counts
    bool transmitterEmpty() const;

    void send(const QByteArray& bytes);      // far end transmits to the port side
    std::vector<Arrival> takeArrivals();     // arrived bytes, oldest first, removed
    QByteArray takeReceived();               // the same, bytes only
    // The far end's own frame (see above); nullopt: it follows the port's.
    void setFarFrame(std::optional<LineSettings> frame);
    std::optional<LineSettings> farFrame() const;

    // Called, with the device's lock held, whenever something new is there
    // for the far end; it must not call the device (wake a scheduler).
    void setFarEndListener(std::function<void()> listener);
    // The time at which the next character can arrive at the far end; -1
    // when none is on the way.
    std::int64_t nextFarEndDueUs() const;

    void setCts(bool on);
    void setDsr(bool on);
    void setRing(bool on);
    void setDcd(bool on);
    void setInputBreak(bool on);             // a break condition on the port's input
    void injectErrors(std::uint32_t ceFlags);// line errors (ce::Frame, ...) with ev::Err
    // Wires DCD to the port's DTR (DCD = DTR, or not DTR when inverted), as
    // an adapter whose presence test loops DTR back; DCD takes delayUs to
    // follow a change of DTR.
    void setDcdFollowsDtr(bool enabled, bool inverted = false, std::int64_t delayUs = 0);
    // Every port-side call fails while set, as after a USB adapter was pulled.
    void setUnplugged(bool unplugged);
    // The modem status query fails while set.
    void setModemStatusFails(bool fails);
    // Whether changes of CTS, DSR, RI and DCD are recorded as events (on by
    // default). Some adapters' drivers report no line changes: the lines are
    // then seen only when they are read.
    void setLineEventsReported(bool reported);

    bool dtr() const;
    bool rts() const;
    bool breakOn() const;
    bool inputBreak() const;
    std::vector<LineChange> lineChanges() const; // all since the device was made
    std::vector<LineChange> takeLineChanges();   // those since the last take
    std::uint64_t purgedBytes() const;       // discarded by purgeOutput

private:
    class PortHandle;
    explicit SimSerialDevice(Options options);

    // Port side, for PortHandle; id tells a stale handle from the open one.
    bool portUsable(std::uint64_t id, QString& error) const;
    bool portSetQueueSizes(std::uint64_t id, std::uint32_t in, std::uint32_t out, QString& error);
    bool portGetLine(std::uint64_t id, LineSettings& s, QString& error);
    bool portSetLine(std::uint64_t id, const LineSettings& s, QString& error);
    bool portSetEventMask(std::uint64_t id, std::uint32_t mask, QString& error);
    WaitResult portStartWait(std::uint64_t id, std::uint32_t& events, QString& error);
    WaitResult portFinishWait(std::uint64_t id, std::uint32_t& events, bool block, QString& error);
    bool portClearErrors(std::uint64_t id, std::uint32_t& errors, QueueStatus& st, QString& error);
    bool portQueueStatus(std::uint64_t id, QueueStatus& st, QString& error);
    bool portModemStatus(std::uint64_t id, std::uint32_t& lines, QString& error);
    bool portEscape(std::uint64_t id, Escape f, QString& error);
    std::int64_t portRead(std::uint64_t id, void* data, std::size_t size, QString& error);
    std::int64_t portWrite(std::uint64_t id, const void* data, std::size_t size, QString& error);
    bool portPurge(std::uint64_t id, QString& error);
    void portClose(std::uint64_t id);
    VirtualClock* steppingClock() const;
    // The port's reader sleeps here until input, a wake-up, a close or its time-out.
    InputWait portWaitInput(std::uint64_t id, bool wantInput, int timeoutMs, QString& error);
    void portWakeInput(std::uint64_t id);

    // With m_mutex held.
    std::int64_t nowLocked() const;
    void catchUp();
    void record(std::uint32_t event);
    void deliverIn(std::uint8_t byte);
    void setOutputs(bool dtr, bool rts, bool brk);
    void setInput(bool& line, bool on, std::uint32_t event);
    void changeInput(bool& line, bool on, std::uint32_t event);
    void notifyFarEnd();
    LineSettings farSendFrame() const;
    static std::int64_t startAfterBreak(std::int64_t now, std::int64_t breakOff, const LineSettings& frame);
    std::uint32_t outQueueCount() const;
    QueueStatus queuesLocked() const;
    std::int64_t nextDueLocked() const;

    const Options m_options;
    const std::chrono::steady_clock::time_point m_realStart;
    VirtualClock::Subscription m_tick;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;

    std::uint64_t m_openId = 0; // 0 while closed
    std::uint64_t m_nextId = 1;
    LineSettings m_line;
    int m_lineUpdates = 0;
    std::uint32_t m_inCapacity = 4096;
    std::uint32_t m_outCapacity = 4096;

    std::deque<std::uint8_t> m_in;
    std::deque<std::uint8_t> m_out;
    bool m_shifting = false;
    std::uint8_t m_shiftByte = 0;
    std::int64_t m_shiftEnd = 0;

    std::deque<std::uint8_t> m_farOut;
    bool m_farShifting = false;
    std::uint8_t m_farByte = 0;
    std::int64_t m_farShiftEnd = 0;
    std::vector<Arrival> m_arrivals;
    SimLineSignal m_toFar;  // the port's output as the far end's receiver sees it
    SimLineSignal m_toPort; // the far end's output as the port's receiver sees it
    std::optional<LineSettings> m_farFrame;
    std::function<void()> m_farListener;

    std::uint32_t m_mask = 0;
    std::uint32_t m_history = 0;
    bool m_waitPending = false;
    bool m_maskCompletedWait = false;
    std::uint32_t m_errors = 0;

    bool m_cts = false, m_dsr = false, m_ring = false, m_dcd = false, m_inBreak = false;
    bool m_dtr = false, m_rts = false, m_brk = false;
    bool m_dcdFollowsDtr = false, m_dcdInverted = false;
    std::int64_t m_dcdDelay = 0;
    std::int64_t m_brkOff = -1, m_inBreakOff = -1; // when the breaks last ended
    struct DcdChange {
        std::int64_t us;
        bool on;
    };
    std::deque<DcdChange> m_dcdPending;
    bool m_unplugged = false, m_modemFails = false, m_lineEvents = true;
    std::vector<LineChange> m_changes;
    std::size_t m_changesTaken = 0;
    std::uint64_t m_purged = 0;
    bool m_inputWake = false; // portWakeInput() not yet taken by portWaitInput()
};

} // namespace korvane::serial
