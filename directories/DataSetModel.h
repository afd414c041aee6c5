#pragma once

// A browsing query as a Qt item model, for the grids of the directory
// dialogs: one row per record in the query's order, one column per field,
// each cell the field as text. The model follows the query through its
// signals, so while the query's views are suspended (DisableControls) the
// model keeps showing what it showed before and catches up at the last
// EnableControls. A refresh of the query changes only the rows that differ.

#include "directories/BrowseQuery.h"

#include <QAbstractTableModel>

namespace korvane {

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DataSetModel(BrowseQuery& query, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The field names; a dialog gives the columns its own titles.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The column of a field name, without regard to letter case; -1 if none.
    int FieldColumn(QStringView field) const;

signals:
    // The query's current record is now Row (-1: none); a view selects it.
    void CurrentRowChanged(int row);

private:
    void Reset();
    void ReplaceRows(int first, int removed, int inserted);

    BrowseQuery& m_query;
    int m_rows = 0;
    QStringList m_fields;
};

} // namespace korvane
