#include "engine/FolderWatch.h"

#include <QFile>

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace korvane {

namespace {
constexpr std::uint32_t kWatched = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO
                                   | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// Notices after which nothing of the folder can be trusted.
constexpr std::uint32_t kLost = IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;
} // namespace

FolderWatch::FolderWatch(const QString& folder)
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0 && ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), kWatched) < 0)
        Close();
}

FolderWatch::~FolderWatch()
{
    Close();
}

void FolderWatch::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool FolderWatch::Collect(const std::function<void(const QString&)>& changed)
{
    if (fd_ < 0)
        return false;
    alignas(inotify_event) std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return true;
        if (n <= 0) {
            Close();
            return false;
        }
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            inotify_event event;
            std::memcpy(&event, buffer.data() + at, sizeof event);
            if (event.mask & kLost) {
                Close(); // the watch no longer tells everything
                return false;
            }
            if (event.len > 0)
                changed(QFile::decodeName(buffer.data() + at + sizeof(inotify_event)));
            at += ssize_t(sizeof(inotify_event) + event.len);
        }
    }
}

} // namespace korvane
