// The MDI main window: start-up, the channels, the clock, journal notices, child windows and shut-down.
#include "ui/mainwindow/Main.h"

#include "engine/ChannelWindowCodes.h"
#include "engine/ChannelWindowState.h"
#include "engine/JournalNotifier.h"
#include "engine/TelegramNumbering.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/LocaleTime.h"
#include "platform/MessageBox.h"
#include "platform/WavePlayer.h"
#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "serial/CommPort.h"
#include "support/FileError.h"
#include "support/Tunes.h"
#include "ui/settings/DriverModesFiles.h"
#include "ui/mainwindow/EditCommands.h"
#include "ui/mainwindow/FileCommands.h"
#include "ui/mainwindow/HelpCommands.h"
#include "ui/mainwindow/LineCommands.h"
#include "ui/mainwindow/MdiChildren.h"
#include "platform/MessageCaptions.h"
#include "ui/mainwindow/SettingsCommands.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/mainwindow/TelegramCommands.h"
#include "ui/channel/TxChWind.h"
#include "ui/telegrams/TxEdit.h"
#include "ui/telegrams/txBadNumbers.h"
#include "ui/telegrams/txViewJrn.h"
#include "ui/mainwindow/WindowsMenu.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace korvane {

namespace {

const QString IniName = QStringLiteral("KORVANE2.INI");
const QString CommonSection = QStringLiteral("COMMON");
constexpr int WaitStepMs = 50;
constexpr int MaxWaitSteps = 5;


// Panel 0: the blocks in use where the allocator counts them; glibc's does
// not, so there the bytes its heap holds from the system. Panel 1: the
// bytes in use.
QString MemoryText(const MemoryUsage& usage, bool blocks)
{
    if (blocks)
        return QString::number(usage.Blocks ? *usage.Blocks : usage.HeapBytes);
    return QString::number(usage.Bytes);
}

} // namespace

TMainForm::TMainForm(MainFormEnvironment env, QWidget* parent)
    : QMainWindow(parent), env_(std::move(env)), journals_(std::make_unique<JournalNotifier>())
{
    if (!env_.Time)
        env_.Time = &systemClock();
    if (!env_.Timers) {
        ownTimers_ = std::make_unique<QtTickTimerFactory>();
        env_.Timers = ownTimers_.get();
    }
    if (!env_.WaveDevices)
        env_.WaveDevices = DriverModesFiles::WaveOutputDeviceCount;
    connect(journals_.get(), &JournalNotifier::JournalChanged, this, &TMainForm::WMJournalChanged);
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

// ---- Start-up ----

void TMainForm::FormCreate()
{
    // The daily log first: everything after it may write to it.
    const QString folder =
        env_.ProgramFolder.isEmpty() ? QCoreApplication::applicationDirPath() : env_.ProgramFolder;
    LogOff = false;
    log_ = std::make_unique<TLogFile>(folder, *env_.Time);
    LogFile = log_.get();
    Scanner = nullptr;

    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &TMainForm::ChildActivated);
    BuildMenus();
    BuildStatusBar();
    BuildTelegramMenus(true);
    NoActiveChannels_ = 0;

    SetAppPaths(folder);
    setMinimumSize(MinWidth, MinHeight);
    ReadGeometry();

    for (QAction* item : channelsMenu_->actions()) {
        item->setVisible(false);
        item->setEnabled(false);
    }
    PortProbe_ = std::make_unique<TCommPort>(nullptr, env_.PortMap);
    const std::uint8_t mask = DetectComPorts();
    for (int n = 1; n <= kChannelCount; ++n) {
        if (mask & (1u << (n - 1))) {
            QAction* item = channelsMenu_->actions().at(n - 1);
            item->setVisible(true);
            item->setEnabled(true);
        }
    }

    profiler_.CalibrateCpuClock(*env_.Time);
    profiler_.CalibrateProfiler();
    statusBar_->SetPanelText(2, QString::asprintf("CPU clock: %.2f MHz",
                                                  static_cast<double>(profiler_.CpuClockMHz())));

    Protocol_ = std::make_unique<TProtocol>(*env_.Box, *env_.Time);
    Protocol_->SetProName(AppDir + QStringLiteral("KORVANE2.PRO"));
    Protocol_->SetIniName(AppDir + IniName);

    // The driver modes are current before any channel starts.
    ApplyDriverModes(DriverModesFiles::LoadDriverModes(AppDir, *env_.Box, env_.WaveDevices));

    RestartChannels();
    OpenWindowsPending_ = true;
    BadNumbersForm_ = nullptr;
    DeleteOldLogs(AppDir + QStringLiteral("LOG/"), 30, *env_.Time);
    setWindowTitle(QStringLiteral("Korvane ") + ProgramVersion);

    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &TMainForm::ClockTimerTimer);
    clockTimer_->start();
    ScheduleIdle();
}

