#pragma once

#include "platform/CodePages.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>

namespace korvane {

// A fixed-capacity string of a settings record: a length byte followed by
// Capacity CP1251 bytes. The bytes beyond the length are kept as they are:
// assigning a shorter text leaves them untouched, and they travel with the
// record to the file and back.
template <std::size_t Capacity>
struct ShortString {
    static_assert(Capacity >= 1 && Capacity <= 255);
    static constexpr std::size_t kCapacity = Capacity;

    std::array<std::uint8_t, Capacity + 1> bytes{};

    // The stored length, never more than the capacity.
    std::size_t length() const { return std::min<std::size_t>(bytes[0], Capacity); }

    QString text() const
    {
        return codepage::fromCp1251(
            QByteArrayView(reinterpret_cast<const char*>(bytes.data() + 1), qsizetype(length())));
    }

    // Stores the first Capacity characters of Text.
    void setText(const QString& text)
    {
        const QByteArray b = codepage::toCp1251(QStringView(text).left(qsizetype(Capacity)));
        bytes[0] = std::uint8_t(b.size());
        std::copy(b.begin(), b.end(), bytes.begin() + 1);
    }

    // A length byte above the capacity is brought down to it.
    void clampLength() { bytes[0] = std::uint8_t(length()); }

    friend bool operator==(const ShortString&, const ShortString&) = default;
};

} // namespace korvane
