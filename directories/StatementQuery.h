#pragma once

// A query that is only executed, never browsed: the change statements of
// the directory dialogs. The statement is built line by line; its named
// parameters (":curName") are matched without regard to letter case and
// every value reaches the database as a bound parameter, never as text
// spliced into the statement.

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <memory>

namespace korvane {

class StatementQuery {
public:
    explicit StatementQuery(QString connection);

    void Clear();
    void Add(const QString& line);
    const QStringList& Sql() const { return m_sql; }

    // Sets parameter Name (with or without the leading ':') to a text.
    void SetParam(const QString& name, const QString& value);

    // Runs the statement. False with LastError set when the database
    // refuses it or a parameter of the statement has no value.
    bool ExecSQL();
    QString LastError() const { return m_error; }
    // The database's error behind LastError; none when the statement never
    // reached the database.
    QSqlError LastSqlError() const { return m_sqlError; }
    int RowsAffected() const { return m_rowsAffected; }

    // Runs the statements that follow as one transaction, up to Commit: a
    // run of many (an import) is written at once, and a statement run again
    // with new values is prepared only once. False with LastError set when
    // the database refuses.
    bool StartTransaction();
    bool Commit();

    // The statement with each named parameter replaced by '?', and the
    // parameter names in their order of appearance. Quoted texts, quoted
    // names and comments are left as they are.
    struct Positional {
        QString Sql;
        QStringList Names;
    };
    static Positional ToPositional(const QString& sql);

private:
    void Release();

    QString m_connection;
    QStringList m_sql;
    QHash<QString, QString> m_params; // case-folded name -> value
    QString m_error;
    QSqlError m_sqlError;
    int m_rowsAffected = 0;
    // Inside a transaction: the last statement, prepared.
    bool m_inTransaction = false;
    bool m_sqlChanged = true;
    QStringList m_preparedNames;
    QStringList m_preparedKeys; // case-folded
    std::unique_ptr<QSqlQuery> m_prepared;
};

} // namespace korvane
