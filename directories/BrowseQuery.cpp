#include "directories/BrowseQuery.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace korvane {

BrowseQuery::BrowseQuery(QString connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection))
{
}

void BrowseQuery::SetSql(const QStringList& lines)
{
    Close();
    m_sql = lines;
}

bool BrowseQuery::Open()
{
    Close();
    m_error.clear();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen()) {
        m_error = QStringLiteral("База данных не открыта");
        return false;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(m_sql.join(u'\n'))) {
        m_error = query.lastError().text();
        return false;
    }
    const QSqlRecord record = query.record();
    m_fields.clear();
    for (int i = 0; i < record.count(); ++i)
        m_fields << record.fieldName(i);
    const int columns = static_cast<int>(m_fields.size());
    m_cells.clear();
    m_rowCount = 0;
    while (query.next()) {
        for (int c = 0; c < columns; ++c) {
            const QVariant v = query.value(c);
            m_cells.push_back(v.isNull() ? QString() : v.toString());
        }
        ++m_rowCount;
    }
    if (query.lastError().isValid()) {
        m_error = query.lastError().text();
        m_cells.clear();
        m_rowCount = 0;
        return false;
    }
    m_active = true;
    m_current = m_rowCount > 0 ? 0 : -1;
    if (!ControlsDisabled())
        emit DataSetChanged();
    if (m_current >= 0 && m_afterScroll)
        m_afterScroll();
    return true;
}

void BrowseQuery::Close()
{
    if (!m_active)
        return;
    m_active = false;
    m_fields.clear();
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_rowCount = 0;
    m_current = -1;
    m_exactIndex.clear();
    if (!ControlsDisabled())
        emit DataSetChanged();
}

void BrowseQuery::Moved()
{
    if (!ControlsDisabled())
        emit CurrentChanged(m_current);
    if (m_afterScroll)
        m_afterScroll();
}

void BrowseQuery::First()
{
    MoveTo(0);
}

void BrowseQuery::Last()
{
    MoveTo(m_rowCount - 1);
}

void BrowseQuery::Prior()
{
    if (m_current > 0)
        MoveTo(m_current - 1);
}

void BrowseQuery::Next()
{
    if (m_current >= 0 && m_current + 1 < m_rowCount)
        MoveTo(m_current + 1);
}

void BrowseQuery::MoveTo(int row)
{
    if (!m_active || row < 0 || row >= m_rowCount)
        return;
    m_current = row;
    Moved();
}

int BrowseQuery::FieldIndex(QStringView name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (QStringView(m_fields[i]).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

QString BrowseQuery::CellText(int row, int column) const
{
    const int columns = static_cast<int>(m_fields.size());
    if (!m_active || row < 0 || row >= m_rowCount || column < 0 || column >= columns)
        return {};
    return m_cells[static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(column)];
}

QString BrowseQuery::FieldAsText(QStringView name) const
{
    return CellText(m_current, FieldIndex(name));
}

int BrowseQuery::FindExact(int column, const QString& value)
{
    auto it = m_exactIndex.find(column);
    if (it == m_exactIndex.end()) {
        QHash<QString, int> index;
        index.reserve(m_rowCount);
        // The first row of a value in the query's order is the one found.
        for (int row = 0; row < m_rowCount; ++row)
            if (const QString v = CellText(row, column); !index.contains(v))
                index.insert(v, row);
        it = m_exactIndex.insert(column, std::move(index));
    }
    return it->value(value, -1);
}

bool BrowseQuery::Locate(QStringView field, const QString& value, LocateOptions options)
{
    if (!m_active)
        return false;
    const int column = FieldIndex(field);
    if (column < 0)
        return false;
    int found = -1;
    if (!options.testFlag(LocateOption::PartialKey) && !options.testFlag(LocateOption::CaseInsensitive)) {
        found = FindExact(column, value);
    } else {
        // Qt compares letters without regard to case by their Unicode
        // simple case folding ("Ё" and "ё", "Ä" and "ä"), not by ASCII alone.
        const Qt::CaseSensitivity cs =
            options.testFlag(LocateOption::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const bool partial = options.testFlag(LocateOption::PartialKey);
        const size_t columns = static_cast<size_t>(m_fields.size());
        for (int row = 0; row < m_rowCount && found < 0; ++row) {
            const QString& cell = m_cells[static_cast<size_t>(row) * columns + static_cast<size_t>(column)];
            if (partial ? cell.startsWith(value, cs) : cell.compare(value, cs) == 0)
                found = row;
        }
    }
    if (found < 0)
        return false;
    m_current = found;
    Moved();
    return true;
}

void BrowseQuery::DisableControls()
{
    ++m_disableCount;
}

void BrowseQuery::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    // As after any suspension: the views show the query afresh, at its
    // current record.
    emit DataSetChanged();
    if (m_current >= 0)
        emit CurrentChanged(m_current);
}

} // namespace korvane