void TMainForm::ReadGeometry()
{
    const IniFile ini(AppDir + IniName);
    const int left = ini.ReadInteger(CommonSection, QStringLiteral("Left"), 0);
    const int top = ini.ReadInteger(CommonSection, QStringLiteral("Top"), 0);
    const int height = ini.ReadInteger(CommonSection, QStringLiteral("Height"), MinHeight);
    const int width = ini.ReadInteger(CommonSection, QStringLiteral("Width"), MinWidth);
    move(left, top);
    resize(width, height);
}

std::uint8_t TMainForm::DetectComPorts()
{
    std::uint8_t mask = 0;
    for (int n = 1; n <= kChannelCount; ++n) {
        PortProbe_->SetComNumber(static_cast<TComNumber>(n - 1));
        PortProbe_->Open();
        if (PortProbe_->Opened()) {
            mask |= static_cast<std::uint8_t>(1u << (n - 1));
            PortProbe_->Close();
        }
    }
    return mask;
}

bool TMainForm::ChannelActive(int channel) const
{
    const TProtocolSet* set = Protocol_ ? Protocol_->Set() : nullptr;
    return set && scanner_ && set->Channels[static_cast<std::size_t>(channel - 1)].AdapterType != 0
           && scanner_->Driver(channel) != nullptr;
}

void TMainForm::RestartChannels()
{
    QMenu* controlMenu = windows_->ControlDialogMenu();
    controlMenu->menuAction()->setEnabled(false);
    for (QAction* item : controlMenu->actions()) {
        item->setEnabled(false);
        item->setVisible(false);
    }
    for (QAction* item : channelsMenu_->actions())
        item->setChecked(false);

    FreeScanner();

    Protocol_->Reload();

    ScannerEnvironment se;
    se.Box = env_.Box;
    se.Beep = env_.Beep;
    se.Time = env_.Time;
    se.Timers = env_.Timers;
    se.Prof = &profiler_;
    se.PortMap = env_.PortMap;
    se.IniFileName = AppDir + IniName;
    se.ProgramFolder = AppDir;
    se.Closing = &Closing_;
    se.ShowTickStatistics = [this](const QString& text) { statusBar_->SetPanelText(4, text); };
    se.Waves = env_.Waves;
    se.Tunes = env_.Tunes;
    se.Printer = &printer_;
    se.RefreshFolder = [this](const QString& folder) {
        if (refreshFolder_)
            refreshFolder_(folder);
    };
    se.Directory = &lookup_;
    se.Journals = journals_.get();
    scanner_ = std::make_unique<TTxScanner>(std::move(se), this);
    Scanner = scanner_.get();
    // A set that could not be loaded starts no channel.
    scanner_->Start(Protocol_->Set());
    if (scanner_->ActiveChannels == 0)
        NoActiveChannels_ = 1;

    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        auto* w = qobject_cast<TTxChannelWindow*>(sub->widget());
        if (!w)
            continue;
        if (ChannelActive(w->Channel()))
            w->AttachDriver();
        else
            sub->close();
    }

    for (int c = 1; c <= kChannelCount; ++c) {
        if (!ChannelActive(c))
            continue;
        channelsMenu_->actions().at(c - 1)->setChecked(true);
        controlMenu->menuAction()->setEnabled(true);
        QAction* item = controlMenu->actions().at(c - 1);
        item->setEnabled(true);
        item->setVisible(true);
    }
    BuildTelegramMenus(false);
    ScheduleIdle();
}

void TMainForm::BuildTelegramMenus(bool create)
{
    telegrams_->BuildTelegramMenus(create);
}

