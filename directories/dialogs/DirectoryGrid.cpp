#include "directories/dialogs/DirectoryGrid.h"

#include "directories/DataSetModel.h"
#include "support/SortMarks.h"
#include "widgets/LayoutScale.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QIdentityProxyModel>
#include <QItemSelectionModel>

#include <vector>

namespace korvane {

// The query's fields under the dialog's titles.
class GridTitles : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    // Title of each source column; an empty one keeps the field name.
    std::vector<QString> Titles;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            static_cast<size_t>(section) < Titles.size() && !Titles[static_cast<size_t>(section)].isEmpty())
            return Titles[static_cast<size_t>(section)];
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
    void Changed() { emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1); }
};

DirectoryGrid::DirectoryGrid(BrowseQuery& query, QList<GridColumn> columns, QWidget* parent)
    : QTableView(parent), query_(query), columns_(std::move(columns))
{
    model_ = new DataSetModel(query_, this);
    titles_ = new GridTitles(this);
    titles_->setSourceModel(model_);
    setModel(titles_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    const LayoutScale scale(this);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(scale.Y(18));
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    connect(model_, &QAbstractItemModel::modelReset, this, &DirectoryGrid::Layout);
    connect(model_, &DataSetModel::CurrentRowChanged, this, &DirectoryGrid::SelectCurrent);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        const QString field = model_->headerData(section, Qt::Horizontal).toString();
        for (int c = 0; c < ColumnCount(); ++c)
            if (field.compare(columns_[c].Field, Qt::CaseInsensitive) == 0)
                emit TitleClicked(c);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!following_ && current.isValid() && current.row() != query_.CurrentRow())
                    query_.MoveTo(current.row());
            });
    Layout();
}

DirectoryGrid::~DirectoryGrid() = default;

// The dialog's columns in its order; the query's other fields hidden.
void DirectoryGrid::Layout()
{
    QHeaderView* header = horizontalHeader();
    const int fields = model_->columnCount();
    for (int s = 0; s < fields; ++s)
        setColumnHidden(s, true);
    int visual = 0;
    for (int c = 0; c < ColumnCount(); ++c) {
        const int s = model_->FieldColumn(columns_[c].Field);
        if (s < 0)
            continue;
        setColumnHidden(s, false);
        header->moveSection(header->visualIndex(s), visual++);
        setColumnWidth(s, LaidOutWidth(c));
    }
    ShowTitles();
    SelectCurrent(query_.CurrentRow());
}

int DirectoryGrid::LaidOutWidth(int index) const
{
    const GridColumn& column = columns_[index];
    const int scaled = LayoutScale(this).X(column.Width);
    if (column.FitChars <= 0 || column.FitCharSet.isEmpty())
        return scaled;
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QChar c : column.FitCharSet)
        widest = std::max(widest, metrics.horizontalAdvance(c));
    // The cell's text margins on both sides and the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return std::max(scaled, column.FitChars * widest + 2 * margin + 2);
}

void DirectoryGrid::ShowTitles()
{
    titles_->Titles.assign(static_cast<size_t>(std::max(0, model_->columnCount())), QString());
    for (const GridColumn& column : columns_)
        if (const int s = model_->FieldColumn(column.Field); s >= 0)
            titles_->Titles[static_cast<size_t>(s)] = column.Title;
    titles_->Changed();
}

int DirectoryGrid::ColumnWidth(int column) const
{
    const int s = model_->FieldColumn(columns_[column].Field);
    return s < 0 ? 0 : columnWidth(s);
}

QStringList DirectoryGrid::Titles() const
{
    QStringList titles;
    for (const GridColumn& column : columns_)
        titles << column.Title;
    return titles;
}

QString DirectoryGrid::CycleSortMark(int column)
{
    QStringList titles = Titles();
    ClearSortMarks(titles, column);
    QString& title = titles[column];
    QString order = columns_[column].Field;
    if (title.startsWith(u'<')) {
        title = QStringLiteral("> ") + title.mid(2);
        order += QStringLiteral(" DESC");
    } else {
        if (title.startsWith(u'>'))
            title.remove(0, 2);
        title = QStringLiteral("< ") + title;
    }
    for (int c = 0; c < ColumnCount(); ++c)
        columns_[c].Title = titles[c];
    ShowTitles();
    return order;
}

void DirectoryGrid::SelectCurrent(int row)
{
    following_ = true;
    if (row < 0 || row >= titles_->rowCount()) {
        selectionModel()->clearSelection();
    } else {
        const int s = std::max(0, model_->FieldColumn(columns_.isEmpty() ? QString() : columns_[0].Field));
        const QModelIndex index = titles_->index(row, s);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    following_ = false;
}

} // namespace korvane
