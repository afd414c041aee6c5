#pragma once

#include "protocols/ShortString.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvane {

class LittleEndianReader;
class LittleEndianWriter;

// Adapter types (TChannelOptions::AdapterType); the names are AdapterModelNames.
inline constexpr std::uint32_t kAdapterTypeCount = 5; // 0 off, 1 Ormak-A, 2 Ormak-B, 3 TARVELOX-01, 4 Ormak-D
// Station types (TChannelOptions::StationType) = protocol kind - 1.
inline constexpr std::uint32_t kStationTypeCount = 4;

// Line types (TChannelOptions::LineType).
inline constexpr std::uint32_t kTwoPoleLine = 0; // "Двухполюсная": the "-Д" parameters apply
inline constexpr std::uint32_t kOnePoleLine = 1; // "Однополюсная": the "-О" parameters apply

// Channel mode bits (TChannelOptions::Modes).
namespace ChannelMode {
inline constexpr std::uint32_t AutoTrm = 0x1;
inline constexpr std::uint32_t AutoRec = 0x2;
inline constexpr std::uint32_t CommonTrm = 0x4;
inline constexpr std::uint32_t CommonRec = 0x8;
inline constexpr std::uint32_t CheckAB = 0x10;
inline constexpr std::uint32_t SaveAB = 0x20;
inline constexpr std::uint32_t AutoDelTrs = 0x40;
inline constexpr std::uint32_t AutoPrintTrm = 0x80;
inline constexpr std::uint32_t AutoPrintRec = 0x100;
inline constexpr std::uint32_t BadCalls = 0x200;
inline constexpr std::uint32_t ContraryWork = 0x400;
inline constexpr std::uint32_t ChkAdapter = 0x800;
} // namespace ChannelMode

// One sound event of a channel, 514 bytes.
struct TSoundEntry {
    std::uint8_t Enabled = 0;   // 1: the event sounds
    std::uint8_t Loop = 0;      // 1: the sound repeats until stopped
    ShortString<255> Melody;    // PC-speaker tune
    ShortString<255> WavFile;   // wave file; a bare name lies in the "wavs" folder

    friend bool operator==(const TSoundEntry&, const TSoundEntry&) = default;
};

// The telegram counters of a channel, 12 bytes. The mode fields hold one
// CP1251 character: 'Д' daily, 'М' monthly, 'К' quarterly, 'Г' yearly.
struct TTlgCounters {
    std::uint8_t Day = 0;
    std::uint8_t Month = 0;
    std::uint16_t FullNumber = 0;
    std::uint8_t FNumberMode = 0;
    std::uint8_t Reserved5 = 0;
    std::uint16_t CKSNumber = 0;
    std::uint8_t CKSNumberMode = 0;
    std::array<std::uint8_t, 3> Reserved9{};

    QChar fNumberMode() const { return codepage::cp1251ToUnicode(FNumberMode); }
    QChar cksNumberMode() const { return codepage::cp1251ToUnicode(CKSNumberMode); }
    void setFNumberMode(QChar c) { FNumberMode = std::uint8_t(codepage::unicodeToCp1251(c.unicode())); }
    void setCKSNumberMode(QChar c) { CKSNumberMode = std::uint8_t(codepage::unicodeToCp1251(c.unicode())); }

    friend bool operator==(const TTlgCounters&, const TTlgCounters&) = default;
};

// One channel's settings record, 5776 bytes, stored raw in the protocol file.
struct TChannelOptions {
    static constexpr qsizetype kSize = 5776;
    static constexpr int kSoundCount = 10;

