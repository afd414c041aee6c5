#include "support/LogFile.h"

#include "support/FileError.h"
#include "tests/fakes/FakeClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

class LogFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        LogOff = false;
    }
    void TearDown() override { LogOff = false; }

    QString logPath(const char* date) const { return dir.path() + "/LOG/" + date + ".log"; }

    QTemporaryDir dir;
    test::FakeClock clock {QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3))};
    TLogFile log {dir.path(), clock};
};

TEST_F(LogFileTest, FirstWriteCreatesTheFolderAndTodaysFile)
{
    ASSERT_FALSE(QDir(dir.path() + "/LOG").exists());
    log.Write("start");
    EXPECT_EQ(readAll(logPath("2026-03-07")), QByteArray("9:05:03  start\r\n"));
    EXPECT_EQ(log.FPath(), dir.path() + "/");
    EXPECT_EQ(log.FileNameFor(QDate(2026, 3, 7)), logPath("2026-03-07"));
}

TEST_F(LogFileTest, LinesAreAppendedInCp1251WithCrLf)
{
    QDir().mkpath(dir.path() + "/LOG");
    {
        QFile existing(logPath("2026-03-07"));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("earlier\r\n");
    }
    log.Write(QStringLiteral("Канал 1: Выключен"));
    clock.advance(61'000);
    log.Write("");
    const QByteArray expected = QByteArray("earlier\r\n")
                                + "9:05:03  \xCA\xE0\xED\xE0\xEB 1: \xC2\xFB\xEA\xEB\xFE\xF7\xE5\xED\r\n"
                                + "9:06:04  \r\n";
    EXPECT_EQ(readAll(logPath("2026-03-07")), expected);
}

TEST_F(LogFileTest, TheTimeIsInTheLongTimeFormatWithoutALeadingZeroHour)
{
    struct Case {
        QTime time;
        const char* line;
    };
    const Case cases[] = {
        {QTime(0, 0, 0), "0:00:00  m\r\n"},
        {QTime(0, 7, 9, 999), "0:07:09  m\r\n"},
        {QTime(9, 5, 3), "9:05:03  m\r\n"},
        {QTime(10, 0, 0), "10:00:00  m\r\n"},
        {QTime(23, 59, 59, 999), "23:59:59  m\r\n"},
    };
    for (const Case& c : cases) {
        clock.set(QDateTime(QDate(2026, 3, 7), c.time));
        QFile::remove(logPath("2026-03-07"));
        log.Write("m");
        EXPECT_EQ(readAll(logPath("2026-03-07")), QByteArray(c.line)) << c.line;
    }
}

TEST_F(LogFileTest, TheFirstLineAfterMidnightGoesToTheNewDaysFile)
{
    clock.set(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)));
    log.Write("old year");
    clock.advance(1);
    log.Write("new year");
    EXPECT_EQ(readAll(logPath("2026-12-31")), QByteArray("23:59:59  old year\r\n"));
    EXPECT_EQ(readAll(logPath("2027-01-01")), QByteArray("0:00:00  new year\r\n"));
}

// A clock that moves on by a millisecond each time it is read: a line that
// took its date and its time from two readings would land in the wrong file.
class ReadingMovesClock final : public Clock {
public:
    explicit ReadingMovesClock(QDateTime start) : m_now(std::move(start)) {}
    QDateTime now() const override
    {
        const QDateTime t = m_now;
        m_now = m_now.addMSecs(1);
        return t;
    }
    std::uint64_t tickMs() const override { return 0; }

private:
    mutable QDateTime m_now;
};

TEST_F(LogFileTest, ALinesTimeAndItsFilesDateComeFromOneReading)
{
    ReadingMovesClock moving(QDateTime(QDate(2026, 1, 15), QTime(23, 59, 59, 999)));
    TLogFile midnightLog(dir.path(), moving);
    midnightLog.Write("at midnight");
    EXPECT_EQ(readAll(logPath("2026-01-15")), QByteArray("23:59:59  at midnight\r\n"));
    EXPECT_FALSE(QFile::exists(logPath("2026-01-16")));
}

