#pragma once

#include "protocols/ShortString.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvane {

class LittleEndianReader;
class LittleEndianWriter;

// Bits of TDriverModes::ModeDriver.
namespace DriverMode {
inline constexpr std::uint32_t ShowShiftMarks = 0x1;   // shift marks shown in decoded telegraph text
inline constexpr std::uint32_t FigsTenIsFour = 0x10;   // figures code 10 decodes as '4' instead of 'Ч'
inline constexpr std::uint32_t BlockSpentNumbers = 0x20; // a number whose retries are spent is blocked
} // namespace DriverMode

// The program-wide driver modes, 2168 bytes, little-endian. Booleans are 1 or 0.
struct TDriverModes {
    static constexpr qsizetype kSize = 2168;
    static constexpr int kBadCallsTextColumns = 10; // c = 0..9
    static constexpr int kBadCallsTextRows = 6;     // r = 0..5
    static constexpr int kBadCallsCategories = 9;   // c = 1..9
    static constexpr int kBadCallsValues = 5;       // r = 1..5

    std::uint32_t ModeDriver = 0;    // DriverMode bits
    std::int32_t ScanPeriod = 0;     // seconds between scans of the outgoing folder
    std::int32_t MsgDelay = 0;       // seconds until a channel message box closes itself; 0 never
    std::uint8_t ExitConfirmation = 0;
    std::uint8_t ShowDialogMode = 0;
    std::uint8_t TlxLogMode = 0;     // channel lines go to the daily log
    std::uint8_t SoundCardMode = 0;  // wave files instead of speaker tunes
    std::uint8_t DOSPrintMode = 0;   // automatic printing raw to the printer port, OEM code page
    std::uint8_t PreciseTimer = 0;   // the fast tick from a 10 ms periodic timer
    std::array<std::uint8_t, 2> Reserved18{};
    std::int32_t CopyCntr = 0;       // copies made by automatic printing
    double BeginTime = 0;            // automatic printing window, fraction of a day
    double EndTime = 0;              // equal to BeginTime: always
    std::int32_t LeftMargin = 0;     // blanks before each line in DOS printing
    ShortString<80> InitPrnStr;      // printer initialisation string
    // The texts of the bad-calls grid: BadCallsText[c][r], c = 0..9, r = 0..5.
    std::array<std::array<ShortString<30>, kBadCallsTextRows>, kBadCallsTextColumns> BadCallsText{};
    std::array<std::uint8_t, 3> Reserved1985{};
    // Per failure category c = 1..9 the values r = 1..5 (attempts per series,
    // interval, number of series, interval between series, block interval;
    // seconds): BadCallsPolicy[c - 1][r - 1].
    std::array<std::array<std::int32_t, kBadCallsValues>, kBadCallsCategories> BadCallsPolicy{};

    QByteArray toBytes() const;
    void writeTo(LittleEndianWriter& w) const;
    // Reads kSize bytes (ReadPastEndError when fewer remain); length bytes
    // above a field's capacity are brought down to it.
    static TDriverModes readFrom(LittleEndianReader& r);
    static TDriverModes fromBytes(QByteArrayView bytes);

    friend bool operator==(const TDriverModes&, const TDriverModes&) = default;
};

static_assert(sizeof(ShortString<30>) == 31);
static_assert(sizeof(TDriverModes) == TDriverModes::kSize);
static_assert(offsetof(TDriverModes, ScanPeriod) == 4);
static_assert(offsetof(TDriverModes, MsgDelay) == 8);
static_assert(offsetof(TDriverModes, ExitConfirmation) == 12);
static_assert(offsetof(TDriverModes, PreciseTimer) == 17);
static_assert(offsetof(TDriverModes, CopyCntr) == 20);
static_assert(offsetof(TDriverModes, BeginTime) == 24);
static_assert(offsetof(TDriverModes, EndTime) == 32);
static_assert(offsetof(TDriverModes, LeftMargin) == 40);
static_assert(offsetof(TDriverModes, InitPrnStr) == 44);
static_assert(offsetof(TDriverModes, BadCallsText) == 125);
static_assert(offsetof(TDriverModes, BadCallsPolicy) == 1988);

// The current driver modes of the whole program: zero until the first
// ApplyDriverModes, written only by it (while no scanner runs), read directly
// by everyone else.
extern TDriverModes GlobalModes;

// Makes Modes current: copies it into GlobalModes and sets how figures code
// 10 decodes ('4' with DriverMode::FigsTenIsFour, else 'Ч').
void ApplyDriverModes(const TDriverModes& modes);

} // namespace korvane
