#pragma once

#include <cstdint>

// Values shared by every serial device of the platform layer and by the
// serial port component above it. The numbers are the program's own choice
// and match the bit layout that the port component's tables and masks use.
namespace korvane::serial {

// Line events a device records for the event wait (one bit each).
namespace ev {
inline constexpr std::uint32_t RxChar = 0x0001;  // a byte entered the input queue
inline constexpr std::uint32_t RxFlag = 0x0002;  // never raised by our devices
inline constexpr std::uint32_t TxEmpty = 0x0004; // the last byte of the output queue has left
inline constexpr std::uint32_t Cts = 0x0008;     // CTS changed
inline constexpr std::uint32_t Dsr = 0x0010;     // DSR changed
inline constexpr std::uint32_t Rlsd = 0x0020;    // DCD (receive line signal detect) changed
inline constexpr std::uint32_t Break = 0x0040;   // a break condition arrived on the input
inline constexpr std::uint32_t Err = 0x0080;     // a framing, overrun or parity error
inline constexpr std::uint32_t Ring = 0x0100;    // the ring indicator changed
} // namespace ev

// Input lines as the modem status reports them.
namespace ms {
inline constexpr std::uint32_t CtsOn = 0x0010;
inline constexpr std::uint32_t DsrOn = 0x0020;
inline constexpr std::uint32_t RingOn = 0x0040;
inline constexpr std::uint32_t RlsdOn = 0x0080;
} // namespace ms

// Error flags that the error query returns (and clears).
namespace ce {
inline constexpr std::uint32_t RxOver = 0x0001;  // the input queue overflowed
inline constexpr std::uint32_t Overrun = 0x0002; // the receiver lost a byte
inline constexpr std::uint32_t Parity = 0x0004;
inline constexpr std::uint32_t Frame = 0x0008;
inline constexpr std::uint32_t Break = 0x0010;
} // namespace ce

// Output line functions.
enum class Escape : std::uint8_t {
    SetRts = 3,
    ClrRts = 4,
    SetDtr = 5,
    ClrDtr = 6,
    SetBreak = 8,
    ClrBreak = 9,
};

// Line parameters in one block, applied to a device in one update.
// parity: 0 none, 1 odd, 2 even, 3 mark, 4 space.
// stopBits: 0 one, 1 one and a half, 2 two.
struct LineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// Queue counts of a device.
struct QueueStatus {
    std::uint32_t inQueue = 0;  // bytes received and not yet read
    std::uint32_t outQueue = 0; // bytes written and not yet sent (the one on the wire included)
};

// Outcome of starting or finishing an event wait.
enum class WaitResult : std::uint8_t {
    Completed, // events (possibly none, when the mask was changed) are in the result
    Pending,   // nothing yet; finish the wait later
    Failed,    // the device cannot wait (closed, gone, no mask set)
};

// Outcome of waiting for input.
enum class InputWait : std::uint8_t {
    Ready,    // bytes wait in the input queue
    Woken,    // wakeInputWait() was called
    TimedOut, // the time given passed first
    Failed,   // the device is closed or failing
};

// Time of a serial character in microseconds: start bit, data bits, parity
// bit, stop bits, at the given baud rate.
inline std::int64_t characterMicros(const LineSettings& s)
{
    const std::int64_t halfBits = 2 + 2 * std::int64_t{s.byteSize} + (s.parity != 0 ? 2 : 0)
                                  + (s.stopBits == 0 ? 2 : s.stopBits == 1 ? 3 : 4);
    if (s.baudRate == 0)
        return 0;
    return (halfBits * 1'000'000 + s.baudRate) / (2 * std::int64_t{s.baudRate});
}

} // namespace korvane::serial
