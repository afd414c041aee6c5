#include "ui/mainwindow/Main.h"

#include "engine/ChannelWindowCodes.h"
#include "engine/EngineMutex.h"
#include "engine/JournalNotifier.h"
#include "engine/TxDriver.h"
#include "engine/TxElementPro.h"
#include "engine/TxScanner.h"
#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimSerialDevice.h"
#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "support/LogFile.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeSystemBeep.h"
#include "tests/fakes/TestFiles.h"
#include "ui/settings/DriverModesFiles.h"
#include "ui/mainwindow/MainActions.h"
#include "platform/LocaleTime.h"
#include "tests/ui/LayoutChecks.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/channel/TxChWind.h"
#include "ui/telegrams/TxEdit.h"
#include "ui/mainwindow/SettingsCommands.h"
#include "ui/settings/TxABForm.h"
#include "ui/about/TxAbout.h"
#include "ui/telegrams/txViewJrn.h"
#include "ui/settings/TxModeDr.h"
#include "ui/settings/TxOption.h"
#include "support/HelpNote.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

using namespace korvane;
using korvane::test::FakeMessageBox;

namespace {

const QString NoChannels = QStringLiteral("Нет активных каналов!");
const QString UseExit = QStringLiteral("Для завершения работы программы используйте команду \"Выход\"");
const QString ConfirmText = QStringLiteral("Вы уверены, что хотите выйти из программы KORVANE?");

// A program folder in a temporary directory, with the driver modes' table
// file in place, COM1..COM8 leading nowhere unless a test puts a simulated
// line behind one, and the main window created on it.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QLatin1Char('/');
        TDriverModes modes = DriverModesFiles::DefaultModes();
        DriverModesFiles::SetBuiltInTables(modes);
        QFile tables(folder + QStringLiteral("DC2.PRO"));
        ASSERT_TRUE(tables.open(QIODevice::WriteOnly));
        tables.write(DriverModesFiles::TablesToBytes(modes));
        tables.close();
        for (int c = 1; c <= 8; ++c)
            qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)),
                    QStringLiteral("sim:mainwin-nowhere%1").arg(c).toUtf8());
        FirstTick = true;
    }

    void TearDown() override
    {
        form.reset();
        lines.clear();
        for (int c = 1; c <= 8; ++c)
            qunsetenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)));
    }

    // Channel C runs on a simulated line (adapter type 1).
    void PutChannelOnLine(int c, bool storeIt = true)
    {
        const QString name = QStringLiteral("mainwin-line%1").arg(c);
        auto line = serial::SimSerialDevice::create();
        lines.push_back(std::make_unique<serial::SimulatedPortRegistration>(serial::serialPortMap(), name, line));
        qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), ("sim:" + name).toUtf8());
        if (!storeIt)
            return;
        FakeMessageBox quiet;
        TProtocol store(quiet);
        store.SetProName(folder + QStringLiteral("KORVANE2.PRO"));
        store.SetIniName(folder + QStringLiteral("KORVANE2.INI"));
        store.Load();
        ASSERT_NE(store.Set(), nullptr);
        TChannelOptions& options = store.Set()->Channels[static_cast<std::size_t>(c - 1)];
        options.AdapterType = 1;
        // A bare simulated line has no adapter to answer the presence check.
        options.Modes &= ~ChannelMode::ChkAdapter;
        store.Save();
    }

    void WriteCommon(const QString& key, const QString& value)
    {
        IniFile ini(folder + QStringLiteral("KORVANE2.INI"));
        ini.WriteString(QStringLiteral("COMMON"), key, value);
    }

    void Start()
    {
        MainFormEnvironment env;
        env.Box = &box;
        env.ChannelBox = &channelBox;
        env.Beep = &beep;
        env.ProgramFolder = folder;
        env.WaveDevices = [] { return 0; };
        form = std::make_unique<TMainForm>(env);
        form->show();
        Idle();
    }

    // Lets the idle work and the queued notices run.
    static void Idle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    // Waits until channel C's protocol has begun stepping.
    bool WaitForStepping(int c)
    {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (TTxChannelDriver* d = form->ScannerObject() ? form->ScannerObject()->Driver(c) : nullptr) {
                EngineLock lock(d->Mutex());
                if (d->CurrentElement)
                    return true;
            }
            QTest::qWait(20);
        }
        return false;
    }

    QString LogText() const
    {
        QString all;
        for (const QString& name : QDir(folder + QStringLiteral("LOG")).entryList(QDir::Files)) {
            QFile f(folder + QStringLiteral("LOG/") + name);
            if (f.open(QIODevice::ReadOnly))
                all += codepage::fromCp1251(f.readAll());
        }
        return all;
    }

    static QStringList VisibleItems(QMenu* menu)
    {
        QStringList out;
        for (QAction* a : menu->actions())
            if (a->isVisible())
                out << a->text();
        return out;
    }

    QTemporaryDir dir;
    QString folder;
    FakeMessageBox box;
    FakeMessageBox channelBox;
    korvane::test::FakeSystemBeep beep;
    std::vector<std::unique_ptr<serial::SimulatedPortRegistration>> lines;
    std::unique_ptr<TMainForm> form;
};

