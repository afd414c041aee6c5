#pragma once

#include "engine/SubscriberLookup.h"
#include "engine/TelegramPrinter.h"
#include "engine/TxScanner.h"
#include "support/LogFile.h"
#include "support/Profiler.h"
#include "ui/txBadNumbers.h"

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
    void SetSubscriberLookup(SubscriberLookup* lookup) { lookup_.Target = lookup; }
    void SetTelegramPrinter(TelegramPrinter* printer) { printer_.Target = printer; }
    // The folder browser's refresh, which every scanner calls after writing,
    // renaming or printing a file (empty: no browser).
    void SetFolderRefresh(std::function<void(const QString&)> refresh) { refreshFolder_ = std::move(refresh); }
    void SetBadNumbersForm(TBadNumbersForm* form) { BadNumbersForm_ = form; }
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

    // Shut-down.
    void ExitActionExecute();
    bool ConfirmExit();
    void ShutdownChannels();

    // Per-channel telegram commands.
    void CreateTelegram(int channel);
    void ShowTransmitJournal(int channel);
    void ShowReceiveJournal(int channel);

    TProtocol& Protocol() const { return *Protocol_; }
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
    QMenu* ControlDialogMenu() const { return controlMenu_; }  // "&Контроль/Диалог..."
    QMenu* TelegramMenu() const { return telegramMenu_; }      // "Телегра&мма"
    QAction* ExitAction() const { return exitAction_; }
    QAction* CallAction() const { return callAction_; }
    QAction* AskAction() const { return askAction_; }
    QAction* AnswerAction() const { return answerAction_; }
    QAction* DisconnectAction() const { return disconAction_; }
    QAction* ManualAction() const { return manualAction_; }
    QAction* RestartProtocolAction() const { return restartAction_; }
    QAction* TileHorizontalAction() const { return tileHorizontalAction_; }
    // The channel window of Channel among the MDI children, or null.
    TTxChannelWindow* ChannelWindowOf(int channel) const;
    TTxChannelWindow* ActiveChannelWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowJournal(int channel, std::uint8_t kind);
    // Forwards to a service created after the main window.
    struct LateLookup final : SubscriberLookup {
        SubscriberLookup* Target = nullptr;
        Result LocateSubscriber(const QString& number, SubscriberRecord& record, QString& error) override;
    };
    struct LatePrinter final : TelegramPrinter {
        TelegramPrinter* Target = nullptr;
        void PrintFile(const QString& fileName) override;
    };

    void FormCreate();
    void FormDestroy();
    void BuildMenus();
    void BuildStatusBar();
    void ReadGeometry();
    void WriteIniAtExit();
    void ScheduleIdle();
    void Log(const QString& line) const;
    bool ChannelActive(int channel) const;
    QMdiSubWindow* AddChild(QWidget* child);
    void ChildActivated(QMdiSubWindow* window);
    void MergeChildMenus(QWidget* child);
    void UpdateLineActions();
    void OnChannelWindowClosing(TTxChannelWindow* window);
    void WithActiveChannelWindow(const std::function<void(TTxChannelWindow&)>& command);
    void TelegramSubItemClicked(int item, int channel);
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
    LateLookup lookup_;
    LatePrinter printer_;
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
    QMenu* controlMenu_ = nullptr;
    QMenu* channelsMenu_ = nullptr;
    std::array<QMenu*, 5> telegramItems_{};
    QAction* exitAction_ = nullptr;
    QAction* callAction_ = nullptr;
    QAction* askAction_ = nullptr;
    QAction* answerAction_ = nullptr;
    QAction* disconAction_ = nullptr;
    QAction* manualAction_ = nullptr;
    QAction* bellAction_ = nullptr;
    QAction* restartAction_ = nullptr;
    QAction* soundOffAction_ = nullptr;
    QAction* createTlgAction_ = nullptr;
    QAction* trsmTlgAction_ = nullptr;
    QAction* recTlgAction_ = nullptr;
    QAction* trmJrnAction_ = nullptr;
    QAction* recJrnAction_ = nullptr;
    QAction* showBadNumbersAction_ = nullptr;
    QAction* cascadeAction_ = nullptr;
    QAction* tileHorizontalAction_ = nullptr;
    QAction* tileVerticalAction_ = nullptr;
    QAction* minimizeAllAction_ = nullptr;
    QAction* nextAction_ = nullptr;
    QAction* previousAction_ = nullptr;
    QAction* closeAllAction_ = nullptr;
    QAction* driverAction_ = nullptr;
    // The menus of the active child that stand in for the main window's.
    QList<QAction*> mergedMenus_;
};

} // namespace korvane
