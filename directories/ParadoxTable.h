#pragma once

// Reading a Paradox table (the old system's ABONENTS.DB and COUNTRY.DB)
// with pxlib: its fields, as SQLite column declarations, and its records.
// Texts are decoded from the table's code page (CP866 when the header says
// 866, else CP1251, the old system's ANSI page).

#include "directories/SqliteTableFile.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <chrono>

namespace korvane {

struct ParadoxContents {
    QList<TableColumn> Columns;
    QList<QVariantList> Rows;
};

// False with Error set when the file is damaged or encrypted, when pxlib
// cannot read it or one of its records, or when pxlib has not read it by
// Deadline (ParadoxReadDeadline of its size when not given): pxlib runs in
// a child process, so that no table can hold the program.
bool ReadParadoxTable(const QString& path, ParadoxContents& contents, QString& error);
bool ReadParadoxTable(const QString& path, ParadoxContents& contents, QString& error,
                      std::chrono::milliseconds deadline);

} // namespace korvane