// The status bar's panels hold what they show in the bar's font: the
// memory counts, the processor clock, the time of day; the last one runs to
// the bar's edge. (The window's own size is the operator's: here one wide
// enough for the panels.)
TEST_F(MainWindowTest, StatusBarPanelsHoldTheirTexts)
{
    Start();
    form->resize(1000, 600);
    Idle();
    const StatusPanels& bar = *form->MainStatusBar();
    const QFontMetrics fm(bar.font());
    const QStringList texts = {QStringLiteral("123456789"), QStringLiteral("1234567890"),
                               QStringLiteral("CPU clock: 9999.99 MHz"), LongTimeText(QTime(23, 58, 58))};
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_LE(fm.horizontalAdvance(texts[i]), bar.TextRoom(i)) << texts[i].toStdString();
    EXPECT_LE(fm.horizontalAdvance(QStringLiteral("00:00:37")), bar.TextRoom(3));
    EXPECT_EQ(bar.PanelRect(4).right(), bar.width() - 1);
    EXPECT_LT(bar.PanelRect(4).width(), 2 * bar.width() / 3);
}

// The MDI area sizes a child by its size hint; the channel window, the
// editor and the journal view open at the sizes they laid out instead.
TEST_F(MainWindowTest, ChildWindowsOpenAtTheirOwnSize)
{
    PutChannelOnLine(1);
    Start();
    form->resize(1200, 900);
    // The windows opened at start are tiled; one opened later is not.
    form->MdiArea()->closeAllSubWindows();
    Idle();

    form->ShowChannelWindow(1);
    Idle();
    TTxChannelWindow* channel = form->ChannelWindowOf(1);
    ASSERT_NE(channel, nullptr);
    ChannelWindowEnvironment ce;
    ce.Box = &box;
    ce.ChannelBox = &channelBox;
    const TTxChannelWindow fresh(ce);
    EXPECT_GE(channel->width(), fresh.width());
    EXPECT_GE(channel->height(), fresh.height());

    form->CreateTelegram(1);
    Idle();
    QMdiSubWindow* sub = form->MdiArea()->activeSubWindow();
    ASSERT_NE(sub, nullptr);
    auto* editor = qobject_cast<TEditForm*>(sub->widget());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(korvane::test::ShowsWholeTelegraphLine(*editor)) << editor->Memo1()->viewport()->width();
    editor->Memo1()->document()->setModified(false);

    form->ShowTransmitJournal(1);
    Idle();
    sub = form->MdiArea()->activeSubWindow();
    ASSERT_NE(sub, nullptr);
    auto* journal = qobject_cast<TViewJrnForm*>(sub->widget());
    ASSERT_NE(journal, nullptr);
    const TViewJrnForm freshJournal;
    EXPECT_GE(journal->width(), freshJournal.width());
    EXPECT_GE(journal->height(), freshJournal.height());
}

TEST_F(MainWindowTest, StartWithEveryAdapterOffSaysSoOnceAtTheFirstIdleMoment)
{
    Start();
    EXPECT_EQ(box.texts(), QStringList{NoChannels});
    EXPECT_EQ(box.shown.value(0).icon, MessageIcon::Error);
    EXPECT_TRUE(form->MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Korvane 2.1"));
    // No port could be opened: no channel's options item; no channel in the menus.
    EXPECT_TRUE(VisibleItems(form->ChannelsMenu()).isEmpty());
    EXPECT_TRUE(VisibleItems(form->ControlDialogMenu()).isEmpty());
    EXPECT_FALSE(form->ControlDialogMenu()->menuAction()->isEnabled());
    for (QAction* item : form->TelegramMenu()->actions()) {
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
        EXPECT_TRUE(VisibleItems(item->menu()).isEmpty());
    }
    EXPECT_TRUE(form->MainStatusBar()->PanelText(2).contains(
        QRegularExpression(QStringLiteral("^CPU clock: \\d+\\.\\d\\d MHz$"))))
        << form->MainStatusBar()->PanelText(2).toStdString();

    Idle();
    EXPECT_EQ(box.shown.size(), 1);
    const QString log = LogText();
    EXPECT_TRUE(log.contains(QStringLiteral("### Программа запускается(PV=2.1)")));
    EXPECT_TRUE(log.contains(NoChannels));

    // Every later restart that starts no channel says it again.
    form->RestartChannels();
    form->SetOpenWindowsPending();
    Idle();
    EXPECT_EQ(box.texts(), (QStringList{NoChannels, NoChannels}));
}

TEST_F(MainWindowTest, StartWithASimulatedChannelOpensItsWindowAndMenus)
{
    PutChannelOnLine(1);
    Start();
    EXPECT_FALSE(box.texts().contains(NoChannels)) << box.texts().join(u'|').toStdString();
    TTxChannelWindow* w = form->ChannelWindowOf(1);
    ASSERT_NE(w, nullptr) << box.texts().join(u'|').toStdString() << LogText().toStdString();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Контроль - канал 1"));
    EXPECT_EQ(form->CurrentChannel(), 1);
    ASSERT_NE(form->ScannerObject(), nullptr);
    ASSERT_NE(form->ScannerObject()->Driver(1), nullptr);
    EXPECT_EQ(form->ScannerObject()->Driver(1)->Window, &w->Window());
    // COM1 opened at start-up: its options item is shown and checked.
    EXPECT_EQ(VisibleItems(form->ChannelsMenu()), QStringList{QStringLiteral("Канал &1")});
    EXPECT_TRUE(form->ChannelsMenu()->actions().at(0)->isChecked());
    EXPECT_EQ(VisibleItems(form->ControlDialogMenu()), QStringList{QStringLiteral("Канал &1")});
    for (QAction* item : form->TelegramMenu()->actions()) {
        EXPECT_TRUE(item->isEnabled());
        EXPECT_EQ(VisibleItems(item->menu()), QStringList{QStringLiteral("Канал &1")});
    }

    // Channel 1 switched off: the restart closes its window and its items go.
    {
        FakeMessageBox quiet;
        TProtocol store(quiet);
        store.SetProName(folder + QStringLiteral("KORVANE2.PRO"));
        store.SetIniName(folder + QStringLiteral("KORVANE2.INI"));
        store.Load();
        store.Set()->Channels[0].AdapterType = 0;
        store.Save();
    }
    form->RestartChannels();
    form->SetOpenWindowsPending();
    Idle();
    EXPECT_EQ(form->ChannelWindowOf(1), nullptr);
    EXPECT_FALSE(form->ChannelsMenu()->actions().at(0)->isChecked());
    EXPECT_TRUE(VisibleItems(form->ControlDialogMenu()).isEmpty());
    EXPECT_TRUE(box.texts().contains(NoChannels));
}

TEST_F(MainWindowTest, ChannelWindowsAreTiledFullWidthOneAboveTheOther)
{
    PutChannelOnLine(1);
    PutChannelOnLine(3);
    PutChannelOnLine(4);
    Start();
    const QList<QMdiSubWindow*> subs = form->MdiArea()->subWindowList();
    ASSERT_EQ(subs.size(), 3);
    const QRect area = form->MdiArea()->viewport()->rect();
    int top = 0;
    for (QMdiSubWindow* sub : subs) {
        EXPECT_EQ(sub->geometry().left(), 0);
        EXPECT_EQ(sub->geometry().width(), area.width());
        EXPECT_EQ(sub->geometry().top(), top);
        top = sub->geometry().bottom() + 1;
    }
    EXPECT_EQ(top, area.height());
}

TEST_F(MainWindowTest, CloseRequestWithoutExitOnlyShowsTheNote)
{
    Start();
    box.shown.clear();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(box.texts(), QStringList{UseExit});
    EXPECT_EQ(box.shown.value(0).icon, MessageIcon::Information);
    EXPECT_FALSE(form->Closing());
}

TEST_F(MainWindowTest, ExitAnsweredNoChangesNothing)
{
    WriteCommon(QStringLiteral("ExitConfirmation"), QStringLiteral("1"));
    PutChannelOnLine(1);
    Start();
    box.shown.clear();
    box.answers.push_back(MessageResult::No);
    form->ExitActionExecute();
    EXPECT_EQ(box.texts(), QStringList{ConfirmText});
    EXPECT_EQ(box.shown.value(0).buttons, MessageButtons::YesNo);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Closing());
    EXPECT_NE(form->ChannelWindowOf(1), nullptr);
    EXPECT_FALSE(LogText().contains(QStringLiteral("Программа завершается")));
}

