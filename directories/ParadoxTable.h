#pragma once

// Reading a Paradox table (the old system's ABONENTS.DB and COUNTRY.DB)
// with pxlib: its fields, as SQLite column declarations, and its records.
// Texts are decoded from the table's code page (CP866 when the header says
// 866, else CP1251, the old system's ANSI page).

#include "directories/SqliteTableFile.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace korvane {

struct ParadoxContents {
    QList<TableColumn> Columns;
    QList<QVariantList> Rows;
};

// False with Error set when pxlib cannot read the file or one of its
// records.
bool ReadParadoxTable(const QString& path, ParadoxContents& contents, QString& error);

} // namespace korvane