void TMainForm::FreeScanner()
{
    if (!scanner_)
        return;
    // The windows let go of the old drivers before these go.
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = qobject_cast<TTxChannelWindow*>(sub->widget()))
            w->DetachDriver();
    Scanner = nullptr;
    scanner_.reset();
}

void TMainForm::DriverMenuClick()
{
    settings_->DriverMenuClick();
}

// ---- MDI children ----

QMdiSubWindow* TMainForm::AddMdiChild(QWidget* child)
{
    // The sub-window takes its size from the child's size hint; the child
    // keeps the size it laid out for itself (scaled to its font) instead.
    const QSize laidOut = child->size();
    QMdiSubWindow* sub = mdi_->addSubWindow(child);
    sub->resize(sub->sizeHint() + (laidOut - child->sizeHint()).expandedTo(QSize(0, 0)));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The program's icon (the toolkit would show its own logo otherwise).
    sub->setWindowIcon(QApplication::windowIcon());
    return sub;
}

TTxChannelWindow* TMainForm::ChannelWindowOf(int channel) const
{
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = qobject_cast<TTxChannelWindow*>(sub->widget()); w && w->Channel() == channel)
            return w;
    return nullptr;
}

TTxChannelWindow* TMainForm::ActiveChannelWindow() const
{
    return CurrentChild<TTxChannelWindow>(mdi_);
}

QMenu* TMainForm::ControlDialogMenu() const
{
    return windows_->ControlDialogMenu();
}

EditorEnvironment TMainForm::EditorEnvironmentFor() const
{
    EditorEnvironment ee;
    ee.Box = env_.Box;
    ee.Beep = env_.Beep;
    ee.Actions.FileBrowser = actions_.ViewFilesAction;
    ee.Actions.Abonents = actions_.AbonentsAction;
    ee.Actions.Countries = actions_.ViewCountriesAction;
    ee.Actions.DosPrint = actions_.DOSPrintAction;
    ee.Actions.Print = actions_.PrintAction;
    ee.Actions.Exit = actions_.ExitAction;
    ee.Actions.Cut = actions_.EditCut1;
    ee.Actions.Copy = actions_.EditCopy1;
    ee.Actions.Paste = actions_.EditPaste1;
    ee.Actions.Delete = actions_.EditDelete1;
    ee.Actions.Send = actions_.SendEditAction;
    return ee;
}

void TMainForm::ShowChannelWindow(int channel)
{
    if (TTxChannelWindow* w = ChannelWindowOf(channel)) {
        BringChildToFront(mdi_, w);
        return;
    }
    ChannelWindowEnvironment ce;
    ce.Box = env_.Box;
    ce.ChannelBox = env_.ChannelBox;
    ce.IniFileName = AppDir + IniName;
    ce.Closing = &Closing_;
    ce.SoundOff = [this] { SoundOff(); };
    if (env_.Tunes)
        ce.PlayChime = [tunes = env_.Tunes] { tunes->PlayChime(); };
    ce.Actions.CallAction1 = actions_.CallAction1;
    ce.Actions.DisconAction1 = actions_.DisconAction1;
    ce.Actions.AnswerAction1 = actions_.AnswerAction1;
    ce.Actions.AskAction1 = actions_.AskAction1;
    ce.Actions.ManualAction = actions_.ManualAction;
    ce.Actions.CreateTlgAction = actions_.CreateTlgAction;
    ce.Actions.TrsmTlgAction = actions_.TrsmTlgAction;
    ce.Actions.RecTlgAction = actions_.RecTlgAction;
    ce.Actions.TrmJrnAction = actions_.TrmJrnAction;
    ce.Actions.RecJrnAction = actions_.RecJrnAction;
    auto* w = new TTxChannelWindow(std::move(ce));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->SetChannel(channel);
    w->StatusBar1()->SetPanelText(0, QString());
    connect(w, &TTxChannelWindow::LineActionsChanged, this, &TMainForm::UpdateLineActions);
    connect(w, &TTxChannelWindow::WindowClosing, this, &TMainForm::OnChannelWindowClosing);
    QMdiSubWindow* sub = AddMdiChild(w);
    w->AttachDriver();
    sub->show();
}

void TMainForm::OnChannelWindowClosing(TTxChannelWindow* window)
{
    Q_UNUSED(window);
    UpdateLineActions();
}

