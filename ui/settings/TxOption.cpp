// The channel options dialog, "Настройки канала N": its pages and OK.
#include "ui/settings/TxOption.h"

#include "platform/PathMapper.h"
#include "protocols/HeaderCounters.h"
#include "protocols/ProtocolModel.h"
#include "protocols/TxProtoc.h"
#include "ui/settings/AdapterPresence.h"
#include "ui/settings/AnswerBackFilter.h"
#include "widgets/LayoutScale.h"
#include "platform/MessageCaptions.h"
#include "ui/settings/ProtocolEditorPage.h"
#include "ui/toolkit/QtFileChooser.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

namespace {

constexpr int KindRole = Qt::UserRole;
constexpr int TarveloxItem = 3;

const std::array<QString, 5>& AdapterNames()
{
    static const std::array<QString, 5> names = {
        QStringLiteral("Выключен"), QStringLiteral("Ormak-A"), QStringLiteral("Ormak-B"),
        QStringLiteral("TARVELOX-01"), QStringLiteral("Ormak-D"),
    };
    return names;
}

// The captions of the path fields, in the order of PathEdit.
QString PathCaption(int i)
{
    static const std::array<QString, TMultPageDlg::PathCount> captions = {
        QStringLiteral("Каталог передачи"), QStringLiteral("Каталог приема"),
        QStringLiteral("Журнал передачи"),  QStringLiteral("Журнал приема"),
        QStringLiteral("Общий файл передачи"), QStringLiteral("Общий файл приема"),
    };
    return captions[std::size_t(i)];
}

QLabel* BuddyLabel(const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TMultPageDlg::TMultPageDlg(ChannelOptionsEnvironment env, QWidget* parent)
    : QDialog(parent)
    , env_(std::move(env))
{
    if (!env_.Adapter) {
        ownAdapter_ = std::make_unique<CommPortPresenceTest>();
        env_.Adapter = ownAdapter_.get();
    }
    if (!env_.Files) {
        ownFiles_ = std::make_unique<QtFileChooser>();
        env_.Files = ownFiles_.get();
    }
    if (env_.AppDir.isEmpty())
        env_.AppDir = korvane::AppDir;

    setWindowTitle(QStringLiteral("Настройки канала"));
    pages_ = new QTabWidget(this);
    editor_ = new TProtocolEditorPage;
    sounds_ = new TSoundEventsPage({env_.Waves, env_.Tunes, env_.Files, env_.AppDir});
    pages_->addTab(BuildMainPage(), QStringLiteral("Основные"));
    pages_->addTab(BuildModesPage(), QStringLiteral("Режимы"));
    pages_->addTab(editor_, QStringLiteral("Элементы"));
    pages_->addTab(BuildPathsPage(), QStringLiteral("Пути"));
    pages_->addTab(sounds_, QStringLiteral("Звук"));

    // The page guard: while no adapter is chosen, only the first page.
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (guarding_)
            return;
        if (adapter_->currentIndex() == 0 && index != MainPage) {
            guarding_ = true;
            pages_->setCurrentIndex(shownPage_);
            guarding_ = false;
            ShowMessage(*env_.Box, QStringLiteral("Необходимо предварительно выбрать тип адаптера"),
                        MessageIcon::Warning, MessageButtons::Ok);
            adapter_->setFocus();
            return;
        }
        OptionsPageControlChange(index);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                                         | QDialogButtonBox::Help);
    connect(buttons, &QDialogButtonBox::accepted, this, &TMultPageDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TMultPageDlg::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { emit HelpRequested(helpContext_); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);

    // FormCreate.
    adapter_->setCurrentIndex(0);
    station_->setCurrentIndex(0);
    AdapterTypeChange();
    pages_->setCurrentIndex(MainPage);
    sounds_->FillSoundTree();
}

TMultPageDlg::~TMultPageDlg()
{
    sounds_->ClearSoundTree();
}

QWidget* TMultPageDlg::BuildMainPage()
{
    const LayoutScale scale(this);
    auto* page = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("Основные настройки канала"));

    adapter_ = new QComboBox;
    for (const QString& name : AdapterNames())
        adapter_->addItem(name);
    station_ = new QComboBox;
    for (QComboBox* list : {adapter_, station_})
        list->setMinimumWidth(scale.X(200));
    answerBack_ = new QLineEdit;
    answerBack_->setMaxLength(20);
    answerBack_->setReadOnly(true);
    answerBack_->setEnabled(false);
    answerBack_->setMinimumWidth(scale.X(200));
    header_ = new QLineEdit;
    header_->setMaxLength(100);
    header_->setMinimumWidth(scale.X(400));
    InstallAnswerBackFilter(*answerBack_);
    InstallAnswerBackFilter(*header_);

    auto* lineGroup = new QGroupBox(QStringLiteral("Тип &линии"));
    lineType_ = new QButtonGroup(this);
    auto* lineLayout = new QVBoxLayout(lineGroup);
    const std::array<QString, 2> lines = {QStringLiteral("Двухполюсная"), QStringLiteral("Однополюсная")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(lines[std::size_t(i)]);
        lineType_->addButton(radio, i);
        lineLayout->addWidget(radio);
    }

    auto* form = new QFormLayout;
    form->addRow(BuddyLabel(QStringLiteral("&Тип адаптера"), adapter_), adapter_);
    form->addRow(BuddyLabel(QStringLiteral("Тип &станции"), station_), station_);
    form->addRow(BuddyLabel(QStringLiteral("&Автоответ"), answerBack_), answerBack_);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(form);
    groupLayout->addWidget(lineGroup);
    groupLayout->addWidget(BuddyLabel(QStringLiteral("&Заголовок телеграммы"), header_));
    groupLayout->addWidget(header_);
    groupLayout->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    connect(adapter_, &QComboBox::currentIndexChanged, this, [this] { AdapterTypeChange(); });
    return page;
}

QWidget* TMultPageDlg::BuildModesPage()
{
    auto* page = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("Режимы канала"));
    auto* driverGroup = new QGroupBox(QStringLiteral("&Режимы драйвера"));
    const std::array<QString, ModeCount> captions = {
        QStringLiteral("&Автоматическая передача"), QStringLiteral("Автоматический прием"),
        QStringLiteral("Общий файл передачи"),      QStringLiteral("Общий файл приема"),
        QStringLiteral("Контроль автответа"),       QStringLiteral("Сохранение по ЗАО"),
        QStringLiteral("Автоматическое удаление"),  QStringLiteral("Авто печать передача"),
        QStringLiteral("Авто печать прием"),        QStringLiteral("Неэффективные вызовы"),
        QStringLiteral("Анализ встречной работы"),  QStringLiteral("Контроль устройства"),
    };
    auto* driverLayout = new QVBoxLayout(driverGroup);
    for (int i = 0; i < ModeCount; ++i) {
        modes_[std::size_t(i)] = new QCheckBox(captions[std::size_t(i)]);
        driverLayout->addWidget(modes_[std::size_t(i)]);
    }
    // Shown and stored as loaded; the engine does not offer them.
    for (int bit : {1, 5, 10})
        modes_[std::size_t(bit)]->setEnabled(false);

