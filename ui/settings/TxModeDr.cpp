// The driver modes dialog, "Режимы драйвера": its pages, the bad-calls grid and OK.
#include "ui/settings/TxModeDr.h"

#include "platform/IniFile.h"
#include "platform/IntegerText.h"
#include "widgets/LayoutScale.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <cmath>

namespace korvane {

namespace {

constexpr int InitPrnStrCapacity = 80;

// The grid's cell editor, which lets only Backspace and digits through.
class DigitKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (!text.isEmpty() && text.front().isPrint()
                && !TDriverModeDlg::BadCallsTableKeyPress(text.front()))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->installEventFilter(new DigitKeyFilter(editor));
        return editor;
    }
};

QSpinBox* UpDown(DriverModesFiles::KeyRange range)
{
    auto* spin = new QSpinBox;
    spin->setRange(range.Min, range.Max);
    return spin;
}

QTime TimeOfDay(double fraction)
{
    const int seconds = std::clamp(static_cast<int>(std::lround(fraction * 86400.0)), 0, 86399);
    return QTime(0, 0).addSecs(seconds);
}

double DayFraction(const QTime& time)
{
    return QTime(0, 0).secsTo(time) / 86400.0;
}

} // namespace

TDriverModeDlg::TDriverModeDlg(QString appDir, MessageBox& box, QWidget* parent,
                               std::function<int()> waveDevices)
    : QDialog(parent)
    , appDir_(std::move(appDir))
    , box_(box)
    , waveDevices_(std::move(waveDevices))
    , FModes(std::make_unique<TDriverModes>(DriverModesFiles::DefaultModes()))
{
    setWindowTitle(QStringLiteral("Режимы драйвера"));

    pages_ = new QTabWidget(this);
    auto* mainPage = new QWidget;
    auto* printPage = new QWidget;
    auto* settingsPage = new QWidget;
    BuildMainPage(mainPage);
    BuildPrintPage(printPage);
    BuildSettingsPage(settingsPage);
    pages_->addTab(mainPage, QStringLiteral("Основные"));
    pages_->addTab(printPage, QStringLiteral("Печать/Звук"));
    pages_->addTab(settingsPage, QStringLiteral("Настройка"));
    connect(pages_, &QTabWidget::currentChanged, this, &TDriverModeDlg::DriverPageControlChange);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                                         | QDialogButtonBox::Help);
    connect(buttons, &QDialogButtonBox::accepted, this, &TDriverModeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TDriverModeDlg::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [this] { emit HelpRequested(helpContext_); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);

    // FormCreate: the files, the grid, the first page, the DOS print group.
    LoadSaveModes(true);
    FillGrid();
    pages_->setCurrentIndex(0);
    DosWinRadioGroupClick();
}

TDriverModeDlg::~TDriverModeDlg() = default;

void TDriverModeDlg::BuildMainPage(QWidget* page)
{
    auto* group = new QGroupBox(QStringLiteral("&Установки драйвера"));
    auto* groupLayout = new QVBoxLayout(group);
    const std::array<QString, 6> captions = {
        QStringLiteral("&Регистры МТК"),     QStringLiteral("&Звук сообщений"),
        QStringLiteral("&Выдача сообщений"), QStringLiteral("&Служебные слова"),
        QStringLiteral("Использование \"&4\""), QStringLiteral("Переименование"),
    };
    for (int i = 0; i < 6; ++i) {
        driverBoxes_[i] = new QCheckBox(captions[i]);
        groupLayout->addWidget(driverBoxes_[i]);
    }
    // Stored as loaded; nothing in the system acts on them.
    for (int i : {1, 2, 3})
        driverBoxes_[i]->setEnabled(false);

    scanPeriod_ = UpDown(DriverModesFiles::ScanPeriodRange);
    msgDelay_ = UpDown(DriverModesFiles::MsgDelayRange);
    auto* times = new QFormLayout;
    auto* scanLabel = new QLabel(QStringLiteral("&Период опроса (сек)"));
    scanLabel->setBuddy(scanPeriod_);
    auto* delayLabel = new QLabel(QStringLiteral("&Автоотключение сообщения (сек)"));
    delayLabel->setBuddy(msgDelay_);
    times->addRow(scanLabel, scanPeriod_);
    times->addRow(delayLabel, msgDelay_);

    grid_ = new QTableWidget(GridRows, GridColumns);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setItemDelegate(new GridDelegate(grid_));
    grid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Wide enough for every column: the dialog grows with the font.
    const LayoutScale scale(this);
    int gridWidth = 0;
    for (int c = 0; c < GridColumns; ++c) {
        grid_->setColumnWidth(c, scale.X(c == 0 ? 160 : 48));
        gridWidth += grid_->columnWidth(c);
    }
    grid_->setMinimumWidth(gridWidth + 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width());
    // and for every row.
    int gridHeight = 0;
    for (int r = 0; r < GridRows; ++r)
        gridHeight += grid_->rowHeight(r);
    grid_->setMinimumHeight(gridHeight + 2 * grid_->frameWidth());
    auto* gridLabel = new QLabel(QStringLiteral("&Таблица обработки неэффективных вызовов"));
    gridLabel->setBuddy(grid_);

    auto* top = new QHBoxLayout;
    top->addWidget(group);
    top->addLayout(times);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(gridLabel);
    layout->addWidget(grid_);
}

