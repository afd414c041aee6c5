#pragma once

// The listing of a channel's outgoing folder: the names of its telegram
// files (*.TLG, letter case ignored; ordinary files only, no hidden ones;
// a link counts as what it points to), in the folder's own order, and the
// stamp that tells whether a listed file has changed since it was read.

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <cstdint>

namespace korvane {

// What identifies one version of a file: a file written anew (a new inode,
// a new size or time) has another stamp.
struct FileStamp {
    dev_t Device = 0;
    ino_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;
    // Not a link and the only name of the file: a watch on its folder sees
    // every change of it.
    bool Plain = false;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The telegram files of Folder; empty when it cannot be read.
QStringList ListOutgoingTelegrams(const QString& folder);

// The stamp of the ordinary file Path (a link followed); false when there
// is none (gone, a folder, unreadable).
bool StampOfFile(const QString& path, FileStamp& stamp);

// A folder held open so that its files are stamped by name, without the
// whole path being looked up for each.
class OpenFolder {
public:
    explicit OpenFolder(const QString& folder);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    // As StampOfFile, for the file Name in the folder; false also when
    // the folder could not be opened.
    bool StampOf(const QString& name, FileStamp& stamp) const;

private:
    int fd_ = -1;
};

} // namespace korvane