TEST_F(MainWindowTest, ExitWithAndWithoutConfirmationClearsDownAndEnds)
{
    struct Case {
        const char* confirmation;
        QString logLine;
        QStringList boxes;
    };
    const Case cases[] = {
        {"1", QStringLiteral("+++ Программа завершается"), {ConfirmText}},
        {"0", QStringLiteral("### Программа завершается"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.confirmation);
        TearDown();
        SetUp();
        WriteCommon(QStringLiteral("ExitConfirmation"), QString::fromLatin1(c.confirmation));
        PutChannelOnLine(1);
        Start();
        TTxChannelWindow* w = form->ChannelWindowOf(1);
        ASSERT_NE(w, nullptr);
        box.shown.clear();
        channelBox.shown.clear();
        form->ExitActionExecute();
        EXPECT_EQ(box.texts(), c.boxes);
        EXPECT_TRUE(form->Closing());
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(LogText().contains(c.logLine));
        // While closing no channel box opens, whatever the channel reports.
        w->State().SetChannelState(ChannelStates::AlarmLineCurrent);
        w->State().PostMessageCode(ChannelMessageCodes::Refused);
        w->MessagesTimerTimer();
        w->MessagesTimerTimer();
        EXPECT_TRUE(channelBox.shown.isEmpty()) << channelBox.texts().join(u'|').toStdString();
    }
}

TEST_F(MainWindowTest, ASecondExitDuringTheShutDownIsIgnored)
{
    WriteCommon(QStringLiteral("ExitConfirmation"), QStringLiteral("1"));
    PutChannelOnLine(1);
    Start();
    ASSERT_NE(form->ChannelWindowOf(1), nullptr);
    ASSERT_TRUE(WaitForStepping(1));
    box.shown.clear();
    box.answers = {MessageResult::Yes, MessageResult::No};
    // Runs inside the shut-down's waits, as the operator's second click would.
    bool enabledDuringWaits = true;
    QTimer::singleShot(0, form.get(), [&] {
        enabledDuringWaits = form->ExitAction()->isEnabled();
        form->ExitActionExecute();
    });
    form->ExitActionExecute();
    EXPECT_FALSE(enabledDuringWaits);
    EXPECT_EQ(box.texts(), QStringList{ConfirmText});
    EXPECT_TRUE(form->Closing());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(LogText().count(QStringLiteral("Программа завершается")), 1);
}

TEST_F(MainWindowTest, AChannelWindowClosedDuringTheShutDownIsNotWaitedForAfterwards)
{
    PutChannelOnLine(1);
    Start();
    QPointer<TTxChannelWindow> w = form->ChannelWindowOf(1);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(WaitForStepping(1));
    // The operator closes the window while the shut-down waits for it: the
    // window is freed at once, and the waits must not touch it after that,
    // nor the main window its menus (freed with it) when the area names the
    // next active child.
    QTimer::singleShot(0, form.get(), [&] {
        ASSERT_FALSE(w.isNull());
        delete w->parentWidget();
    });
    form->ExitActionExecute();
    EXPECT_TRUE(w.isNull());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(LogText().count(QStringLiteral("Программа завершается")), 1);
}

TEST_F(MainWindowTest, TheMemoryPanelsShowRealFigures)
{
    Start();
    form->ClockTimerTimer();
    for (int panel : {0, 1}) {
        SCOPED_TRACE(panel);
        bool isNumber = false;
        const qlonglong figure = form->MainStatusBar()->PanelText(panel).toLongLong(&isNumber);
        EXPECT_TRUE(isNumber) << form->MainStatusBar()->PanelText(panel).toStdString();
        EXPECT_GT(figure, 0);
    }
    // What the heap holds from the system covers what is in use of it.
    EXPECT_GE(form->MainStatusBar()->PanelText(0).toLongLong(), form->MainStatusBar()->PanelText(1).toLongLong());
}

TEST_F(MainWindowTest, AChannelInALineAlarmGetsNoCommandAtExit)
{
    PutChannelOnLine(1);
    Start();
    TTxChannelWindow* w = form->ChannelWindowOf(1);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(WaitForStepping(1));
    TTxChannelDriver* d = form->ScannerObject()->Driver(1);
    {
        // The reception element's line alarm: shown in the channel state,
        // the driver's alarm flag untouched.
        EngineLock lock(d->Mutex());
        ASSERT_NE(d->CurrentElement, nullptr);
        d->CurrentElement->State = ChannelStates::AlarmLineCurrent;
        d->SetChannelState(ChannelStates::AlarmLineCurrent);
        ASSERT_FALSE(d->Alarm);
    }
    Idle();
    form->ExitActionExecute();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(w->DialogMode());
    EXPECT_EQ(w->MessageCode(), ChannelMessageCodes::None);
    EXPECT_EQ(w->ChannelCommand(), ChannelCommands::None);
}

TEST_F(MainWindowTest, ExitWritesGeometryAndCounterResetModes)
{
    WriteCommon(QStringLiteral("Left"), QStringLiteral("40"));
    WriteCommon(QStringLiteral("Top"), QStringLiteral("30"));
    WriteCommon(QStringLiteral("Width"), QStringLiteral("700"));
    WriteCommon(QStringLiteral("Height"), QStringLiteral("500"));
    {
        IniFile ini(folder + QStringLiteral("KORVANE2.INI"));
        ini.WriteString(ChannelSectionName(2), QStringLiteral("TlgFNumberMode"), QStringLiteral("Г"));
    }
    Start();
    EXPECT_EQ(form->width(), 700);
    EXPECT_EQ(form->height(), 500);
    form->resize(720, 510);
    form->ExitActionExecute();
    form.reset();

    const IniFile ini(folder + QStringLiteral("KORVANE2.INI"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("COMMON"), QStringLiteral("Width"), 0), 720);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("COMMON"), QStringLiteral("Height"), 0), 510);
    // Read back as written: the window comes back where it was.
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("COMMON"), QStringLiteral("Left"), 0), 40);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("COMMON"), QStringLiteral("Top"), 0), 30);
    for (int c = 1; c <= 8; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(ini.ReadString(ChannelSectionName(c), QStringLiteral("TlgFNumberMode"), {}),
                  c == 2 ? QStringLiteral("Г") : QStringLiteral("М"));
        EXPECT_EQ(ini.ReadString(ChannelSectionName(c), QStringLiteral("TlgCKSNumberMode"), {}), QStringLiteral("Д"));
    }
    // The log is closed at exit: nothing written after "Выход".
    EXPECT_EQ(LogFile, nullptr);
}

