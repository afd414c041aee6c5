#pragma once

#include "platform/Clock.h"

#include <QChar>
#include <QDate>
#include <QString>

#include <cstdint>

namespace korvane {

struct TTlgCounters;

// Counter reset rules (CounterResetMode): the Cyrillic capitals of the
// counters' mode keys; any other character never resets.
namespace CounterResetMode {
inline constexpr QChar EveryDay = u'Д';
inline constexpr QChar EveryMonth = u'М';
inline constexpr QChar EveryQuarter = u'К';
inline constexpr QChar EveryYear = u'Г';
} // namespace CounterResetMode

// How far the date has moved since the last telegram number was drawn.
namespace DateChange {
inline constexpr std::uint8_t None = 0;
inline constexpr std::uint8_t Day = 1;
inline constexpr std::uint8_t Month = 2;
inline constexpr std::uint8_t Quarter = 3;
inline constexpr std::uint8_t Year = 4;
} // namespace DateChange

// One channel's telegram numbers: the full and CKS telegram counters with
// their reset rules, and the numbers of the channel's next received
// telegram file (TLG<n>.REC), outgoing telegram file (TEL<n>.TLG) and
// dialog record file (DLG<n>.PTC).
//
// The counters and "TlgRecNo" are kept in the channel's section
// "CHANNEL #n" of the INI file; NextTelNo and NextDlgNo are found again
// from the outgoing folder at every channel start.
//
// Threads: the object has no lock of its own and serves one caller at a
// time. NextCounter may run on the fast-tick thread (from an element's
// work) while other members are used on the main thread, so the owner
// serialises every use (the channel driver does so with its engine mutex).
// The INI file itself is safe to use from several threads.
class TelegramNumbering {
public:
    // Channel: 1..8, names the INI section. IniFileName: the INI file's
    // native path. Clock: today's date for the reset rules.
    TelegramNumbering(int channel, QString iniFileName, const Clock& clock);

    int channel() const { return m_channel; }
    const QString& iniFileName() const { return m_iniFileName; }

    // Copies the channel's counter record (day, month, both numbers, both
    // reset rules).
    void SetCounters(const TTlgCounters& counters);

    // Whether a counter under reset rule Mode restarts at date change
    // Change: 'Д' from Day on, 'М' from Month on, 'К' from Quarter on, 'Г'
    // on Year; any other rule never.
    static bool CounterResetDue(QChar mode, std::uint8_t change);

    // The date change from a last draw on LastDay.LastMonth to Today.
    //
    // The year of the last draw is not kept, so the last draw is taken to
    // be the latest date with that day and month that is not after Today:
    // - same month and day: None;
    // - same month, the last draw on an earlier day than Today: Day; on a
    //   later day: Year (that date lies in an earlier year);
    // - the last draw in an earlier month than Today's: Quarter when its
    //   calendar quarter differs from Today's, else Month; in a later
    //   month: Year (again an earlier year);
    // - a month outside 1..12 (nothing known of the last draw): Year.
    // A quarter or year whose first month had no draw thus still restarts
    // its counters at the first draw within it. A pause of a whole year or
    // more is not seen: the last draw then counts as within the year.
    static std::uint8_t DateChangeSince(std::uint8_t lastDay, std::uint8_t lastMonth, const QDate& today);

    // Draws a telegram number: Kind 0 the full number, any other the CKS
    // number. First both counters follow their reset rules for today's
    // date change (whichever is drawn); S := the drawn counter in decimal,
    // which then counts on (65535 wraps to 0); today becomes the date of
    // the last draw; SaveTlgCounters. Throws FileError when the INI file
    // cannot be written (the drawn number and the new counters stay).
    void NextCounter(std::uint8_t kind, QString& s);
    // NextCounter without the save: the caller saves the counters (the
    // channel driver has a copy of this object save them on its file tick).
    void DrawCounter(std::uint8_t kind, QString& s);

    // Writes "TlgCntDay", "TlgCntMonth", "TlgCntFullNumber" and
    // "TlgCntCKSNumber", in this order. Throws FileError on a failed write.
    void SaveTlgCounters();
    // Writes "TlgRecNo" := N. Throws FileError on a failed write.
    void SaveTlgRecNo(std::int32_t n);
    // "TlgRecNo" of the section; 1 when missing.
    std::int32_t LoadTlgRecNo() const;

    // Sets the file numbers when the channel starts (folders are native
    // paths):
    // - TlgRecNo := the stored "TlgRecNo"; when that is 1 (or missing),
    //   one more than the highest number of any numbered TLG file in the
    //   receive folder, whatever its state extension (received, printed,
    //   ...), so a lost INI never gives a used number again;
    // - NextTelNo: one more than the highest TEL file of the outgoing
    //   folder, any extension;
    // - NextDlgNo: one more than the highest DLG*.PT? file there.
    // Each is 1 when no such file exists.
    void InitNumbers(const QString& transmDirNative, const QString& receiveDirNative);

    std::uint8_t TlgCntDay = 0;          // day of the month of the last draw
    std::uint8_t TlgCntMonth = 0;        // month (1..12) of the last draw
    std::uint16_t TlgCntFullNumber = 1;  // next full telegram number
    QChar FNumberMode = CounterResetMode::EveryMonth;
    std::uint16_t TlgCntCKSNumber = 1;   // next CKS telegram number
    QChar CKSNumberMode = CounterResetMode::EveryDay;
    std::int32_t TlgRecNo = 1;           // next received telegram file
    std::int32_t NextTelNo = 1;          // next outgoing telegram file
    std::int32_t NextDlgNo = 1;          // next dialog record file

private:
    int m_channel;
    QString m_iniFileName;
    const Clock& m_clock;
};

} // namespace korvane
