#pragma once

// Page "Звук" of the channel options dialog: the channel's ten sound
// events, whether each sounds and what it plays. The page shows and edits
// the wave file names in sound-card mode and the speaker melodies otherwise
// (GlobalModes.SoundCardMode, read each time it matters); test play goes
// through the program's wave and tune players.

#include "protocols/ChannelOptions.h"

#include <QIcon>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvane {

class FileChooser;
class TunePlayer;
class WavePlayer;

class TSoundEventsPage : public QWidget {
    Q_OBJECT

public:
    struct Environment {
        WavePlayer* Waves = nullptr;  // null: test play of a wave plays nothing
        TunePlayer* Tunes = nullptr;  // null: test play of a melody plays nothing
        FileChooser* Files = nullptr; // required for "Обзор..."
        QString AppDir;               // the program folder, with a trailing separator
    };

    // What a tree node carries.
    struct NodeRecord {
        std::uint8_t Enabled = 1;
        QString Melody;
        QString WavFile;
    };

    explicit TSoundEventsPage(Environment env, QWidget* parent = nullptr);

    // Builds the root "Прием-передача" and the ten events from the default
    // entries, all on; the root is selected.
    void FillSoundTree();
    void ClearSoundTree();
    // The ten entries into the nodes, and back; storing switches off an
    // entry whose name for the current output mode is empty.
    void LoadSounds(const std::array<TSoundEntry, TChannelOptions::kSoundCount>& sounds);
    void StoreSounds(std::array<TSoundEntry, TChannelOptions::kSoundCount>& sounds) const;

    void StoreSoundName();
    void SoundTreeViewDblClick();
    void SoundChkActionExecute();
    void SndFindFileActionExecute();
    // The action states (play, browse, the name box and its label).
    void UpdateActions();

    bool FSoundNameChanged = false;

    // The record of node Index (0 the root, 1..10 the events).
    const NodeRecord& Record(int index) const { return records_[std::size_t(index)]; }
    // Whether node Index shows the "on" image.
    bool ShowsOn(int index) const;

    QTreeWidget* SoundTreeView() const { return tree_; }
    QComboBox* NameComboBox() const { return name_; }
    QLabel* SoundLabel() const { return label_; }
    QAction* SoundChkAction() const { return play_; }
    QAction* SndFindFileAction() const { return browse_; }
    QToolButton* PlaySpeedButton() const { return playButton_; }
    QToolButton* ExploreButton() const { return browseButton_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SoundTreeViewChange();
    int SelectedIndex() const;
    QTreeWidgetItem* Node(int index) const;
    void ShowImage(int index);
    QString SoundDir() const;

    Environment env_;
    std::vector<NodeRecord> records_;
    int shown_ = -1; // the node whose name the box shows
    QIcon on_;
    QIcon off_;
    QTreeWidget* tree_ = nullptr;
    QComboBox* name_ = nullptr;
    QLabel* label_ = nullptr;
    QAction* play_ = nullptr;
    QAction* browse_ = nullptr;
    QToolButton* playButton_ = nullptr;
    QToolButton* browseButton_ = nullptr;
};

} // namespace korvane
