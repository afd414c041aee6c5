// Nothing that waits on a person or a disk runs under the engine lock: the
// window calls a driver makes under it (and the boxes they open) wait for
// its release, and the disk work asked for under it waits for the file tick.

#include "RecordingChannelWindowView.h"
#include "engine/ChannelWindowState.h"
#include "engine/EngineError.h"
#include "engine/EngineMutex.h"
#include "engine/GuiThreadQueue.h"
#include "engine/TickTimer.h"
#include "platform/IniFile.h"
#include "protocols/TxProtoc.h"
#include "tests/engine/EngineRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using namespace korvane;
using namespace korvane::test;

TEST(EngineLock, ACallMadeUnderItOnTheGuiThreadRunsAfterTheOutermostRelease)
{
    EngineMutex mutex;
    GuiThreadQueue queue;
    QStringList order;
    QList<bool> heldDuring;
    auto note = [&](const QString& what) {
        return [&, what] {
            order << what;
            heldDuring << EngineMutex::HeldByThisThread();
        };
    };
    {
        EngineLock outer(mutex);
        queue.Post(note("first"));
        {
            EngineLock inner(mutex);
            queue.Post(note("second"));
        }
        EXPECT_TRUE(order.isEmpty()) << "an inner release leaves the lock held";
    }
    EXPECT_EQ(order, (QStringList{"first", "second"}));
    EXPECT_EQ(heldDuring, (QList<bool>{false, false}));
    queue.Post(note("third")); // without the lock: at once
    EXPECT_EQ(order.size(), 3);
}

TEST(EngineLock, ACallWaitingForTheReleaseIsDroppedWithItsQueue)
{
    EngineMutex mutex;
    int runs = 0;
    {
        EngineLock lock(mutex);
        {
            GuiThreadQueue queue;
            queue.Post([&] { ++runs; });
        }
    }
    EXPECT_EQ(runs, 0);
}

TEST(EngineLock, NoLogLineIsWrittenWithTheLockHeld)
{
    EngineRig rig;
    rig.catalog = MakeCatalog({{QStringLiteral("Пауза"), "TTxPause",
                                [](ScriptedElement&) { throw EngineError(QStringLiteral("сбой")); }, nullptr},
                               {QStringLiteral("Анализ состояния приема"), "TTxCheckInputLine", nullptr, nullptr}});
    rig.set = MakeSet({{"Пауза", QStringLiteral("Пауза"), {}}});
    rig.AddLine(1);
    rig.EnableChannel(1);
    ScannerEnvironment env = rig.Environment();
    QStringList lines;
    QStringList underLock;
    env.WriteLog = [&](const QString& line) {
        lines << line;
        if (EngineMutex::HeldByThisThread())
            underLock << line;
    };
    rig.scanner = std::make_unique<TTxScanner>(env);
    rig.scanner->Start(rig.set.get());
    TTxChannelDriver& d = *rig.scanner->Driver(1);
    d.Port->SetParams(br____50, db5, sb1_5, paNone);
    d.AttachLineHandlers();
    d.SendString(QStringLiteral("RY"));
    rig.Advance(61000); // a minute: the memory and statistics lines too
    EXPECT_TRUE(lines.contains(QStringLiteral("== Исключение: сбой [TTxScanner.ProtocolTimerTimer]")))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.startsWith("-= Mem "); }));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.contains("Tx ->: "); }));
    EXPECT_TRUE(underLock.isEmpty()) << underLock.join(u'\n').toStdString();
}

namespace {

// The idle step of the test channels: shows a connection (state 8) and
// counts its fast ticks per channel.
class CountingIdle final : public TTxElementPro {
public:
    CountingIdle(TTxChannelDriver& d, std::atomic<int>* ticks)
        : TTxElementPro(d, 29, QStringLiteral("Анализ состояния приема"), QStringLiteral("TTxCheckInputLine")),
          ticks_(ticks)
    {
    }
    void Start() override
    {
        TTxElementPro::Start();
        State = ChannelStates::Connected;
    }
    void DoIt() override { ++ticks_[Driver().Channel - 1]; }

private:
    std::atomic<int>* ticks_;
};

} // namespace

