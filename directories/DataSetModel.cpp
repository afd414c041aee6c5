#include "directories/DataSetModel.h"

#include <algorithm>

namespace korvane {

DataSetModel::DataSetModel(BrowseQuery& query, QObject* parent) : QAbstractTableModel(parent), m_query(query)
{
    connect(&m_query, &BrowseQuery::DataSetChanged, this, &DataSetModel::Reset);
    connect(&m_query, &BrowseQuery::CurrentChanged, this, &DataSetModel::CurrentRowChanged);
    connect(&m_query, &BrowseQuery::RowsReplaced, this, &DataSetModel::ReplaceRows);
    m_rows = m_query.RecordCount();
    m_fields = m_query.FieldNames();
}

void DataSetModel::Reset()
{
    beginResetModel();
    m_rows = m_query.RecordCount();
    m_fields = m_query.FieldNames();
    endResetModel();
    emit CurrentRowChanged(m_query.CurrentRow());
}

// Only the rows that changed: a view keeps its place, its selection and
// every row it has laid out.
void DataSetModel::ReplaceRows(int first, int removed, int inserted)
{
    const int changed = std::min(removed, inserted);
    if (changed > 0)
        emit dataChanged(index(first, 0), index(first + changed - 1, columnCount() - 1));
    if (removed > changed) {
        beginRemoveRows({}, first + changed, first + removed - 1);
        m_rows -= removed - changed;
        endRemoveRows();
    } else if (inserted > changed) {
        beginInsertRows({}, first + changed, first + inserted - 1);
        m_rows += inserted - changed;
        endInsertRows();
    }
}

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_query.CellText(index.row(), index.column());
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= m_fields.size())
        return {};
    return m_fields[section];
}

int DataSetModel::FieldColumn(QStringView field) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (QStringView(m_fields[i]).compare(field, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace korvane