void TMainForm::ChildActivated(QMdiSubWindow* sub)
{
    QWidget* child = sub ? sub->widget() : nullptr;
    if (auto* w = qobject_cast<TTxChannelWindow*>(child))
        CurrentChannel_ = static_cast<std::uint16_t>(w->Channel());
    MergeChildMenus(child);
    UpdateLineActions();
}

void TMainForm::MergeChildMenus(QWidget* child)
{
    // The child's top items take the place of the main window's of the
    // same group; the channel window's "&Телетайп" (20) stands before
    // "Телеграмма" (30), the editor's "&Файл" (0) and "&Редактор" (1) first.
    // A child closed is freed before the area names the next active one:
    // its menus have then left the bar with it.
    QMenuBar* bar = menuBar();
    for (const QPointer<QAction>& a : std::as_const(mergedMenus_))
        if (a)
            bar->removeAction(a);
    mergedMenus_.clear();
    fileMenu_->menuAction()->setVisible(true);
    telegramMenu_->menuAction()->setVisible(true);

    if (auto* w = qobject_cast<TTxChannelWindow*>(child)) {
        bar->insertAction(telegramMenu_->menuAction(), w->TeletypeMenu()->menuAction());
        bar->insertAction(telegramMenu_->menuAction(), w->TelegramMenu()->menuAction());
        mergedMenus_ = {w->TeletypeMenu()->menuAction(), w->TelegramMenu()->menuAction()};
        telegramMenu_->menuAction()->setVisible(false);
    } else if (auto* e = qobject_cast<TEditForm*>(child)) {
        bar->insertAction(fileMenu_->menuAction(), e->FileMenu()->menuAction());
        bar->insertAction(telegramMenu_->menuAction(), e->EditorMenu()->menuAction());
        mergedMenus_ = {e->FileMenu()->menuAction(), e->EditorMenu()->menuAction()};
        fileMenu_->menuAction()->setVisible(false);
    }
}

void TMainForm::UpdateLineActions()
{
    lines_->UpdateEnabled();
    edits_->UpdateEnabled();
    telegrams_->UpdateEnabled();
    windows_->UpdateEnabled();
}

void TMainForm::TileHorizontally()
{
    windows_->TileHorizontally();
}

void TMainForm::TileVertically()
{
    windows_->TileVertically();
}

// ---- Per-channel telegram commands ----

void TMainForm::CreateTelegram(int channel)
{
    telegrams_->CreateTelegram(channel);
}

void TMainForm::ShowTransmitJournal(int channel)
{
    telegrams_->ShowTransmitJournal(channel);
}

void TMainForm::ShowReceiveJournal(int channel)
{
    telegrams_->ShowReceiveJournal(channel);
}

void TMainForm::ShowTransmittedTelegrams(int channel)
{
    files_->ShowTransmittedTelegrams(channel);
}

void TMainForm::ShowReceivedTelegrams(int channel)
{
    files_->ShowReceivedTelegrams(channel);
}

void TMainForm::SetFileViewForm(TFileViewForm* browser)
{
    files_->SetFileViewForm(browser);
}

void TMainForm::SetBadNumbersForm(TBadNumbersForm* form)
{
    BadNumbersForm_ = form;
    if (form)
        connect(form, &TBadNumbersForm::HelpRequested, help_, &HelpCommands::ShowTopic);
}

void TMainForm::SetDataModule(TTxDataModule* module)
{
    files_->SetDataModule(module);
}

// ---- Idle work, clock, notices ----

void TMainForm::ScheduleIdle()
{
    if (idleScheduled_)
        return;
    idleScheduled_ = true;
    // Runs once the events already queued have been handled.
    QTimer::singleShot(0, this, [this] {
        idleScheduled_ = false;
        AppIdle();
    });
}

void TMainForm::Log(const QString& line) const
{
    if (!LogFile)
        return;
    try {
        LogFile->Write(line);
    } catch (const std::exception&) {
        // A log that cannot be written does not stop the program.
    }
}

