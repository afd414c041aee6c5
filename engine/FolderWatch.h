#pragma once

// A watch on one folder (inotify): the names of the files in it that have
// been created, written, renamed, deleted or had their attributes changed
// since the watch was last asked. When the watch cannot be set up, or the
// system has dropped some of its notices, everything counts as changed.

#include <QString>

#include <functional>

namespace korvane {

class FolderWatch {
public:
    explicit FolderWatch(const QString& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // The watch stands: a file it has not named since has not changed.
    bool Watching() const { return fd_ >= 0; }
    // Calls Changed for each file named since the last call; returns false
    // (the watch gone or notices lost) when anything may have changed.
    bool Collect(const std::function<void(const QString&)>& changed);

private:
    void Close();

    int fd_ = -1;
};

} // namespace korvane
