#pragma once

// A query kept open for browsing: the rows of one SELECT in its order, a
// current record that the directory dialogs and the engine's look-up move,
// and a hook called after every move. The rows are read when the query
// opens; a change made through another statement shows after the query is
// opened again, or refreshed (Refresh), which tells the views only the rows
// that differ.
//
// Views (the grids of the directory dialogs) follow the query through its
// signals. Their updating can be suspended, counted: each
// DisableControls needs its own EnableControls, and the last one tells the
// views to show the query afresh.

#include "directories/LocateOptions.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <vector>

namespace korvane {

class BrowseQuery : public QObject {
    Q_OBJECT

public:
    // Connection names the Qt SQL connection the statement runs on.
    explicit BrowseQuery(QString connection, QObject* parent = nullptr);

    // The statement, one line per entry; SetSql closes the query.
    void SetSql(const QStringList& lines);
    const QStringList& Sql() const { return m_sql; }

    // Runs the statement and reads its rows; the first record becomes
    // current. False with LastError set when the database refuses it; the
    // query stays closed then.
    bool Open();
    void Close();
    // Reads the rows again, after a change through another statement, and
    // tells the views only the run of rows that differs (RowsReplaced) in
    // place of showing everything afresh. The current record stays where it
    // was, shifted past rows added or removed before it; in the changed run
    // it becomes the run's first row. A closed query is opened. False with
    // LastError set when the database refuses the statement; the query is
    // closed then.
    bool Refresh();
    // As Refresh, after a change to the records whose Field holds Value
    // only (a subscriber edited or deleted by its number): only those
    // records are read again. Edited records that keep their place in the
    // order are replaced where they stand, deleted ones removed; anything
    // else (a record added, or moved by the order) refreshes the whole
    // query.
    bool RefreshRecords(QStringView field, const QString& value);
    bool Active() const { return m_active; }
    QString LastError() const { return m_error; }

    // Moves of the current record. On a closed or empty query they do
    // nothing; the after-scroll hook runs after each move.
    void First();
    void Last();
    void Prior();
    void Next();
    // Makes record Row (0-based, in the query's order) current.
    void MoveTo(int row);

    bool IsEmpty() const { return RecordCount() == 0; }
    int RecordCount() const { return m_active ? m_rowCount : 0; }
    // The 1-based position of the current record; 0 when there is none.
    int RecNo() const { return m_current + 1; }
    // The 0-based row of the current record; -1 when there is none.
    int CurrentRow() const { return m_current; }

    // Field names as the statement delivers them.
    const QStringList& FieldNames() const { return m_fields; }
    // The column of a field name compared without regard to letter case;
    // -1 when the query has no such field.
    int FieldIndex(QStringView name) const;
    // A field of the current record as text: empty for a null value, for
    // an unknown field and when there is no current record.
    QString FieldAsText(QStringView name) const;
    QString CellText(int row, int column) const;

    // Makes the first record in the query's order whose field matches
    // Value current and answers whether one did. When none matches, or the
    // field is unknown, the current record stays.
    bool Locate(QStringView field, const QString& value, LocateOptions options = {});

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // Called after every move of the current record (and after opening a
    // query that has records).
    void SetAfterScroll(std::function<void()> hook) { m_afterScroll = std::move(hook); }

signals:
    // The query was opened or closed, or its views were resumed: a view
    // shows it afresh. Held back while the controls are disabled.
    void DataSetChanged();
    // The current record moved to Row. Held back while the controls are
    // disabled.
    void CurrentChanged(int row);
    // After Refresh: from row First on, Removed rows were replaced by
    // Inserted rows (those after them are as before, shifted). Not sent
    // while the controls are disabled: their resumption shows all afresh.
    void RowsReplaced(int first, int removed, int inserted);

private:
    void Moved();
    // Runs the statement: its fields, cells and row count, or false.
    bool Read(QStringList& fields, std::vector<QString>& cells, int& rows);
    bool Read(const QString& statement, const QVariantList& values, QStringList& fields,
              std::vector<QString>& cells, int& rows);
    // The field of the statement's ORDER BY line, if it names one.
    QString OrderField() const;
    void RemoveRow(int row);
    int FindExact(int column, const QString& value);

    QString m_connection;
    QStringList m_sql;
    QString m_error;
    bool m_active = false;
    QStringList m_fields;
    std::vector<QString> m_cells; // row-major, m_fields.size() per row
    int m_rowCount = 0;
    int m_current = -1;
    int m_disableCount = 0;
    std::function<void()> m_afterScroll;
    // Exact, case-sensitive look-ups by column: the first row of each value.
    // Built on the first such look-up after opening.
    QHash<int, QHash<QString, int>> m_exactIndex;
};

} // namespace korvane