    std::uint32_t AdapterType = 0;  // 0..4, see kAdapterTypeCount
    std::uint32_t StationType = 0;  // protocol kind - 1
    std::uint32_t LineType = 0;     // kTwoPoleLine or kOnePoleLine
    ShortString<20> AnswerBack;     // in telegraph text marks
    ShortString<100> TlgHeader;     // header template with counter groups and macros
    std::uint16_t PortAddr = 0;     // adapter I/O base address; stored only
    std::uint32_t Modes = 0;        // ChannelMode bits
    std::uint32_t CtxModes = 0;     // bits 0..4: TARVELOX-01 modes
    ShortString<79> ReceiveCommonFile;
    ShortString<79> TransmCommonFile;
    ShortString<79> ReceiveJrnFile;
    ShortString<79> TransmJrnFile;
    ShortString<79> ReceiveDir;
    ShortString<79> TransmDir;
    std::array<TSoundEntry, kSoundCount> Sounds{}; // entry k-1 is sound event k
    TTlgCounters Counters;

    // The record's bytes, little-endian, exactly as in the file.
    QByteArray toBytes() const;
    void writeTo(LittleEndianWriter& w) const;
    // Reads kSize bytes; a length byte above a field's capacity is brought
    // down to it. Raises ReadPastEndError when fewer bytes remain.
    static TChannelOptions readFrom(LittleEndianReader& r);
    static TChannelOptions fromBytes(QByteArrayView bytes);

    friend bool operator==(const TChannelOptions&, const TChannelOptions&) = default;
};

// Five entries indexed by adapter type; each a u16 nobody uses, then the
// port address last stored for that adapter type. 20 bytes.
struct TPortTable {
    struct Entry {
        std::uint16_t Unused = 0;
        std::uint16_t PortAddr = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    static constexpr qsizetype kSize = 20;

    std::array<Entry, kAdapterTypeCount> Entries{};

    void writeTo(LittleEndianWriter& w) const;
    static TPortTable readFrom(LittleEndianReader& r);

    friend bool operator==(const TPortTable&, const TPortTable&) = default;
};

// The in-memory layout mirrors the file layout, so that the offsets can be
// checked here; serialisation is explicit all the same.
static_assert(sizeof(TSoundEntry) == 514);
static_assert(offsetof(TSoundEntry, Melody) == 2);
static_assert(offsetof(TSoundEntry, WavFile) == 258);
static_assert(sizeof(TTlgCounters) == 12);
static_assert(offsetof(TTlgCounters, FullNumber) == 2);
static_assert(offsetof(TTlgCounters, FNumberMode) == 4);
static_assert(offsetof(TTlgCounters, CKSNumber) == 6);
static_assert(offsetof(TTlgCounters, CKSNumberMode) == 8);
static_assert(sizeof(TChannelOptions) == TChannelOptions::kSize);
static_assert(offsetof(TChannelOptions, StationType) == 4);
static_assert(offsetof(TChannelOptions, LineType) == 8);
static_assert(offsetof(TChannelOptions, AnswerBack) == 12);
static_assert(offsetof(TChannelOptions, TlgHeader) == 33);
static_assert(offsetof(TChannelOptions, PortAddr) == 134);
static_assert(offsetof(TChannelOptions, Modes) == 136);
static_assert(offsetof(TChannelOptions, CtxModes) == 140);
static_assert(offsetof(TChannelOptions, ReceiveCommonFile) == 144);
static_assert(offsetof(TChannelOptions, TransmCommonFile) == 224);
static_assert(offsetof(TChannelOptions, ReceiveJrnFile) == 304);
static_assert(offsetof(TChannelOptions, TransmJrnFile) == 384);
static_assert(offsetof(TChannelOptions, ReceiveDir) == 464);
static_assert(offsetof(TChannelOptions, TransmDir) == 544);
static_assert(offsetof(TChannelOptions, Sounds) == 624);
static_assert(offsetof(TChannelOptions, Counters) == 5764);
static_assert(sizeof(TPortTable) == TPortTable::kSize);

// The names of the ten sound events, entry k-1 for event k.
const std::array<QString, TChannelOptions::kSoundCount>& SoundEventNames();

} // namespace korvane
