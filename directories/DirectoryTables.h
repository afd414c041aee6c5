#pragma once

// The subscriber table ABONENTS.DB as the program creates it: eight fields
// in this order, no required field, no index; ABONENT_ID is numbered by the
// table.

#include "directories/SqliteTableFile.h"

#include <QList>

namespace korvane {

inline QList<TableColumn> AbonentsTableColumns()
{
    return {
        {QStringLiteral("ABONENT_ID"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")},
        {QStringLiteral("ABONENT_No"), QStringLiteral("VARCHAR(20)")},
        {QStringLiteral("ABONENT_Name"), QStringLiteral("VARCHAR(60)")},
        {QStringLiteral("ABONENT_Category"), QStringLiteral("SMALLINT")},
        {QStringLiteral("ABONENT_AnsBk"), QStringLiteral("VARCHAR(20)")},
        {QStringLiteral("ABONENT_Cntr1"), QStringLiteral("INTEGER")},
        {QStringLiteral("ABONENT_Cntr2"), QStringLiteral("INTEGER")},
        {QStringLiteral("ABONENT_Comment"), QStringLiteral("VARCHAR(60)")},
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
