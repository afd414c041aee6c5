// The telegram folder browser, "Просмотр файлов": its tree, list, preview and refresh.
#include "ui/telegrams/TxFileView.h"

#include "engine/TxScanner.h"
#include "platform/LocaleTime.h"
#include "platform/PathMapper.h"
#include "support/FileError.h"
#include "support/OemText.h"
#include "ui/telegrams/FileViewItems.h"
#include "ui/telegrams/FileViewListModel.h"
#include "ui/telegrams/FolderPath.h"
#include "widgets/LayoutScale.h"
#include "ui/mainwindow/StatusPanels.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvane {

using namespace fileview;

// ---- Pictures and dates ----

TFileViewForm::Picture TFileViewForm::PictureOf(const QString& fileName)
{
    return PictureOfType(QFileInfo(fileName).suffix().toUpper());
}

TFileViewForm::Picture TFileViewForm::PictureOfType(const QString& ext)
{
    if (ext == u"PTC" || ext == u"REC")
        return RecordFile;
    if (ext == u"PT" || ext == u"RE")
        return PartRecordFile;
    if (ext == u"TRS")
        return SentTelegram;
    if (ext == u"TLG" || ext == u"TL")
        return TelegramToSend;
    if (ext == u"ERR" || ext == u"LER" || ext == u"DER" || ext == u"OCC" || ext == u"NP")
        return FailedTelegram;
    return NoPicture;
}

std::int32_t TFileViewForm::DosDateTime(const QDateTime& at)
{
    const QDate d = at.date();
    const QTime t = at.time();
    if (!d.isValid() || d.year() < 1980)
        return (1 << 21) | (1 << 16); // 1 January 1980, the first date the format holds
    const std::uint32_t packed = (std::uint32_t(std::min(d.year() - 1980, 127)) << 25)
                                 | (std::uint32_t(d.month()) << 21) | (std::uint32_t(d.day()) << 16)
                                 | (std::uint32_t(t.hour()) << 11) | (std::uint32_t(t.minute()) << 5)
                                 | std::uint32_t(t.second() / 2);
    return static_cast<std::int32_t>(packed);
}

QDateTime TFileViewForm::FromDosDateTime(std::int32_t packed)
{
    const auto p = static_cast<std::uint32_t>(packed);
    const QDate d(int(p >> 25) + 1980, int((p >> 21) & 0x0F), int((p >> 16) & 0x1F));
    const QTime t(int((p >> 11) & 0x1F), int((p >> 5) & 0x3F), int(p & 0x1F) * 2);
    return QDateTime(d, t);
}

int TFileViewForm::PictureIndex(const QTreeWidgetItem* node)
{
    if (!node)
        return NoPicture;
    const QVariant v = node->data(0, PictureRole);
    return v.isValid() ? v.toInt() : int(NoPicture);
}

int TFileViewForm::PictureIndex(const QModelIndex& row)
{
    const QVariant v = row.siblingAtColumn(0).data(PictureRole);
    return v.isValid() ? v.toInt() : int(NoPicture);
}


// ---- Construction ----

TFileViewForm::TFileViewForm(FileViewEnvironment env, QWidget* parent)
    : QMainWindow(parent), env_(std::move(env)), paths_(std::make_unique<PathMapper>(env_.ProgramFolder))
{
    setObjectName(QStringLiteral("FileViewForm"));
    setWindowTitle(QStringLiteral("Просмотр файлов"));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    BuildActions();
    BuildWidgets();
    BuildMenus();
    InitColumns();
    sortColumn_ = NameColumn;
    sortAscending_ = true;
    ViewModeActionExecute(); // the list style at start: the flag set, then cleared
    ViewModeActionExecute();

    const LayoutScale scale(this);
    setMinimumSize(scale.Size(350, 250));
    const int chrome = menuBar()->sizeHint().height() + toolBar1_->sizeHint().height();
    resize(scale.X(592), scale.Y(420) + chrome);
    UpdateActions();
}

