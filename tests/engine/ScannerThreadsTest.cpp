// The scanner in high-precision mode on real time: the fast tick on the
// periodic timer thread, the protocol and file ticks and the port's events
// on the main thread, all touching the same drivers. Run under
// ThreadSanitizer too (the test script's second build).

#include "engine/ElementCatalog.h"
#include "engine/TickTimer.h"
#include "engine/TxElementPro.h"
#include "engine/TxScanner.h"
#include "protocols/DriverModes.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeSystemBeep.h"
#include "tests/fakes/SimulatedIdleChannels.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace korvane;

namespace {

using test::SimulatedIdleChannels;

// The idle step of every channel. On its first fast tick it queues a text
// for the line; it counts its fast ticks and notes whether they ran off the
// main thread.
class SendingIdle final : public TTxElementPro {
public:
    SendingIdle(TTxChannelDriver& d, std::atomic<int>& ticks, std::atomic<bool>& offMainThread, QThread* main)
        : TTxElementPro(d, 29, QStringLiteral("Анализ состояния приема"), QStringLiteral("TTxCheckInputLine")),
          ticks_(ticks), offMainThread_(offMainThread), main_(main)
    {
    }
    void DoIt() override
    {
        if (!sent_) {
            sent_ = true;
            Driver().SendString(QStringLiteral("RYRY %1").arg(Driver().Channel));
        }
        ReadInputLine();
        ++ticks_;
        if (QThread::currentThread() != main_)
            offMainThread_ = true;
    }

private:
    std::atomic<int>& ticks_;
    std::atomic<bool>& offMainThread_;
    QThread* main_;
    bool sent_ = false;
};

class ModesScope {
public:
    ModesScope() : saved_(GlobalModes) {}
    ~ModesScope() { ApplyDriverModes(saved_); }

private:
    TDriverModes saved_;
};

} // namespace

TEST(ScannerThreads, PreciseFastTickRunsOnItsThreadWhileTheLinesCarryText)
{
    constexpr int kChannels = 4;
    ModesScope keepModes;
    TDriverModes modes = GlobalModes;
    modes.PreciseTimer = 1;
    modes.TlxLogMode = 1;
    ApplyDriverModes(modes);

    SimulatedIdleChannels channels(kChannels, QStringLiteral("threads"));

    std::atomic<int> ticks{0};
    std::atomic<bool> offMainThread{false};
    QThread* mainThread = QThread::currentThread();
    ElementCatalog catalog{{QStringLiteral("TTxCheckInputLine"), QStringLiteral("Анализ состояния приема"),
                            [&](TTxChannelDriver& d) {
                                return std::make_unique<SendingIdle>(d, ticks, offMainThread, mainThread);
                            }}};
    test::FakeMessageBox box;
    test::FakeSystemBeep beep;
    QtTickTimerFactory timers;
    ScannerEnvironment env;
    env.Box = &box;
    env.Beep = &beep;
    env.Time = &systemClock();
    env.Timers = &timers;
    env.PortMap = &channels.map;
    env.Catalog = &catalog;
    env.IniFileName = channels.dir.filePath(QStringLiteral("KORVANE2.INI"));
    env.ProgramFolder = channels.dir.path();
    std::atomic<int> logLines{0};
    env.WriteLog = [&](const QString&) { ++logLines; };

    std::vector<QByteArray> received(kChannels);
    {
        TTxScanner scanner(env);
        scanner.Start(&channels.set);
        ASSERT_EQ(scanner.ActiveChannels, kChannels);
        for (int c = 1; c <= kChannels; ++c) {
            TTxChannelDriver* d = scanner.Driver(c);
            ASSERT_NE(d, nullptr) << c;
            // An 8-bit line, fast enough for the text to arrive within the test.
            d->Port->SetParams(br__9600, db8, sb1_0, paNone);
            d->AttachLineHandlers();
            d->Port->SetBreak(false); // the line at '+': nothing passes while it is held at '-'
        }

        QElapsedTimer elapsed;
        elapsed.start();
        auto allArrived = [&] {
            for (int c = 0; c < kChannels; ++c)
                if (!received[std::size_t(c)].endsWith(QByteArray::number(c + 1)))
                    return false;
            return true;
        };
        // The limit is for a test gone wrong; a busy machine only takes longer.
        while (elapsed.elapsed() < 120000 && !(allArrived() && ticks >= 40)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            for (int c = 0; c < kChannels; ++c)
                received[std::size_t(c)] += channels.lines[std::size_t(c)]->takeReceived();
        }
        // The scanner goes while its fast tick may be running.
    }
    for (int c = 1; c <= kChannels; ++c)
        qunsetenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)));

    EXPECT_TRUE(offMainThread.load());
    EXPECT_GE(ticks.load(), 40);
    for (int c = 1; c <= kChannels; ++c)
        EXPECT_EQ(received[std::size_t(c - 1)], QByteArray("RYRY ") + QByteArray::number(c)) << c;
    EXPECT_GT(logLines.load(), 0);
    EXPECT_TRUE(box.shown.isEmpty());
}
