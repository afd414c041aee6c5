// The number lists form, "Обработка неэффективных вызовов": the retried and blocked numbers.
#include "ui/telegrams/txBadNumbers.h"

#include "engine/CallFailurePolicy.h"
#include "support/FailureCodes.h"
#include "support/NumberLists.h"
#include "widgets/LayoutScale.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace korvane {

namespace {

QString FailureName(int reason)
{
    return reason >= 0 && reason < FailureCodes::Count ? FailureCodeNames[reason].toString() : QString();
}

// A list view's width for a column given none of its own.
constexpr int DefaultColumnWidth = 50;

// Room for Width pixels of content inside View's frame and beside its
// vertical scroll bar.
int OuterWidth(const QAbstractScrollArea& view, int width)
{
    return width + 2 * view.frameWidth() + view.verticalScrollBar()->sizeHint().width();
}

// A report view whose columns get their laid-out widths (0: the list's
// default) scaled, and which is wide enough to show them all.
QTableWidget* ReportView(const QStringList& columns, const QList<int>& widths, const LayoutScale& scale)
{
    auto* view = new QTableWidget(0, static_cast<int>(columns.size()));
    view->setHorizontalHeaderLabels(columns);
    view->verticalHeader()->hide();
    view->setShowGrid(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    int total = 0;
    for (int i = 0; i < view->columnCount(); ++i) {
        const int width = scale.X(widths.value(i) > 0 ? widths.value(i) : DefaultColumnWidth);
        view->setColumnWidth(i, width);
        total += width;
    }
    view->setMinimumWidth(OuterWidth(*view, total));
    return view;
}

// The cells of a row of the upper view: the number, then the retry state.
QStringList UnsuccCells(const QString& number, const TUnsucNumObject* o)
{
    if (!o)
        return {number, {}, {}, {}, {}, {}, {}, {}, {}};
    return {number,
            QString::number(o->Attempts),
            FailureName(o->Reason),
            QString::number(o->PerSeries),
            QString::number(o->Interval),
            QString::number(o->Series),
            QString::number(o->SeriesInterval),
            QString::number(o->Left),
            QString::number(o->Wait)};
}

QStringList BadCells(const QString& number, const TBadNumObject* o)
{
    return {number, o ? FailureName(o->Reason) : QString()};
}

void SetRow(QTableWidget* view, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c) {
        QTableWidgetItem* item = view->item(row, c);
        if (!item)
            view->setItem(row, c, new QTableWidgetItem(cells[c]));
        else if (item->text() != cells[c])
            item->setText(cells[c]);
    }
}

void AppendRow(QTableWidget* view, const QStringList& cells)
{
    const int row = view->rowCount();
    view->insertRow(row);
    SetRow(view, row, cells);
}

// The row whose first cell is Number exactly, or -1.
int RowOf(const QTableWidget* view, const QString& number)
{
    for (int row = 0; row < view->rowCount(); ++row)
        if (const QTableWidgetItem* item = view->item(row, 0); item && item->text() == number)
            return row;
    return -1;
}

// Rows whose number the list no longer holds go, from the last to the first.
void DeleteGoneRows(QTableWidget* view, const NumberList& list)
{
    for (int row = view->rowCount() - 1; row >= 0; --row) {
        const QTableWidgetItem* item = view->item(row, 0);
        if (!item || list.IndexOf(item->text()) < 0)
            view->removeRow(row);
    }
}

} // namespace

