#include "ui/Main.h"

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
#include "ui/DriverModesFiles.h"
#include "ui/LayoutScale.h"
#include "ui/MessageCaptions.h"
#include "ui/StatusPanels.h"
#include "ui/TxChWind.h"
#include "ui/TxEdit.h"
#include "ui/txBadNumbers.h"
#include "ui/txViewJrn.h"

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
#include <QToolBar>

#include <algorithm>
#include <exception>

namespace korvane {

namespace {

const QString IniName = QStringLiteral("KORVANE2.INI");
const QString CommonSection = QStringLiteral("COMMON");
constexpr int WaitStepMs = 50;
constexpr int MaxWaitSteps = 5;

QString ChannelItemCaption(int channel)
{
    return QStringLiteral("Канал &%1").arg(channel);
}

QString MemoryText(const MemoryUsage& usage, bool blocks)
{
    if (blocks)
        return usage.Blocks ? QString::number(*usage.Blocks) : QStringLiteral("?");
    return QString::number(usage.Bytes);
}

} // namespace

SubscriberLookup::Result TMainForm::LateLookup::LocateSubscriber(const QString& number, SubscriberRecord& record,
                                                                 QString& error)
{
    if (!Target)
        return Result::NotFound;
    return Target->LocateSubscriber(number, record, error);
}

void TMainForm::LatePrinter::PrintFile(const QString& fileName)
{
    if (Target)
        Target->PrintFile(fileName);
}

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
    controlMenu_->menuAction()->setEnabled(false);
    for (QAction* item : controlMenu_->actions()) {
        item->setEnabled(false);
        item->setVisible(false);
    }
    for (QAction* item : channelsMenu_->actions())
        item->setChecked(false);

    if (scanner_) {
        // The windows let go of the old drivers before these go.
        for (QMdiSubWindow* sub : mdi_->subWindowList())
            if (auto* w = qobject_cast<TTxChannelWindow*>(sub->widget()))
                w->DetachDriver();
        Scanner = nullptr;
        scanner_.reset();
    }

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
        controlMenu_->menuAction()->setEnabled(true);
        QAction* item = controlMenu_->actions().at(c - 1);
        item->setEnabled(true);
        item->setVisible(true);
    }
    BuildTelegramMenus(false);
    ScheduleIdle();
}

void TMainForm::BuildTelegramMenus(bool create)
{
    for (int i = 0; i < static_cast<int>(telegramItems_.size()); ++i) {
        QMenu* item = telegramItems_[static_cast<std::size_t>(i)];
        if (create) {
            item->menuAction()->setEnabled(false);
            item->clear();
            for (int c = 1; c <= kChannelCount; ++c) {
                QAction* sub = item->addAction(ChannelItemCaption(c));
                sub->setEnabled(false);
                sub->setVisible(false);
                connect(sub, &QAction::triggered, this, [this, i, c] { TelegramSubItemClicked(i, c); });
            }
            continue;
        }
        for (QAction* sub : item->actions()) {
            sub->setVisible(false);
            sub->setEnabled(false);
        }
        item->menuAction()->setEnabled(false);
        for (int c = 1; c <= kChannelCount; ++c) {
            if (!ChannelActive(c))
                continue;
            item->menuAction()->setEnabled(true);
            QAction* sub = item->actions().at(c - 1);
            sub->setEnabled(true);
            sub->setVisible(true);
        }
    }
}

void TMainForm::TelegramSubItemClicked(int item, int channel)
{
    switch (item) {
    case 0:
        CreateTelegram(channel);
        break;
    case 3:
        ShowTransmitJournal(channel);
        break;
    case 4:
        ShowReceiveJournal(channel);
        break;
    default:
        // The folder browser is not part of this program yet.
        break;
    }
}

// ---- MDI children ----

QMdiSubWindow* TMainForm::AddChild(QWidget* child)
{
    // The sub-window takes its size from the child's size hint; the child
    // keeps the size it laid out for itself (scaled to its font) instead.
    const QSize laidOut = child->size();
    QMdiSubWindow* sub = mdi_->addSubWindow(child);
    sub->resize(sub->sizeHint() + (laidOut - child->sizeHint()).expandedTo(QSize(0, 0)));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(QIcon());
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
    QMdiSubWindow* sub = mdi_->activeSubWindow();
    return sub ? qobject_cast<TTxChannelWindow*>(sub->widget()) : nullptr;
}

