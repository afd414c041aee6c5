#include "engine/DiskSteps.h"

#include "platform/IniFile.h"
#include "platform/SafeFileWriter.h"
#include "support/FileError.h"

#include <QFile>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

// Every byte of Data written at the end of Fd; false on a short write.
bool WriteAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

bool DiskSteps::Step(const char* step, const QString& path) const
{
    return !hook_ || hook_(step, path);
}

qint64 DiskSteps::SizeOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return st.st_size;
}

QByteArray DiskSteps::ReadRange(const QString& path, qint64 offset, qint64 length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return {};
    return length < 0 ? file.readAll() : file.read(length);
}

bool DiskSteps::SameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void DiskSteps::AppendAt(const QString& path, qint64 offset, const QByteArray& bytes) const
{
    const qint64 size = SizeOf(path);
    qint64 at = size < 0 ? 0 : size;
    if (size > offset && offset >= 0) {
        if (size >= offset + bytes.size() && ReadRange(path, offset, bytes.size()) == bytes)
            return; // written before a crash, or by an earlier attempt
        if (size < offset + bytes.size() && bytes.startsWith(ReadRange(path, offset)))
            at = offset; // the half of a block whose write was cut: it goes, the block is written whole
    }
    if (bytes.isEmpty() && at == size)
        return;
    const QByteArray name = QFile::encodeName(path);
    if (!Step("append", path))
        throw FileError::writeFailed(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw FileError::openFailed(path);
    // Only ever back to a length the file had before this block, never into what was there.
    bool ok = (size < 0 || at == size || ::ftruncate(fd, at) == 0) && ::lseek(fd, at, SEEK_SET) == at;
    // With a hook the block goes in two writes, so that a test can stop the process between them.
    const qsizetype first = hook_ ? bytes.size() / 2 : bytes.size();
    ok = ok && WriteAll(fd, bytes.constData(), first);
    ok = ok && (first == bytes.size() || (Step("append-rest", path)
                                          && WriteAll(fd, bytes.constData() + first, bytes.size() - first)));
    ok = ok && ::fsync(fd) == 0;
    if (!ok) {
        (void)!::ftruncate(fd, at); // nothing of a block that did not fit stays behind
        if (size < 0)
            ::unlink(name.constData()); // nor a file it would have begun
    }
    ::close(fd);
    if (!ok)
        throw FileError::writeFailed(path);
}

void DiskSteps::Replace(const QString& path, const QByteArray& data) const
{
    QString why;
    if (!Step("replace", path) || !WriteFileSafely(path, data, &why))
        throw FileError(FileError::Kind::Write, why.isEmpty() ? FileError::writeFailed(path).message() : why);
}

bool DiskSteps::Rename(const QString& from, const QString& to) const
{
    return RenameNoReplace(from, to, hook_);
}

bool DiskSteps::Remove(const QString& path) const
{
    return Step("remove", path) && ::unlink(QFile::encodeName(path).constData()) == 0;
}

void DiskSteps::WriteSetting(const QString& path, const QString& section, const QString& key, const QString& value) const
{
    IniFile ini(path);
    if (!Step("setting", path) || !ini.WriteString(section, key, value))
        throw FileError::writeFailed(path);
}

bool RenameNoReplace(const QString& from, const QString& to, const DiskStepHook& hook)
{
    const auto step = [&](const char* name, const QString& path) { return !hook || hook(name, path); };
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (!step("rename", from))
        return false;
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // A file system without the no-replace rename: a hard link fails when the
    // name is taken. A crash between the two steps leaves one file under both
    // names, which the next attempt recognises and finishes.
    if (!step("link", to) || ::link(src.constData(), dst.constData()) != 0)
        return false;
    if (!step("unlink", from) || ::unlink(src.constData()) != 0) {
        ::unlink(dst.constData());
        return false;
    }
    return true;
}

} // namespace korvane
