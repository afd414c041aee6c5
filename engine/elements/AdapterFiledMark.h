#pragma once

#include <QByteArray>
#include <QString>

namespace korvane {

struct FileWorkItem;
class PendingFileWork;

// The header of the telegram last filed from a channel's TARVELOX-01 adapter
// and not yet known to be deleted in it, kept in the channel's section of
// the INI file (key "AdapterFiled", the header's bytes in hexadecimal).
// The exchange after a restart of the channels finds it there: a stored
// telegram with that header is one already filed, and is deleted in the
// adapter instead of being filed again.
//
// A telegram is marked through the channel's pending file work, after its
// record and journal line: the mark is kept on disk with them before any of
// them is written, so that a start after a crash or an exit that left them
// unwritten writes them and the mark before the exchange asks the adapter.
//
// Load and Save touch the disk: the file tick's thread only, never under the
// engine lock.
class AdapterFiledMark {
public:
    AdapterFiledMark(int channel, QString iniFileName);

    // The mark; empty when there is none (or it cannot be read as a header).
    QByteArray Load() const;
    // Marks Header (empty: no mark). Throws FileError when the INI file
    // cannot be written; the mark then stays as it was.
    void Save(const QByteArray& header) const;
    // The pending work that marks Header (empty: no mark) once everything of
    // Connection (empty: nothing) before it is on disk.
    FileWorkItem SaveAfter(const QByteArray& header, const QString& connection) const;
    // A change of the mark still waits in Work.
    bool Waiting(const PendingFileWork& work) const;

private:
    int channel_;
    QString iniFileName_;
};

} // namespace korvane
