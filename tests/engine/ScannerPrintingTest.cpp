// The automatic printing of the file tick: within the print hours, each
// received telegram and transmission record printed once, held a minute and
// renamed .PRT; failures that lose nothing and are logged once.

#include "tests/engine/EngineRig.h"

#include "engine/TelegramPrinter.h"
#include "engine/TxPrintWork.h"
#include "tests/fakes/FakeClock.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kIdle = QStringLiteral("Анализ состояния приема");

// Prints at once, or (device set) hands the printout to a device whose
// progress the test sets.
class FakePrinter final : public TelegramPrinter {
public:
    void PrintFile(const QString& fileName) override
    {
        attempts << fileName;
        if (fail)
            throw std::runtime_error("printer is out of paper");
        if (device) {
            progress = Progress::Printing;
            return;
        }
        printed << fileName;
        progress = Progress::Printed;
    }
    Progress PrintProgress(QString& error) const override
    {
        if (progress == Progress::Failed)
            error = deviceError;
        return progress;
    }
    QStringList attempts;
    QStringList printed;
    bool fail = false;
    bool device = false;
    Progress progress = Progress::Printed;
    QString deviceError;
};

class ScannerPrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.catalog = MakeCatalog({{kIdle, "TTxCheckInputLine", nullptr, nullptr}});
        rig.set = MakeSet({{"Ждать", kIdle, {}}});
        rig.AddLine(1);
        rig.EnableChannel(1);
        rig.Channel(1).Modes = ChannelMode::AutoPrintRec | ChannelMode::AutoPrintTrm;
        rig.Start();
        in = rig.Driver(1).ReceiveDir;
        out = rig.Driver(1).TransmDir;
        TxPrintWork::Environment env;
        env.Drivers = [this](int c) { return rig.scanner->Driver(c); };
        env.Mutex = &rig.scanner->Mutex();
        env.Printer = &printer;
        env.Time = &clock;
        env.Log = [this](const QString& l) { log << l; };
        env.RefreshFolder = [this](const QString& f) { refreshed << f; };
        work = std::make_unique<TxPrintWork>(std::move(env));
    }
    static void Touch(const QString& path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ZCZC\r\n");
    }
    void Hours(QTime begin, QTime end)
    {
        rig.modes.Set([&](TDriverModes& m) {
            m.BeginTime = begin.msecsSinceStartOfDay() / 86400000.0;
            m.EndTime = end.msecsSinceStartOfDay() / 86400000.0;
        });
    }
    static int HoldSeconds() { return TxPrintWork::HoldSeconds; }
    // Seconds of the once-a-second print work, the clock moving with them.
    void Seconds(int n)
    {
        for (int i = 0; i < n; ++i) {
            work->ScanPrintWork();
            clock.advance(1000);
        }
    }

    EngineRig rig;
    FakeClock clock{QDateTime(QDate(2026, 3, 2), QTime(12, 0))};
    FakePrinter printer;
    QStringList log, refreshed;
    QString in, out;
    std::unique_ptr<TxPrintWork> work;
};

TEST_F(ScannerPrintingTest, AReceivedTelegramIsPrintedHeldAMinuteAndRenamed)
{
    Touch(in + "/TLG00002.REC");
    Touch(in + "/TLG00001.REC");
    Touch(out + "/TEL00001.PTC");

    Seconds(1);
    EXPECT_EQ(printer.printed, QStringList{in + "/TLG00001.REC"});
    Seconds(59);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.REC"));
    Seconds(1);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.PRT"));
    EXPECT_FALSE(QFile::exists(in + "/TLG00001.REC"));
    EXPECT_EQ(refreshed, QStringList{in});
    EXPECT_EQ(work->Printing, 0);

    Seconds(1 + 61 + 61); // then the other telegram, then the record
    EXPECT_EQ(printer.printed,
              QStringList({in + "/TLG00001.REC", in + "/TLG00002.REC", out + "/TEL00001.PTC"}));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ScannerPrintingTest, OnlyTheKindsTheChannelPrintsAreTaken)
{
    rig.Driver(1).Modes = ChannelMode::AutoPrintTrm;
    Touch(in + "/TLG00001.REC");
    Touch(out + "/TEL00007.PTC");
    Touch(out + "/TEL00008.TRS");
    Seconds(1);
    EXPECT_EQ(printer.printed, QStringList{out + "/TEL00007.PTC"});
}

TEST_F(ScannerPrintingTest, AFileArrivingAfterThePrintHoursWaitsForTheNextMorning)
{
    Hours(QTime(9, 0), QTime(19, 0));
    clock.set(QDateTime(QDate(2026, 3, 2), QTime(19, 0, 30)));
    Touch(in + "/TLG00001.REC");
    Seconds(600);
    EXPECT_TRUE(printer.attempts.isEmpty());

    clock.set(QDateTime(QDate(2026, 3, 3), QTime(8, 59, 58)));
    Seconds(2);
    EXPECT_TRUE(printer.attempts.isEmpty());
    Seconds(1);
    EXPECT_EQ(printer.printed, QStringList{in + "/TLG00001.REC"});
}

TEST_F(ScannerPrintingTest, EqualPrintHoursPrintAtAnyTimeWithinASecond)
{
    Hours(QTime(3, 0), QTime(3, 0));
    clock.set(QDateTime(QDate(2026, 3, 2), QTime(23, 30)));
    Touch(in + "/TLG00001.REC");
    Seconds(1);
    EXPECT_EQ(printer.printed.size(), 1);
}