TFileViewForm::~TFileViewForm() = default;

void TFileViewForm::BuildActions()
{
    const auto make = [this](const QString& caption, const QString& hint) {
        auto* a = new QAction(caption, this);
        const qsizetype bar = hint.indexOf(u'|');
        a->setToolTip(bar < 0 ? hint : hint.left(bar));
        a->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
        return a;
    };
    PrintSetupAction = make(QStringLiteral("Настройка печати"), {});
    PrintSetupAction->setEnabled(false);
    PrintAction = make(QStringLiteral("Печать"), QStringLiteral("Распечатать выбранный файл"));
    PrintAction->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    DOSPrintAction = make(QStringLiteral("DOS Печать"),
                          QStringLiteral("Быстрая (непосредственно на LPT1)  печать в DOS кодировке выбранного файла"));
    DOSPrintAction->setIcon(style()->standardIcon(QStyle::SP_DriveFDIcon));
    FileDeleteAction = make(QStringLiteral("Удалить файл"), QStringLiteral("Удалить выбранный файл/группу файлов"));
    FileDeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    FileDeleteAction->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    CloseAction = make(QStringLiteral("Закрыть"), QStringLiteral("Закрыть окно"));
    CloseAction->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ActivateTLGAction =
        make(QStringLiteral("Активировать номер"), QStringLiteral("Активация заблокированного номера '~' ->'#'"));
    ActivateTLGAction->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    NameSortAction = make(QStringLiteral("Сортировка по имени"), QStringLiteral("Сортировка по имени"));
    SizeSortAction = make(QStringLiteral("Сортировка по размеру"), QStringLiteral("Сортировка по размеру"));
    DateSortAction = make(QStringLiteral("Сортировка по дате"), QStringLiteral("Сортировка по дате"));
    TypeSortAction = make(QStringLiteral("Сортировка по типу"), QStringLiteral("Сортировка по типу файлов"));
    SortDirectionAction =
        make(QStringLiteral("Направление сортировки"), QStringLiteral("Направление сортировки"));
    ViewModeAction = make(QStringLiteral("Режим просмотра"), QStringLiteral("Режим просмотра списка файлов"));
    ViewModeAction->setCheckable(true);
    ViewModeAction->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    EditCopy1 = make(QStringLiteral("&Копировать"),
                     QStringLiteral("Копировать|Копировать выбранный фрагмент в Clipboard"));
    EditCopy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    EditSelectAll1 =
        make(QStringLiteral("Выделить &Все"), QStringLiteral("Выделить все|Выделить весь документ"));
    EditSelectAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    sortGroup_ = new QActionGroup(this);
    const std::pair<QAction*, int> sorts[] = {{NameSortAction, NameColumn},
                                              {SizeSortAction, SizeColumn},
                                              {DateSortAction, DateColumn},
                                              {TypeSortAction, TypeColumn}};
    const QStyle::StandardPixmap sortPictures[] = {QStyle::SP_FileDialogStart, QStyle::SP_ComputerIcon,
                                                   QStyle::SP_FileDialogBack, QStyle::SP_FileDialogToParent};
    int i = 0;
    for (const auto& [action, column] : sorts) {
        action->setCheckable(true);
        action->setIcon(style()->standardIcon(sortPictures[i++]));
        sortGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, column = column] { SetSortColumn(column); });
    }
    NameSortAction->setChecked(true);
    SortDirectionAction->setData(int(Ascending));
    SortDirectionAction->setIcon(PictureIcon(*style(), Ascending));

    connect(PrintAction, &QAction::triggered, this, &TFileViewForm::PrintActionExecute);
    connect(DOSPrintAction, &QAction::triggered, this, &TFileViewForm::DOSPrintActionExecute);
    connect(FileDeleteAction, &QAction::triggered, this, &TFileViewForm::FileDeleteActionExecute);
    connect(CloseAction, &QAction::triggered, this, &QWidget::close);
    connect(ActivateTLGAction, &QAction::triggered, this, &TFileViewForm::ActivateTLGActionExecute);
    connect(SortDirectionAction, &QAction::triggered, this, &TFileViewForm::SortDirectionActionExecute);
    connect(ViewModeAction, &QAction::triggered, this, &TFileViewForm::ViewModeActionExecute);
}

