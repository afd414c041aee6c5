#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane {

// The characters that came from the line, each with its place in the
// receive buffers' stored text (ReceiveBuffers::Total() before it was
// stored). The stored text also holds what the channel sent itself (the
// echo of its transmission, its answerback, dialled marks); what the
// distant side said, its answerback and the exchange's service signals,
// is read from here, so the channel's own text can never pass for it.
// Keeps the last Capacity characters, as many as the two receive buffers
// hold, in a ring whose memory is taken once, when the channel is made:
// a line busy all day costs it no more than an idle one.
// Not guarded: the driver's engine lock covers it.
class ReceivedText {
public:
    static constexpr std::size_t Capacity = 2 * 8192;

    ReceivedText();

    // A character from the line stored at Position.
    void Note(std::int64_t position, std::uint8_t b);
    // The characters from the line stored at From or later, in order.
    QByteArray Since(std::int64_t from) const;

private:
    // The I-th character kept, 0 the oldest.
    std::size_t Slot(std::size_t i) const { return (oldest_ + i) % Capacity; }

    std::vector<std::int64_t> positions_;
    std::vector<std::uint8_t> bytes_;
    std::size_t oldest_ = 0;
    std::size_t count_ = 0;
};

} // namespace korvane
