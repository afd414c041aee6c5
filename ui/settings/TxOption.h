#pragma once

// "Настройки канала N": one channel's settings record inside a private copy
// of the protocol set, with the parameter values of that copy's protocols
// (page "Элементы") and the channel's sound events (page "Звук").
//
// The caller owns the set copy. It sets FChannel and FSet, then calls
// LoadChannelOptions, Execute and SaveChannelOptions (the last whatever
// Execute gave); after OK it checks the set (CheckProtocols) and writes it.
// EditChannelOptions and SetChannelAnswerBack (ui/settings/ChannelOptionsCommands.h)
// do exactly that for the main window.

#include "ui/settings/SoundEventsPage.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QTabWidget;

namespace korvane {

class AdapterPresenceTest;
class FileChooser;
class MessageBox;
class TProtocolEditorPage;
class TunePlayer;
class WavePlayer;
struct TProtocolSet;

struct ChannelOptionsEnvironment {
    MessageBox* Box = nullptr;               // required
    AdapterPresenceTest* Adapter = nullptr;  // null: the real test on the COM port
    FileChooser* Files = nullptr;            // null: the Qt file dialogs
    WavePlayer* Waves = nullptr;             // test play; null: silent
    TunePlayer* Tunes = nullptr;
    QString AppDir;                          // empty: the program folder (AppDir)
};

class TMultPageDlg : public QDialog {
    Q_OBJECT

public:
    enum Page { MainPage, ModesPage, ElementsPage, PathsPage, SoundPage };
    static constexpr int DialogHelpTopic = 40;
    // Help topics of the pages, in page order.
    static constexpr std::array<int, 5> PageHelpTopics = {43, 45, 47, 49, 42};
    static constexpr int ModeCount = 12;
    static constexpr int CtxModeCount = 5;
    static constexpr int PathCount = 6;
    static constexpr qsizetype PathLimit = 79;

    explicit TMultPageDlg(ChannelOptionsEnvironment env, QWidget* parent = nullptr);
    ~TMultPageDlg() override;

    TProtocolSet* FSet = nullptr; // not owned
    std::uint8_t FChannel = 1;    // 1..8
    std::uint32_t FLoadedAdapterType = 0;

    // Record of channel FChannel of FSet into the controls, and back.
    void LoadChannelOptions();
    void SaveChannelOptions();
    // Appends " " and FChannel to the caption, then runs the dialog modally
    // (exec(), or Show when given: a test operates the dialog); the modal
    // result.
    int Execute(const std::function<int(TMultPageDlg&)>& show = {});

    void AdapterTypeChange();
    // The key filter of the answerback and header edits lives in
    // ui/AnswerBackFilter; the folder and file choosers:
    void IPBitBtnClick();
    void BitBtn1Click();
    void SelectLogFile(QLineEdit* edit);
    // Whether Path fits path field I (PathLimit characters, the capacity of
    // the record's field); a path that does not is refused with a message
    // naming the field, never cut.
    bool PathFits(int i, const QString& path);

    int HelpContext() const { return helpContext_; }

    // Controls, for the tests and the screenshots. Paths in the order
    // transmit folder, receive folder, transmit journal, receive journal,
    // common transmit file, common receive file.
    QTabWidget* OptionsPageControl() const { return pages_; }
    QComboBox* AdapterType() const { return adapter_; }
    QComboBox* StationTypeList() const { return station_; }
    QLineEdit* AnswerBack() const { return answerBack_; }
    QButtonGroup* LineType() const { return lineType_; }
    QLineEdit* TlgHeader() const { return header_; }
    QCheckBox* ModeBox(int bit) const { return modes_[std::size_t(bit)]; }
    QCheckBox* CtxModeBox(int bit) const { return ctxModes_[std::size_t(bit)]; }
    QGroupBox* CtxModesGroup() const { return ctxGroup_; }
    QLineEdit* PathEdit(int i) const { return paths_[std::size_t(i)]; }
    QWidget* PathButton(int i) const { return pathButtons_[std::size_t(i)]; }
    TProtocolEditorPage* ElementsEditor() const { return editor_; }
    TSoundEventsPage* SoundEvents() const { return sounds_; }

public slots:
    // OK: the adapter check (FormCloseQuery) before the dialog closes.
    void accept() override;

signals:
    // The Help button: the help topic of the page in front.
    void HelpRequested(int topic);

private:
    QWidget* BuildMainPage();
    QWidget* BuildModesPage();
    QWidget* BuildPathsPage();
    bool FormCloseQuery();
    void OptionsPageControlChange(int index);
    void FillElementsPage();
    void StorePendingEdits();
    int StationKind() const;

    ChannelOptionsEnvironment env_;
    std::unique_ptr<AdapterPresenceTest> ownAdapter_;
    std::unique_ptr<FileChooser> ownFiles_;
    int helpContext_ = DialogHelpTopic;
    int shownPage_ = MainPage;
    bool guarding_ = false;

    QTabWidget* pages_ = nullptr;
    QComboBox* adapter_ = nullptr;
    QComboBox* station_ = nullptr;
    QLineEdit* answerBack_ = nullptr;
    QButtonGroup* lineType_ = nullptr;
    QLineEdit* header_ = nullptr;
    std::array<QCheckBox*, ModeCount> modes_{};
    std::array<QCheckBox*, CtxModeCount> ctxModes_{};
    QGroupBox* ctxGroup_ = nullptr;
    std::array<QLineEdit*, PathCount> paths_{};
    std::array<QWidget*, PathCount> pathButtons_{};
    TProtocolEditorPage* editor_ = nullptr;
    TSoundEventsPage* sounds_ = nullptr;
};

} // namespace korvane
