#include "directories/SqliteTableFile.h"

#include "directories/TableErrorText.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace korvane {

QString NewConnectionName(QStringView purpose)
{
    return QStringLiteral("korvane-") + purpose.toString() + u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

namespace {

bool FillTable(const QString& file, const QString& tableName, const QList<TableColumn>& columns,
               const QList<QVariantList>& rows, QSqlError& error)
{
    const QString connection = NewConnectionName(u"write");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        if (!db.open()) {
            error = db.lastError();
        } else {
            QStringList defs;
            QStringList names;
            for (const TableColumn& c : columns) {
                defs << QuoteIdentifier(c.Name) + u' ' + c.Declaration;
                names << QuoteIdentifier(c.Name);
            }
            QSqlQuery query(db);
            ok = db.transaction();
            if (ok)
                ok = query.exec(QStringLiteral("CREATE TABLE ") + QuoteIdentifier(tableName) + QStringLiteral(" (")
                                + defs.join(QStringLiteral(", ")) + u')');
            if (ok && !rows.isEmpty()) {
                QStringList marks(columns.size(), QStringLiteral("?"));
                ok = query.prepare(QStringLiteral("INSERT INTO ") + QuoteIdentifier(tableName) + QStringLiteral(" (")
                                   + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (")
                                   + marks.join(QStringLiteral(", ")) + u')');
                for (qsizetype r = 0; ok && r < rows.size(); ++r) {
                    for (qsizetype c = 0; c < columns.size(); ++c)
                        query.bindValue(static_cast<int>(c), c < rows[r].size() ? rows[r][c] : QVariant());
                    ok = query.exec();
                }
            }
            if (!ok) {
                error = query.lastError().isValid() ? query.lastError() : db.lastError();
                db.rollback();
            } else if (!db.commit()) {
                error = db.lastError();
                ok = false;
            }
            query.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

} // namespace

bool WriteTableFile(const QString& path, const QString& tableName, const QList<TableColumn>& columns,
                    const QList<QVariantList>& rows, QString& error)
{
    if (QFileInfo::exists(path)) {
        error = QStringLiteral("Файл уже существует: ") + path;
        return false;
    }
    const QString temporary = path + QStringLiteral(".tmp-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlError sqlError;
    if (!FillTable(temporary, tableName, columns, rows, sqlError)) {
        // Told of the table's own file, not of the temporary one.
        error = TableErrorReason(sqlError, sqlError.text(), path);
        QFile::remove(temporary);
        return false;
    }
    QFile file(temporary);
    if (!file.rename(path)) {
        error = file.errorString();
        QFile::remove(temporary);
        return false;
    }
    return true;
}

} // namespace korvane
