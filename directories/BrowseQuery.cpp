#include "directories/BrowseQuery.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
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

bool BrowseQuery::Read(QStringList& fields, std::vector<QString>& cells, int& rows)
{
    return Read(m_sql.join(u'\n'), {}, fields, cells, rows);
}

bool BrowseQuery::Read(const QString& statement, const QVariantList& values, QStringList& fields,
                       std::vector<QString>& cells, int& rows)
{
    m_error.clear();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen()) {
        m_error = QStringLiteral("База данных не открыта");
        return false;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ran = false;
    if (values.isEmpty()) {
        ran = query.exec(statement);
    } else if (query.prepare(statement)) {
        for (const QVariant& v : values)
            query.addBindValue(v);
        ran = query.exec();
    }
    if (!ran) {
        m_error = query.lastError().text();
        return false;
    }
    const QSqlRecord record = query.record();
    fields.clear();
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i);
    const int columns = static_cast<int>(fields.size());
    cells.clear();
    rows = 0;
    while (query.next()) {
        for (int c = 0; c < columns; ++c) {
            const QVariant v = query.value(c);
            cells.push_back(v.isNull() ? QString() : v.toString());
        }
        ++rows;
    }
    if (query.lastError().isValid()) {
        m_error = query.lastError().text();
        cells.clear();
        rows = 0;
        return false;
    }
    return true;
}

bool BrowseQuery::Open()
{
    Close();
    if (!Read(m_fields, m_cells, m_rowCount))
        return false;
    m_active = true;
    m_current = m_rowCount > 0 ? 0 : -1;
    if (!ControlsDisabled())
        emit DataSetChanged();
    if (m_current >= 0 && m_afterScroll)
        m_afterScroll();
    return true;
}

bool BrowseQuery::Refresh()
{
    if (!m_active)
        return Open();
    QStringList fields;
    std::vector<QString> cells;
    int rows = 0;
    if (!Read(fields, cells, rows)) {
        const QString error = m_error;
        Close();
        m_error = error;
        return false;
    }
    if (fields != m_fields) {
        Close();
        return Open();
    }
    // The rows alike at the start and at the end; what lies between changed.
    const auto columns = static_cast<std::size_t>(m_fields.size());
    const auto sameRow = [&](int oldRow, int newRow) {
        for (std::size_t c = 0; c < columns; ++c)
            if (m_cells[std::size_t(oldRow) * columns + c] != cells[std::size_t(newRow) * columns + c])
                return false;
        return true;
    };
    int head = 0;
    while (head < m_rowCount && head < rows && sameRow(head, head))
        ++head;
    int tail = 0;
    while (tail < m_rowCount - head && tail < rows - head && sameRow(m_rowCount - 1 - tail, rows - 1 - tail))
        ++tail;
    const int removed = m_rowCount - head - tail;
    const int inserted = rows - head - tail;

    const int old = m_current;
    m_cells = std::move(cells);
    m_rowCount = rows;
    if (removed == 0 && inserted == 0)
        return true;
    m_exactIndex.clear();
    if (old >= head + removed)
        m_current = old - removed + inserted;
    else if (old >= head)
        m_current = head < rows ? head : rows - 1;
    if (m_current >= rows)
        m_current = rows - 1;
    if (!ControlsDisabled())
        emit RowsReplaced(head, removed, inserted);
    if (m_current != old || (old >= head && old < head + removed))
        Moved();
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

namespace {

// A field name that may stand in a statement as it is.
bool IsFieldName(QStringView name)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(name.toString()).hasMatch();
}

} // namespace

QString BrowseQuery::OrderField() const
{
    for (const QString& line : m_sql) {
        if (!line.startsWith(QLatin1String("ORDER BY "), Qt::CaseInsensitive))
            continue;
        const QString field = line.mid(9).section(u' ', 0, 0).trimmed();
        return IsFieldName(field) ? field : QString();
    }
    return {};
}

void BrowseQuery::RemoveRow(int row)
{
    const auto columns = static_cast<std::ptrdiff_t>(m_fields.size());
    m_cells.erase(m_cells.begin() + row * columns, m_cells.begin() + (row + 1) * columns);
    --m_rowCount;
}

bool BrowseQuery::RefreshRecords(QStringView field, const QString& value)
{
    const int column = FieldIndex(field);
    const QString order = OrderField();
    const int orderColumn = order.isEmpty() ? -1 : FieldIndex(order);
    if (!m_active || column < 0 || orderColumn < 0 || !IsFieldName(m_fields[column]))
        return Refresh();
    // The same statement, narrowed to the records of Value.
    QStringList narrowed;
    bool placed = false;
    for (const QString& line : m_sql) {
        if (!placed && line.startsWith(QLatin1String("ORDER BY "), Qt::CaseInsensitive)) {
            narrowed << QStringLiteral("WHERE \"%1\" = ?").arg(m_fields[column]);
            placed = true;
        }
        narrowed << line;
    }
    QStringList fields;
    std::vector<QString> cells;
    int rows = 0;
    if (!Read(narrowed.join(u'\n'), {value}, fields, cells, rows) || fields != m_fields)
        return Refresh();
    std::vector<int> shown;
    for (int row = 0; row < m_rowCount; ++row)
        if (CellText(row, column) == value)
            shown.push_back(row);

    const auto columns = static_cast<std::size_t>(m_fields.size());
    const int old = m_current;
    if (rows == 0) {
        // Deleted: each row goes, the last first, so the others keep their places.
        for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
            RemoveRow(*it);
            if (m_current > *it || m_current >= m_rowCount)
                --m_current;
            if (!ControlsDisabled())
                emit RowsReplaced(*it, 1, 0);
        }
        if (m_current < 0 && m_rowCount > 0)
            m_current = 0;
    } else {
        if (static_cast<std::size_t>(rows) != shown.size())
            return Refresh();
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (cells[i * columns + std::size_t(orderColumn)] != CellText(shown[i], orderColumn))
                return Refresh(); // its place in the order may change
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const auto first = m_cells.begin() + std::ptrdiff_t(std::size_t(shown[i]) * columns);
            std::move(cells.begin() + std::ptrdiff_t(i * columns), cells.begin() + std::ptrdiff_t((i + 1) * columns),
                      first);
            if (!ControlsDisabled())
                emit RowsReplaced(shown[i], 1, 1);
        }
    }
    if (!shown.empty())
        m_exactIndex.clear();
    if (m_current != old || (rows == 0 && !shown.empty()))
        Moved();
    return true;
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
