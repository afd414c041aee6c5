#pragma once

// The directories' data module: the subscriber table ABONENTS.DB and the
// country table COUNTRY.DB in the database folder, each an SQLite database
// holding one table named like the file. The module keeps a query over
// each table open for browsing, a third query that carries the change
// statements of the directory dialogs, creates the subscriber table when
// it is missing, and calls the dialogs' hooks after every move of a
// query's current record. Main thread only.
//
// Each table is opened on its own: a missing or unreadable country table
// leaves the subscriber table, and with it the engine's look-up, working.
// A table file carried over from the old system in Paradox form is read
// into a new SQLite table once; the Paradox file stays beside it under a
// new name. A file that is neither is moved aside, never overwritten, and
// reported.

#include "directories/BrowseQuery.h"
#include "directories/ScrollHook.h"
#include "directories/StatementQuery.h"
#include "platform/MessageBox.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace korvane {

class TTxDataModule : public QObject {
    Q_OBJECT

    // The connection comes before the queries that run on it.
    const QString m_connection;

public:
    // The file names of the two tables, as the browsing statements and the
    // subscriber table's creation spell them; files are found without
    // regard to letter case.
    static QString AbonentsFileName() { return QStringLiteral("abonents.db"); }
    static QString CountryFileName() { return QStringLiteral("country.db"); }

    // Sets up the module on database folder DbPath (DataModuleCreate):
    // creates the subscriber table when it is missing and opens both
    // queries. Failures are shown in Box, each table's on its own.
    TTxDataModule(const QString& dbPath, MessageBox& box, QObject* parent = nullptr);
    // The same, with the time an old Paradox table's reading may take
    // (by the file's size when not given).
    TTxDataModule(const QString& dbPath, MessageBox& box, std::optional<std::chrono::milliseconds> paradoxDeadline,
                  QObject* parent = nullptr);
    ~TTxDataModule() override;

    BrowseQuery CountryQuery;
    StatementQuery DynamicQuery;
    BrowseQuery AbonentQuery;
    // Called after every move of CountryQuery's (AbonentQuery's) current
    // record, with the module as Sender.
    ScrollHook OnCountryScroll;
    ScrollHook OnAbonentScroll;

    // Close the query, set its statement ("SELECT *", FROM the table file's
    // name in double quotes, "ORDER BY " + OrderBy) and open it; the first
    // record in that order becomes current. OrderBy is a field name,
    // optionally followed by " DESC"; anything else is refused, as it
    // would be spliced into the statement. False when the table or the
    // statement fails: the query stays closed and CountryError
    // (AbonentError) says why.
    bool OpenCountryQuery(const QString& orderBy);
    bool OpenAbonentQuery(const QString& orderBy);
    // After a change through DynamicQuery: the query shows it, in the same
    // order, and its grid is told only the rows that differ (a table of
    // 100 000 subscribers is not laid out again for one edit). False when
    // the statement fails: the query is closed and CountryError
    // (AbonentError) says why.
    bool RefreshCountryQuery();
    bool RefreshAbonentQuery();
    // The same, after a change to the records whose Field holds Value only
    // (an edit or deletion by its key): only those are read again. An
    // edit keeps the grid as it is but for the edited row.
    bool RefreshCountryRecords(QStringView field, const QString& value);
    bool RefreshAbonentRecords(QStringView field, const QString& value);

    // The after-scroll events of the two queries: call the hook, if a
    // living dialog set one, with the module as Sender.
    void CountryQueryAfterScroll();
    void AbonentQueryAfterScroll();

    // Creates the subscriber table file Name (its file-name part) in the
    // database folder, with its eight fields and no records. False with
    // Error set when it cannot be created.
    bool CreateAbonentsTable(const QString& name, QString& error);

    const QString& DatabaseFolder() const { return m_dbPath; }
    // The file of the table (as found in the folder, else as it would be
    // created).
    QString AbonentTablePath() const { return TablePath(m_abonents); }
    QString CountryTablePath() const { return TablePath(m_country); }
    // Why the last statement of DynamicQuery on that table failed, in the
    // operator's words, with the table's file named.
    QString AbonentChangeError() const;
    QString CountryChangeError() const;
    // Why the last opening of the query failed; empty after a success.
    QString CountryError() const { return m_countryError; }
    QString AbonentError() const { return m_abonentError; }

private:
    struct Table {
        QString FileName; // "abonents.db"
        QString Schema;   // the name the connection attaches it under
        bool Attached = false;
        QString Path; // the file attached
    };
    QString TablePath(const Table& table) const;

    void DataModuleCreate();
    // Finds the table's file, reads a Paradox table into SQLite, moves an
    // unreadable file aside, and attaches the file to the connection.
    // Missing is set when no file is there (nothing is reported then).
    bool PrepareTable(Table& table, bool& missing, QString& error);
    bool ImportParadox(const QString& path, const Table& table, QString& error);
    bool Attach(Table& table, const QString& path, QString& error, bool& damaged);
    void Detach(Table& table);
    void SetAside(const QString& path, const QString& reason);
    bool OpenQuery(BrowseQuery& query, Table& table, const QString& orderBy, QString& error);
    void Report(const QString& text);

    QString m_dbPath;
    MessageBox& m_box;
    std::optional<std::chrono::milliseconds> m_paradoxDeadline;
    Table m_abonents;
    Table m_country;
    QString m_countryError;
    QString m_abonentError;
};

} // namespace korvane
