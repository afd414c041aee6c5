#pragma once

// The subscriber table ABONENTS.DB as the program creates it: eight fields
// in this order, no required field, no index; ABONENT_ID is numbered by the
// table. A text longer than its field is refused by the table, on insert
// and on change alike, as the Paradox table refused it.

#include "directories/SqliteTableFile.h"

#include <QList>

namespace korvane {

// A text column of at most Length characters.
inline TableColumn TextColumn(const QString& name, int length)
{
    return {name, QStringLiteral("VARCHAR(%1) CHECK (length(%2) <= %1)").arg(length).arg(QuoteIdentifier(name))};
}

inline QList<TableColumn> AbonentsTableColumns()
{
    return {
        {QStringLiteral("ABONENT_ID"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")},
        TextColumn(QStringLiteral("ABONENT_No"), 20),
        TextColumn(QStringLiteral("ABONENT_Name"), 60),
        {QStringLiteral("ABONENT_Category"), QStringLiteral("SMALLINT")},
        TextColumn(QStringLiteral("ABONENT_AnsBk"), 20),
        {QStringLiteral("ABONENT_Cntr1"), QStringLiteral("INTEGER")},
        {QStringLiteral("ABONENT_Cntr2"), QStringLiteral("INTEGER")},
        TextColumn(QStringLiteral("ABONENT_Comment"), 60),
    };
}

// The country table COUNTRY.DB as the shipped table holds it; the program
// itself never creates it and reads its four fields as text.
inline QList<TableColumn> CountryTableColumns()
{
    return {
        {QStringLiteral("COUNTRY_ID"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")},
        {QStringLiteral("COUNTRY_NAME"), QStringLiteral("VARCHAR(40)")},
        {QStringLiteral("COUNTRY_CODE"), QStringLiteral("VARCHAR(5)")},
        {QStringLiteral("COUNTRY_LETT"), QStringLiteral("VARCHAR(3)")},
    };
}

} // namespace korvane
