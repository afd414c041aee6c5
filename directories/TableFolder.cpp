#include "directories/TableFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace korvane {

QString FindTableFile(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    QString found;
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (entry == name)
            return dir.filePath(entry);
        if (found.isEmpty())
            found = dir.filePath(entry);
    }
    return found;
}

QString TableFileAccessProblem(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    switch (errno) {
    case EACCES:
    case EPERM:
        return QStringLiteral("у программы нет прав на чтение файла");
    case ENOENT:
    case ELOOP:
        return QStringLiteral("файл не найден");
    default:
        return QStringLiteral("файл не открывается для чтения");
    }
}

TableFileKind ClassifyTableFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TableFileKind::Inaccessible;
    const QByteArray head = file.read(100);
    static constexpr char sqliteMagic[] = "SQLite format 3";
    if (head.size() >= 16 && std::memcmp(head.constData(), sqliteMagic, 16) == 0)
        return TableFileKind::Sqlite;
    // A Paradox table begins with its record size, the header size (a
    // multiple of 2 KiB), the file type (0 keyed, 2 not keyed .DB) and the
    // block size in KiB (1, 2, 4, 8, 16 or 32).
    if (head.size() >= 0x58) {
        const auto u8 = [&](int at) { return static_cast<unsigned char>(head[at]); };
        const unsigned recordSize = u8(0) | (u8(1) << 8);
        const unsigned headerSize = u8(2) | (u8(3) << 8);
        const unsigned fileType = u8(4);
        const unsigned blockKiB = u8(5);
        const bool blockOk = blockKiB == 1 || blockKiB == 2 || blockKiB == 4 || blockKiB == 8
                             || blockKiB == 16 || blockKiB == 32;
        if (recordSize > 0 && headerSize >= 0x800 && headerSize % 0x800 == 0
            && (fileType == 0 || fileType == 2) && blockOk && file.size() >= headerSize)
            return TableFileKind::Paradox;
    }
    return TableFileKind::Unknown;
}

QString KeepAside(const QString& path, const QString& suffix, QString& error)
{
    for (int n = 0; n < 1000; ++n) {
        const QString target = n == 0 ? path + suffix : path + suffix + u'.' + QString::number(n);
        if (QFileInfo::exists(target))
            continue;
        // QFile::rename never replaces an existing target.
        QFile file(path);
        if (file.rename(target))
            return target;
        if (QFileInfo::exists(target))
            continue; // taken meanwhile
        error = file.errorString();
        return {};
    }
    error = QStringLiteral("нет свободного имени");
    return {};
}

} // namespace korvane