void TDriverModeDlg::BuildPrintPage(QWidget* page)
{
    soundGroup_ = new QGroupBox(QStringLiteral("Вывод звука "));
    soundButtons_ = new QButtonGroup(this);
    auto* soundLayout = new QVBoxLayout(soundGroup_);
    const std::array<QString, 2> soundItems = {QStringLiteral("Динамик ПК"),
                                               QStringLiteral("Звуковая плата")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(soundItems[i]);
        soundButtons_->addButton(radio, i);
        soundLayout->addWidget(radio);
    }

    auto* printGroup = new QGroupBox(QStringLiteral("Тип печати"));
    printButtons_ = new QButtonGroup(this);
    auto* printLayout = new QVBoxLayout(printGroup);
    const std::array<QString, 2> printItems = {QStringLiteral("DOS (866)"),
                                               QStringLiteral("Windows (1251)")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(printItems[i]);
        printButtons_->addButton(radio, i);
        printLayout->addWidget(radio);
    }
    connect(printButtons_, &QButtonGroup::idClicked, this, [this] { DosWinRadioGroupClick(); });

    copyCount_ = UpDown(DriverModesFiles::CopyCntrRange);
    beginTime_ = new QTimeEdit;
    beginTime_->setDisplayFormat(QStringLiteral("H:mm:ss"));
    endTime_ = new QTimeEdit;
    endTime_->setDisplayFormat(QStringLiteral("H:mm:ss"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Количество копий"), copyCount_);
    form->addRow(QStringLiteral("Время начала"), beginTime_);
    form->addRow(QStringLiteral("Время окончания"), endTime_);

    dosGroup_ = new QGroupBox(QStringLiteral("Настройки печати для DOS"));
    leftMargin_ = UpDown(DriverModesFiles::LeftMarginRange);
    initPrinter_ = new QLineEdit;
    initPrinter_->setMaxLength(InitPrnStrCapacity);
    auto* dosLayout = new QFormLayout(dosGroup_);
    dosLayout->addRow(QStringLiteral("Левое поле"), leftMargin_);
    dosLayout->addRow(QStringLiteral("Строка инициализации принтера"), initPrinter_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(soundGroup_);
    groups->addWidget(printGroup);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(groups);
    layout->addLayout(form);
    layout->addWidget(dosGroup_);
    layout->addStretch();
}

void TDriverModeDlg::BuildSettingsPage(QWidget* page)
{
    exitConfirmation_ = new QCheckBox(QStringLiteral("Запрашивать подтверждение при выходе из программы"));
    showDialogMode_ = new QCheckBox(QStringLiteral("Вывод информации о соединении в окнах"));
    showDialogMode_->setEnabled(false);
    tlxLogMode_ = new QCheckBox(QStringLiteral("Вести лог-файл соединения"));
    preciseTimer_ = new QCheckBox(QStringLiteral("Повышенная точность таймера"));
    auto* layout = new QVBoxLayout(page);
    for (QCheckBox* box : {exitConfirmation_, showDialogMode_, tlxLogMode_, preciseTimer_})
        layout->addWidget(box);
    layout->addStretch();
}

QString TDriverModeDlg::IniPath() const
{
    return QDir(appDir_).filePath(QString::fromLatin1(DriverModesFiles::IniName));
}

QString TDriverModeDlg::TablesPath() const
{
    return QDir(appDir_).filePath(QString::fromLatin1(DriverModesFiles::TablesName));
}

void TDriverModeDlg::SetControls()
{
    const TDriverModes& m = *FModes;
    scanPeriod_->setValue(m.ScanPeriod);
    msgDelay_->setValue(m.MsgDelay);
    for (int i = 0; i < 6; ++i)
        driverBoxes_[i]->setChecked((m.ModeDriver >> i) & 1u);

    if (m.SoundCardMode && waveDevices_() > 0) {
        soundButtons_->button(1)->setChecked(true);
    } else if (m.SoundCardMode) {
        soundButtons_->button(0)->setChecked(true);
        soundGroup_->setEnabled(false);
        FModes->SoundCardMode = 0;
    } else {
        soundButtons_->button(0)->setChecked(true);
    }

    printButtons_->button(m.DOSPrintMode ? 0 : 1)->setChecked(true);
    copyCount_->setValue(m.CopyCntr);
    beginTime_->setTime(TimeOfDay(m.BeginTime));
    endTime_->setTime(TimeOfDay(m.EndTime));
    leftMargin_->setValue(m.LeftMargin);
    initPrinter_->setText(m.InitPrnStr.text());
    exitConfirmation_->setChecked(m.ExitConfirmation != 0);
    showDialogMode_->setChecked(m.ShowDialogMode != 0);
    tlxLogMode_->setChecked(m.TlxLogMode != 0);
    preciseTimer_->setChecked(m.PreciseTimer != 0);
}

void TDriverModeDlg::TakeControls()
{
    TDriverModes& m = *FModes;
    m.ModeDriver = 0;
    for (int i = 0; i < 6; ++i)
        if (driverBoxes_[i]->isChecked())
            m.ModeDriver |= 1u << i;
    m.ScanPeriod = scanPeriod_->value();
    m.MsgDelay = msgDelay_->value();
    m.CopyCntr = copyCount_->value();
    m.LeftMargin = leftMargin_->value();
    m.SoundCardMode = soundButtons_->checkedId() == 1;
    m.DOSPrintMode = printButtons_->checkedId() == 0;
    m.BeginTime = DayFraction(beginTime_->time());
    m.EndTime = DayFraction(endTime_->time());
    m.InitPrnStr.setText(initPrinter_->text().left(InitPrnStrCapacity));
    m.ExitConfirmation = exitConfirmation_->isChecked();
    m.ShowDialogMode = showDialogMode_->isChecked();
    m.TlxLogMode = tlxLogMode_->isChecked();
    m.PreciseTimer = preciseTimer_->isChecked();
}

int TDriverModeDlg::LoadSaveModes(bool load)
{
    if (load) {
        DriverModesFiles::ReadKeys(IniFile(IniPath()), *FModes);
        SetControls();
        return DriverModesFiles::LoadTables(TablesPath(), *FModes, box_);
    }
    TakeControls();
    // Settings that did not reach the disk would quietly be gone at the next
    // start: the dialog stays open with the error.
    if (const int written = DriverModesFiles::SaveKeys(IniPath(), *FModes, box_); written != DriverModesFiles::Ok)
        return written;
    return DriverModesFiles::SaveTables(TablesPath(), *FModes, box_);
}

void TDriverModeDlg::FillGrid()
{
    for (int c = 0; c < GridColumns; ++c)
        for (int r = 0; r < GridRows; ++r) {
            auto* item = new QTableWidgetItem(FModes->BadCallsText[c][r].text());
            if (c == 0 || r == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(palette().button());
            }
            grid_->setItem(r, c, item);
        }
    grid_->setCurrentCell(1, 1);
}

bool TDriverModeDlg::BadCallsTableKeyPress(QChar key)
{
    return key == QChar(u'\b') || (key >= u'0' && key <= u'9');
}

bool TDriverModeDlg::CollectBadCallsTable()
{
    // A cell still being edited counts with what it shows.
    if (QWidget* editor = grid_->findChild<QLineEdit*>()) {
        if (editor->isVisible())
            QMetaObject::invokeMethod(grid_, "commitData", Q_ARG(QWidget*, editor));
    }
    bool result = true;
    for (int c = 1; c < GridColumns; ++c)
        for (int r = 1; r < GridRows; ++r) {
            QTableWidgetItem* item = grid_->item(r, c);
            const std::optional<qint32> parsed =
                parseSystemInteger(item ? item->text().trimmed() : QString());
            std::int32_t value = 1;
            if (parsed) {
                value = DriverModesFiles::LimitPolicyValue(*parsed);
            } else {
                FBadCol = c;
                FBadRow = r;
                result = false;
            }
            const QString text = QString::number(value);
            if (item)
                item->setText(text);
            else
                grid_->setItem(r, c, new QTableWidgetItem(text));
            FModes->BadCallsText[c][r].setText(text);
            FModes->BadCallsPolicy[c - 1][r - 1] = value;
        }
    return result;
}

void TDriverModeDlg::accept()
{
    if (!CollectBadCallsTable()) {
        pages_->setCurrentIndex(0);
        grid_->setCurrentCell(FBadRow, FBadCol);
        grid_->setFocus();
        return;
    }
    if (LoadSaveModes(false) != DriverModesFiles::Ok)
        return;
    QDialog::accept();
}

void TDriverModeDlg::DosWinRadioGroupClick()
{
    dosGroup_->setEnabled(printButtons_->checkedId() == 0);
}

void TDriverModeDlg::DriverPageControlChange(int index)
{
    if (index >= 0 && index < static_cast<int>(PageHelpTopics.size()))
        helpContext_ = PageHelpTopics[index];
}

} // namespace korvane