TEST_F(MainWindowTest, NoIniGivesTheDefaultGeometry)
{
    Start();
    EXPECT_EQ(form->width(), 600);
    EXPECT_EQ(form->height(), 456);
}

TEST_F(MainWindowTest, AProtocolFileThatCannotBeLoadedStartsNoChannel)
{
    // The protocol file's name is taken by a folder: it can be neither read
    // nor created, and the store has no set.
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("KORVANE2.PRO")));
    PutChannelOnLine(1, false);
    Start();
    EXPECT_EQ(form->Protocol().Set(), nullptr);
    EXPECT_TRUE(box.texts().contains(NoChannels));
    EXPECT_TRUE(form->MdiArea()->subWindowList().isEmpty());
    form->ExitActionExecute();
    form.reset();
    const IniFile ini(folder + QStringLiteral("KORVANE2.INI"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("COMMON"), QStringLiteral("Width"), 0), 600);
}

TEST_F(MainWindowTest, JournalNoticeRefreshesOnlyTheMatchingView)
{
    PutChannelOnLine(1);
    Start();
    form->ShowTransmitJournal(1);
    form->ShowReceiveJournal(1);
    form->ShowTransmitJournal(1); // the open view comes to the front, no second one
    QList<TViewJrnForm*> views;
    for (QMdiSubWindow* sub : form->MdiArea()->subWindowList())
        if (auto* v = qobject_cast<TViewJrnForm*>(sub->widget()))
            views << v;
    ASSERT_EQ(views.size(), 2);
    TViewJrnForm* receive = views[0]->Kind() == TViewJrnForm::ReceiveKind ? views[0] : views[1];
    TViewJrnForm* transmit = receive == views[0] ? views[1] : views[0];

    QFile journal(receive->JournalPath());
    ASSERT_TRUE(journal.open(QIODevice::Append));
    journal.write("12:00 line\r\n");
    journal.close();
    const QString transmitBefore = transmit->RichEdit1()->toPlainText();

    form->Journals().Post(1, JournalNotifier::ReceiveJournal);
    EXPECT_FALSE(receive->RichEdit1()->toPlainText().contains(QStringLiteral("12:00 line")))
        << "delivered only through the event loop";
    Idle();
    EXPECT_TRUE(receive->RichEdit1()->toPlainText().contains(QStringLiteral("12:00 line")));
    EXPECT_EQ(transmit->RichEdit1()->toPlainText(), transmitBefore);
}

