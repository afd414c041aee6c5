#pragma once

// Reading a Paradox table's fields and records with pxlib in a child
// process. pxlib follows the file's chains of blocks in loops that nothing
// outside it can bound, so a damaged or crafted table could hold the
// program for ever: the child does that work and hands the raw records
// back through a pipe, and the program waits for it only until a
// deadline, then kills it and refuses the table. The child touches nothing
// of the program but pxlib and the pipe.

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>

namespace korvane {

struct ParadoxFieldInfo {
    int Type = 0;   // pxlib's field type (pxfAlpha, pxfLong, ...)
    int Length = 0; // bytes in a record
    QByteArray Name; // in the table's code page
};

struct ParadoxRecords {
    QList<ParadoxFieldInfo> Fields;
    int CodePage = 0;   // the header's DOS code page
    int RecordSize = 0; // bytes
    QList<QByteArray> Records; // each RecordSize bytes, as pxlib reads them
};

// How long the reading of a table file of FileSize bytes may take: long
// enough for a table of 100 000 subscribers on a slow machine.
std::chrono::milliseconds ParadoxReadDeadline(qint64 fileSize);

// Reads Path with pxlib in a child process. False with Error set when
// pxlib refuses the file or a record, when the child ends without a
// result, or when it has not finished by Deadline (it is killed then).
bool ReadParadoxRecords(const QString& path, std::chrono::milliseconds deadline, ParadoxRecords& out,
                        QString& error);

} // namespace korvane