TBadNumbersForm::TBadNumbersForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Обработка неэффективных вызовов"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    const LayoutScale scale(this);

    unsucc_ = ReportView({QStringLiteral("Номер"), QStringLiteral("Всего"), QStringLiteral("Тип отказа"),
                          QStringLiteral("Попыток"), QStringLiteral("Пауза"), QStringLiteral("Серий"),
                          QStringLiteral("Интервал"), QStringLiteral("Попытка"), QStringLiteral("Задержка")},
                         {100, 44, 70, 60, 0, 0, 62, 60, 64}, scale);
    bad_ = ReportView({QStringLiteral("Номер"), QStringLiteral("Тип отказа")}, {100, 110}, scale);
    legend_ = new QListWidget;
    legend_->addItems({
        QStringLiteral("OCC - абонент занят"),
        QStringLiteral("NC - нет цепи"),
        QStringLiteral("DER - повреждение на абонентском участке"),
        QStringLiteral("ABS - АУ временно не работает"),
        QStringLiteral("CI - повреждение на сети"),
        QStringLiteral("NA - связь с этим абонентом запрещена"),
        QStringLiteral("NP - неправильный набор"),
        QStringLiteral("UNK - неизвестное сообщение станции"),
        QStringLiteral("BP - встречная работа"),
        QStringLiteral("STA - нет ответа станции"),
        QStringLiteral("NUM - нет приглашения к набору номера"),
        QStringLiteral("OCC2 - абонент занят (импульсный сигнал)"),
        QStringLiteral("AAB - нет автоответа"),
        QStringLiteral("BAB - плохой автоответ"),
    });
    int longest = 0;
    for (int i = 0; i < legend_->count(); ++i)
        longest = std::max(longest, QFontMetrics(font()).horizontalAdvance(legend_->item(i)->text()));
    legend_->setMinimumWidth(OuterWidth(*legend_, longest + scale.X(8)));

    deleteAction_ = new QAction(QStringLiteral("Удалить"), this);
    const QString hint = QStringLiteral("Удалить номер из списка и разрешить дальнейшую передачу по этому номеру");
    deleteAction_->setToolTip(hint);
    deleteAction_->setStatusTip(hint);
    connect(deleteAction_, &QAction::triggered, this, &TBadNumbersForm::DeleteNumberActionExecute);
    deleteButton_ = new QPushButton(deleteAction_->text());
    deleteButton_->setToolTip(hint);
    connect(deleteButton_, &QPushButton::clicked, deleteAction_, &QAction::trigger);
    connect(deleteAction_, &QAction::changed, deleteButton_,
            [this] { deleteButton_->setEnabled(deleteAction_->isEnabled()); });
    okButton_ = new QPushButton(QStringLiteral("OK"));
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    helpButton_ = new QPushButton(QStringLiteral("&Справка"));
    connect(helpButton_, &QPushButton::clicked, this, [this] { emit HelpRequested(HelpContext); });

    auto* lower = new QGridLayout;
    lower->addWidget(new QLabel(QStringLiteral("Список заблокированных номеров")), 0, 0);
    lower->addWidget(bad_, 1, 0);
    lower->addWidget(new QLabel(QStringLiteral("Расшифровка типа отказа")), 0, 1);
    lower->addWidget(legend_, 1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(deleteButton_);
    buttons->addWidget(okButton_);
    buttons->addWidget(helpButton_);
    buttons->addStretch();
    lower->addLayout(buttons, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Таблица обработки неэффективных вызовов")));
    layout->addWidget(unsucc_, 1);
    layout->addLayout(lower, 1);

    current_ = unsucc_;
    for (QTableWidget* view : {unsucc_, bad_}) {
        view->installEventFilter(this);
        connect(view, &QTableWidget::currentCellChanged, this, [this] { UpdateDeleteAction(); });
    }
    UpdateDeleteAction();
    resize(scale.Size(574, 345));
}

TBadNumbersForm::~TBadNumbersForm()
{
    ClearLists();
}

bool TBadNumbersForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == unsucc_ || watched == bad_))
        SetCurrentListView(static_cast<QTableWidget*>(watched));
    return QDialog::eventFilter(watched, event);
}

void TBadNumbersForm::SetCurrentListView(QTableWidget* view)
{
    current_ = view;
    UpdateDeleteAction();
}

void TBadNumbersForm::UpdateDeleteAction()
{
    deleteAction_->setEnabled(current_->rowCount() > 0 && current_->currentRow() >= 0);
    deleteButton_->setEnabled(deleteAction_->isEnabled());
}

void TBadNumbersForm::FillUnsucc()
{
    for (int i = 0; i < UnsuccNumbers->Count(); ++i)
        AppendRow(unsucc_, UnsuccCells(UnsuccNumbers->Number(i), UnsuccNumbers->ObjectAs<TUnsucNumObject>(i)));
}

void TBadNumbersForm::FillBad()
{
    for (int i = 0; i < BadNumbers->Count(); ++i)
        AppendRow(bad_, BadCells(BadNumbers->Number(i), BadNumbers->ObjectAs<TBadNumObject>(i)));
}

void TBadNumbersForm::FillLists()
{
    ListsBusyLock busy;
    filled_ = true;
    unsucc_->setRowCount(0);
    bad_->setRowCount(0);
    if (UnsuccNumbers)
        FillUnsucc();
    if (BadNumbers)
        FillBad();
    UpdateDeleteAction();
}

void TBadNumbersForm::UpdateUnsucc()
{
    DeleteGoneRows(unsucc_, *UnsuccNumbers);
    for (int i = 0; i < UnsuccNumbers->Count(); ++i) {
        const QStringList cells =
            UnsuccCells(UnsuccNumbers->Number(i), UnsuccNumbers->ObjectAs<TUnsucNumObject>(i));
        const int row = RowOf(unsucc_, cells[0]);
        if (row >= 0)
            SetRow(unsucc_, row, cells);
        else
            AppendRow(unsucc_, cells);
    }
}

void TBadNumbersForm::UpdateBad()
{
    DeleteGoneRows(bad_, *BadNumbers);
    for (int i = 0; i < BadNumbers->Count(); ++i) {
        const QStringList cells = BadCells(BadNumbers->Number(i), BadNumbers->ObjectAs<TBadNumObject>(i));
        const int row = RowOf(bad_, cells[0]);
        if (row >= 0)
            SetRow(bad_, row, cells);
        else
            AppendRow(bad_, cells);
    }
}

void TBadNumbersForm::UpdateLists()
{
    ListsBusyLock busy;
    if (UnsuccNumbers)
        UpdateUnsucc();
    if (BadNumbers)
        UpdateBad();
    UpdateDeleteAction();
}

void TBadNumbersForm::ClearLists()
{
    ListsBusyLock busy;
    unsucc_->setRowCount(0);
    bad_->setRowCount(0);
    filled_ = false;
}

void TBadNumbersForm::DeleteNumberActionExecute()
{
    const int row = current_->currentRow();
    if (row < 0 || row >= current_->rowCount())
        return;
    const QTableWidgetItem* item = current_->item(row, 0);
    const QString number = item ? item->text() : QString();
    RemoveNumberFromLists(number);
    {
        ListsBusyLock busy;
        current_->removeRow(row);
    }
    UpdateDeleteAction();
}

} // namespace korvane