TEST_F(LogFileTest, LogOffWritesNothingAndCreatesNoFolder)
{
    LogOff = true;
    log.Write("after shut-down began");
    EXPECT_FALSE(QDir(dir.path() + "/LOG").exists());

    LogOff = false;
    log.Write("one");
    LogOff = true;
    log.Write("two");
    EXPECT_EQ(readAll(logPath("2026-03-07")), QByteArray("9:05:03  one\r\n"));
}

TEST_F(LogFileTest, AFolderThatCannotBeMadeRaisesAFileError)
{
    QFile blocker(dir.path() + "/LOG");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    EXPECT_THROW(log.Write("x"), FileError);
}

TEST_F(LogFileTest, AFileThatCannotBeOpenedRaisesAFileError)
{
    ASSERT_TRUE(QDir().mkpath(logPath("2026-03-07"))); // a folder where the file should be
    try {
        log.Write("x");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::Open);
        EXPECT_TRUE(e.message().contains("2026-03-07.log"));
    }
}

TEST(LogFile, DefaultFolderIsTheApplicationsFolder)
{
    const TLogFile log;
    EXPECT_EQ(log.FPath(), QCoreApplication::applicationDirPath() + "/");
}

class DeleteOldLogsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return dir.path() + "/" + name; }

    void makeFile(const QString& name, const QDateTime& lastWrite)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write("x");
        f.flush();
        ASSERT_TRUE(f.setFileTime(lastWrite, QFileDevice::FileModificationTime));
        f.close();
    }

    QTemporaryDir dir;
    // Today is 15 January 2026; its start is midnight.
    test::FakeClock clock {QDateTime(QDate(2026, 1, 15), QTime(14, 30))};
};

TEST_F(DeleteOldLogsTest, DeletesOnlyLogsMoreThanDaysWholeDaysOld)
{
    struct Case {
        const char* name;
        QDateTime lastWrite;
        bool kept;
    };
    const Case cases[] = {
        {"2026-01-15.log", QDateTime(QDate(2026, 1, 15), QTime(8, 0)), true},
        {"2025-12-16.log", QDateTime(QDate(2025, 12, 16), QTime(0, 0)), true},     // 30 days
        {"2025-12-15.log", QDateTime(QDate(2025, 12, 15), QTime(0, 0, 1)), true},  // 30 days and a bit
        {"2025-12-14.log", QDateTime(QDate(2025, 12, 15), QTime(0, 0)), false},    // 31 days
        {"2020-01-01.log", QDateTime(QDate(2020, 1, 1), QTime(12, 0)), false},
        {"2020-01-02.LOG", QDateTime(QDate(2020, 1, 2), QTime(12, 0)), false},     // letter case ignored
        {"abcd-ef-gh.log", QDateTime(QDate(2020, 1, 3), QTime(12, 0)), false},     // any characters
    };
    for (const Case& c : cases)
        makeFile(c.name, c.lastWrite);

    DeleteOldLogs(dir.path(), 30, clock);

    for (const Case& c : cases)
        EXPECT_EQ(QFile::exists(path(c.name)), c.kept) << c.name;
}

TEST_F(DeleteOldLogsTest, NeverTouchesFilesOfOtherNames)
{
    const QDateTime ancient(QDate(2001, 1, 1), QTime(0, 0));
    const char* names[] = {"notes.log",          "2020-01-01.txt", "2020-1-01.log",
                           "2020-01-01.log.bak", "x2020-01-01.log", "2020-01-011.log",
                           "KORVANE2.INI"};
    for (const char* name : names)
        makeFile(name, ancient);
    ASSERT_TRUE(QDir(dir.path()).mkdir("2001-01-01.log"));

    DeleteOldLogs(dir.path(), 30, clock);

    for (const char* name : names)
        EXPECT_TRUE(QFile::exists(path(name))) << name;
    EXPECT_TRUE(QDir(path("2001-01-01.log")).exists());
}

