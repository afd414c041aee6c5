#include "engine/OutgoingListing.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace korvane {

namespace {

const QString kTelegramExtension = QStringLiteral(".TLG");

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::int64_t Nanoseconds(const timespec& t)
{
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

QStringList ListOutgoingTelegrams(const QString& folder)
{
    QStringList names;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return names;
    while (const dirent* e = ::readdir(dir.get())) {
        if (e->d_name[0] == '.') // hidden, and the folder's own entries
            continue;
        const QString name = QFile::decodeName(e->d_name);
        if (name.size() <= kTelegramExtension.size() || !name.endsWith(kTelegramExtension, Qt::CaseInsensitive))
            continue;
        if (e->d_type != DT_REG) {
            if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
                continue;
            struct stat st {};
            if (::fstatat(::dirfd(dir.get()), e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
        }
        names.append(name);
    }
    return names;
}

namespace {
bool StampFrom(const struct stat& st, bool linked, FileStamp& stamp)
{
    if (!S_ISREG(st.st_mode))
        return false;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.ModifiedNs = Nanoseconds(st.st_mtim);
    stamp.ChangedNs = Nanoseconds(st.st_ctim);
    stamp.Plain = !linked && st.st_nlink == 1;
    return true;
}

// Stamps Name relative to the folder Fd (AT_FDCWD: Name is a path).
bool StampAt(int fd, const char* name, FileStamp& stamp)
{
    struct stat st {};
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISLNK(st.st_mode))
        return StampFrom(st, false, stamp);
    return ::fstatat(fd, name, &st, 0) == 0 && StampFrom(st, true, stamp);
}
} // namespace

bool StampOfFile(const QString& path, FileStamp& stamp)
{
    return StampAt(AT_FDCWD, QFile::encodeName(path).constData(), stamp);
}

OpenFolder::OpenFolder(const QString& folder)
    : fd_(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

OpenFolder::~OpenFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool OpenFolder::StampOf(const QString& name, FileStamp& stamp) const
{
    return fd_ >= 0 && StampAt(fd_, QFile::encodeName(name).constData(), stamp);
}

} // namespace korvane