void TFileViewForm::BuildWidgets()
{
    const LayoutScale scale(this);

    tree_ = new QTreeWidget;
    tree_->setObjectName(QStringLiteral("ChannelTreeView"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setIndentation(scale.X(19));
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { ChannelTreeViewChange(); });
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
        if (const TTreeNodeData* data = NodeData(node); data && data->ChannelFlag)
            SetPicture(*node, *style(), ChannelExpanded);
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) {
        if (const TTreeNodeData* data = NodeData(node); data && data->ChannelFlag)
            SetPicture(*node, *style(), ChannelCollapsed);
    });

    model_ = new FileListModel(*style(), this);
    list_ = new QTreeView;
    list_->setObjectName(QStringLiteral("FileListView"));
    list_->setModel(model_);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSortingEnabled(false);
    list_->header()->setSortIndicatorShown(false);
    list_->header()->setSectionsClickable(true);
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        QAction* sorts[] = {NameSortAction, SizeSortAction, TypeSortAction, DateSortAction};
        if (column >= 0 && column < 4)
            sorts[column]->trigger();
    });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!quiet_)
            FileListViewSelectItem();
    });
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!quiet_)
            UpdateActions();
    });

    viewer_ = new QPlainTextEdit;
    viewer_->setObjectName(QStringLiteral("FileRichEdit"));
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(13);
    viewer_->setFont(mono);
    viewer_->setReadOnly(true);
    viewer_->setLineWrapMode(QPlainTextEdit::NoWrap);
    viewer_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewer_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewer_->setContextMenuPolicy(Qt::CustomContextMenu);
    popup_ = new QMenu(this);
    popup_->addActions({EditCopy1, EditSelectAll1});
    connect(viewer_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->exec(viewer_->mapToGlobal(at)); });
    connect(EditCopy1, &QAction::triggered, viewer_, &QPlainTextEdit::copy);
    connect(EditSelectAll1, &QAction::triggered, viewer_, &QPlainTextEdit::selectAll);

    splitter2_ = new QSplitter(Qt::Vertical);
    splitter2_->addWidget(list_);
    splitter2_->addWidget(viewer_);
    splitter2_->setStretchFactor(1, 1);
    splitter2_->setSizes({scale.Y(100), scale.Y(260)});
    splitter1_ = new QSplitter(Qt::Horizontal);
    splitter1_->addWidget(tree_);
    splitter1_->addWidget(splitter2_);
    splitter1_->setStretchFactor(1, 1);
    splitter1_->setSizes({scale.X(150), scale.X(442)});

    status_ = new StatusPanels({scale.X(200), scale.X(200), scale.X(200)});
    status_->setObjectName(QStringLiteral("StatusBar1"));

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter1_, 1);
    layout->addWidget(status_);
    setCentralWidget(central);

    toolBar2_ = addToolBar(QStringLiteral("ToolBar2"));
    toolBar2_->setObjectName(QStringLiteral("ToolBar2"));
    toolBar2_->addActions({NameSortAction, SizeSortAction, DateSortAction, TypeSortAction, SortDirectionAction,
                           ViewModeAction});
    toolBar1_ = addToolBar(QStringLiteral("ToolBar1"));
    toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar1_->addActions({PrintAction, DOSPrintAction, ActivateTLGAction, FileDeleteAction, CloseAction});
    for (QToolBar* bar : {toolBar1_, toolBar2_})
        bar->setMovable(false);
}

