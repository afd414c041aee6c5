#pragma once

#include <QChar>

#include <cstdint>
#include <vector>

namespace korvane {

// The characters queued for the line and not yet taken by the transmitter.
// Writers put at the write position, only the transmitter takes at the read
// position; both wrap at the end. The ring is empty when the positions are
// equal, so it holds at most Size - 1 characters: a character that would
// overwrite one not yet sent is refused. Count always equals the number of
// characters between the positions, also after a reset or a jump of the
// positions. Not guarded: the driver's engine lock covers it.
class TransmitRing {
public:
    static constexpr int DefaultSize = 8192;

    explicit TransmitRing(int size = DefaultSize) { Allocate(size); }

    // A new, empty ring of Size characters (nothing happens for 0).
    void Allocate(int size);

    int Size() const { return static_cast<int>(ring_.size()); }
    int Read() const { return read_; }
    int Write() const { return write_; }
    std::int16_t Count() const { return count_; }
    bool IsEmpty() const { return read_ == write_; }
    bool IsFull() const { return Advance(write_) == read_; }

    // Stores C at the write position and advances it; false (nothing
    // stored) when the ring is full.
    bool Put(QChar c);
    // The character at the read position; the ring must not be empty.
    QChar Peek() const { return ring_[static_cast<std::size_t>(read_)]; }
    // Advances the read position past the character Peek gives.
    void Take();
    // Steps the read position back by one, to send that character again.
    void Untake();

    // Sets both positions (a transmit pause holds text by moving them).
    void SetPositions(int read, int write);
    // Both positions back to the start: the ring is empty.
    void Reset() { SetPositions(0, 0); }

private:
    int Advance(int pos) const { return pos + 1 == Size() ? 0 : pos + 1; }
    void UpdateCount();

    std::vector<QChar> ring_;
    int read_ = 0;
    int write_ = 0;
    std::int16_t count_ = 0;
};

// The characters to be shown in the channel window, written on the line
// side and drained once per protocol tick. The oldest characters are
// overwritten when more than Size - 1 wait.
class EchoRing {
public:
    static constexpr int DefaultSize = 320;

    explicit EchoRing(int size = DefaultSize) { Allocate(size); }
    void Allocate(int size);

    int Size() const { return static_cast<int>(ring_.size()); }
    bool IsEmpty() const { return read_ == write_; }
    void Put(QChar c);
    // The oldest character, removed; the ring must not be empty.
    QChar Take();

private:
    int Advance(int pos) const { return pos + 1 == Size() ? 0 : pos + 1; }

    std::vector<QChar> ring_;
    int read_ = 0;
    int write_ = 0;
};

} // namespace korvane