TEST_F(DeleteOldLogsTest, DaysZeroKeepsLogsWrittenLessThanADayBeforeToday)
{
    makeFile("2026-01-15.log", QDateTime(QDate(2026, 1, 15), QTime(0, 0)));
    makeFile("2026-01-14.log", QDateTime(QDate(2026, 1, 14), QTime(0, 0, 1)));
    makeFile("2026-01-13.log", QDateTime(QDate(2026, 1, 13), QTime(23, 0)));
    DeleteOldLogs(dir.path(), 0, clock);
    EXPECT_TRUE(QFile::exists(path("2026-01-15.log")));
    EXPECT_TRUE(QFile::exists(path("2026-01-14.log")));
    EXPECT_FALSE(QFile::exists(path("2026-01-13.log")));
}

TEST_F(DeleteOldLogsTest, AMissingFolderIsNoError)
{
    DeleteOldLogs(dir.path() + "/LOG", 30, clock);
    EXPECT_FALSE(QDir(dir.path() + "/LOG").exists());
}

TEST(CrLfMarks, LineEndsBecomeTheirMarks)
{
    QString s = QStringLiteral("A\r\nB\n\rC\r");
    ConvertCrLfToMarks(s);
    EXPECT_EQ(s, QStringLiteral("A<_B_<C<"));

    const std::pair<QChar, QChar> cases[] = {
        {u'\r', u'<'}, {u'\n', u'_'}, {u'x', u'x'}, {u'<', u'<'}, {u'Ж', u'Ж'}, {u'\0', u'\0'}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(CrLfCharToMark(in), out) << int(in.unicode());
}

// The tick count moves one millisecond each time it is read; the counter
// runs at a fixed rate per millisecond of it.
class SteppingClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 1, 1), QTime(0, 0)); }
    std::uint64_t tickMs() const override { return ++tick; }
    mutable std::uint64_t tick = 700;
};

class ClockDrivenCounter final : public TimeStampCounter {
public:
    ClockDrivenCounter(const SteppingClock& clock, std::uint64_t perMs) : m_clock(clock), m_perMs(perMs) {}
    std::uint64_t read() override { return m_clock.tick * m_perMs; }

private:
    const SteppingClock& m_clock;
    std::uint64_t m_perMs;
};

TEST(FormatCpuClock, MeasuresFromTheFirstTickChangeToFourHundredMsAfterTheStart)
{
    SteppingClock clock;
    ClockDrivenCounter counter(clock, 1'000'000);
    QString s;
    FormatCpuClock(s, clock, counter);
    // The count runs from the first changed tick (start + 1) to start + 400:
    // 399 ms of a 1000 MHz counter.
    EXPECT_EQ(s, QStringLiteral("CPU clock: 997.50 MHz"));
}

TEST(FormatCpuClock, TwoDecimalsWithAFullStopWhateverTheLocale)
{
    struct Case {
        std::uint64_t perMs; // counter ticks per millisecond
        const char* text;
    };
    // 399 ms are measured (see above).
    const Case cases[] = {
        {2'406'015, "CPU clock: 2400.00 MHz"}, // 2399.9999625 rounds up
        {3'000'000, "CPU clock: 2992.50 MHz"},
        {4, "CPU clock: 0.00 MHz"},
        {12'000'000, "CPU clock: 11970.00 MHz"}, // no group separator
    };
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); // decimal comma, blank groups
    for (const Case& c : cases) {
        SteppingClock clock;
        ClockDrivenCounter counter(clock, c.perMs);
        QString s;
        FormatCpuClock(s, clock, counter);
        EXPECT_EQ(s, QString::fromLatin1(c.text));
    }
    QLocale::setDefault(saved);
}

} // namespace
