// Page "Звук" of the channel options dialog: the channel's sound events.
#include "ui/settings/SoundEventsPage.h"

#include "engine/TxSoundWork.h"
#include "platform/WavePlayer.h"
#include "protocols/DefaultProtocols.h"
#include "protocols/DriverModes.h"
#include "support/Tunes.h"
#include "ui/toolkit/FileChooser.h"
#include "widgets/LayoutScale.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

constexpr int IndexRole = Qt::UserRole;
constexpr qsizetype NameLimit = 255;

QIcon Lamp(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    return QIcon(pixmap);
}

bool SoundCard()
{
    return GlobalModes.SoundCardMode != 0;
}

} // namespace

TSoundEventsPage::TSoundEventsPage(Environment env, QWidget* parent)
    : QWidget(parent)
    , env_(std::move(env))
    , on_(Lamp(QColor(0, 176, 0)))
    , off_(Lamp(QColor(176, 176, 176)))
{
    const LayoutScale scale(this);
    auto* group = new QGroupBox(QStringLiteral("Озвучивание событий"));
    tree_ = new QTreeWidget;
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setMinimumSize(scale.Size(260, 200));
    tree_->setExpandsOnDoubleClick(false);
    tree_->setItemsExpandable(false);

    label_ = new QLabel(SoundCard() ? QStringLiteral("Имя") : QStringLiteral("Условная запись мелодии"));
    name_ = new QComboBox;
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->setMinimumWidth(scale.X(260));
    name_->installEventFilter(this);
    label_->setBuddy(name_);

    play_ = new QAction(style()->standardIcon(QStyle::SP_MediaPlay), QString(), this);
    play_->setObjectName(QStringLiteral("SoundChkAction"));
    browse_ = new QAction(QStringLiteral("Обзор..."), this);
    browse_->setObjectName(QStringLiteral("SndFindFileAction"));
    browse_->setIconText(browse_->text()); // a button keeps the dots of its caption
    playButton_ = new QToolButton;
    playButton_->setDefaultAction(play_);
    browseButton_ = new QToolButton;
    browseButton_->setDefaultAction(browse_);
    browseButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    browseButton_->setMinimumWidth(scale.X(75));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(name_, 1);
    nameRow->addWidget(playButton_);
    nameRow->addWidget(browseButton_);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(tree_, 1);
    groupLayout->addWidget(label_);
    groupLayout->addLayout(nameRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
        StoreSoundName(); // into the node that was selected
        SoundTreeViewChange();
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { SoundTreeViewDblClick(); });
    connect(name_->lineEdit(), &QLineEdit::textEdited, this, [this] { FSoundNameChanged = true; });
    connect(play_, &QAction::triggered, this, &TSoundEventsPage::SoundChkActionExecute);
    connect(browse_, &QAction::triggered, this, &TSoundEventsPage::SndFindFileActionExecute);
}

void TSoundEventsPage::ClearSoundTree()
{
    shown_ = -1;
    // Last node first, so that no selection moves through the nodes.
    tree_->blockSignals(true);
    while (QTreeWidgetItem* root = tree_->topLevelItem(tree_->topLevelItemCount() - 1)) {
        while (root->childCount() > 0)
            delete root->takeChild(root->childCount() - 1);
        delete tree_->takeTopLevelItem(tree_->topLevelItemCount() - 1);
    }
    tree_->blockSignals(false);
    records_.clear();
}

void TSoundEventsPage::FillSoundTree()
{
    ClearSoundTree();
    records_.push_back(NodeRecord{});
    auto* root = new QTreeWidgetItem(tree_, {QStringLiteral("Прием-передача")});
    root->setData(0, IndexRole, 0);
    const auto& defaults = DefaultSoundEntry();
    for (int i = 1; i <= TChannelOptions::kSoundCount; ++i) {
        const TSoundEntry& d = defaults[std::size_t(i - 1)];
        records_.push_back(NodeRecord{1, d.Melody.text(), d.WavFile.text()});
        auto* node = new QTreeWidgetItem(root, {SoundEventNames()[std::size_t(i - 1)]});
        node->setData(0, IndexRole, i);
    }
    for (int i = 0; i <= TChannelOptions::kSoundCount; ++i)
        ShowImage(i);
    tree_->expandAll();
    tree_->setCurrentItem(root);
    SoundTreeViewChange();
}

QTreeWidgetItem* TSoundEventsPage::Node(int index) const
{
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (!root)
        return nullptr;
    return index == 0 ? root : root->child(index - 1);
}