    ctxGroup_ = new QGroupBox(QStringLiteral("Ре&жимы TARVELOX"));
    const std::array<QString, CtxModeCount> ctxCaptions = {
        QStringLiteral("Часовая мелодия"), QStringLiteral("Фоновая распечатка"), QStringLiteral("Объем памяти"),
        QStringLiteral("Неисправность принтера"), QStringLiteral("Контрольная печать"),
    };
    auto* ctxLayout = new QVBoxLayout(ctxGroup_);
    for (int i = 0; i < CtxModeCount; ++i) {
        ctxModes_[std::size_t(i)] = new QCheckBox(ctxCaptions[std::size_t(i)]);
        ctxLayout->addWidget(ctxModes_[std::size_t(i)]);
    }
    ctxLayout->addStretch(1);

    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(driverGroup);
    groupLayout->addWidget(ctxGroup_, 0);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    return page;
}

QWidget* TMultPageDlg::BuildPathsPage()
{
    const LayoutScale scale(this);
    auto* page = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("Рабочие каталоги и файлы"));
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < PathCount; ++i) {
        auto* edit = new QLineEdit;
        edit->setMinimumWidth(scale.X(360));
        auto* button = new QPushButton(QStringLiteral("..."));
        button->setFixedWidth(scale.X(25));
        paths_[std::size_t(i)] = edit;
        pathButtons_[std::size_t(i)] = button;
        grid->addWidget(BuddyLabel(PathCaption(i), edit), 2 * i, 0, 1, 2);
        grid->addWidget(edit, 2 * i + 1, 0);
        grid->addWidget(button, 2 * i + 1, 1);
        connect(button, &QPushButton::clicked, this, [this, i] {
            if (i == 0)
                IPBitBtnClick();
            else if (i == 1)
                BitBtn1Click();
            else
                SelectLogFile(paths_[std::size_t(i)]);
        });
    }
    grid->setRowStretch(2 * PathCount, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    return page;
}

