#pragma once

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvane {

// What the intelligent adapter reported about itself and its line.
struct AdapterStatus {
    std::uint8_t VersionMajor = 0;
    std::uint8_t VersionMinor = 0;
    std::uint32_t MemorySize = 0;  // bytes
    bool ProgramPresent = false;   // the adapter's own program is loaded and running
    std::uint8_t LineState = 0;    // 0..8, see the channel window's texts
    std::int16_t StoredCount = 0;  // telegrams held in the adapter's memory
    std::uint32_t FreeMemory = 0;  // bytes
};

// The 11-byte header the adapter sends before a stored telegram, kept in its
// wire layout: number, two-digit year, month, day, a spare byte, second,
// minute, hour, a spare byte, then the text length in codes, low byte first.
struct StoredTelegramHeader {
    static constexpr std::size_t WireSize = 11;

    std::uint8_t Number = 0;
    std::uint8_t Year = 0;
    std::uint8_t Month = 0;
    std::uint8_t Day = 0;
    std::uint8_t Spare1 = 0;
    std::uint8_t Second = 0;
    std::uint8_t Minute = 0;
    std::uint8_t Hour = 0;
    std::uint8_t Spare2 = 0;
    std::array<std::uint8_t, 2> Length{};

    std::uint16_t TextLength() const
    {
        return static_cast<std::uint16_t>(Length[0] | (Length[1] << 8));
    }

    // Reads the header from the first WireSize bytes of Bytes (missing bytes read as 0).
    static StoredTelegramHeader FromBytes(const QByteArray& bytes)
    {
        std::array<std::uint8_t, WireSize> raw{};
        for (std::size_t i = 0; i < WireSize && i < static_cast<std::size_t>(bytes.size()); ++i)
            raw[i] = static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(i)]);
        StoredTelegramHeader h;
        h.Number = raw[0];
        h.Year = raw[1];
        h.Month = raw[2];
        h.Day = raw[3];
        h.Spare1 = raw[4];
        h.Second = raw[5];
        h.Minute = raw[6];
        h.Hour = raw[7];
        h.Spare2 = raw[8];
        h.Length = {raw[9], raw[10]};
        return h;
    }
};

static_assert(sizeof(StoredTelegramHeader) == StoredTelegramHeader::WireSize);
static_assert(offsetof(StoredTelegramHeader, Hour) == 7);
static_assert(offsetof(StoredTelegramHeader, Length) == 9);

} // namespace korvane