// Entering dialog with the connection shown opens "Соединение установлено"
// on channel 1. While it waits for the operator, channel 2's fast tick on
// the timer thread goes on.
TEST(EngineLock, ABoxOpenOnOneChannelLeavesTheOtherChannelsFastTickRunning)
{
    ModesScope modes;
    modes.Set([](TDriverModes& m) {
        m.PreciseTimer = 1;
        m.TlxLogMode = 0;
    });
    QTemporaryDir dir;
    serial::SerialPortMap map;
    auto set = MakeSet({{"Ждать", QStringLiteral("Анализ состояния приема"), {}}});
    for (int c = 1; c <= 2; ++c) {
        const QString name = QStringLiteral("lockbox%1").arg(c);
        map.registerSimulated(name, serial::SimSerialDevice::create());
        qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), ("sim:" + name).toUtf8());
        TChannelOptions& r = set->Channels[std::size_t(c - 1)];
        r.AdapterType = 1;
        r.TransmDir.setText(dir.filePath(QStringLiteral("out%1").arg(c)));
        r.ReceiveDir.setText(dir.filePath(QStringLiteral("in%1").arg(c)));
    }
    std::atomic<int> ticks[2] = {0, 0};
    ElementCatalog catalog{{QStringLiteral("TTxCheckInputLine"), QStringLiteral("Анализ состояния приема"),
                            [&](TTxChannelDriver& d) { return std::make_unique<CountingIdle>(d, ticks); }}};
    FakeMessageBox box;
    FakeSystemBeep beep;
    QtTickTimerFactory timers;
    ScannerEnvironment env;
    env.Box = &box;
    env.Beep = &beep;
    env.Time = &systemClock();
    env.Timers = &timers;
    env.PortMap = &map;
    env.Catalog = &catalog;
    env.IniFileName = dir.filePath(QStringLiteral("KORVANE2.INI"));
    env.ProgramFolder = dir.path();
    env.WriteLog = [](const QString&) {};

    RecordingChannelWindowView view;
    ChannelWindowState window(view);
    window.SetChannel(1);
    // The operator reads the box while the engine's tick makes this many
    // rounds: a fixed amount of work however busy the machine; a tick that
    // the box stopped makes none, and the box closes at the limit.
    constexpr int kTicksInBox = 20;
    bool boxOpen = false;
    bool lockHeldInBox = true;
    int ticksInBox = -1;
    view.OnBox = [&] {
        boxOpen = true;
        lockHeldInBox = EngineMutex::HeldByThisThread();
        const int before = ticks[1].load();
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (ticks[1].load() - before < kTicksInBox && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ticksInBox = ticks[1].load() - before;
    };
    {
        TTxScanner scanner(env);
        scanner.Start(set.get());
        ASSERT_NE(scanner.Driver(1), nullptr);
        ASSERT_NE(scanner.Driver(2), nullptr);
        scanner.Driver(1)->SetWindow(&window);

        QElapsedTimer elapsed;
        elapsed.start();
        auto runUntil = [&](auto done) {
            while (!done() && elapsed.elapsed() < 120000) { // a limit for a test gone wrong
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                window.MessagesTimerTimer();
            }
            return done();
        };
        ASSERT_TRUE(runUntil([&] { return window.ChannelState() == ChannelStates::Connected; }));
        ASSERT_TRUE(view.boxes.empty()) << "Control mode shows no box for a connection";
        window.SetChannelCommand(ChannelCommands::Call);
        ASSERT_TRUE(runUntil([&] { return ticksInBox >= 0; }));
        scanner.Driver(1)->SetWindow(nullptr);
    }
    for (int c = 1; c <= 2; ++c)
        qunsetenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)));

    ASSERT_TRUE(boxOpen);
    EXPECT_EQ(view.BoxTexts().value(0), QStringLiteral("Диалог - канал 1\rСоединение установлено"));
    EXPECT_FALSE(lockHeldInBox);
    EXPECT_GE(ticksInBox, kTicksInBox) << "the tick stopped while the box was open";
}
