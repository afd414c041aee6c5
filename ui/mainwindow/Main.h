// The MDI main window, TMainForm, and what the program entry gives it.
#pragma once

#include "engine/TxScanner.h"
#include "support/LogFile.h"
#include "support/Profiler.h"
#include "ui/program/LateServices.h"
#include "ui/mainwindow/MainActions.h"
#include "ui/telegrams/txBadNumbers.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace korvane {

class Clock;
class JournalNotifier;
class MessageBox;
class StatusPanels;
class SystemBeep;
class TBadNumbersForm;
class TCommPort;
class TEditForm;
class TProtocol;
class TTxChannelWindow;
class TunePlayer;
class TViewJrnForm;
class WavePlayer;
class EditCommands;
class FileCommands;
class TFileViewForm;
class TTxDataModule;
class LineCommands;
class SettingsCommands;
class HelpCommands;
class TelegramCommands;
class WindowsMenu;
struct EditorEnvironment;
namespace serial {
class SerialPortMap;
}

// What the main window is given by the program entry (or a test).
struct MainFormEnvironment {
    MessageBox* Box = nullptr;        // the program's boxes; required
    MessageBox* ChannelBox = nullptr; // the channel windows' boxes; null: self-closing ones
    SystemBeep* Beep = nullptr;       // required
    const Clock* Time = nullptr;      // null: the system clock
    TickTimerFactory* Timers = nullptr;      // null: the program's timers
    serial::SerialPortMap* PortMap = nullptr; // null: the process-wide map
    // The program folder; empty: the folder of the program file.
    QString ProgramFolder;
    // The number of wave output devices (the driver modes' sound-card mode).
    std::function<int()> WaveDevices;
    // The sound players of the scanner (null: its sound requests wait).
    WavePlayer* Waves = nullptr;
    TunePlayer* Tunes = nullptr;
};