void TFileViewForm::BuildMenus()
{
    fileMenu_ = menuBar()->addMenu(QStringLiteral("Файл"));
    fileMenu_->addActions({ActivateTLGAction, FileDeleteAction});
    fileMenu_->addSeparator();
    fileMenu_->addActions({DOSPrintAction, PrintAction, PrintSetupAction});
    fileMenu_->addSeparator();
    fileMenu_->addAction(CloseAction);
    editMenu_ = menuBar()->addMenu(QStringLiteral("Правка"));
    editMenu_->addActions({EditCopy1, EditSelectAll1});
    sortMenu_ = menuBar()->addMenu(QStringLiteral("Сортировка"));
    sortMenu_->addActions({NameSortAction, SizeSortAction, DateSortAction});
    sortMenu_->addSeparator();
    sortMenu_->addActions({SortDirectionAction, ViewModeAction});
}

void TFileViewForm::InitColumns()
{
    // The captions come from the list's model.
    for (int c = 0; c < FileListModel::Columns; ++c)
        list_->resizeColumnToContents(c);
}

// ---- The tree ----

void TFileViewForm::FillChannelTree(const TTxScanner* scanner)
{
    std::vector<TChannelFolders> channels;
    if (scanner)
        for (int c = 1; c <= 8; ++c)
            if (const TTxChannelDriver* d = scanner->Driver(c))
                channels.push_back({c, d->TransmCommonFile, d->TransmDir, d->ReceiveDir});
    FillChannelTree(channels);
}

void TFileViewForm::FillChannelTree(const std::vector<TChannelFolders>& channels)
{
    {
        const QSignalBlocker block(tree_);
        tree_->clear();
        nodes_.clear();
    }
    for (const TChannelFolders& folders : channels) {
        auto channel = std::make_unique<TTreeNodeData>();
        channel->ChannelFlag = 1;
        if (!folders.TransmCommonFile.isEmpty())
            channel->ChannelDir = QFileInfo(folders.TransmCommonFile).path();
        auto outgoing = std::make_unique<TTreeNodeData>();
        outgoing->OutgoingDir = folders.TransmDir;
        auto incoming = std::make_unique<TTreeNodeData>();
        incoming->IncomingDir = folders.ReceiveDir;

        auto* node = new QTreeWidgetItem({QStringLiteral("Канал №%1").arg(folders.Channel)});
        node->setData(0, RecordRole, QVariant::fromValue<quintptr>(quintptr(channel.get())));
        SetPicture(*node, *style(), ChannelCollapsed);
        auto* out = new QTreeWidgetItem(node, {QStringLiteral("Исходящие")});
        out->setData(0, RecordRole, QVariant::fromValue<quintptr>(quintptr(outgoing.get())));
        SetPicture(*out, *style(), OutgoingFolder);
        auto* in = new QTreeWidgetItem(node, {QStringLiteral("Входящие")});
        in->setData(0, RecordRole, QVariant::fromValue<quintptr>(quintptr(incoming.get())));
        SetPicture(*in, *style(), IncomingFolder);
        nodes_.push_back(std::move(channel));
        nodes_.push_back(std::move(outgoing));
        nodes_.push_back(std::move(incoming));
        tree_->addTopLevelItem(node);
    }
    tree_->expandAll();
}

const TTreeNodeData* TFileViewForm::NodeData(const QTreeWidgetItem* node) const
{
    if (!node || node->treeWidget() != tree_)
        return nullptr;
    return reinterpret_cast<const TTreeNodeData*>(node->data(0, RecordRole).value<quintptr>());
}

void TFileViewForm::SelectFolder(const QString& path)
{
    QTreeWidgetItemIterator it(tree_);
    for (; *it; ++it) {
        const TTreeNodeData* data = NodeData(*it);
        if (data && !data->ChannelFlag
            && (SameFolder(data->OutgoingDir, path, *paths_) || SameFolder(data->IncomingDir, path, *paths_))) {
            if (tree_->currentItem() == *it)
                ChannelTreeViewChange();
            else
                tree_->setCurrentItem(*it);
            return;
        }
    }
}