void TMainForm::AppIdle()
{
    if (FirstTick) {
        FirstTick = false;
        QString description, extra, system;
        GetCpuDescription(description, extra);
        Log(QStringLiteral("### Программа запускается(PV=%1) %2 %3").arg(ProgramVersion, description, extra));
        GetWindowsVersionText(system);
        Log(system);
    }
    if (NoActiveChannels_ == 1) {
        NoActiveChannels_ = 0;
        const QString text = QStringLiteral("Нет активных каналов!");
        Log(text);
        env_.Box->show(text, MessageCaption(MessageIcon::Error), MessageIcon::Error, MessageButtons::Ok);
    }
    if (OpenWindowsPending_) {
        OpenWindowsPending_ = false;
        for (int c = 1; c <= kChannelCount; ++c) {
            if (!ChannelActive(c))
                continue;
            ShowChannelWindow(c);
            CurrentChannel_ = static_cast<std::uint16_t>(c);
        }
        TileHorizontally();
    }
    UpdateLineActions();
}

void TMainForm::ClockTimerTimer()
{
    statusBar_->SetPanelText(3, LongTimeText(env_.Time->now().time()));
    if (BadNumbersForm_ && BadNumbersForm_->Filled())
        BadNumbersForm_->UpdateLists();
    const MemoryUsage usage = CurrentMemoryUsage();
    statusBar_->SetPanelText(0, MemoryText(usage, true));
    statusBar_->SetPanelText(1, MemoryText(usage, false));
}

void TMainForm::WMJournalChanged(int channel, int kind)
{
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* v = qobject_cast<TViewJrnForm*>(sub->widget()); v && v->Channel() == channel && v->Kind() == kind) {
            v->RefreshJournal(channel, kind);
            return;
        }
}

void TMainForm::WMRestoreApp()
{
    if (isMinimized())
        showNormal();
}

// ---- Shut-down ----

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (Closing_.load()) {
        event->accept();
        return;
    }
    event->ignore();
    env_.Box->show(QStringLiteral("Для завершения работы программы используйте команду \"Выход\""),
                   MessageCaption(MessageIcon::Information), MessageIcon::Information, MessageButtons::Ok);
}

void TMainForm::ExitActionExecute()
{
    // A second "Выход" while the channels are being shut down (the waits
    // run the event loop) would start it all again.
    if (Closing_.load())
        return;
    if (GlobalModes.ExitConfirmation) {
        if (ConfirmExit())
            close();
        return;
    }
    if (!CloseEditors())
        return;
    ShutdownChannels();
    Log(QStringLiteral("### Программа завершается"));
    close();
}

bool TMainForm::ConfirmExit()
{
    const MessageResult answer =
        env_.Box->show(QStringLiteral("Вы уверены, что хотите выйти из программы KORVANE?"),
                       MessageCaption(MessageIcon::Question), MessageIcon::Question, MessageButtons::YesNo);
    if (answer == MessageResult::Yes && CloseEditors()) {
        ShutdownChannels();
        Log(QStringLiteral("+++ Программа завершается"));
        return true;
    }
    Closing_.store(false);
    return false;
}

bool TMainForm::CloseEditors()
{
    // Each editor asks its own question; one kept open keeps the program.
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (qobject_cast<TEditForm*>(sub->widget()) && !sub->close())
            return false;
    return true;
}

void TMainForm::WaitSteps(const std::function<bool()>& done, int steps)
{
    for (int step = 0; step < steps; ++step) {
        DelayWithMessages(*env_.Time, WaitStepMs);
        if (done())
            return;
    }
}

