#pragma once

// The table files of the database folder: found without regard to letter
// case (ABONENTS.DB, abonents.db), told apart by their contents, and moved
// aside under a free name, never over an existing file.

#include <QString>

namespace korvane {

// The path of the file in Folder whose name equals Name without regard to
// letter case; when several do, the one spelled exactly as Name, else the
// first in name order. Empty when there is none.
QString FindTableFile(const QString& folder, const QString& name);

enum class TableFileKind {
    Sqlite,  // an SQLite database
    Paradox, // a Paradox table header (whether pxlib reads it is found out then)
    Unknown, // anything else, an empty file included
    Inaccessible, // the program may not open it for reading
};
TableFileKind ClassifyTableFile(const QString& path);

// Why the file cannot be opened for reading, in the operator's words
// ("нет прав на чтение файла"); empty when it can.
QString TableFileAccessProblem(const QString& path);

// Renames Path to Path + Suffix, or Path + Suffix + ".1", ".2", ... when
// that name is taken; an existing file is never replaced. Answers the new
// path, or an empty text when the rename failed (Error then says why).
QString KeepAside(const QString& path, const QString& suffix, QString& error);

} // namespace korvane