void TFileViewForm::ChannelTreeViewChange()
{
    const TTreeNodeData* data = NodeData(tree_->currentItem());
    if (!data)
        return;
    if (data->ChannelFlag)
        Folder_ = data->ChannelDir;
    else
        Folder_ = data->OutgoingDir.isEmpty() ? data->IncomingDir : data->OutgoingDir;
    ListFiles(Folder_);
    SelectLastFile();
}

// ---- The list ----

void TFileViewForm::ListFiles(const QString& folder)
{
    {
        const QScopedValueRollback quiet(quiet_, true);
        model_->Reset(ReadFolder(folder));
        for (int c = 0; c < FileListModel::Columns; ++c)
            list_->resizeColumnToContents(c);
    }
    stale_ = false;
    notedAtClose_.clear();
    ShowListTotals();
    UpdateActions();
}

void TFileViewForm::ShowListTotals()
{
    double total = 0;
    for (int row = 0; row < model_->rowCount(); ++row)
        total += double(static_cast<std::uint32_t>(model_->Entry(row).Data.Size));
    status_->SetPanelText(0, QStringLiteral("Файлов: %1").arg(model_->rowCount()));
    status_->SetPanelText(1, QStringLiteral("Размер: %1 Kб").arg(Kb(total)));
}

const TFileData* TFileViewForm::FileData(const QModelIndex& row) const
{
    if (!row.isValid() || row.model() != model_)
        return nullptr;
    return &model_->Entry(row.row()).Data;
}

QString TFileViewForm::NameOf(int row) const
{
    return model_->Entry(row).Name;
}

QString TFileViewForm::PathOf(int row) const
{
    return Folder_ + u'/' + NameOf(row);
}

