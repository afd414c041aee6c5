#pragma once

#include <QByteArray>

#include <cstdint>
#include <deque>

namespace korvane {

// The characters that came from the line, each with its place in the
// receive buffers' stored text (ReceiveBuffers::Total() before it was
// stored). The stored text also holds what the channel sent itself (the
// echo of its transmission, its answerback, dialled marks); what the
// distant side said, its answerback and the exchange's service signals,
// is read from here, so the channel's own text can never pass for it.
// Keeps the last Capacity characters, as many as the two receive buffers
// hold. Not guarded: the driver's engine lock covers it.
class ReceivedText {
public:
    static constexpr std::size_t Capacity = 2 * 8192;

    // A character from the line stored at Position.
    void Note(std::int64_t position, std::uint8_t b);
    // The characters from the line stored at From or later, in order.
    QByteArray Since(std::int64_t from) const;

private:
    struct Entry {
        std::int64_t Position;
        std::uint8_t Byte;
    };
    std::deque<Entry> entries_;
};

} // namespace korvane
