#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QFile;

namespace korvane {

// Follows a journal file (OEM text, lines ending CR LF) that only grows: each
// Read gives what was appended since the Read before, so a journal of many
// thousand lines is not parsed and shown whole at every new line. A file
// that is not the one read before is read again from its start: another
// file under the name (a journal replaced by a rename has another device
// and inode), one that shrank, or one rewritten in place whose bytes up to
// the position read have changed anywhere (at every Read the part read
// before is read again and checked by the hashes of its blocks; it is not
// parsed again).
class JournalTail {
public:
    struct Update {
        // Lines is all of the file: what was shown of it before goes.
        bool Restart = false;
        // The lines completed since the last Read, in order.
        QStringList Lines;
        // The last line while it has no line end yet (a line being written),
        // else empty. It is given again, whole, by the Read that completes
        // it: what was shown of it before goes first.
        QString Fragment;
    };

    explicit JournalTail(QString path = {}) : path_(std::move(path)) {}

    const QString& Path() const { return path_; }
    // Bytes of the file read up to the end of its last complete line.
    qint64 Offset() const { return offset_; }

    // What is new in the file. Throws FileError when it cannot be read;
    // the position stays where it was then.
    Update Read();

private:
    // Identity of a file: its device and inode.
    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Identity&) const = default;
    };

    bool SameFileAsBefore(QFile& file, const Identity& now) const;

    QString path_;
    qint64 offset_ = 0;
    // To tell another file, or the one rewritten, from the file read: its
    // identity at the last Read, the hashes of the whole blocks before
    // Offset and the bytes of the shorter last one.
    Identity identity_;
    QList<size_t> blockHashes_;
    QByteArray lastBlock_;
};

} // namespace korvane