int TMultPageDlg::StationKind() const
{
    return station_->currentIndex() >= 0 ? station_->currentData(KindRole).toInt() : 0;
}

void TMultPageDlg::LoadChannelOptions()
{
    if (!FSet || FChannel < 1 || FChannel > kChannelCount)
        return;
    const TChannelOptions& r = FSet->Channels[std::size_t(FChannel - 1)];

    // A kind without protocols offers no item; the items keep their kinds.
    station_->clear();
    for (int kind = 1; kind <= kProtocolKindCount; ++kind) {
        const auto& list = FSet->Protocols[std::size_t(kind - 1)];
        if (!list.empty())
            station_->addItem(list.front().Name, kind);
    }

    TTlgCounters counters = r.Counters;
    QString header = r.TlgHeader.text();
    ParseHeaderCounters(counters, header, true);

    adapter_->setCurrentIndex(int(r.AdapterType));
    FLoadedAdapterType = r.AdapterType;
    station_->setCurrentIndex(station_->findData(int(r.StationType) + 1, KindRole));
    if (QAbstractButton* line = lineType_->button(int(r.LineType)))
        line->setChecked(true);
    answerBack_->setText(r.AnswerBack.text());
    header_->setText(header);
    const std::array<QString, PathCount> paths = {
        r.TransmDir.text(),     r.ReceiveDir.text(),       r.TransmJrnFile.text(),
        r.ReceiveJrnFile.text(), r.TransmCommonFile.text(), r.ReceiveCommonFile.text(),
    };
    for (int i = 0; i < PathCount; ++i)
        paths_[std::size_t(i)]->setText(paths[std::size_t(i)]);

    for (int i = 0; i < ModeCount; ++i)
        modes_[std::size_t(i)]->setChecked((r.Modes >> i) & 1u);
    for (int i = 0; i < CtxModeCount; ++i)
        ctxModes_[std::size_t(i)]->setChecked((r.CtxModes >> i) & 1u);

    sounds_->LoadSounds(r.Sounds);
    AdapterTypeChange();
}

void TMultPageDlg::SaveChannelOptions()
{
    if (!FSet || FChannel < 1 || FChannel > kChannelCount)
        return;
    TChannelOptions& r = FSet->Channels[std::size_t(FChannel - 1)];

    r.AdapterType = std::uint32_t(adapter_->currentIndex());
    // With no item chosen (the record's kind has no protocols) the station
    // type stays as it was.
    if (const int kind = StationKind(); kind > 0)
        r.StationType = std::uint32_t(kind - 1);
    if (lineType_->checkedId() >= 0)
        r.LineType = std::uint32_t(lineType_->checkedId());
    r.AnswerBack.setText(answerBack_->text().left(20));
    r.TlgHeader.setText(header_->text().left(100));

    std::array<QString, PathCount> paths;
    for (int i = 0; i < PathCount; ++i)
        paths[std::size_t(i)] = paths_[std::size_t(i)]->text().left(PathLimit);
    r.TransmDir.setText(paths[0]);
    r.ReceiveDir.setText(paths[1]);
    r.TransmJrnFile.setText(paths[2]);
    r.ReceiveJrnFile.setText(paths[3]);
    r.TransmCommonFile.setText(paths[4]);
    r.ReceiveCommonFile.setText(paths[5]);

    r.Modes = 0;
    for (int i = 0; i < ModeCount; ++i)
        if (modes_[std::size_t(i)]->isChecked())
            r.Modes |= 1u << i;
    r.CtxModes = 0;
    for (int i = 0; i < CtxModeCount; ++i)
        if (ctxModes_[std::size_t(i)]->isChecked())
            r.CtxModes |= 1u << i;

    sounds_->StoreSounds(r.Sounds);
}

int TMultPageDlg::Execute(const std::function<int(TMultPageDlg&)>& show)
{
    setWindowTitle(windowTitle() + QLatin1Char(' ') + QString::number(FChannel));
    return show ? show(*this) : exec();
}

