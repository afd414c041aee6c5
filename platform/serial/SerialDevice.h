#pragma once

#include "platform/serial/SerialTypes.h"

#include <QString>
#include <cstddef>
#include <cstdint>

namespace korvane::serial {

class VirtualClock;

// An open serial device: what the serial port component needs of a COM port.
// Two implementations exist, a termios device (TermiosSerialDevice) and an
// in-process simulated device (SimSerialDevice); SerialPortMap chooses one by
// the port's name.
//
// Every member may be called from any thread at any time, also concurrently
// with close(); after close() every call fails at once. A call that fails
// returns false (or -1) and leaves a text in lastError().
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Sizes of the driver's input and output queues, in bytes.
    virtual bool setQueueSizes(std::uint32_t inQueue, std::uint32_t outQueue) = 0;

    // The line parameters in force, and all of them changed in one update.
    // A device that cannot do a combination refuses the whole update and keeps
    // its previous parameters.
    virtual bool getLine(LineSettings& settings) = 0;
    virtual bool setLine(const LineSettings& settings) = 0;

    // Events to record (ev:: bits). Changing the mask completes a pending
    // wait with an empty result and drops recorded events outside the mask.
    virtual bool setEventMask(std::uint32_t mask) = 0;
    // Starts an event wait: Completed with the recorded events when some are
    // there (they are then cleared), else Pending. Failed without a mask.
    virtual WaitResult startWait(std::uint32_t& events) = 0;
    // Finishes a pending wait. block: wait until events arrive, the mask
    // changes or the device is closed; otherwise return Pending at once.
    virtual WaitResult finishWait(std::uint32_t& events, bool block) = 0;

    // Error flags (ce:: bits) since the last call, which clears them; with the
    // queue counts.
    virtual bool clearErrors(std::uint32_t& errors, QueueStatus& status) = 0;
    // The queue counts only; error flags stay for clearErrors.
    virtual bool queueStatus(QueueStatus& status) = 0;

    // The input lines (ms:: bits).
    virtual bool modemStatus(std::uint32_t& lines) = 0;
    // DTR, RTS and break.
    virtual bool escape(Escape function) = 0;

    // Moves up to size bytes of the input queue to data; never waits.
    // Returns the bytes moved, -1 on failure. A break on the line never
    // appears as data: it is reported as ev::Break and ce::Break.
    virtual std::int64_t read(void* data, std::size_t size) = 0;
    // Queues up to size bytes for sending; never waits. Returns the bytes
    // taken (at most the free room of the output queue), -1 on failure.
    virtual std::int64_t write(const void* data, std::size_t size) = 0;
    // Discards what is still queued for sending.
    virtual bool purgeOutput() = 0;

    // Sleeps until there is something for a reader: bytes in the input
    // queue (only when wantInput; a reader without room passes false), a
    // wakeInputWait() since the last wait, the device closed or failing, or
    // timeoutMs milliseconds passed (negative: no limit).
    virtual InputWait waitInput(bool wantInput, int timeoutMs) = 0;
    // Ends the current waitInput() at once, or the next one when none waits.
    virtual void wakeInputWait() = 0;

    // Ends every wait at once and releases the device; idempotent.
    virtual void close() = 0;

    virtual QString lastError() const = 0;

    // A device that runs on a virtual clock may ask the port above it to run
    // its workers as steps of that clock on the clock's thread, instead of as
    // threads of their own (see TCommPort). nullptr: ordinary threads.
    virtual VirtualClock* steppingClock() const { return nullptr; }
};

} // namespace korvane::serial