void TMainForm::ShowChannelWindow(int channel)
{
    if (TTxChannelWindow* w = ChannelWindowOf(channel)) {
        w->parentWidget()->show();
        w->show();
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
    ce.Actions.CallAction1 = callAction_;
    ce.Actions.DisconAction1 = disconAction_;
    ce.Actions.AnswerAction1 = answerAction_;
    ce.Actions.AskAction1 = askAction_;
    ce.Actions.ManualAction = manualAction_;
    ce.Actions.CreateTlgAction = createTlgAction_;
    ce.Actions.TrsmTlgAction = trsmTlgAction_;
    ce.Actions.RecTlgAction = recTlgAction_;
    ce.Actions.TrmJrnAction = trmJrnAction_;
    ce.Actions.RecJrnAction = recJrnAction_;
    auto* w = new TTxChannelWindow(std::move(ce));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->SetChannel(channel);
    w->StatusBar1()->SetPanelText(0, QString());
    connect(w, &TTxChannelWindow::LineActionsChanged, this, &TMainForm::UpdateLineActions);
    connect(w, &TTxChannelWindow::WindowClosing, this, &TMainForm::OnChannelWindowClosing);
    QMdiSubWindow* sub = AddChild(w);
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
    QMenuBar* bar = menuBar();
    for (QAction* a : mergedMenus_)
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
    TTxChannelWindow* w = ActiveChannelWindow();
    callAction_->setEnabled(w && w->CallEnabled());
    askAction_->setEnabled(w && w->AskEnabled());
    bellAction_->setEnabled(w && w->AskEnabled());
    answerAction_->setEnabled(w && w->AnswerBackEnabled());
    disconAction_->setEnabled(w && w->DisconnectEnabled());
    manualAction_->setEnabled(w && w->ControlEnabled());
    restartAction_->setEnabled(w && w->AlarmActive());
    for (QAction* a : {createTlgAction_, trmJrnAction_, recJrnAction_, showBadNumbersAction_})
        a->setEnabled(w != nullptr);
    // The folder browser is not part of this program yet.
    trsmTlgAction_->setEnabled(false);
    recTlgAction_->setEnabled(false);
    const bool children = !mdi_->subWindowList().isEmpty();
    for (QAction* a : {cascadeAction_, tileHorizontalAction_, tileVerticalAction_, minimizeAllAction_})
        a->setEnabled(children);
}

void TMainForm::WithActiveChannelWindow(const std::function<void(TTxChannelWindow&)>& command)
{
    if (TTxChannelWindow* w = ActiveChannelWindow())
        command(*w);
}

void TMainForm::TileHorizontally()
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    if (windows.isEmpty())
        return;
    const QRect area = mdi_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    const int height = area.height() / n;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        const int h = i == n - 1 ? area.height() - height * i : height;
        sub->setGeometry(0, height * i, area.width(), h);
    }
}

void TMainForm::TileVertically()
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    if (windows.isEmpty())
        return;
    const QRect area = mdi_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    const int width = area.width() / n;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        const int w = i == n - 1 ? area.width() - width * i : width;
        sub->setGeometry(width * i, 0, w, area.height());
    }
}

// ---- Per-channel telegram commands ----

void TMainForm::CreateTelegram(int channel)
{
    TTxChannelDriver* d = scanner_ ? scanner_->Driver(channel) : nullptr;
    if (!d)
        return;
    int number = 0;
    QString dir;
    {
        const EngineLock lock(scanner_->Mutex());
        number = d->Numbering().NextTelNo++;
        dir = d->TransmDir;
    }
    EditorEnvironment ee;
    ee.Box = env_.Box;
    ee.Beep = env_.Beep;
    ee.Actions.Exit = exitAction_;
    auto* editor = new TEditForm(std::move(ee));
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->StartTelegram(TEditForm::TelegramFileName(dir, number), channel, QString());
    AddChild(editor)->show();
}

void TMainForm::ShowTransmitJournal(int channel)
{
    ShowJournal(channel, TViewJrnForm::TransmitKind);
}

void TMainForm::ShowReceiveJournal(int channel)
{
    ShowJournal(channel, TViewJrnForm::ReceiveKind);
}

