#pragma once

// Writing a new table file: one SQLite database holding one table, named
// like the file ("abonents.db"), so that the statements that name the file
// name the table. The file appears whole or not at all: it is written
// under a temporary name beside its place and then moved there, never over
// an existing file.

#include <QList>
#include <QString>
#include <QVariant>

namespace korvane {

struct TableColumn {
    QString Name;
    QString Declaration; // SQL type and constraints: "VARCHAR(20)", "INTEGER PRIMARY KEY AUTOINCREMENT"
};

// A unique name for a Qt SQL connection of this process.
QString NewConnectionName(QStringView purpose);

bool WriteTableFile(const QString& path, const QString& tableName, const QList<TableColumn>& columns,
                    const QList<QVariantList>& rows, QString& error);

// A name quoted as an SQL identifier: "abonents.db".
QString QuoteIdentifier(const QString& name);

} // namespace korvane