// The main window: the MDI frame of the channel windows, editors and
// journal views. Its creation is the program's start-up (the log, the
// program folder, the geometry, the port probe, the processor clock, the
// settings store, the driver modes, the channels); it owns the one
// operation that restarts all channels, the one-second clock, and the
// shut-down through "Выход".
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int HelpContext = 10;
    static constexpr int MinWidth = 600;
    static constexpr int MinHeight = 456;
    static inline const QString ProgramVersion = QStringLiteral("2.1");

    // FormCreate.
    explicit TMainForm(MainFormEnvironment env, QWidget* parent = nullptr);
    // FormDestroy.
    ~TMainForm() override;

    // The services created after this window (the program's order): the
    // subscriber directory, the automatic printing and the number lists
    // view. The running and every later scanner use them.
    void SetSubscriberLookup(SubscriberLookup* lookup) { lookup_.SetTarget(lookup); }
    void SetTelegramPrinter(TelegramPrinter* printer) { printer_.SetTarget(printer); }
    // The folder browser's refresh, which every scanner calls after writing,
    // renaming or printing a file (empty: no browser).
    void SetFolderRefresh(std::function<void(const QString&)> refresh) { refreshFolder_ = std::move(refresh); }
    // Its Help button asks for the note of its topic.
    void SetBadNumbersForm(TBadNumbersForm* form);
    void SetFileViewForm(TFileViewForm* browser);
    void SetDataModule(TTxDataModule* module);
    // The journal-changed notices of the engine.
    JournalNotifier& Journals() { return *journals_; }

    // Start-up and restart.
    std::uint8_t DetectComPorts();
    void RestartChannels();
    void BuildTelegramMenus(bool create);
    void ShowChannelWindow(int channel);
    // The idle work: start-up lines, "Нет активных каналов!", the channel windows.
    void AppIdle();
    void ClockTimerTimer();
    // The notices of the two window messages.
    void WMJournalChanged(int channel, int kind);
    void WMRestoreApp();

    // The windows tiled as "Мозаика &Горизонтально": each child as wide as
    // the area, stacked from the top, sharing the height.
    void TileHorizontally();
    void TileVertically();

    // "&Драйвер..." of "&Режимы".
    void DriverMenuClick();
    // Stops the channels: the scanner goes with its drivers and ports.
    void FreeScanner();

    // Shut-down.
    void ExitActionExecute();
    bool ConfirmExit();
    // Every open telegram editor closed, each after its own question about
    // unsaved changes; false when the operator keeps one open.
    bool CloseEditors();
    void ShutdownChannels();

    // Per-channel telegram commands.
    void CreateTelegram(int channel);
    void ShowTransmitJournal(int channel);
    void ShowReceiveJournal(int channel);
    void ShowTransmittedTelegrams(int channel);
    void ShowReceivedTelegrams(int channel);

    TProtocol& Protocol() const { return *Protocol_; }
    MessageBox& Box() const { return *env_.Box; }
    const std::function<int()>& WaveDevices() const { return env_.WaveDevices; }
    WavePlayer* Waves() const { return env_.Waves; }
    TunePlayer* Tunes() const { return env_.Tunes; }
    TBadNumbersForm* BadNumbersForm() const { return BadNumbersForm_; }
    // A channel whose adapter is on and which has a driver.
    bool ChannelActive(int channel) const;
    // Child added to the MDI area, freed when its frame closes.
    QMdiSubWindow* AddMdiChild(QWidget* child);
    // What a telegram editor opened by the main window gets.
    EditorEnvironment EditorEnvironmentFor() const;
    const TMainActions& Actions() const { return actions_; }
    TelegramCommands& Telegrams() const { return *telegrams_; }
    FileCommands& Files() const { return *files_; }
    WindowsMenu& Windows() const { return *windows_; }
    SettingsCommands& Settings() const { return *settings_; }
    HelpCommands& Help() const { return *help_; }
    bool Closing() const { return Closing_.load(); }
    const std::atomic<bool>& ClosingFlag() const { return Closing_; }
    int CurrentChannel() const { return CurrentChannel_; }
    void SetCurrentChannel(int channel) { CurrentChannel_ = static_cast<std::uint16_t>(channel); }
    bool OpenWindowsPending() const { return OpenWindowsPending_; }
    void SetOpenWindowsPending() { OpenWindowsPending_ = true; ScheduleIdle(); }
    int NoActiveChannels() const { return NoActiveChannels_; }
    TTxScanner* ScannerObject() const { return scanner_.get(); }
    const Profiler& Prof() const { return profiler_; }

    // Controls, for tests and screenshots.
    QMdiArea* MdiArea() const { return mdi_; }
    StatusPanels* MainStatusBar() const { return statusBar_; }
    QMenu* ChannelsMenu() const { return channelsMenu_; }      // "&Каналы" of "&Режимы"
    QMenu* ControlDialogMenu() const;                          // "&Контроль/Диалог..."
    QMenu* TelegramMenu() const { return telegramMenu_; }      // "Телегра&мма"
    QMenu* FileMenu() const { return fileMenu_; }              // "&Файл"
    QMenu* WindowsMenuBar() const { return windowsMenu_; }     // "&Окна"
    QMenu* ModesMenu() const { return modesMenu_; }            // "&Режимы"
    QMenu* HelpMenu() const { return helpMenu_; }              // "&Помощь"
    QAction* ExitAction() const { return actions_.ExitAction; }
    QAction* CallAction() const { return actions_.CallAction1; }
    QAction* AskAction() const { return actions_.AskAction1; }
    QAction* AnswerAction() const { return actions_.AnswerAction1; }
    QAction* DisconnectAction() const { return actions_.DisconAction1; }
    QAction* ManualAction() const { return actions_.ManualAction; }
    QAction* RestartProtocolAction() const { return actions_.RestartProtocolAction; }
    QAction* TileHorizontalAction() const { return actions_.WindowTileHorizontal1; }
    // The channel window of Channel among the MDI children, or null.
    TTxChannelWindow* ChannelWindowOf(int channel) const;
    TTxChannelWindow* ActiveChannelWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void BuildMenus();
    void BuildStatusBar();
    void ReadGeometry();
    void WriteIniAtExit();
    void ScheduleIdle();
    void Log(const QString& line) const;
    void ChildActivated(QMdiSubWindow* window);
    void MergeChildMenus(QWidget* child);
    void UpdateLineActions();
    void OnChannelWindowClosing(TTxChannelWindow* window);
    void SoundOff();
    // Waits with the message loop running until Done holds or Steps waits of
    // 50 ms have passed (at least one).
    void WaitSteps(const std::function<bool()>& done, int steps);

    MainFormEnvironment env_;
    std::unique_ptr<QtTickTimerFactory> ownTimers_;
    std::unique_ptr<TLogFile> log_;
    std::unique_ptr<TProtocol> Protocol_;
    std::unique_ptr<TCommPort> PortProbe_;
    std::unique_ptr<JournalNotifier> journals_;
    Profiler profiler_;
    LateSubscriberLookup lookup_;
    LateTelegramPrinter printer_;
    std::function<void(const QString&)> refreshFolder_;
    std::unique_ptr<TTxScanner> scanner_;
    QPointer<TBadNumbersForm> BadNumbersForm_;

    std::atomic<bool> Closing_{false};
    std::uint16_t CurrentChannel_ = 0;
    bool OpenWindowsPending_ = false;
    int NoActiveChannels_ = 0;
    bool idleScheduled_ = false;

    QMdiArea* mdi_ = nullptr;
    StatusPanels* statusBar_ = nullptr;
    QTimer* clockTimer_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* telegramMenu_ = nullptr;
    QMenu* windowsMenu_ = nullptr;
    QMenu* modesMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QMenu* channelsMenu_ = nullptr;
    TMainActions actions_;
    LineCommands* lines_ = nullptr;
    EditCommands* edits_ = nullptr;
    TelegramCommands* telegrams_ = nullptr;
    FileCommands* files_ = nullptr;
    WindowsMenu* windows_ = nullptr;
    SettingsCommands* settings_ = nullptr;
    HelpCommands* help_ = nullptr;
    // The menus of the active child that stand in for the main window's;
    // null once the child (which owns them) is gone.
    QList<QPointer<QAction>> mergedMenus_;
};

} // namespace korvane