// Brings up the channel's journal view of Kind, opening one when there is none.
void TMainForm::ShowJournal(int channel, std::uint8_t kind)
{
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* v = qobject_cast<TViewJrnForm*>(sub->widget());
            v && v->Channel() == channel && v->Kind() == kind) {
            mdi_->setActiveSubWindow(sub);
            sub->show();
            return;
        }
    TTxChannelDriver* d = scanner_ ? scanner_->Driver(channel) : nullptr;
    if (!d)
        return;
    auto* view = new TViewJrnForm;
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->SetChannel(channel);
    if (kind == TViewJrnForm::TransmitKind)
        view->ShowTransmitJournal(d->TransmJrnFile);
    else
        view->ShowReceiveJournal(d->ReceiveJrnFile);
    AddChild(view)->show();
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
    ShutdownChannels();
    Log(QStringLiteral("### Программа завершается"));
    close();
}

bool TMainForm::ConfirmExit()
{
    const MessageResult answer =
        env_.Box->show(QStringLiteral("Вы уверены, что хотите выйти из программы KORVANE?"),
                       MessageCaption(MessageIcon::Question), MessageIcon::Question, MessageButtons::YesNo);
    if (answer == MessageResult::Yes) {
        ShutdownChannels();
        Log(QStringLiteral("+++ Программа завершается"));
        return true;
    }
    Closing_.store(false);
    return false;
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
    exitAction_->setEnabled(false);
    for (int c = 1; c <= kChannelCount; ++c) {
        // The scanner can go inside a wait (a restart is not possible
        // then, but the waits run every timer): look it up each time.
        TTxChannelDriver* d = scanner_ ? scanner_->Driver(c) : nullptr;
        if (!d)
            continue;
        ChannelWindowState* window = nullptr;
        {
            const EngineLock lock(scanner_->Mutex());
            // A channel in an alarm state gets no command and costs no wait:
            // the line alarms of the reception element show in the channel
            // state without the driver's alarm flag.
            if (!d->CurrentElement || ChannelStates::IsAlarm(d->ChannelState)
                || ChannelStates::IsAlarm(d->CurrentElement->State))
                continue;
            d->SetAlarm(0);
            window = dynamic_cast<ChannelWindowState*>(d->Window);
        }
        if (window) {
            if (!window->DialogMode()) {
                window->SetChannelCommand(ChannelCommands::Call);
                WaitSteps([window] { return window->MessageCode() == ChannelMessageCodes::DialogFromIdle; },
                          MaxWaitSteps);
            }
            window->SetChannelCommand(ChannelCommands::Disconnect);
            WaitSteps(
                [window] {
                    const auto code = window->MessageCode();
                    return code == ChannelMessageCodes::Cleared || code == ChannelMessageCodes::Refused;
                },
                MaxWaitSteps);
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

// ---- Menus, actions, status bar ----

void TMainForm::BuildStatusBar()
{
    // The panels' widths grow with the bar's font; the last one runs on to
    // the bar's right edge.
    const LayoutScale scale(this);
    QList<int> widths;
    for (int w : {150, 150, 130, 60, 50})
        widths << scale.X(w);
    statusBar_ = new StatusPanels(widths, this);
    statusBar_->SetPanelAlignment(0, Qt::AlignCenter);
    statusBar_->SetPanelAlignment(1, Qt::AlignCenter);
    statusBar_->SetPanelAlignment(2, Qt::AlignLeft | Qt::AlignVCenter);
    statusBar_->SetPanelAlignment(3, Qt::AlignCenter);
    statusBar_->SetPanelAlignment(4, Qt::AlignLeft | Qt::AlignVCenter);
    statusBar()->addWidget(statusBar_, 1);
    statusBar()->setSizeGripEnabled(true);
}

void TMainForm::BuildMenus()
{
    auto makeAction = [this](const QString& text, const QString& tip, const QString& status) {
        auto* a = new QAction(text, this);
        a->setToolTip(tip);
        a->setStatusTip(status.isEmpty() ? tip : status);
        return a;
    };
    exitAction_ = makeAction(QStringLiteral("Выход"), QStringLiteral("Выход"),
                             QStringLiteral("Завершить работу программы"));
    connect(exitAction_, &QAction::triggered, this, &TMainForm::ExitActionExecute);

    callAction_ = makeAction(QStringLiteral("Вызов"), QStringLiteral("Вызов"), QStringLiteral("Установить соединение"));
    callAction_->setShortcut(QKeySequence(Qt::Key_F9));
    askAction_ = makeAction(QStringLiteral("Запрос автоответа"), QStringLiteral("Запрос автответа"),
                            QStringLiteral("Передать запрос автоответа (комбинация \"КТО ТАМ\")"));
    askAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F9));
    answerAction_ = makeAction(QStringLiteral("Автоответ"), QStringLiteral("Автоответ"),
                               QStringLiteral("Передать в линию свой автоответ"));
    answerAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F9));
    disconAction_ = makeAction(QStringLiteral("Отбой"), QStringLiteral("Отбой"),
                               QStringLiteral("Разорвать текущее соединение"));
    disconAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F10));
    manualAction_ = makeAction(QStringLiteral("Переключить в контроль"), QStringLiteral("Переключить в контроль"), {});
    bellAction_ = makeAction(QStringLiteral("Звонок"), QStringLiteral("Звонок"), QStringLiteral("Звонок оператору"));
    restartAction_ = makeAction(QStringLiteral("Инициализация"), QStringLiteral("Инициализация"),
                                QStringLiteral("Перезапустить обработку протокола при аварии"));
    soundOffAction_ = makeAction(QStringLiteral("Выключить звук"), QStringLiteral("Выключить звук"), {});
    connect(callAction_, &QAction::triggered, this,
            [this] { WithActiveChannelWindow([](TTxChannelWindow& w) { w.CallCommand(); }); });
    connect(askAction_, &QAction::triggered, this,
            [this] { WithActiveChannelWindow([](TTxChannelWindow& w) { w.AskAnswerBackCommand(); }); });
    connect(answerAction_, &QAction::triggered, this,
            [this] { WithActiveChannelWindow([](TTxChannelWindow& w) { w.AnswerBackCommand(); }); });
    connect(disconAction_, &QAction::triggered, this,
            [this] { WithActiveChannelWindow([](TTxChannelWindow& w) { w.DisconnectCommand(); }); });
    connect(manualAction_, &QAction::triggered, this,
            [this] { WithActiveChannelWindow([](TTxChannelWindow& w) { w.ControlModeCommand(); }); });
    connect(restartAction_, &QAction::triggered, this,
            [this] { WithActiveChannelWindow([](TTxChannelWindow& w) { w.RestartCommand(); }); });
    connect(bellAction_, &QAction::triggered, this,
            [this] { WithActiveChannelWindow([](TTxChannelWindow& w) { w.BellKey(); }); });
    connect(soundOffAction_, &QAction::triggered, this, &TMainForm::SoundOff);

    createTlgAction_ = makeAction(QStringLiteral("&Создание телеграммы"), QStringLiteral("Создание телеграммы"),
                                  QStringLiteral("Открыть окно создания новой телеграммы"));
    trsmTlgAction_ = makeAction(QStringLiteral("&Передача телеграмм"), QStringLiteral("Просмотр переданных телеграмм"), {});
    recTlgAction_ = makeAction(QStringLiteral("Принятые телеграммы"), QStringLiteral("Просмотр принятых телеграмм"), {});
    trmJrnAction_ = makeAction(QStringLiteral("Журнал передачи"), QStringLiteral("Журнал передачи"),
                               QStringLiteral("Открыть окно просмотра журнала передачи"));
    recJrnAction_ = makeAction(QStringLiteral("Журнал приема"), QStringLiteral("Журнал приема"),
                               QStringLiteral("Открыть окно просмотра журнала приема"));
    showBadNumbersAction_ = makeAction(QStringLiteral("Неэффективные вызовы"),
                                       QStringLiteral("Просмотр таблицы неэффективных вызовов"), {});
    connect(createTlgAction_, &QAction::triggered, this, [this] { CreateTelegram(CurrentChannel_); });
    connect(trmJrnAction_, &QAction::triggered, this, [this] { ShowTransmitJournal(CurrentChannel_); });
    connect(recJrnAction_, &QAction::triggered, this, [this] { ShowReceiveJournal(CurrentChannel_); });
    connect(showBadNumbersAction_, &QAction::triggered, this, [this] {
        if (BadNumbersForm_)
            BadNumbersForm_->show();
    });

    cascadeAction_ = makeAction(QStringLiteral("Каскад"), QStringLiteral("Каскад"),
                                QStringLiteral("Расположить окна каскадом"));
    tileHorizontalAction_ = makeAction(QStringLiteral("Мозаика &Горизонтально"),
                                       QStringLiteral("Мозаика горизонтальная"),
                                       QStringLiteral("Расположить окна мозаикой"));
    tileVerticalAction_ = makeAction(QStringLiteral("&Мозаика Вертикально"), QStringLiteral("Мозаика вертикальная"),
                                     QStringLiteral("Расположить окна мозаикой"));
    minimizeAllAction_ = new QAction(QStringLiteral("Уменьшить все"), this);
    nextAction_ = new QAction(QStringLiteral("Следующее"), this);
    previousAction_ = new QAction(QStringLiteral("Предыдущее"), this);
    closeAllAction_ = new QAction(QStringLiteral("Закрыть все"), this);
    connect(cascadeAction_, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(tileHorizontalAction_, &QAction::triggered, this, &TMainForm::TileHorizontally);
    connect(tileVerticalAction_, &QAction::triggered, this, &TMainForm::TileVertically);
    connect(minimizeAllAction_, &QAction::triggered, this, [this] {
        for (QMdiSubWindow* sub : mdi_->subWindowList())
            sub->showMinimized();
    });
    connect(nextAction_, &QAction::triggered, mdi_, &QMdiArea::activateNextSubWindow);
    connect(previousAction_, &QAction::triggered, mdi_, &QMdiArea::activatePreviousSubWindow);
    connect(closeAllAction_, &QAction::triggered, this, [this] {
        const QList<QMdiSubWindow*> subs = mdi_->subWindowList();
        for (auto it = subs.rbegin(); it != subs.rend(); ++it)
            (*it)->close();
    });

    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QStringLiteral("&Файл"));
    fileMenu_->addAction(exitAction_);

    telegramMenu_ = bar->addMenu(QStringLiteral("Телегра&мма"));
    const std::array<QString, 5> telegramCaptions = {
        QStringLiteral("&Создание телеграммы..."), QStringLiteral("&Передача телеграмм..."),
        QStringLiteral("Принятые телеграммы..."), QStringLiteral("Журнал передачи..."),
        QStringLiteral("Журнал приема...")};
    for (std::size_t i = 0; i < telegramItems_.size(); ++i)
        telegramItems_[i] = telegramMenu_->addMenu(telegramCaptions[i]);

    windowsMenu_ = bar->addMenu(QStringLiteral("&Окна"));
    controlMenu_ = windowsMenu_->addMenu(QStringLiteral("&Контроль/Диалог..."));
    for (int c = 1; c <= kChannelCount; ++c) {
        QAction* item = controlMenu_->addAction(ChannelItemCaption(c));
        connect(item, &QAction::triggered, this, [this, c] { ShowChannelWindow(c); });
    }
    windowsMenu_->addSeparator();
    windowsMenu_->addActions({cascadeAction_, tileHorizontalAction_, tileVerticalAction_, nextAction_,
                              previousAction_, minimizeAllAction_, closeAllAction_});
    connect(windowsMenu_, &QMenu::aboutToShow, this, [this] {
        const int count = static_cast<int>(mdi_->subWindowList().size());
        for (QAction* a : windowsMenu_->actions())
            a->setEnabled(count >= 1);
        nextAction_->setEnabled(count >= 2);
        previousAction_->setEnabled(count >= 2);
        controlMenu_->menuAction()->setEnabled(true);
    });

    modesMenu_ = bar->addMenu(QStringLiteral("&Режимы"));
    driverAction_ = modesMenu_->addAction(QStringLiteral("&Драйвер..."));
    channelsMenu_ = modesMenu_->addMenu(QStringLiteral("&Каналы"));
    for (int c = 1; c <= kChannelCount; ++c)
        channelsMenu_->addAction(ChannelItemCaption(c))->setCheckable(true);

    helpMenu_ = bar->addMenu(QStringLiteral("&Помощь"));
    QAction* about = helpMenu_->addAction(QStringLiteral("&Версия..."));
    about->setStatusTip(QStringLiteral("Show information about this app"));

    auto* tools1 = addToolBar(QStringLiteral("Команды"));
    tools1->addActions({manualAction_});
    tools1->addSeparator();
    tools1->addActions({callAction_, askAction_, answerAction_, disconAction_});
    tools1->addSeparator();
    tools1->addAction(bellAction_);
    tools1->addSeparator();
    tools1->addActions({restartAction_, soundOffAction_, exitAction_});
    addToolBarBreak();
    auto* tools2 = addToolBar(QStringLiteral("Телеграммы"));
    tools2->addActions({showBadNumbersAction_, createTlgAction_, trsmTlgAction_, recTlgAction_, trmJrnAction_,
                        recJrnAction_, cascadeAction_, tileHorizontalAction_, tileVerticalAction_});
}

} // namespace korvane
