#include "directories/StatementQuery.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace korvane {

namespace {

QString ParamKey(QString name)
{
    if (name.startsWith(u':'))
        name.remove(0, 1);
    return name.toCaseFolded();
}

bool IsNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

StatementQuery::StatementQuery(QString connection) : m_connection(std::move(connection)) {}

void StatementQuery::Clear()
{
    m_sql.clear();
    m_params.clear();
    m_sqlChanged = true;
}

void StatementQuery::Add(const QString& line)
{
    m_sql << line;
    m_sqlChanged = true;
}

void StatementQuery::SetParam(const QString& name, const QString& value)
{
    m_params.insert(ParamKey(name), value);
}

StatementQuery::Positional StatementQuery::ToPositional(const QString& sql)
{
    Positional out;
    out.Sql.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            // A quoted text or name, with its doubled quotes.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            out.Sql += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            const qsizetype eol = sql.indexOf(u'\n', i);
            const qsizetype end = eol < 0 ? n : eol;
            out.Sql += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (c == u':' && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == u'_')) {
            qsizetype j = i + 1;
            while (j < n && IsNameChar(sql[j]))
                ++j;
            out.Names << sql.mid(i + 1, j - i - 1);
            out.Sql += u'?';
            i = j;
        } else {
            out.Sql += c;
            ++i;
        }
    }
    return out;
}

bool StatementQuery::ExecSQL()
{
    m_error.clear();
    m_sqlError = QSqlError();
    m_rowsAffected = 0;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen()) {
        m_error = QStringLiteral("База данных не открыта");
        return false;
    }
    if (!m_prepared || m_sqlChanged) {
        m_prepared.reset();
        const Positional statement = ToPositional(m_sql.join(u'\n'));
        auto query = std::make_unique<QSqlQuery>(db);
        if (!query->prepare(statement.Sql)) {
            m_sqlError = query->lastError();
            m_error = m_sqlError.text();
            return false;
        }
        m_prepared = std::move(query);
        m_preparedNames = statement.Names;
        m_preparedKeys.clear();
        for (const QString& name : statement.Names)
            m_preparedKeys << ParamKey(name);
        m_sqlChanged = false;
    }
    QSqlQuery& query = *m_prepared;
    for (qsizetype i = 0; i < m_preparedKeys.size(); ++i) {
        const auto it = m_params.constFind(m_preparedKeys[i]);
        if (it == m_params.constEnd()) {
            m_error = QStringLiteral("Не задан параметр ") + m_preparedNames[i];
            Release();
            return false;
        }
        // A text parameter: an empty text is stored as an empty text, not null.
        query.bindValue(static_cast<int>(i), it->isNull() ? QStringLiteral("") : *it);
    }
    const bool done = query.exec();
    if (!done) {
        m_sqlError = query.lastError();
        m_error = m_sqlError.text();
    }
    else
        m_rowsAffected = query.numRowsAffected();
    Release();
    return done;
}

// Outside a transaction a statement is not kept prepared: nothing holds the
// connection between two changes.
void StatementQuery::Release()
{
    if (!m_inTransaction)
        m_prepared.reset();
}

bool StatementQuery::StartTransaction()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (db.transaction()) {
        m_inTransaction = true;
        return true;
    }
    m_error = db.isOpen() ? db.lastError().text() : QStringLiteral("База данных не открыта");
    return false;
}

bool StatementQuery::Commit()
{
    m_inTransaction = false;
    m_prepared.reset();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (db.commit())
        return true;
    m_sqlError = db.isOpen() ? db.lastError() : QSqlError();
    m_error = db.isOpen() ? db.lastError().text() : QStringLiteral("База данных не открыта");
    return false;
}

} // namespace korvane
