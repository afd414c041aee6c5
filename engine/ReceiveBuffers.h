#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <deque>

namespace korvane {

// The two receive buffers of a channel and the chunks waiting for the file
// tick. The text of a connection (what was received and what was sent, in
// line order, CP1251 bytes) fills one buffer; a full buffer is handed over
// as a chunk of 8192 bytes and the filling goes on at the start of the
// other one. A chunk is copied out when it is handed over, so a chunk that
// the file tick has not written yet is never overwritten: further chunks
// wait behind it, each one block of at most BufferSize bytes, until the
// file tick has written them in order.
//
// Positions in the stored text are counted from the creation (Total) and
// only grow, so a span of it can be read back across a swap of the buffers.
class ReceiveBuffers {
public:
    static constexpr int BufferSize = 8192;

    // Stores B at the fill position; returns true when that filled the
    // buffer and it was handed over.
    bool Put(std::uint8_t b);
    // Hands the part-filled buffer over as a chunk when it holds more than
    // MinLength bytes, and starts again at the start of buffer A (Reset);
    // returns the bytes it held.
    int Flush(int minLength);
    // The text in the buffer being filled is dropped; filling starts again
    // at the start of buffer A.
    void Reset();
    // Text stored elsewhere becomes the chunk: in blocks of at most
    // BufferSize bytes, behind any chunk still waiting; an empty text is one
    // empty block (a record of its own). The buffers are left as they are.
    void Place(const QByteArray& text);

    bool RxActiveB() const { return activeB_; }
    int RxPos() const { return pos_; }
    // Bytes stored since creation (dropped ones included).
    std::int64_t Total() const { return activeStart_ + pos_; }

    // The text of the buffer being filled, not yet handed over.
    QByteArray Filling() const
    {
        return QByteArray(reinterpret_cast<const char*>(Active().data()), pos_);
    }

    // A chunk waits for the file tick.
    bool ChunkPending() const { return !chunks_.empty(); }
    int ChunkCount() const { return static_cast<int>(chunks_.size()); }
    // The oldest chunk waiting (empty when none); it stays until ChunkWritten.
    QByteArray NextChunk() const { return chunks_.empty() ? QByteArray() : chunks_.front(); }
    int ChunkLen() const { return static_cast<int>(chunks_.empty() ? 0 : chunks_.front().size()); }
    // The oldest chunk has been written out.
    void ChunkWritten();

    // The stored bytes between the totals From (inclusive) and To
    // (exclusive); only the buffer being filled and the block before it can
    // be read, older positions are left out.
    QByteArray Stored(std::int64_t from, std::int64_t to) const;

    const std::array<std::uint8_t, BufferSize>& BufA() const { return a_; }
    const std::array<std::uint8_t, BufferSize>& BufB() const { return b_; }

private:
    std::array<std::uint8_t, BufferSize>& Active() { return activeB_ ? b_ : a_; }
    const std::array<std::uint8_t, BufferSize>& Active() const { return activeB_ ? b_ : a_; }
    // Ends the buffer being filled after Length bytes; continues in the
    // other buffer (Swap) or at the start of A.
    void EndBuffer(int length, bool swap);

    std::array<std::uint8_t, BufferSize> a_{};
    std::array<std::uint8_t, BufferSize> b_{};
    bool activeB_ = false;
    int pos_ = 0;
    std::int64_t activeStart_ = 0; // Total at the start of the buffer being filled

    std::deque<QByteArray> chunks_;

    // The block stored before the buffer being filled, for Stored(); null
    // when that block's buffer is the one being filled again.
    const std::uint8_t* prev_ = nullptr;
    int prevLen_ = 0;
};

} // namespace korvane
