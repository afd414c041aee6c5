#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace korvane {

// The two receive buffers of a channel: the text of a connection (what was
// received and what was sent, in line order, CP1251 bytes) fills one buffer
// while the other, once full, waits as the chunk that the file tick writes
// out. Positions in the stored text are counted from the driver's creation
// (Total), so a span of it can be read back across a swap of the buffers.
//
// A buffer that fills while the chunk before it has not been taken is
// never written over the chunk: its bytes are kept behind the chunk
// (Held), the filling starts again in the same buffer, and the caller is
// told so that it can raise the alarm.
class ReceiveBuffers {
public:
    static constexpr int BufferSize = 8192;

    enum class Swap { None, HandedOver, Held };

    // Stores B at the fill position; a full buffer is handed over.
    Swap Put(std::uint8_t b);
    // Hands the part-filled buffer over as a chunk (also when empty).
    Swap HandOver();

    bool RxActiveB() const { return activeB_; }
    int RxPos() const { return pos_; }
    // Bytes stored since creation.
    std::int64_t Total() const { return activeStart_ + pos_; }

    // A chunk waits for the file tick.
    bool ChunkPending() const { return pending_; }
    int ChunkLen() const { return chunkLen_; }
    // Bytes kept behind the chunk because the chunk was still waiting.
    int HeldLen() const { return static_cast<int>(held_.size()); }
    // The chunk's bytes followed by the held ones; nothing waits afterwards.
    QByteArray TakeChunk();

    // The stored bytes between the totals From (inclusive) and To
    // (exclusive); only the buffer being filled and the block before it can
    // be read, older positions are left out.
    QByteArray Stored(std::int64_t from, std::int64_t to) const;

    const std::array<std::uint8_t, BufferSize>& BufA() const { return a_; }
    const std::array<std::uint8_t, BufferSize>& BufB() const { return b_; }

private:
    std::array<std::uint8_t, BufferSize>& Active() { return activeB_ ? b_ : a_; }
    const std::array<std::uint8_t, BufferSize>& Active() const { return activeB_ ? b_ : a_; }
    Swap SwapBuffers(int length);

    std::array<std::uint8_t, BufferSize> a_{};
    std::array<std::uint8_t, BufferSize> b_{};
    bool activeB_ = false;
    int pos_ = 0;
    std::int64_t activeStart_ = 0; // Total at the start of the buffer being filled

    bool pending_ = false;
    bool chunkInB_ = false;
    int chunkLen_ = 0;
    QByteArray held_;

    // The block stored before the buffer being filled, for Stored().
    const std::uint8_t* prev_ = nullptr;
    int prevLen_ = 0;
    QByteArray prevCopy_; // when that block was held rather than handed over
};

} // namespace korvane