void TMainForm::ShutdownChannels()
{
    // From here on no channel window shows a box of any kind.
    Closing_.store(true);
    actions_.ExitAction->setEnabled(false);
    for (int c = 1; c <= kChannelCount; ++c) {
        // The scanner can go inside a wait (a restart is not possible
        // then, but the waits run every timer): look it up each time.
        TTxChannelDriver* d = scanner_ ? scanner_->Driver(c) : nullptr;
        if (!d)
            continue;
        bool hasWindow = false;
        {
            const EngineLock lock(scanner_->Mutex());
            // A channel in an alarm state gets no command and costs no wait:
            // the line alarms of the reception element show in the channel
            // state without the driver's alarm flag.
            if (!d->CurrentElement || ChannelStates::IsAlarm(d->ChannelState)
                || ChannelStates::IsAlarm(d->CurrentElement->State))
                continue;
            d->SetAlarm(0);
            hasWindow = dynamic_cast<ChannelWindowState*>(d->Window) != nullptr;
        }
        // The waits run every timer and event: the operator may close the
        // channel window meanwhile, which frees it. It is looked up anew at
        // every step, and a window gone ends the waits for it.
        const auto windowOf = [this, c]() -> ChannelWindowState* {
            TTxChannelDriver* driver = scanner_ ? scanner_->Driver(c) : nullptr;
            if (!driver)
                return nullptr;
            const EngineLock lock(scanner_->Mutex());
            return dynamic_cast<ChannelWindowState*>(driver->Window);
        };
        // True also when the window has gone: nobody waits for it then.
        const auto windowShows = [&windowOf](std::uint8_t code, std::uint8_t orCode) {
            return [&windowOf, code, orCode] {
                ChannelWindowState* window = windowOf();
                return !window || window->MessageCode() == code || window->MessageCode() == orCode;
            };
        };
        if (hasWindow) {
            if (ChannelWindowState* window = windowOf(); window && !window->DialogMode()) {
                window->SetChannelCommand(ChannelCommands::Call);
                WaitSteps(windowShows(ChannelMessageCodes::DialogFromIdle, ChannelMessageCodes::DialogFromIdle),
                          MaxWaitSteps);
            }
            if (ChannelWindowState* window = windowOf()) {
                window->SetChannelCommand(ChannelCommands::Disconnect);
                WaitSteps(windowShows(ChannelMessageCodes::Cleared, ChannelMessageCodes::Refused), MaxWaitSteps);
            }
        }
        // The last chunk of a reception is written, window or not.
        WaitSteps(
            [d] {
                return !d->Events.has(DriverEvent::WriteChunk) || d->Events.has(DriverEvent::ChunkWritten);
            },
            MaxWaitSteps);
    }
}

void TMainForm::FormDestroy()
{
    // The children go after this object: no focus notice may reach it.
    disconnect(qApp, nullptr, this, nullptr);
    LogOff = true;
    if (clockTimer_)
        clockTimer_->stop();
    // The children go after this object: their notices find it no more.
    disconnect(mdi_, nullptr, this, nullptr);
    // The channel windows let go of their drivers first.
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = qobject_cast<TTxChannelWindow*>(sub->widget())) {
            disconnect(w, nullptr, this, nullptr);
            w->DetachDriver();
        }
    // The scanner stops its ticks (waiting for one in progress on the timer
    // thread) and goes before the store whose set it runs and the log.
    Scanner = nullptr;
    scanner_.reset();
    PortProbe_.reset();
    WriteIniAtExit();
    Protocol_.reset();
    LogFile = nullptr;
    log_.reset();
}

void TMainForm::WriteIniAtExit()
{
    IniFile ini(AppDir + IniName);
    // Left and Top place the window with its frame (as move() does at the
    // next start); Width and Height are the inside (as resize() takes them).
    const QRect normal = (isMaximized() || isMinimized()) && normalGeometry().isValid() ? normalGeometry() : geometry();
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    ini.WriteInteger(CommonSection, QStringLiteral("Left"), normal.x() - frameOffset.x());
    ini.WriteInteger(CommonSection, QStringLiteral("Top"), normal.y() - frameOffset.y());
    ini.WriteInteger(CommonSection, QStringLiteral("Height"), normal.height());
    ini.WriteInteger(CommonSection, QStringLiteral("Width"), normal.width());
    const TProtocolSet* set = Protocol_ ? Protocol_->Set() : nullptr;
    if (!set)
        return;
    for (int c = 1; c <= kChannelCount; ++c) {
        const TTlgCounters& counters = set->Channels[static_cast<std::size_t>(c - 1)].Counters;
        ini.WriteString(ChannelSectionName(c), QStringLiteral("TlgFNumberMode"), QString(counters.fNumberMode()));
        ini.WriteString(ChannelSectionName(c), QStringLiteral("TlgCKSNumberMode"),
                        QString(counters.cksNumberMode()));
    }
}

void TMainForm::SoundOff()
{
    if (GlobalModes.SoundCardMode) {
        if (env_.Waves)
            env_.Waves->play(QString(), false); // no sound: the one playing stops
    } else if (env_.Tunes) {
        env_.Tunes->stop();
    }
}

} // namespace korvane