void TMultPageDlg::AdapterTypeChange()
{
    const bool off = adapter_->currentIndex() == 0;
    for (int i = 1; i < pages_->count(); ++i)
        pages_->widget(i)->setEnabled(!off);
    if (!off)
        ctxGroup_->setEnabled(adapter_->currentText() == QStringLiteral("TARVELOX-01"));
}

void TMultPageDlg::OptionsPageControlChange(int index)
{
    StorePendingEdits();
    shownPage_ = index;
    helpContext_ = PageHelpTopics[std::size_t(index)];
    if (pages_->tabText(index) == QStringLiteral("Элементы"))
        FillElementsPage();
    else if (editor_->FElementsShown)
        editor_->Clear();
}

void TMultPageDlg::FillElementsPage()
{
    TProtocolRec* protocol = nullptr;
    const int kind = StationKind();
    if (FSet && kind > 0 && !FSet->Protocols[std::size_t(kind - 1)].empty())
        protocol = &FSet->Protocols[std::size_t(kind - 1)].front();
    editor_->Fill(protocol, FSet ? FSet->Registry.get() : nullptr, station_->currentText());
}

void TMultPageDlg::StorePendingEdits()
{
    // A value or a name typed and confirmed with Enter has not lost the
    // focus yet: it is taken all the same.
    if (editor_->ValueTblComboBox()->hasFocus())
        editor_->ValueTblComboBoxExit();
    sounds_->StoreSoundName();
}

bool TMultPageDlg::FormCloseQuery()
{
    const int item = adapter_->currentIndex();
    if (item == 0 || std::uint32_t(item) == FLoadedAdapterType
        || !modes_[std::size_t(11)]->isChecked())
        return true;
    const QString channel = QString::number(FChannel);
    switch (env_.Adapter->Check(FChannel, item == TarveloxItem)) {
    case AdapterPresence::Present:
        return true;
    case AdapterPresence::PortNotOpened:
        ShowMessage(*env_.Box, QStringLiteral("Не могу открыть COM-порт: ") + channel + QStringLiteral("-й канал"),
                    MessageIcon::Error, MessageButtons::Ok);
        return false;
    case AdapterPresence::Missing:
        ShowMessage(*env_.Box,
                    QStringLiteral("АВАРИЯ ") + channel + QStringLiteral("-й канал\rОтсутствует устройство TELEX"),
                    MessageIcon::Error, MessageButtons::Ok);
        return false;
    }
    return false;
}

void TMultPageDlg::accept()
{
    StorePendingEdits();
    for (int i = 0; i < PathCount; ++i)
        if (!PathFits(i, paths_[std::size_t(i)]->text())) {
            pages_->setCurrentIndex(PathsPage);
            paths_[std::size_t(i)]->setFocus();
            return;
        }
    if (FormCloseQuery())
        QDialog::accept();
}

bool TMultPageDlg::PathFits(int i, const QString& path)
{
    if (path.size() <= PathLimit)
        return true;
    ShowMessage(*env_.Box,
                QStringLiteral("Поле \"%1\" вмещает не более %2 символов, а путь занимает %3:\r%4")
                    .arg(PathCaption(i))
                    .arg(PathLimit)
                    .arg(path.size())
                    .arg(path),
                MessageIcon::Error, MessageButtons::Ok);
    return false;
}

void TMultPageDlg::IPBitBtnClick()
{
    const QString dir = env_.Files->ChooseFolder(this, QStringLiteral("Выберите папку для исходящих телеграмм: "));
    if (!dir.isEmpty() && PathFits(0, dir))
        paths_[0]->setText(dir);
}

void TMultPageDlg::BitBtn1Click()
{
    const QString dir = env_.Files->ChooseFolder(this, QStringLiteral("Выберите папку для входящих телеграмм: "));
    if (!dir.isEmpty() && PathFits(1, dir))
        paths_[1]->setText(dir);
}

void TMultPageDlg::SelectLogFile(QLineEdit* edit)
{
    const QString text = edit->text();
    const qsizetype cut = std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
    const QString folder = cut >= 0 ? PathMapper(env_.AppDir).toNative(text.left(cut)) : QString();
    const QString file = env_.Files->OpenFile(this, folder,
                                              QStringLiteral("Файл протокола (*.ptc)|*.ptc|Все файлы (*.*)|*.*"),
                                              QStringLiteral("PTC"));
    const auto at = std::find(paths_.begin(), paths_.end(), edit);
    if (!file.isEmpty() && (at == paths_.end() || PathFits(int(at - paths_.begin()), file)))
        edit->setText(file);
}

} // namespace korvane