int TSoundEventsPage::SelectedIndex() const
{
    const QTreeWidgetItem* item = tree_->currentItem();
    return item ? item->data(0, IndexRole).toInt() : -1;
}

bool TSoundEventsPage::ShowsOn(int index) const
{
    const QTreeWidgetItem* node = Node(index);
    return node && node->icon(0).cacheKey() == on_.cacheKey();
}

void TSoundEventsPage::ShowImage(int index)
{
    if (QTreeWidgetItem* node = Node(index))
        node->setIcon(0, records_[std::size_t(index)].Enabled ? on_ : off_);
}

void TSoundEventsPage::LoadSounds(const std::array<TSoundEntry, TChannelOptions::kSoundCount>& sounds)
{
    for (int i = 1; i <= TChannelOptions::kSoundCount && std::size_t(i) < records_.size(); ++i) {
        const TSoundEntry& e = sounds[std::size_t(i - 1)];
        records_[std::size_t(i)] = NodeRecord{e.Enabled, e.Melody.text(), e.WavFile.text()};
        ShowImage(i);
    }
    SoundTreeViewChange();
}

void TSoundEventsPage::StoreSounds(std::array<TSoundEntry, TChannelOptions::kSoundCount>& sounds) const
{
    const bool card = SoundCard();
    for (int i = 1; i <= TChannelOptions::kSoundCount && std::size_t(i) < records_.size(); ++i) {
        const NodeRecord& r = records_[std::size_t(i)];
        TSoundEntry& e = sounds[std::size_t(i - 1)];
        e.Enabled = r.Enabled;
        e.Melody.setText(r.Melody);
        e.WavFile.setText(r.WavFile);
        if (e.Enabled && (card ? e.WavFile.text() : e.Melody.text()).isEmpty())
            e.Enabled = 0;
    }
}

void TSoundEventsPage::SoundTreeViewChange()
{
    shown_ = SelectedIndex();
    if (shown_ >= 0) {
        const NodeRecord& r = records_[std::size_t(shown_)];
        name_->setEditText(SoundCard() ? r.WavFile : r.Melody);
    }
    UpdateActions();
}

void TSoundEventsPage::StoreSoundName()
{
    if (!FSoundNameChanged)
        return;
    FSoundNameChanged = false;
    if (shown_ < 0 || std::size_t(shown_) >= records_.size())
        return;
    NodeRecord& r = records_[std::size_t(shown_)];
    (SoundCard() ? r.WavFile : r.Melody) = name_->currentText().left(NameLimit);
}

void TSoundEventsPage::SoundTreeViewDblClick()
{
    const int index = SelectedIndex();
    if (index < 0)
        return;
    std::uint8_t& enabled = records_[std::size_t(index)].Enabled;
    enabled = enabled ? 0 : 1;
    ShowImage(index);
    UpdateActions();
}

void TSoundEventsPage::UpdateActions()
{
    const int index = SelectedIndex();
    const bool on = index >= 0 && records_[std::size_t(index)].Enabled;
    play_->setEnabled(on);
    label_->setEnabled(on);
    name_->setEnabled(on);
    browse_->setEnabled(on && SoundCard());
}

QString TSoundEventsPage::SoundDir() const
{
    return env_.AppDir + QStringLiteral("wavs");
}

void TSoundEventsPage::SoundChkActionExecute()
{
    const QString text = name_->currentText();
    if (SoundCard()) {
        if (env_.Waves)
            env_.Waves->play(SoundWaveFilePath(text, SoundDir(), env_.AppDir), false);
    } else if (env_.Tunes) {
        env_.Tunes->PlayTune(text, false);
    }
}

void TSoundEventsPage::SndFindFileActionExecute()
{
    const int index = SelectedIndex();
    if (!env_.Files || index < 0)
        return;
    const QString start = SoundDir();
    const QString chosen = env_.Files->OpenFile(this, start, QStringLiteral("Wav files (*.wav)|*.WAV"), QString());
    if (chosen.isEmpty())
        return;
    const QFileInfo file(chosen);
    const QString stored = (file.absolutePath() == QFileInfo(start).absoluteFilePath() ? file.fileName() : chosen)
                               .left(NameLimit);
    records_[std::size_t(index)].WavFile = stored;
    name_->setEditText(stored);
    FSoundNameChanged = false;
}

bool TSoundEventsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == name_ && event->type() == QEvent::FocusOut)
        StoreSoundName();
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