// A print that fails keeps the file under its name; it is tried again after
// the hold, and the failure is logged once.
TEST_F(ScannerPrintingTest, AFailedPrintKeepsTheFileAndIsTriedAgainLater)
{
    printer.fail = true;
    Touch(in + "/TLG00001.REC");
    Seconds(150);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.REC"));
    EXPECT_FALSE(QFile::exists(in + "/TLG00001.PRT"));
    EXPECT_EQ(printer.attempts.size(), 3);
    EXPECT_EQ(log, QStringList{"== Исключение: printer is out of paper [TTxScanner.ScanPrintWork]"});

    printer.fail = false;
    Seconds(61 + 61);
    EXPECT_EQ(printer.printed, QStringList{in + "/TLG00001.REC"});
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.PRT"));
}

// A printout that goes to a device holds up nothing: the hold begins once
// it is out, and one that fails at its deadline keeps its file for the
// retry, logged once.
TEST_F(ScannerPrintingTest, APrintoutStillGoingToTheDeviceIsWaitedForThenHeld)
{
    printer.device = true;
    Touch(in + "/TLG00001.REC");
    Seconds(120);
    EXPECT_EQ(printer.attempts.size(), 1);
    EXPECT_EQ(work->Printing, 1);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.REC"));

    printer.progress = TelegramPrinter::Progress::Printed;
    Seconds(1 + 59);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.REC"));
    Seconds(1);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.PRT"));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ScannerPrintingTest, APrintoutThatTimesOutAtTheDeviceKeepsItsFileForTheRetry)
{
    printer.device = true;
    Touch(in + "/TLG00001.REC");
    Seconds(5);
    printer.progress = TelegramPrinter::Progress::Failed;
    printer.deviceError = QStringLiteral("Принтер /dev/lp0 не принимает данные 30 с");
    Seconds(1);
    EXPECT_EQ(work->Printing, 0);
    EXPECT_EQ(log, QStringList{"== Исключение: Принтер /dev/lp0 не принимает данные 30 с [TTxScanner.ScanPrintWork]"});
    Seconds(HoldSeconds() + 1);
    EXPECT_EQ(printer.attempts.size(), 2);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.REC"));
    EXPECT_FALSE(QFile::exists(in + "/TLG00001.PRT"));
}

// A .PRT of the same name is never overwritten: the channel stops printing,
// the failure is logged once, and the rename is tried until it succeeds.
TEST_F(ScannerPrintingTest, APrintedFileThatCannotBeRenamedStopsTheChannelsPrintingAndIsLoggedOnce)
{
    Touch(in + "/TLG00001.REC");
    Touch(in + "/TLG00001.PRT");
    Seconds(1 + 60 + 30);
    EXPECT_EQ(rig.Driver(1).Modes & (ChannelMode::AutoPrintRec | ChannelMode::AutoPrintTrm), 0u);
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0], "== Исключение: Не могу переименовать файл\r" + in +
                          "/TLG00001.REC\rАвтоматическая печать будет отключена! [TTxScanner.ScanPrintWork]");
    EXPECT_EQ(work->Printing, 1);
    QFile f(in + "/TLG00001.PRT");
    EXPECT_EQ(f.size(), 6); // the older printout is untouched

    ASSERT_TRUE(QFile::remove(in + "/TLG00001.PRT"));
    Seconds(1);
    EXPECT_TRUE(QFile::exists(in + "/TLG00001.PRT"));
    EXPECT_EQ(work->Printing, 0);
    EXPECT_EQ(printer.printed.size(), 1);
}

TEST_F(ScannerPrintingTest, AFileStillBeingWrittenWaitsForTheEndOfItsConnection)
{
    Touch(in + "/TLG00001.REC");
    {
        EngineLock lock(rig.scanner->Mutex());
        rig.Driver(1).ConnectionFile = in + "/TLG00001.REC";
        rig.Driver(1).ConnectionKind = 1;
    }
    Seconds(5);
    EXPECT_TRUE(printer.attempts.isEmpty());
    {
        EngineLock lock(rig.scanner->Mutex());
        rig.Driver(1).ConnectionKind = 0;
        rig.Driver(1).Events.raise(DriverEvent::WriteChunk); // its last part is not on disk yet
    }
    Seconds(5);
    EXPECT_TRUE(printer.attempts.isEmpty());
    rig.Driver(1).Events.clear(DriverEvent::WriteChunk);
    Seconds(1);
    EXPECT_EQ(printer.printed, QStringList{in + "/TLG00001.REC"});
}

TEST(ScannerPrinting, TheFileTickPrintsOnceASecond)
{
    EngineRig other;
    FakePrinter p;
    other.catalog = MakeCatalog({{kIdle, "TTxCheckInputLine", nullptr, nullptr}});
    other.set = MakeSet({{"Ждать", kIdle, {}}});
    other.AddLine(1);
    other.EnableChannel(1);
    other.Channel(1).Modes = ChannelMode::AutoPrintRec;
    other.configure = [&p](ScannerEnvironment& env) { env.Printer = &p; };
    other.Start();
    QFile f(other.Driver(1).ReceiveDir + "/TLG00001.REC");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    other.Advance(950);
    EXPECT_TRUE(p.attempts.isEmpty());
    other.Advance(100);
    EXPECT_EQ(p.printed.size(), 1);
}

} // namespace
