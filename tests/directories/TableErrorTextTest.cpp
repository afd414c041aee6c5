// What the operator reads when a table refuses a change: the database
// engine's error told in Russian, with the table's file named.

#include "directories/TableErrorText.h"

#include <QSqlError>

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

TEST(TableErrorTextTest, EachKindOfRefusalIsToldInTheOperatorsWords)
{
    const QString table = QStringLiteral("/opt/korvane/KorvaneDB/ABONENTS.DB");
    struct Case {
        const char* code; // SQLite's result code, extended or not
        const char* engine;
        QString told;
    };
    const Case cases[] = {
        {"8", "attempt to write a readonly database",
         "таблица " + table + " доступна только для чтения (нет права записи в файл или в его папку)"},
        {"1544", "attempt to write a readonly database", // the folder may not be written
         "таблица " + table + " доступна только для чтения (нет права записи в файл или в его папку)"},
        {"275", "CHECK constraint failed: length(\"ABONENT_No\") <= 20",
         "поле «Номер абонента» таблицы " + table + " вмещает не более 20 знаков"},
        {"19", "CHECK constraint failed: length(\"ABONENT_Name\") <= 60",
         "поле «Адрес» таблицы " + table + " вмещает не более 60 знаков"},
        {"275", "CHECK constraint failed: ABONENT_Name <> 'X'", "таблица " + table + " не принимает такое значение"},
        {"13", "database or disk is full", "на диске не хватает места для таблицы " + table},
        {"5", "database is locked", "таблица " + table + " занята другой программой"},
        {"11", "database disk image is malformed", "файл таблицы " + table + " повреждён"},
        {"14", "unable to open database file",
         "таблица " + table + " не открывается (нет доступа к файлу или к его папке)"},
        {"10", "disk I/O error", "ошибка чтения или записи файла таблицы " + table},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engine);
        const QSqlError error(QStringLiteral("Unable to fetch row"), QString::fromUtf8(c.engine),
                              QSqlError::StatementError, QString::fromLatin1(c.code));
        const QString told = TableErrorReason(error, QString(), table);
        EXPECT_EQ(told.toStdString(), c.told.toStdString());
    }
    // A failure that never reached the database keeps its own words.
    EXPECT_EQ(TableErrorReason(QSqlError(), QStringLiteral("База данных не открыта"), table),
              QStringLiteral("База данных не открыта"));
}

} // namespace
} // namespace korvane::test