// The engine's folder refresh reaches the browser set after the window's
// creation, from the first scanner and from every one a restart makes.
TEST_F(MainWindowTest, EveryScannersFolderRefreshReachesTheBrowser)
{
    PutChannelOnLine(1);
    Start();
    QStringList refreshed;
    form->SetFolderRefresh([&refreshed](const QString& folder) { refreshed << folder; });
    ASSERT_NE(form->ScannerObject()->Driver(1), nullptr);
    const auto& first = form->ScannerObject()->Driver(1)->Environment();
    ASSERT_TRUE(first.RefreshFolder);
    first.RefreshFolder(QStringLiteral("/one"));
    form->RestartChannels();
    ASSERT_NE(form->ScannerObject()->Driver(1), nullptr);
    form->ScannerObject()->Driver(1)->Environment().RefreshFolder(QStringLiteral("/two"));
    EXPECT_EQ(refreshed, (QStringList{"/one", "/two"}));
}

} // namespace

namespace {

TEditForm* OpenEditor(QMdiArea* mdi)
{
    for (QMdiSubWindow* sub : mdi->subWindowList())
        if (auto* e = qobject_cast<TEditForm*>(sub->widget()))
            return e;
    return nullptr;
}

// A telegram being written is never lost by "Выход": its editor asks first,
// and Cancel there leaves the program and its channels as they were.
TEST_F(MainWindowTest, ExitAsksEachEditorAndItsCancelKeepsTheProgramRunning)
{
    PutChannelOnLine(1);
    Start();
    form->CreateTelegram(1);
    TEditForm* editor = OpenEditor(form->MdiArea());
    ASSERT_NE(editor, nullptr);
    editor->Memo1()->appendPlainText(QStringLiteral("СРОЧНО ТЕКСТ"));
    TTxScanner* scanner = form->ScannerObject();
    const QString question = QStringLiteral("Сохранить изменения в '%1'?").arg(editor->windowTitle());

    box.shown.clear();
    box.answers = {MessageResult::Yes, MessageResult::Cancel};
    form->ExitActionExecute();
    EXPECT_EQ(box.texts(), (QStringList{ConfirmText, question}));
    EXPECT_FALSE(form->Closing());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->ScannerObject(), scanner);
    EXPECT_EQ(OpenEditor(form->MdiArea()), editor);
    EXPECT_TRUE(form->ExitAction()->isEnabled());

    box.shown.clear();
    box.answers = {MessageResult::Yes, MessageResult::No};
    form->ExitActionExecute();
    EXPECT_EQ(box.texts(), (QStringList{ConfirmText, question}));
    EXPECT_TRUE(form->Closing());
    EXPECT_FALSE(form->isVisible());
}

} // namespace

