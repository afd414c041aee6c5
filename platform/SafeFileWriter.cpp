#include "platform/SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
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

// Path with its chain of symbolic links followed to the name that is not a
// link (an existing file, or the name a dangling link points to). False
// with errno set when the chain is too long (a loop) or cannot be read.
bool resolveLinks(const QByteArray& path, QByteArray& resolved)
{
    constexpr int MaxLinks = 40; // as the kernel allows in one lookup
    resolved = path;
    for (int i = 0; i <= MaxLinks; ++i) {
        struct stat st {};
        if (::lstat(resolved.constData(), &st) != 0)
            return errno == ENOENT; // a name not there yet is written as it is
        if (!S_ISLNK(st.st_mode))
            return true;
        QByteArray link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(resolved.constData(), link.data(), static_cast<size_t>(link.size()));
        if (n < 0)
            return false;
        if (n >= link.size()) {
            errno = ENAMETOOLONG;
            return false;
        }
        link.truncate(n);
        if (!link.startsWith('/')) {
            const qsizetype slash = resolved.lastIndexOf('/');
            link.prepend(slash < 0 ? QByteArray() : resolved.left(slash + 1));
        }
        resolved = link;
    }
    errno = ELOOP;
    return false;
}

} // namespace

bool WriteFileSafely(const QString& path, const QByteArray& data, QString* error)
{
    auto failWith = [&](int err) {
        if (error)
            *error = QStringLiteral("Ошибка записи файла %1: %2").arg(path, reasonOf(err));
        return false;
    };
    // A name that is a link keeps being the link: the new content replaces
    // the file it points to.
    QByteArray target;
    if (!resolveLinks(QFile::encodeName(path), target))
        return failWith(errno);
    const QByteArray temp = target + SafeWriteSuffix;
    auto fail = [&](int err) {
        ::unlink(temp.constData());
        return failWith(err);
    };

    // The new file keeps the old one's permission bits. A device, a FIFO or
    // a folder under the name is never replaced by a file.
    mode_t mode = 0666;
    struct stat old {};
    if (::stat(target.constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            return failWith(EEXIST);
        mode = old.st_mode & 07777;
    }

    // The temporary is a file of this write's own: whatever a cut write left
    // under its name (a link included: unlink never follows one) goes first,
    // and the new one is created exclusively, never through a link.
    if (::unlink(temp.constData()) != 0 && errno != ENOENT)
        return failWith(errno);
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return failWith(errno);
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
    syncFolder(QFile::decodeName(target));
    return true;
}

bool RemoveSafeWriteLeftover(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    bool removed = ::unlink((name + SafeWriteSuffix).constData()) == 0;
    QByteArray target;
    if (resolveLinks(name, target) && target != name)
        removed = (::unlink((target + SafeWriteSuffix).constData()) == 0) || removed;
    return removed;
}

int RemoveSafeWriteLeftovers(const QString& folder)
{
    int removed = 0;
    const QDir dir(folder);
    // System: a leftover that is a dangling link is listed too.
    const QStringList names = dir.entryList({QStringLiteral("*") + QLatin1String(SafeWriteSuffix)},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        removed += ::unlink(QFile::encodeName(dir.filePath(name)).constData()) == 0 ? 1 : 0;
    return removed;
}

} // namespace korvane
