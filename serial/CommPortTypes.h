#pragma once

#include "platform/serial/SerialTypes.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>

namespace korvane {

// Port numbers: value v opens COM port v + 1.
enum TComNumber : std::uint8_t { cnCOM1, cnCOM2, cnCOM3, cnCOM4, cnCOM5, cnCOM6, cnCOM7, cnCOM8 };

enum TBaudRate : std::uint8_t {
    br____50,
    br____75,
    br___100,
    br___110,
    br___150,
    br___200,
    br___300,
    br___600,
    br__1200,
    br__2400,
    br__4800,
    br__9600,
    br_14400,
    br_19200,
    br_38400,
    br_56000,
    br_57600,
    br115200,
    br128000,
    br256000,
};

enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits : std::uint8_t { sb1_0, sb1_5, sb2_0 };
enum TDataBits : std::uint8_t { db4, db5, db6, db7, db8 };

// The device values of the enumerations.
inline constexpr std::array<std::uint32_t, 20> BaudTable{50,    75,    100,   110,   150,    200,    300,
                                                         600,   1200,  2400,  4800,  9600,   14400,  19200,
                                                         38400, 56000, 57600, 115200, 128000, 256000};
inline constexpr std::array<std::uint8_t, 5> DataBitsTable{4, 5, 6, 7, 8};
inline constexpr std::array<std::uint8_t, 5> ParityTable{0, 1, 2, 3, 4};
inline constexpr std::array<std::uint8_t, 3> StopBitsTable{0, 1, 2};

// The line functions by line and wanted state (false, true).
enum TEscapeLine : std::uint8_t { elBreak, elDTR, elRTS };
inline constexpr serial::Escape EscapeFuncTables[3][2] = {
    {serial::Escape::ClrBreak, serial::Escape::SetBreak},
    {serial::Escape::ClrDtr, serial::Escape::SetDtr},
    {serial::Escape::ClrRts, serial::Escape::SetRts},
};

// Events watched by an open port: every line event but RxFlag.
inline constexpr std::uint32_t CommEventMask = 0x1FD;
// Events after which the status thread reads the input lines again: CTS,
// DSR, DCD, break, error and ring (every line-state event).
inline constexpr std::uint32_t ModemEventMask = 0x1F8;
// The events of the status thread's first report: CTS, DSR, DCD, ring.
inline constexpr std::uint32_t FirstReportMask = 0x138;

// Event handler types (Sender is the port).
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TCommDataAvailEvent = std::function<void(QObject* Sender, int Count)>;
using TCommErrorEvent = std::function<void(QObject* Sender, int Errors)>;

} // namespace korvane