namespace {

struct CommandCase {
    QAction* TMainActions::*action;
    const char* caption;
    const char* tip;
    const char* status;
    QKeySequence keys;
};

// Every command's caption, tool tip, status text and shortcut, as the
// operator meets them in the menus, on the tool bars and in the status bar.
TEST_F(MainWindowTest, EveryCommandHasItsCaptionHintAndShortcut)
{
    Start();
    const CommandCase cases[] = {
        {&TMainActions::EditCopy1, "&Скопировать", "Копировать", "Копировать в буфер обмена выделенный фрагмент",
         QKeySequence(Qt::CTRL | Qt::Key_C)},
        {&TMainActions::EditCut1, "Вырезать", "Вырезать", "Вырезать в буфер обмена выделенный фрагмент",
         QKeySequence(Qt::CTRL | Qt::Key_X)},
        {&TMainActions::EditDelete1, "Удалить", "Удалить", "Удалить выделенный фрагмент", QKeySequence(Qt::Key_Delete)},
        {&TMainActions::EditPaste1, "Вклеить", "Вставить", "Вставить из буфера обмена выделенный фрагмент",
         QKeySequence(Qt::CTRL | Qt::Key_V)},
        {&TMainActions::EditUndo1, "&Откат", "Откат", "Отменить последнюю операцию",
         QKeySequence(Qt::ALT | Qt::Key_Backspace)},
        {&TMainActions::CallAction1, "Вызов", "Вызов", "Установить соединение", QKeySequence(Qt::Key_F9)},
        {&TMainActions::AskAction1, "Запрос автоответа", "Запрос автответа",
         "Передать запрос автоответа (комбинация \"КТО ТАМ\")", QKeySequence(Qt::CTRL | Qt::Key_F9)},
        {&TMainActions::AnswerAction1, "Автоответ", "Автоответ", "Передать в линию свой автоответ",
         QKeySequence(Qt::ALT | Qt::Key_F9)},
        {&TMainActions::DisconAction1, "Отбой", "Отбой", "Разорвать текущее соединение",
         QKeySequence(Qt::CTRL | Qt::Key_F10)},
        {&TMainActions::BellAction1, "Звонок", "Звонок", "Звонок оператору", {}},
        {&TMainActions::ManualAction, "Переключить в контроль", "Переключить в контроль", "Переключить в контроль", {}},
        {&TMainActions::RestartProtocolAction, "Инициализация", "Инициализация",
         "Перезапустить обработку протокола при аварии", {}},
        {&TMainActions::WindowCascade1, "Каскад", "Каскад", "Расположить окна каскадом", {}},
        {&TMainActions::WindowTileHorizontal1, "Мозаика &Горизонтально", "Мозаика горизонтальная",
         "Расположить окна мозаикой", {}},
        {&TMainActions::WindowTileVertical1, "&Мозаика Вертикально", "Мозаика вертикальная",
         "Расположить окна мозаикой", {}},
        {&TMainActions::WindowMinimizeAll1, "Уменьшить все", "", "", {}},
        {&TMainActions::ViewFilesAction, "Просмотр файлов", "Просмотр файлов протоколов, журналов",
         "Просмотр файлов протоколов, журналов", {}},
        {&TMainActions::PrintAction, "Печатать...", "Windows печать", "Windows печать", {}},
        {&TMainActions::ExitAction, "Выход", "Выход", "Завершить работу программы", {}},
        {&TMainActions::ViewCountriesAction, "&Таблица кодов стран", "Просмотр списка кодов стран",
         "Просмотр списка кодов стран", {}},
        {&TMainActions::AbonentsAction, "&База данных абонентов", "Просмотр и редактирование базы данных абонентов",
         "Просмотр и редактирование базы данных абонентов", {}},
        {&TMainActions::CreateTlgAction, "&Создание телеграммы", "Создание телеграммы",
         "Открыть окно создания новой телеграммы", {}},
        {&TMainActions::TrsmTlgAction, "&Передача телеграмм", "Просмотр переданных телеграмм",
         "Просмотр переданных телеграмм", {}},
        {&TMainActions::RecTlgAction, "Принятые телеграммы", "Просмотр принятых телеграмм",
         "Просмотр принятых телеграмм", {}},
        {&TMainActions::TrmJrnAction, "Журнал передачи", "Журнал передачи", "Открыть окно просмотра журнала передачи",
         {}},
        {&TMainActions::RecJrnAction, "Журнал приема", "Журнал приема", "Открыть окно просмотра журнала приема", {}},
        {&TMainActions::SendEditAction, "Отправить",
         "Поместить файл в папку передачи (создать телеграмму для отправки)",
         "Поместить файл в папку передачи (создать телеграмму для отправки)", {}},
        {&TMainActions::DOSPrintAction, "DOS Печать", "Быстрая печать на матричном принтере в ОЕМ кодировке",
         "Быстрая печать на матричном принтере в ОЕМ кодировке", {}},
        {&TMainActions::ShowBadNumbersAction, "Неэффективные вызовы", "Просмотр таблицы неэффективных вызовов",
         "Просмотр таблицы неэффективных вызовов", {}},
        {&TMainActions::SoundOffAction, "Выключить звук", "Выключить звук", "Выключить звук", {}},
        {&TMainActions::AnswerBackAction1, "Изменение автоответов", "", "", {}},
    };
    for (const CommandCase& c : cases) {
        QAction* a = form->Actions().*(c.action);
        ASSERT_NE(a, nullptr) << c.caption;
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(a->text(), QString::fromUtf8(c.caption));
        if (*c.tip) {
            EXPECT_EQ(a->toolTip(), QString::fromUtf8(c.tip));
        }
        EXPECT_EQ(a->statusTip(), QString::fromUtf8(c.status));
        EXPECT_EQ(a->shortcut(), c.keys);
    }
    const auto items = [](QMenu* menu) {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    };
    EXPECT_EQ(items(form->FileMenu()),
              (QStringList{QStringLiteral("Просмотр файлов"), QStringLiteral("-"),
                           QStringLiteral("&База данных абонентов"), QStringLiteral("&Таблица кодов стран"),
                           QStringLiteral("-"), QStringLiteral("Выход")}));
    EXPECT_EQ(items(form->WindowsMenuBar()),
              (QStringList{QStringLiteral("&Контроль/Диалог..."), QStringLiteral("-"), QStringLiteral("Каскад"),
                           QStringLiteral("Мозаика &Горизонтально"), QStringLiteral("&Мозаика Вертикально"),
                           QStringLiteral("Следующее"), QStringLiteral("Предыдущее"), QStringLiteral("Уменьшить все"),
                           QStringLiteral("Закрыть все")}));
    EXPECT_EQ(items(form->ModesMenu()),
              (QStringList{QStringLiteral("&Драйвер..."), QStringLiteral("&Каналы"), QStringLiteral("-"),
                           QStringLiteral("Изменение автоответов")}));
}

// With no MDI child nothing that needs one can be run, and paste keeps
// the state it had.
TEST_F(MainWindowTest, WithNoChildTheCommandsThatNeedOneAreDisabled)
{
    Start();
    form->MdiArea()->closeAllSubWindows();
    const TMainActions& a = form->Actions();
    a.EditPaste1->setEnabled(true);
    Idle();
    form->AppIdle();
    for (QAction* action : {a.CallAction1, a.AskAction1, a.AnswerAction1, a.DisconAction1, a.BellAction1,
                            a.ManualAction, a.RestartProtocolAction, a.EditCut1, a.EditDelete1, a.EditUndo1,
                            a.SendEditAction, a.PrintAction, a.DOSPrintAction, a.CreateTlgAction, a.TrsmTlgAction,
                            a.RecTlgAction, a.TrmJrnAction, a.RecJrnAction, a.ShowBadNumbersAction,
                            a.WindowCascade1, a.WindowTileHorizontal1, a.WindowTileVertical1, a.WindowMinimizeAll1})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(a.EditPaste1->isEnabled());
    for (QAction* action : {a.ViewFilesAction, a.AbonentsAction, a.ViewCountriesAction, a.ExitAction,
                            a.AboutAction1, a.SoundOffAction, a.AnswerBackAction1})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();

    emit form->WindowsMenuBar()->aboutToShow();
    for (QAction* item : form->WindowsMenuBar()->actions())
        if (!item->isSeparator()) {
            EXPECT_EQ(item->isEnabled(), item->menu() == form->ControlDialogMenu()) << item->text().toStdString();
        }
}

// The copy command follows the editor's selection as it changes, while
// the focus stays where it is.
TEST_F(MainWindowTest, CopyFollowsTheEditorsSelection)
{
    PutChannelOnLine(1);
    Start();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->CreateTelegram(1);
    Idle();
    auto* editor = qobject_cast<TEditForm*>(form->MdiArea()->currentSubWindow()->widget());
    ASSERT_NE(editor, nullptr);
    TEditMemo* memo = editor->Memo1();
    memo->setFocus();
    Idle();
    ASSERT_EQ(QApplication::focusWidget(), memo);
    QAction* copy = form->Actions().EditCopy1;
    EXPECT_FALSE(copy->isEnabled());

    // The caret on the address line: Shift+End selects it, Home drops the selection.
    QTest::keyClick(memo, Qt::Key_Up);
    QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
    ASSERT_TRUE(memo->textCursor().hasSelection());
    EXPECT_TRUE(copy->isEnabled());
    QTest::keyClick(memo, Qt::Key_Home);
    EXPECT_FALSE(copy->isEnabled());
    memo->selectAll();
    EXPECT_TRUE(copy->isEnabled());
    QTextCursor c = memo->textCursor();
    c.clearSelection();
    memo->setTextCursor(c);
    EXPECT_FALSE(copy->isEnabled());
    memo->document()->setModified(false);
}

// A second and a third editor open where the operator sees them: within
// the main window's MDI area.
TEST_F(MainWindowTest, EveryNewEditorOpensInsideTheMdiArea)
{
    PutChannelOnLine(1);
    Start();
    form->resize(1000, 720);
    Idle();
    const QRect area = form->MdiArea()->viewport()->rect();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        form->CreateTelegram(1);
        Idle();
        QMdiSubWindow* sub = form->MdiArea()->currentSubWindow();
        ASSERT_NE(sub, nullptr);
        ASSERT_NE(qobject_cast<TEditForm*>(sub->widget()), nullptr);
        EXPECT_TRUE(area.contains(sub->geometry()))
            << "area " << area.width() << "x" << area.height() << ", editor at " << sub->x() << "," << sub->y()
            << " " << sub->width() << "x" << sub->height();
        qobject_cast<TEditForm*>(sub->widget())->Memo1()->document()->setModified(false);
    }
}