int TFileViewForm::FocusedRow() const
{
    const QModelIndex current = list_->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

QList<int> TFileViewForm::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& i : list_->selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFileViewForm::SelectLastFile()
{
    {
        const QScopedValueRollback quiet(quiet_, true);
        list_->clearSelection();
    }
    const int count = model_->rowCount();
    if (count == 0)
        return;
    list_->setFocus();
    FocusRow(count - 1);
}

void TFileViewForm::FocusRow(int row)
{
    {
        const QScopedValueRollback quiet(quiet_, true);
        list_->clearSelection();
    }
    QItemSelectionModel* selection = list_->selectionModel();
    if (row < 0) {
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        UpdateActions();
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(index);
    UpdateActions();
}

void TFileViewForm::FileListViewSelectItem()
{
    const QList<int> selected = SelectedRows();
    if (selected.size() == 1 && FocusedRow() >= 0 && !Folder_.isEmpty()) {
        const int row = selected.front();
        const QString name = NameOf(row);
        const QString path = PathOf(row);
        OemLines raw;
        QStringList lines;
        try {
            LoadOemStrings(path, raw, lines);
            viewerLines_ = lines;
            shownFile_ = path;
            viewer_->setPlainText(lines.join(u'\n'));
        } catch (const FileError& e) {
            ClearViewer();
            status_->SetPanelText(0, name);
            status_->SetPanelText(1, e.message());
            UpdateActions();
            return;
        }
        const TFileData& data = model_->Entry(row).Data;
        status_->SetPanelText(0, name);
        status_->SetPanelText(1, QStringLiteral("%1 Kб, %2")
                                     .arg(Kb(double(static_cast<std::uint32_t>(data.Size))),
                                          DateTimeText(FromDosDateTime(data.Time))));
    } else if (selected.size() > 1) {
        ClearViewer();
        double sum = 0;
        for (const int row : selected)
            sum += double(static_cast<std::uint32_t>(model_->Entry(row).Data.Size));
        status_->SetPanelText(0, QStringLiteral("Группа из %1 файлов").arg(selected.size()));
        status_->SetPanelText(1, QStringLiteral("Размер группы: %1 Kб").arg(Kb(sum)));
    }
    UpdateActions();
}

void TFileViewForm::ClearViewer()
{
    viewer_->clear();
    viewerLines_.clear();
    shownFile_.clear();
}

void TFileViewForm::UpdateActions()
{
    const int focused = FocusedRow();
    const bool listed = model_->rowCount() > 0 && focused >= 0;
    const bool lines = !viewerLines_.isEmpty();
    FileDeleteAction->setEnabled(listed);
    PrintAction->setEnabled(lines);
    DOSPrintAction->setEnabled(lines);
    // The viewer must show the focused file: its lines are what is saved.
    ActivateTLGAction->setEnabled(listed && lines && model_->Entry(focused).Data.TypeText == u"LER"
                                  && shownFile_ == PathOf(focused));
}

// ---- Sorting and the view mode ----

void TFileViewForm::SortList()
{
    // The selection and the focus stay on their files.
    const QScopedValueRollback quiet(quiet_, true);
    model_->SetSort(sortColumn_, sortAscending_);
}

void TFileViewForm::SetSortColumn(int column)
{
    QAction* const byColumn[] = {NameSortAction, SizeSortAction, TypeSortAction, DateSortAction};
    if (column >= 0 && column < 4)
        byColumn[column]->setChecked(true);
    if (column != sortColumn_) {
        sortColumn_ = column;
        sortAscending_ = true;
        SortDirectionAction->setData(int(Ascending));
        SortDirectionAction->setIcon(PictureIcon(*style(), Ascending));
        SortList();
    } else {
        SortDirectionActionExecute();
    }
}

void TFileViewForm::SetSortState(int column, bool ascending)
{
    sortColumn_ = column;
    sortAscending_ = ascending;
    const Picture picture = ascending ? Ascending : Descending;
    SortDirectionAction->setData(int(picture));
    SortDirectionAction->setIcon(PictureIcon(*style(), picture));
    SortList();
}

void TFileViewForm::SortDirectionActionExecute()
{
    SetSortState(sortColumn_, !sortAscending_);
}

void TFileViewForm::ViewModeActionExecute()
{
    viewReport_ = !viewReport_;
    ViewModeAction->setChecked(viewReport_);
    list_->setHeaderHidden(!viewReport_);
    for (int c = 1; c < 4; ++c)
        list_->setColumnHidden(c, !viewReport_);
    list_->setAllColumnsShowFocus(viewReport_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
}

// ---- Refreshing ----

void TFileViewForm::RefreshFolder(const QString& path)
{
    if (!SameFolder(path, Folder_, *paths_))
        return;
    if (!isVisible()) {
        // Listed when the window is next shown.
        stale_ = true;
        return;
    }
    const int focused = FocusedRow();
    Relist(focused < 0 ? QString() : NameOf(focused));
}

void TFileViewForm::Relist(const QString& noted)
{
    {
        const QScopedValueRollback quiet(quiet_, true);
        model_->Update(ReadFolder(Folder_));
    }
    stale_ = false;
    ShowListTotals();
    if (noted.isEmpty()) {
        // Nothing was focused: the list keeps no selection.
        FocusRow(-1);
        return;
    }
    // The first file of the noted name; the telegram itself rather than the
    // record of its transmission when both stand; else the same telegram
    // under a new extension.
    int found = model_->FirstRowStartingWith(noted);
    const qsizetype dot = noted.indexOf(u'.');
    if (found < 0 && dot >= 0)
        found = model_->FirstRowStartingWith(noted.left(dot + 1));
    FocusRow(found);
}

std::function<void(const QString&)> TFileViewForm::RefreshCallback()
{
    return [form = QPointer<TFileViewForm>(this)](const QString& folder) {
        if (form)
            form->RefreshFolder(folder);
    };
}

} // namespace korvane
