#pragma once

// The grid of a directory dialog: one row per record of a browsing query,
// whole rows selected, nothing edited in place, the columns of the fields
// the dialog names with its own titles and widths. The selected row follows
// the query's current record and a click on a row moves it. A click on a
// title is the dialog's to handle (sorting); the titles carry the sort
// marks "< " and "> ".

#include "directories/BrowseQuery.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTableView>

namespace korvane {

class DataSetModel;
class GridTitles;

struct GridColumn {
    QString Field;
    QString Title;
    int Width = 64; // laid-out pixels
    // The column is at least wide enough to show FitChars characters of
    // FitCharSet (each as wide as the widest of them) whole.
    int FitChars = 0;
    QString FitCharSet;
};

class DirectoryGrid : public QTableView {
    Q_OBJECT

public:
    DirectoryGrid(BrowseQuery& query, QList<GridColumn> columns, QWidget* parent = nullptr);
    ~DirectoryGrid() override;

    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const GridColumn& Column(int column) const { return columns_[column]; }
    QStringList Titles() const;
    QString Title(int column) const { return columns_[column].Title; }
    // The width a column has on the screen.
    int ColumnWidth(int column) const;
    // The width a column is laid out with: its width scaled to the font,
    // or more when its FitChars need it.
    int LaidOutWidth(int column) const;

    // The sort cycle of a title click: every other title loses its mark;
    // Column's title goes from plain or "> " to "< " (ascending) and from
    // "< " to "> " (descending). Answers the order: the field, followed by
    // " DESC" when descending.
    QString CycleSortMark(int column);

signals:
    void TitleClicked(int column);

private:
    void Layout();
    void ShowTitles();
    void SelectCurrent(int row);

    BrowseQuery& query_;
    QList<GridColumn> columns_;
    DataSetModel* model_ = nullptr;
    GridTitles* titles_ = nullptr;
    bool following_ = false;
};

} // namespace korvane
