// The same calls as on virtual time, on real time: the channels' ports run
// their own worker threads over simulated devices, the far ends run on the
// network scheduler's thread, and the engine's fast tick on its timer; the
// event loop of the test carries the protocol and file ticks.
#include "tests/channel/TranscriptText.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeSystemBeep.h"

#include "engine/ElementCatalog.h"
#include "engine/TickTimer.h"
#include "engine/TxScanner.h"
#include "platform/Clock.h"
#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimScheduler.h"
#include "protocols/DefaultProtocols.h"
#include "protocols/DriverModes.h"
#include "sim/Scenario.h"
#include "sim/SimNetwork.h"
#include "support/LogFile.h"
#include "support/OemText.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

class RealTimeChannel {
public:
    explicit RealTimeChannel(const QString& scenarioName)
    {
        savedModes_ = GlobalModes;
        TDriverModes m = GlobalModes;
        m.PreciseTimer = 1;
        m.TlxLogMode = 1;
        m.ModeDriver = DriverMode::FigsTenIsFour;
        ApplyDriverModes(m);
        logFile_ = std::make_unique<TLogFile>(dir.path(), systemClock());
        savedLog_ = LogFile;
        LogFile = logFile_.get();

        int err = 0;
        set = BuildDefaultProtocolSet(err, box);
        scenario = *sim::Scenario::load(scenarioName);
        network = std::make_unique<sim::SimNetwork>(scenario, scheduler);
        map.registerSimulated(QStringLiteral("rt1"), network->device());
        qputenv("KORVANE_COM1", "sim:rt1");
        TChannelOptions& r = set->Channels[0];
        r.AdapterType = 1;
        r.AnswerBack.setText(QStringLiteral("^<_12345$ KORV"));
        r.TransmDir.setText(dir.filePath("out1"));
        r.ReceiveDir.setText(dir.filePath("in1"));
        r.TransmJrnFile.setText(dir.filePath("tx1.jrn"));
        r.ReceiveJrnFile.setText(dir.filePath("rx1.jrn"));
        r.TransmCommonFile.setText(dir.filePath("tx1.all"));
        r.ReceiveCommonFile.setText(dir.filePath("rx1.all"));
        QDir().mkpath(r.TransmDir.text());
        QDir().mkpath(r.ReceiveDir.text());
    }
    ~RealTimeChannel()
    {
        scanner.reset();
        network.reset();
        LogFile = savedLog_;
        ApplyDriverModes(savedModes_);
        qunsetenv("KORVANE_COM1");
    }

    void Start()
    {
        ScannerEnvironment env;
        env.Box = &box;
        env.Beep = &beep;
        env.Time = &systemClock();
        env.Timers = &timers;
        env.PortMap = &map;
        env.Catalog = &DefaultElementCatalog();
        env.IniFileName = dir.filePath(QStringLiteral("KORVANE2.INI"));
        env.ProgramFolder = dir.path();
        scanner = std::make_unique<TTxScanner>(env);
        scanner->Start(set.get());
    }
    QString StepName()
    {
        EngineLock lock(scanner->Mutex());
        TTxChannelDriver* d = scanner->Driver(1);
        return d && d->CurrentStep ? d->CurrentStep->Name : QString();
    }
    // Runs the event loop until Done holds or Seconds have passed.
    bool RunUntil(const std::function<bool()>& done, int seconds)
    {
        QDeadlineTimer deadline(seconds * 1000);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return true;
    }
    // One call: until the idle step is left and reached again.
    bool RunCall(int seconds)
    {
        const QString idle = QStringLiteral("Анализ состояния приема");
        return RunUntil([&] { return StepName() == idle; }, seconds)
               && RunUntil([&] { return StepName() != idle; }, seconds)
               && RunUntil([&] { return StepName() == idle; }, seconds);
    }
    static QStringList Files(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    QStringList Journal(const QString& name)
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? OemToAnsi(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
                                           : QStringList();
    }

    QTemporaryDir dir;
    FakeMessageBox box;
    FakeSystemBeep beep;
    QtTickTimerFactory timers;
    serial::SerialPortMap map;
    serial::SimScheduler scheduler; // its own thread, real time
    sim::Scenario scenario;
    std::unique_ptr<sim::SimNetwork> network;
    std::unique_ptr<TProtocolSet> set;
    std::unique_ptr<TTxScanner> scanner;

private:
    TDriverModes savedModes_;
    std::unique_ptr<TLogFile> logFile_;
    TLogFile* savedLog_ = nullptr;
};

TEST(RealTime, AnOutgoingCallThroughThePortThreads)
{
    RealTimeChannel c(QStringLiteral("answer"));
    QFile f(c.dir.filePath("out1/TEL00001.TLG"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(AnsiToOem(u"|      #8-2345(2345 XYZ)\r\nTEST TELEGRAM\r\n"));
    f.close();
    c.Start();
    ASSERT_TRUE(c.RunCall(120)) << c.StepName().toStdString();

    // The same line as on virtual time; only the times may differ.
    QStringList whats = Whats(ReadableTranscript(c.network->transcript(), {"out +", "out -", "in +", "in -"}));
    EXPECT_EQ(whats.filter("pulse").size(), 8);
    // The header holds the date and time of the day.
    whats.replaceInStrings(QRegularExpression(QStringLiteral("\\^65432/0 \\d+ \\d\\d/\\d\\d \\d{4}=")),
                           QStringLiteral("^65432/0 <date>="));
    EXPECT_EQ(whats.mid(whats.indexOf("proceed")),
              (QStringList{"proceed", "out \"^2345+\"", "select 2345", "connect 2345", "in \"<_^2345 $XYZ\"",
                           "out \"^<_12345$ KORV<_ DO NOT INTERRUPT ^- $KORVANE IS WORKING <_"
                           "*GORODOK ^65432/0 <date>=<_<_<_$TEST TELEGRAM<_^@\"",
                           "in \"<_^2345 $XYZ\"", "out \"^<_12345$ KORV\"", "clear", "confirm"}))
        << whats.join('\n').toStdString();
    EXPECT_TRUE(RealTimeChannel::Files(c.dir.filePath("out1")).contains("TEL00001.TRS"));
    const QStringList journal = c.Journal("tx1.jrn");
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].contains(QStringLiteral("Успешно"))) << journal[0].toStdString();
}

TEST(RealTime, AnIncomingCallThroughThePortThreads)
{
    RealTimeChannel c(QStringLiteral("callin"));
    c.Start();
    ASSERT_TRUE(c.RunCall(60)) << c.StepName().toStdString();
    const QStringList whats = Whats(ReadableTranscript(c.network->transcript(), {"out +", "out -", "in +", "in -"}));
    EXPECT_EQ(whats, (QStringList{"call 2345", "connect 2345", "in \"^@\"", "out \"^<_12345$ KORV\"",
                                  "in \"<_<_$ZCZC ^2345 $XYZ<_TEST TELEGRAM FROM ^2345<_$NNNN<_^@\"",
                                  "out \"^<_12345$ KORV\"", "release", "clear"}));
    EXPECT_EQ(RealTimeChannel::Files(c.dir.filePath("in1")), QStringList{"TLG00001.REC"});
    const QStringList journal = c.Journal("rx1.jrn");
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].contains(QStringLiteral("<   ZCZC 2345 XYZ>"))) << journal[0].toStdString();
}

} // namespace