// Telegrams created in a row for one channel get consecutive numbers, and
// a journal command for a view already open brings that view forward.
TEST_F(MainWindowTest, TelegramCommandsNumberInARowAndKeepOneJournalViewPerKind)
{
    PutChannelOnLine(1);
    Start();
    form->CreateTelegram(1);
    form->CreateTelegram(1);
    QStringList titles;
    for (QMdiSubWindow* sub : form->MdiArea()->subWindowList())
        if (auto* e = qobject_cast<TEditForm*>(sub->widget()))
            titles << QFileInfo(e->windowTitle()).fileName();
    ASSERT_EQ(titles.size(), 2);
    const int first = titles[0].mid(3, 5).toInt();
    EXPECT_EQ(titles[1], QStringLiteral("TEL%1.TLG").arg(first + 1, 5, 10, QLatin1Char('0')));

    form->ShowTransmitJournal(1);
    const auto views = [this] {
        int n = 0;
        for (QMdiSubWindow* sub : form->MdiArea()->subWindowList())
            n += qobject_cast<TViewJrnForm*>(sub->widget()) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(views(), 1);
    form->MdiArea()->activateNextSubWindow();
    form->ShowTransmitJournal(1);
    EXPECT_EQ(views(), 1);
    EXPECT_NE(qobject_cast<TViewJrnForm*>(form->MdiArea()->currentSubWindow()->widget()), nullptr);
}

} // namespace

