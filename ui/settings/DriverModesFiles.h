// The driver modes on disk: section "COMMON" of KORVANE2.INI and DC2.PRO.
#pragma once

#include "protocols/DriverModes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace korvane {

class IniFile;
class MessageBox;

// The driver modes on disk: fourteen keys of section "COMMON" of
// KORVANE2.INI and the bad-calls tables in DC2.PRO, both in the program
// folder. The driver modes dialog and the program's start-up load them
// through here; only the dialog's OK stores them.
namespace DriverModesFiles {

inline constexpr char IniName[] = "KORVANE2.INI";
inline constexpr char TablesName[] = "DC2.PRO";
inline constexpr char Section[] = "COMMON";

// DC2.PRO: the text table (10 columns of 6 cells of 31 bytes, column by
// column) and then the policy table (9 columns of 5 little-endian 32-bit
// integers), without header.
inline constexpr qsizetype TextTableSize = 1860;
inline constexpr qsizetype PolicyTableSize = 180;
inline constexpr qsizetype TablesSize = TextTableSize + PolicyTableSize;

// A bad-calls value is kept in 16 bits by the retry state: 0..32767.
inline constexpr std::int32_t MaxPolicyValue = 32767;
std::int32_t LimitPolicyValue(std::int32_t value);

// The range each number key is kept in, by the dialog's up-down controls
// and on reading: a value from outside (a hand-edited INI) would overflow
// the message boxes' timer, print without end or run the printer's margin
// out of memory. A scan period of 0 would scan the folder at every tick.
struct KeyRange {
    std::int32_t Min;
    std::int32_t Max;
    std::int32_t Limit(std::int32_t value) const { return value < Min ? Min : value > Max ? Max : value; }
};
inline constexpr KeyRange ScanPeriodRange{1, 100};
inline constexpr KeyRange MsgDelayRange{0, 100};
inline constexpr KeyRange CopyCntrRange{0, 100};
inline constexpr KeyRange LeftMarginRange{0, 100};

// Result of LoadTables and SaveTables (the dialog's LoadSaveModes).
enum Result : int { Ok = 0, CannotOpen = 1, WriteFailed = 2 };

// The defaults of the fourteen keys, with empty tables.
TDriverModes DefaultModes();
// Both tables as the program has them built in; everything else untouched.
void SetBuiltInTables(TDriverModes& modes);

// The two tables as DC2.PRO holds them (TablesSize bytes).
QByteArray TablesToBytes(const TDriverModes& modes);
// Reads both tables from the first TablesSize bytes; false (modes untouched)
// when fewer are given. Length bytes above 30 are brought down to 30 and the
// policy values into 0..MaxPolicyValue.
bool TablesFromBytes(QByteArrayView bytes, TDriverModes& modes);

// Times of day as the INI holds them ("9:00:00"); reading accepts hours and
// minutes with or without seconds.
QString TimeText(double dayFraction);
bool ParseTime(const QString& text, double& dayFraction);

// The fourteen keys, in their order; a missing or unreadable key gives its
// default, a number out of its range the range's nearest end.
void ReadKeys(const IniFile& ini, TDriverModes& modes);
bool WriteKeys(IniFile& ini, const TDriverModes& modes);
// WriteKeys on the INI file at IniPath; one that cannot be written:
// "Ошибка записи в файл настроек", WriteFailed.
Result SaveKeys(const QString& iniPath, const TDriverModes& modes, MessageBox& box);

// Opens (or creates) DC2.PRO and reads both tables. A file that cannot be
// opened nor created: "Невозможно открыть файл режимов", the built-in tables,
// CannotOpen. A short or unreadable file: "Ошибка чтения из файла режимов",
// the built-in tables, Ok.
Result LoadTables(const QString& path, TDriverModes& modes, MessageBox& box);
// Writes both tables from the start of DC2.PRO (opened or created), keeping
// whatever follows them.
Result SaveTables(const QString& path, const TDriverModes& modes, MessageBox& box);

// The number of wave output devices of the system.
int WaveOutputDeviceCount();

// The program's loader of the driver modes, as the dialog's creation does it
// without a window: the INI keys of AppDir's KORVANE2.INI, the sound-card
// mode only when the system has a wave output device, and the tables of
// AppDir's DC2.PRO. Messages go to Box.
TDriverModes LoadDriverModes(const QString& appDir, MessageBox& box,
                             const std::function<int()>& waveDevices = WaveOutputDeviceCount);

} // namespace DriverModesFiles

} // namespace korvane
