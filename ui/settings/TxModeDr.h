// The driver modes dialog, "Режимы драйвера".
#pragma once

#include "protocols/DriverModes.h"
#include "ui/settings/DriverModesFiles.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTimeEdit;

namespace korvane {

class MessageBox;

// "Режимы драйвера": the program-wide driver modes of section "COMMON" of
// KORVANE2.INI and the bad-calls tables of DC2.PRO, on three pages. Creating
// the dialog loads both files into its own record (FModes); OK collects the
// grid, writes the INI keys and then DC2.PRO, and closes only when all of
// that succeeded. The caller applies Modes() after OK; other ways of closing
// store nothing. (The program's start-up uses DriverModesFiles::LoadDriverModes,
// the same loading without a window.)
class TDriverModeDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int GridColumns = 10;
    static constexpr int GridRows = 6;
    // Help topics of the pages, in page order.
    static constexpr std::array<int, 3> PageHelpTopics = {50, 55, 0};

    TDriverModeDlg(QString appDir, MessageBox& box, QWidget* parent = nullptr,
                   std::function<int()> waveDevices = DriverModesFiles::WaveOutputDeviceCount);
    ~TDriverModeDlg() override;

    // The dialog's record: as loaded, and after OK as stored.
    const TDriverModes& Modes() const { return *FModes; }

    // Load: the files into the record and the controls. Store: the controls
    // into the record and the files. 0 success, 1 DC2.PRO could be neither
    // opened nor created, 2 writing DC2.PRO failed.
    int LoadSaveModes(bool load);
    // The editable grid cells into both tables; false when a cell held no
    // valid number (it becomes 1 and is remembered in BadCol/BadRow).
    bool CollectBadCallsTable();
    // The grid's key filter: Backspace and the digits pass.
    static bool BadCallsTableKeyPress(QChar key);

    int BadCol() const { return FBadCol; }
    int BadRow() const { return FBadRow; }
    int HelpContext() const { return helpContext_; }

    // Controls, for the main window's tests and screenshots.
    QTabWidget* Pages() const { return pages_; }
    QTableWidget* BadCallsTable() const { return grid_; }
    QCheckBox* DriverBox(int bit) const { return driverBoxes_[bit]; }
    QSpinBox* ScanPeriodEdit() const { return scanPeriod_; }
    QSpinBox* MsgDelayEdit() const { return msgDelay_; }
    QGroupBox* SoundGroup() const { return soundGroup_; }
    QButtonGroup* SoundButtons() const { return soundButtons_; }
    QButtonGroup* PrintButtons() const { return printButtons_; }
    QGroupBox* DosPrintGroup() const { return dosGroup_; }
    QSpinBox* CopyCountEdit() const { return copyCount_; }
    QSpinBox* LeftMarginEdit() const { return leftMargin_; }
    QLineEdit* InitPrinterEdit() const { return initPrinter_; }
    QTimeEdit* BeginTimeEdit() const { return beginTime_; }
    QTimeEdit* EndTimeEdit() const { return endTime_; }
    QCheckBox* ExitConfirmationBox() const { return exitConfirmation_; }
    QCheckBox* ShowDialogModeBox() const { return showDialogMode_; }
    QCheckBox* TlxLogModeBox() const { return tlxLogMode_; }
    QCheckBox* PreciseTimerBox() const { return preciseTimer_; }

public slots:
    // OK: the check of closing (FormCloseQuery) before the dialog closes.
    void accept() override;

signals:
    // The Help button: the help topic of the page in front.
    void HelpRequested(int topic);

private:
    void BuildMainPage(QWidget* page);
    void BuildPrintPage(QWidget* page);
    void BuildSettingsPage(QWidget* page);
    void FillGrid();
    void DosWinRadioGroupClick();
    void DriverPageControlChange(int index);
    void SetControls();
    void TakeControls();
    QString IniPath() const;
    QString TablesPath() const;

    QString appDir_;
    MessageBox& box_;
    std::function<int()> waveDevices_;
    std::unique_ptr<TDriverModes> FModes;
    int FBadCol = 0;
    int FBadRow = 0;
    int helpContext_ = PageHelpTopics[0];

    QTabWidget* pages_ = nullptr;
    std::array<QCheckBox*, 6> driverBoxes_{};
    QSpinBox* scanPeriod_ = nullptr;
    QSpinBox* msgDelay_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QGroupBox* soundGroup_ = nullptr;
    QButtonGroup* soundButtons_ = nullptr;
    QButtonGroup* printButtons_ = nullptr;
    QSpinBox* copyCount_ = nullptr;
    QTimeEdit* beginTime_ = nullptr;
    QTimeEdit* endTime_ = nullptr;
    QGroupBox* dosGroup_ = nullptr;
    QSpinBox* leftMargin_ = nullptr;
    QLineEdit* initPrinter_ = nullptr;
    QCheckBox* exitConfirmation_ = nullptr;
    QCheckBox* showDialogMode_ = nullptr;
    QCheckBox* tlxLogMode_ = nullptr;
    QCheckBox* preciseTimer_ = nullptr;
};

} // namespace korvane