namespace {

// The channel options run on a copy: Cancel leaves KORVANE2.PRO byte for
// byte and the same scanner running; OK writes the file and restarts the
// channels on a new scanner.
TEST_F(MainWindowTest, ChannelOptionsCancelKeepsEverythingAndOkWritesAndRestarts)
{
    PutChannelOnLine(1);
    Start();
    const QString pro = folder + QStringLiteral("KORVANE2.PRO");
    const QByteArray before = korvane::test::ReadFileBytes(pro);
    QPointer<TTxScanner> running = form->ScannerObject();
    ASSERT_FALSE(running.isNull());

    form->Settings().SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
    form->Settings().EditChannelOptions(1);
    EXPECT_EQ(korvane::test::ReadFileBytes(pro), before);
    EXPECT_EQ(form->ScannerObject(), running.data());

    form->Settings().SetDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
    form->Settings().EditChannelOptions(1);
    EXPECT_TRUE(running.isNull()) << "the channels were not restarted";
    EXPECT_NE(form->ScannerObject(), nullptr);
    FakeMessageBox quiet;
    TProtocol store(quiet);
    store.SetProName(pro);
    store.SetIniName(folder + QStringLiteral("KORVANE2.INI"));
    store.Load();
    ASSERT_NE(store.Set(), nullptr);
    EXPECT_EQ(store.Set()->Channels[0].AdapterType, 1);
    EXPECT_NE(form->ChannelWindowOf(1), nullptr);
}

// The answerback form's OK stores each channel's answerback, cut to 20
// characters, then restarts the channels once.
TEST_F(MainWindowTest, AnswerBackFormOkStoresEachChannelsAnswerBack)
{
    PutChannelOnLine(1);
    Start();
    QPointer<TTxScanner> running = form->ScannerObject();
    TABForm answerBacks(box, form.get());
    form->Settings().SetABForm(&answerBacks);
    form->Settings().SetDialogRunner([&](QDialog& dialog) {
        EXPECT_EQ(&dialog, &answerBacks);
        TABForm::AnswerBacks typed;
        for (std::size_t c = 0; c < typed.size(); ++c)
            typed[c] = QStringLiteral("%1 KORVANE RU").arg(c + 1);
        typed[1] = QStringLiteral("22222222223333333333XYZ");
        answerBacks.SetAnswerBacks(typed);
        return int(QDialog::Accepted);
    });
    form->Actions().AnswerBackAction1->trigger();
    EXPECT_TRUE(running.isNull());

    FakeMessageBox quiet;
    TProtocol store(quiet);
    store.SetProName(folder + QStringLiteral("KORVANE2.PRO"));
    store.SetIniName(folder + QStringLiteral("KORVANE2.INI"));
    store.Load();
    ASSERT_NE(store.Set(), nullptr);
    EXPECT_EQ(store.Set()->Channels[0].AnswerBack.text(), QStringLiteral("1 KORVANE RU"));
    EXPECT_EQ(store.Set()->Channels[1].AnswerBack.text(), QStringLiteral("22222222223333333333"));
    EXPECT_EQ(store.Set()->Channels[7].AnswerBack.text(), QStringLiteral("8 KORVANE RU"));
}

} // namespace

// Every help request is answered by the note of its own topic: F1 asks for
// the topic of the window the operator works in, the Help buttons of the
// settings dialogs and of the number lists for theirs.
TEST_F(MainWindowTest, EveryHelpRequestShowsTheNoteOfItsTopic)
{
    PutChannelOnLine(1);
    Start();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const auto pressF1 = [&] {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.get(), Qt::Key_F1);
    };
    const auto lastNote = [&] { return box.texts().isEmpty() ? QString() : box.texts().constLast(); };

    ASSERT_NE(form->ChannelWindowOf(1), nullptr);
    form->ChannelWindowOf(1)->setFocus();
    pressF1();
    EXPECT_EQ(lastNote(), HelpNoteText(TTxChannelWindow::HelpContext));

    form->CreateTelegram(1);
    Idle();
    ASSERT_NE(form->MdiArea()->currentSubWindow(), nullptr);
    ASSERT_NE(qobject_cast<TEditForm*>(form->MdiArea()->currentSubWindow()->widget()), nullptr);
    pressF1();
    EXPECT_EQ(lastNote(), HelpNoteText(TEditForm::HelpContext));

    form->MdiArea()->closeAllSubWindows();
    Idle();
    box.shown.clear();
    pressF1();
    EXPECT_EQ(lastNote(), HelpNoteText(TMainForm::HelpContext));

    int dialogTopic = -1;
    const auto pressHelp = [&](QDialog& dialog) {
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        EXPECT_NE(buttons, nullptr);
        if (buttons)
            buttons->button(QDialogButtonBox::Help)->click();
        if (auto* options = qobject_cast<TMultPageDlg*>(&dialog))
            dialogTopic = options->HelpContext();
        else if (auto* modes = qobject_cast<TDriverModeDlg*>(&dialog))
            dialogTopic = modes->HelpContext();
        return int(QDialog::Rejected);
    };
    form->Settings().SetDialogRunner(pressHelp);
    form->Settings().EditChannelOptions(1);
    EXPECT_EQ(lastNote(), HelpNoteText(dialogTopic));
    box.shown.clear();
    form->Settings().DriverMenuClick();
    EXPECT_EQ(lastNote(), HelpNoteText(dialogTopic));

    TBadNumbersForm numbers(form.get());
    form->SetBadNumbersForm(&numbers);
    box.shown.clear();
    for (QPushButton* b : numbers.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("&Справка"))
            b->click();
    EXPECT_EQ(box.texts(), QStringList{HelpNoteText(TBadNumbersForm::HelpContext)});

    // F1 in the About box, shown modally from the main window's command.
    box.shown.clear();
    QTimer::singleShot(0, form.get(), [] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(qobject_cast<TfrmAbout*>(about), nullptr);
        QTest::keyClick(about, Qt::Key_F1);
        static_cast<QDialog*>(about)->reject();
    });
    form->Actions().AboutAction1->trigger();
    EXPECT_EQ(box.texts(), QStringList{HelpNoteText(TfrmAbout::HelpContext)});
}

// Both tool bars show every button, each with its picture, within the
// window's smallest width: none is hidden behind the bar's extension.
TEST_F(MainWindowTest, BothToolBarsFitTheSmallestWindowWithAPictureOnEachButton)
{
    Start();
    const QList<QToolBar*> bars = form->findChildren<QToolBar*>();
    ASSERT_EQ(bars.size(), 2);
    for (QToolBar* bar : bars) {
        EXPECT_LE(bar->sizeHint().width(), form->minimumWidth()) << bar->windowTitle().toStdString();
        for (QAction* a : bar->actions()) {
            if (a->isSeparator())
                continue;
            EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
            EXPECT_FALSE(a->toolTip().isEmpty()) << a->text().toStdString();
        }
    }
}
