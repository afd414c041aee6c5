#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

namespace korvane {

// Follows a journal file (OEM text, lines ending CR LF) that only grows: each
// Read gives what was appended since the Read before, so a journal of many
// thousand lines is not read whole at every new line. A file that shrank or
// whose bytes before the part read last have changed (a new journal under
// the same name) is read again from its start.
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
    bool SameFileAsBefore(QFile& file) const;

    QString path_;
    qint64 offset_ = 0;
    // The last bytes before Offset, to tell a new file from the one read.
    QByteArray lastBytes_;
};

} // namespace korvane
