#pragma once

#include "platform/Clock.h"
#include "platform/TimeStampCounter.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringView>

#include <array>
#include <atomic>

namespace korvane {

// The daily log: one text file per calendar day, <program folder>/LOG/
// yyyy-mm-dd.log, CP1251 on disk, each line the time in the long time
// format "H:mm:ss" (hours without a leading zero: "9:05:03"), two blanks and
// the message, ended by CR LF. Every Write opens, appends and closes the file,
// so the log is complete on disk after each line. The clock is read once
// per line, so a line's time and its file's date always agree.
class TLogFile {
public:
    // The time of a line, as QTime::toString takes it.
    static constexpr QStringView LogTimeFormat = u"H:mm:ss";

    // ProgramDir: the folder of the program (default: the application's
    // folder; needs a QCoreApplication). The clock gives date and time.
    explicit TLogFile(const QString& programDir = QString(), const Clock& clock = systemClock());

    // The program's folder, with a trailing '/'.
    const QString& FPath() const { return m_path; }
    // The folder of the log files, with a trailing '/'.
    QString LogDir() const { return m_path + QStringLiteral("LOG/"); }
    // The file that holds the lines written on Date.
    QString FileNameFor(const QDate& date) const;

    // Appends one line to today's file, creating the LOG folder and the
    // file when missing; does nothing while LogOff is set. Throws
    // FileError when the folder cannot be created or the file cannot be
    // opened or written (the file is closed first).
    void Write(const QString& msg);

private:
    QString m_path;
    const Clock& m_clock;
};

// The program's log, created first thing at start-up and destroyed at exit
// by the main window, which owns it; null outside that time.
extern TLogFile* LogFile;

// While set, TLogFile::Write writes nothing; the main window sets it when
// its destruction begins.
extern std::atomic<bool> LogOff;

// Set until the main window's first idle moment writes the start-up lines.
extern bool FirstTick;

// The names of the adapter types 0 to 4, written into the channel start
// lines.
inline constexpr std::array<QStringView, 5> AdapterModelNames = {
    u"Выключен", u"Ormak-A", u"Ormak-B", u"TARVELOX-01", u"Ormak-D",
};

// Deletes the files in Dir named like "????-??-??.log" (letter case
// ignored, hidden ones too) whose last write lies more than Days whole
// days from the start of today, one by one; a file that cannot be deleted
// stays, silently. No other file is touched.
void DeleteOldLogs(const QString& dir, qint16 days, const Clock& clock = systemClock());

// CR gives '<', LF gives '_', any other character itself.
QChar CrLfCharToMark(QChar c);
// Every CR in S becomes '<' and every LF '_', in place.
void ConvertCrLfToMarks(QString& s);

// S := "CPU clock: <MHz> MHz" with two decimals, the processor clock
// measured from the counter over 400 ms of the clock's tick count
// (a busy wait).
void FormatCpuClock(QString& s, const Clock& clock = systemClock(),
                    TimeStampCounter& counter = systemTimeStampCounter());

// Description := the processor's model name; Extra is always empty.
void GetCpuDescription(QString& description, QString& extra);

// S := the operating system's description for the start-up log line: the
// distribution's name and the kernel's name, release and machine.
void GetWindowsVersionText(QString& s);

} // namespace korvane
