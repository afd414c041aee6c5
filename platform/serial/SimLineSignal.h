#pragma once

#include "platform/serial/SerialTypes.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace korvane::serial {

// One direction of a simulated serial line as a signal in time, and the
// receiving UART at its end.
//
// The sender puts characters on the line one after the other, each in the
// frame (speed, data bits, parity, stop bits) it was sent with: a start
// element at space, the data elements from bit 0, the parity element, the stop
// elements at mark; between characters the line rests at mark. A break holds
// the line at space for as long as it lasts, whatever is being sent.
//
// The receiver works as a UART does: it waits for a fall from mark to space,
// samples the middle of the start element (a mark there was a glitch), of each
// data element and of the first stop element, all at its own speed, and then
// waits for the next fall. A character is complete when the receiver's frame
// time has passed since the fall. So a receiver in the sender's frame gets
// every character unchanged at the moment its last stop element has gone; one
// at another speed or with another frame gets what the samples show: other
// bytes, framing errors, or nothing. A character that a break touches never
// comes out as data: the break is the line's own condition, seen by other
// means (the break event, the adapter's line state).
//
// Times are microseconds on the owner's time line. Not thread-safe: the
// owner guards it.
class SimLineSignal {
public:
    struct Received {
        std::int64_t us;    // when the receiver's frame ended
        std::uint8_t byte;  // the data elements as sampled
        LineSettings frame; // the frame of the character whose start the receiver saw
        bool frameError;    // the stop element was sampled at space
    };

    // A character whose start element begins at startUs.
    void send(std::int64_t startUs, const LineSettings& frame, std::uint8_t byte);
    // The sender's break condition from atUs on, or its end at atUs.
    void setBreak(bool on, std::int64_t atUs);

    // Completes every character whose receiver frame has ended by nowUs.
    // receiverFrame: the receiving UART's frame; nullopt: the receiver
    // follows the frame of each character it sees (a matched far end).
    std::vector<Received> receive(std::int64_t nowUs, const std::optional<LineSettings>& receiverFrame);

    // The earliest time at which receive() can complete a character of what
    // is on the line or queued on it; -1 when nothing can come.
    std::int64_t nextCompletionUs(const std::optional<LineSettings>& receiverFrame) const;

    // Whether the line is at mark at time t (outside every character and break).
    bool levelAt(double t) const;

private:
    struct Char {
        std::int64_t start;
        std::int64_t end;
        LineSettings frame;
        std::uint8_t byte;
    };
    struct Break {
        std::int64_t on;
        std::int64_t off; // INT64_MAX while it lasts
    };

    std::optional<double> nextFall(double from, double until) const;
    const Char* charAt(double t) const;
    bool breakTouches(double from, double to) const;
    void prune();

    std::deque<Char> m_chars;
    std::deque<Break> m_breaks;
    double m_ready = -1.0; // the receiver looks for a fall at or after this time
};

} // namespace korvane::serial
