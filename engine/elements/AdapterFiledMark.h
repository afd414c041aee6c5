#pragma once

#include <QByteArray>
#include <QString>

namespace korvane {

// The header of the telegram last filed from a channel's TARVELOX-01 adapter
// and not yet known to be deleted in it, kept in the channel's section of
// the INI file (key "AdapterFiled", the header's bytes in hexadecimal).
// The exchange after a restart of the channels finds it there: a stored
// telegram with that header is one already filed, and is deleted in the
// adapter instead of being filed again.
//
// Every call touches the disk: the file tick's thread only, never under the
// engine lock.
class AdapterFiledMark {
public:
    AdapterFiledMark(int channel, QString iniFileName);

    // The mark; empty when there is none (or it cannot be read as a header).
    QByteArray Load() const;
    // Marks Header (empty: no mark). Throws FileError when the INI file
    // cannot be written; the mark then stays as it was.
    void Save(const QByteArray& header) const;

private:
    int channel_;
    QString iniFileName_;
};

} // namespace korvane
