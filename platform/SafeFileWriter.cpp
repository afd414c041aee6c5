#include "platform/SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

QString reasonOf(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// Every byte of Data written to Fd; false with errno set on a short write.
bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The folder of Path made durable after a rename in it; a failure here
// does not undo the rename, so it is not an error of the write.
void syncFolder(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool WriteFileSafely(const QString& path, const QByteArray& data, QString* error)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = target + SafeWriteSuffix;
    auto fail = [&](int err) {
        ::unlink(temp.constData());
        if (error)
            *error = QStringLiteral("Ошибка записи файла %1: %2").arg(path, reasonOf(err));
        return false;
    };

    // The new file keeps the old one's permission bits. A device, a FIFO or
    // a folder under the name is never replaced by a file.
    mode_t mode = 0666;
    struct stat old {};
    if (::stat(target.constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            if (error)
                *error = QStringLiteral("Ошибка записи файла %1: %2").arg(path, reasonOf(EEXIST));
            return false;
        }
        mode = old.st_mode & 07777;
    }

    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        return fail(errno);
    if (!writeAll(fd, data.constData(), data.size()) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(err);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::stat(target.constData(), &old) == 0)
        ::chmod(temp.constData(), old.st_mode & 07777);
    if (::rename(temp.constData(), target.constData()) != 0)
        return fail(errno);
    syncFolder(path);
    return true;
}

bool RemoveSafeWriteLeftover(const QString& path)
{
    const QString temp = path + QLatin1String(SafeWriteSuffix);
    return QFileInfo::exists(temp) && QFile::remove(temp);
}

int RemoveSafeWriteLeftovers(const QString& folder)
{
    int removed = 0;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*") + QLatin1String(SafeWriteSuffix)}, QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        removed += QFile::remove(dir.filePath(name)) ? 1 : 0;
    return removed;
}

} // namespace korvane
