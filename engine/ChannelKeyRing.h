#pragma once

#include <QChar>
#include <QStringView>

#include <array>
#include <mutex>
#include <optional>

namespace korvane {

// The ring of characters typed in a channel window and not yet taken by the
// channel driver. The window writes, the driver reads; each side advances its
// own position and wraps to the start at the end of the ring. The ring is
// empty when both positions are equal, so at most Size - 1 keys can wait: a
// key that would overwrite a waiting one is refused instead.
// Safe to use from the window's and the driver's threads at once.
class ChannelKeyRing {
public:
    static constexpr int Size = 32;

    // Stores all of Keys, in order, or none of them when they do not fit.
    bool Put(QStringView keys);
    bool Put(QChar key) { return Put(QStringView(&key, 1)); }

    // Takes the oldest waiting key, if any.
    std::optional<QChar> Take();

    // Drops every waiting key; both positions go back to the start.
    void Clear();

    int Count() const;
    bool IsEmpty() const { return Count() == 0; }
    // Keys that can still be stored.
    int Free() const { return Size - 1 - Count(); }

    // Slot of the next key to read and of the next key to write.
    int ReadPosition() const;
    int WritePosition() const;

private:
    int CountLocked() const { return (write_ - read_ + Size) % Size; }

    mutable std::mutex mutex_;
    std::array<QChar, Size> keys_{};
    int read_ = 0;
    int write_ = 0;
};

} // namespace korvane
