#include "support/LogFile.h"

#include "platform/CodePages.h"
#include "platform/CpuInfo.h"
#include "platform/SystemDescription.h"
#include "support/FileError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace korvane {

TLogFile* LogFile = nullptr;
std::atomic<bool> LogOff = false;
bool FirstTick = true;

namespace {

constexpr qint64 MsPerDay = 24LL * 60 * 60 * 1000;

// A local date and time as plain wall-clock reading, so that day counts
// do not shift by a daylight-saving hour.
QDateTime wallClock(const QDateTime& local)
{
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

QString withTrailingSlash(QString dir)
{
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

} // namespace

TLogFile::TLogFile(const QString& programDir, const Clock& clock)
    : m_path(withTrailingSlash(programDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                                    : programDir)),
      m_clock(clock)
{
}

QString TLogFile::FileNameFor(const QDate& date) const
{
    return LogDir() + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
}

void TLogFile::Write(const QString& msg)
{
    if (LogOff)
        return;
    const QDateTime now = m_clock.now();
    const QString name = FileNameFor(now.date());

    if (!QDir().mkpath(LogDir()))
        throw FileError::createFailed(LogDir());

    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw FileError::openFailed(name);

    const QString line = now.time().toString(LogTimeFormat) + QStringLiteral("  ") + msg
                         + QStringLiteral("\r\n");
    const QByteArray bytes = codepage::toCp1251(line);
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        throw FileError::writeFailed(name);
}

void DeleteOldLogs(const QString& dir, qint16 days, const Clock& clock)
{
    QDir folder(dir);
    folder.setNameFilters({QStringLiteral("?\?\?\?-\?\?-\?\?.log")});
    folder.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    const QDateTime startOfToday = wallClock(clock.today().startOfDay());
    const QFileInfoList files = folder.entryInfoList();
    for (const QFileInfo& info : files) {
        const qint64 apart = std::abs(wallClock(info.lastModified()).msecsTo(startOfToday));
        if (apart / MsPerDay > days)
            QFile::remove(info.absoluteFilePath());
    }
}

QChar CrLfCharToMark(QChar c)
{
    if (c == u'\r')
        return u'<';
    if (c == u'\n')
        return u'_';
    return c;
}

void ConvertCrLfToMarks(QString& s)
{
    for (QChar& c : s)
        c = CrLfCharToMark(c);
}

void FormatCpuClock(QString& s, const Clock& clock, TimeStampCounter& counter)
{
    const std::uint64_t t = clock.tickMs();
    std::uint64_t now = t;
    while (now == t)
        now = clock.tickMs();
    const std::uint64_t tscStart = counter.read();
    while (clock.tickMs() < t + 400) {
    }
    const std::uint64_t tscStop = counter.read();
    const double mhz = static_cast<double>(tscStop - tscStart) * 0.0000025;
    s = QStringLiteral("CPU clock: %1 MHz").arg(mhz, 0, 'f', 2);
}

void GetCpuDescription(QString& description, QString& extra)
{
    description = cpuModelName();
    extra.clear();
}

void GetWindowsVersionText(QString& s)
{
    s = systemDescription();
}

} // namespace korvane
