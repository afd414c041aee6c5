// The scanner: building the drivers, failures that must not stop the other
// channels, and the fast-tick statistics.

#include "tests/engine/EngineRig.h"

#include "platform/TimeStampCounter.h"
#include "support/FileError.h"
#include "support/Profiler.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kIdle = QStringLiteral("Анализ состояния приема");

class ScannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.catalog = MakeCatalog({{kIdle, "TTxCheckInputLine", nullptr, nullptr}});
        rig.set = MakeSet({{"Ждать", kIdle, {}}});
    }
    EngineRig rig;
};

TEST_F(ScannerTest, EveryChannelOffStartsNoDriverAndNoTimer)
{
    rig.Start();
    EXPECT_EQ(rig.scanner->ActiveChannels, 0);
    EXPECT_FALSE(rig.scanner->TimersRunning());
    EXPECT_TRUE(rig.box.shown.isEmpty());
}

TEST_F(ScannerTest, APortThatDoesNotOpenGivesTwoBoxesAndNoDriverWhileTheOthersRun)
{
    rig.AddLine(1);
    rig.MissingLine(2);
    rig.AddLine(3);
    for (int c = 1; c <= 3; ++c)
        rig.EnableChannel(c);
    rig.Start();
    EXPECT_EQ(rig.box.texts(), QStringList({"Не могу открыть COM-порт: 2-й канал", "Ошибка открытия COM-порта #2"}));
    EXPECT_EQ(rig.scanner->ActiveChannels, 3);
    EXPECT_EQ(rig.scanner->Driver(2), nullptr);
    ASSERT_NE(rig.scanner->Driver(1), nullptr);
    ASSERT_NE(rig.scanner->Driver(3), nullptr);
    rig.Advance(100);
    EXPECT_NE(rig.Driver(1).CurrentElement, nullptr);
    EXPECT_NE(rig.Driver(3).CurrentElement, nullptr);
    EXPECT_TRUE(rig.LogLines().contains("Канал 1: (Тест) [Ormak-A] {12345 TEST}"));
}

TEST_F(ScannerTest, AFailedAdapterTestClosesThePortAndGivesNoDriver)
{
    auto line = rig.AddLine(1);
    rig.EnableChannel(1);
    rig.Channel(1).Modes = ChannelMode::ChkAdapter;
    rig.Start();
    EXPECT_EQ(rig.box.texts(),
              QStringList({"АВАРИЯ 1-й канал\rОтсутствует устройство TELEX", "Ошибка открытия COM-порта #1"}));
    EXPECT_EQ(rig.scanner->Driver(1), nullptr);
    EXPECT_FALSE(line->isOpen());
}

TEST_F(ScannerTest, APassedAdapterTestOpensTheLineAtMinus)
{
    auto line = rig.AddLine(1);
    line->setDcdFollowsDtr(true);
    rig.EnableChannel(1);
    rig.Channel(1).Modes = ChannelMode::ChkAdapter;
    rig.Start(true, false);
    ASSERT_NE(rig.scanner->Driver(1), nullptr);
    EXPECT_TRUE(rig.box.shown.isEmpty());
    EXPECT_TRUE(line->dtr());
    EXPECT_TRUE(line->breakOn());
}

struct NoProtocolCase {
    const char* name;
    std::uint32_t stationType;
    bool emptyProtocol;
    const char* firstBox;
};

class ChannelWithoutProtocol : public ScannerTest, public ::testing::WithParamInterface<NoProtocolCase> {};

TEST_P(ChannelWithoutProtocol, IsTreatedLikeAPortThatDidNotOpen)
{
    const NoProtocolCase& c = GetParam();
    if (c.emptyProtocol)
        rig.set->Protocols[1].push_back(TProtocolRec{"Пустой", 0, {}});
    rig.AddLine(1);
    rig.AddLine(2);
    rig.EnableChannel(1);
    rig.EnableChannel(2);
    rig.Channel(1).StationType = c.stationType;
    rig.Start();
    EXPECT_EQ(rig.box.texts(), QStringList({c.firstBox, "Ошибка открытия COM-порта #1"}));
    EXPECT_EQ(rig.scanner->Driver(1), nullptr);
    EXPECT_FALSE(rig.lines[1]->isOpen());
    ASSERT_NE(rig.scanner->Driver(2), nullptr);
    rig.Advance(100);
    EXPECT_NE(rig.Driver(2).CurrentElement, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChannelWithoutProtocol,
    ::testing::Values(NoProtocolCase{"KindWithoutProtocol", 2, false, "Нет протокола для типа станции: 1-й канал"},
                      NoProtocolCase{"ProtocolWithoutSteps", 1, true, "Нет протокола для типа станции: 1-й канал"},
                      NoProtocolCase{"StationTypeOutOfRange", 7, false, "Нет протокола для типа станции: 1-й канал"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScannerTest, AFailingFileWorkIsLoggedOnceAndStopsNeitherTheTickNorTheOtherChannels)
{
    QStringList written;
    bool failChannel1 = true;
    for (int c = 1; c <= 2; ++c) {
        rig.AddLine(c);
        rig.EnableChannel(c);
    }
    rig.scanner = std::make_unique<TTxScanner>([&] {
        ScannerEnvironment env = rig.Environment();
        env.WriteLog = [&](const QString& line) {
            if (failChannel1 && line.startsWith("Канал 1:"))
                throw FileError::writeFailed("LOG/2026-01-15.log");
            written << line;
        };
        return env;
    }());
    rig.scanner->Start(rig.set.get());
    FakeChannelWindow window;
    rig.Driver(1).SetWindow(&window);
    for (int i = 0; i < 20; ++i) {
        rig.Driver(1).NoteEngineLine("строка");
        rig.Driver(2).NoteEngineLine("строка");
        rig.Advance(50);
    }
    const QString failure = "== Исключение: Ошибка записи файла LOG/2026-01-15.log [TTxScanner.FileWorkTimerTimer]";
    EXPECT_EQ(written.count(failure), 1);
    EXPECT_GE(written.count("Канал 2: (Ждать) [строка]"), 19) << "the channel after the failing one is served";
    EXPECT_EQ(rig.Driver(1).Alarm, 1);
    EXPECT_EQ(rig.Driver(1).ChannelState, ChannelStates::AlarmFileError);
    EXPECT_EQ(rig.Driver(1).AuxState, ChannelStates::AlarmFileError);
    EXPECT_TRUE(rig.Driver(1).SoundEvents.has(SoundEvent::Alarm));
    EXPECT_EQ(rig.Driver(2).Alarm, 0);
    EXPECT_GE(rig.scanner->FileTicks, 20);
    failChannel1 = false; // the folder is back; a later failure is logged again
    rig.Advance(100);
    failChannel1 = true;
    rig.Driver(1).NoteEngineLine("строка");
    rig.Advance(50);
    EXPECT_EQ(written.count(failure), 2);
}

TEST_F(ScannerTest, EveryRestartBeginsWithEmptyNumberLists)
{
    rig.AddLine(1);
    rig.EnableChannel(1);
    rig.Start();
    ASSERT_NE(UnsuccNumbers, nullptr);
    UnsuccNumbers->Add("12345", nullptr);
    rig.scanner.reset();
    EXPECT_EQ(UnsuccNumbers, nullptr);
    rig.Start();
    ASSERT_NE(UnsuccNumbers, nullptr);
    EXPECT_EQ(UnsuccNumbers->Count(), 0);
}

TEST_F(ScannerTest, TheScanDelayCountsDownOnceASecond)
{
    rig.AddLine(1);
    rig.EnableChannel(1);
    rig.Start();
    rig.Driver().ScanDelay = 3;
    rig.Advance(2000);
    EXPECT_EQ(rig.Driver().ScanDelay, 1);
    rig.Advance(5000);
    EXPECT_EQ(rig.Driver().ScanDelay, 0);
}

TEST_F(ScannerTest, OnceAMinuteTheLogGetsTheMemoryAndTheStatisticsLines)
{
    struct Case {
        const char* name;
        bool logMode;
        std::optional<std::int64_t> blocks;
        QStringList expected;
    };
    const Case cases[] = {
        {"counted blocks", true, 1234, {"-= Mem 1,234 (5,678,901)", "I:10; P:0.0; Min:10000.0; Max:0.0"}},
        {"blocks the allocator does not count", true, std::nullopt,
         {"-= Mem ? (5,678,901)", "I:10; P:0.0; Min:10000.0; Max:0.0"}},
        {"log mode off", false, 1234, {}},
    };
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    rig.AddLine(1);
    rig.EnableChannel(1);
    for (const Case& c : cases) {
        rig.modes.Set([&](TDriverModes& m) { m.TlxLogMode = c.logMode ? 1 : 0; });
        QStringList minuteLines;
        rig.scanner = std::make_unique<TTxScanner>([&] {
            ScannerEnvironment env = rig.Environment();
            env.Memory = [&] { return MemoryUsage{c.blocks, 5678901}; };
            env.WriteLog = [&](const QString& line) {
                if (line.startsWith("-= Mem") || line.startsWith("I:"))
                    minuteLines << line;
            };
            return env;
        }());
        rig.scanner->Start(rig.set.get());
        rig.Advance(59990);
        EXPECT_TRUE(minuteLines.isEmpty()) << c.name;
        rig.Advance(20);
        EXPECT_EQ(minuteLines, c.expected) << c.name;
        rig.scanner.reset();
    }
    QLocale::setDefault(saved);
}

// A counter that runs at Rate ticks per microsecond of the clock it follows.
class FollowingCounter final : public TimeStampCounter {
public:
    std::uint64_t read() override
    {
        const std::int64_t now = source();
        value_ += static_cast<std::uint64_t>(static_cast<double>(now - last_) * rate);
        last_ = now;
        return value_;
    }
    std::function<std::int64_t()> source;
    double rate = 1;

private:
    std::int64_t last_ = 0;
    std::uint64_t value_ = 0;
};

// A clock whose tick count moves on by one millisecond at every reading.
class SteppingClock final : public Clock {
public:
    QDateTime now() const override { return {}; }
    std::uint64_t tickMs() const override { return ++ms_; }
    mutable std::uint64_t ms_ = 0;
};

TEST_F(ScannerTest, TheStatisticsLineShowsTheMeasuredFastTickPeriod)
{
    FollowingCounter counter;
    SteppingClock calibration;
    counter.source = [&] { return std::int64_t(calibration.ms_) * 1000; };
    Profiler profiler(counter);
    profiler.CalibrateCpuClock(calibration); // one tick per microsecond: 1 MHz
    ASSERT_NEAR(double(profiler.CpuClockMHz()), 1.0, 0.01);
    counter.source = [&] { return rig.clock.nowUs(); };

    rig.AddLine(1);
    rig.EnableChannel(1);
    rig.scanner = std::make_unique<TTxScanner>([&] {
        ScannerEnvironment env = rig.Environment();
        env.Prof = &profiler;
        return env;
    }());
    rig.scanner->Start(rig.set.get());
    rig.Advance(50);
    EXPECT_EQ(rig.statistics, "I:10; P:0.0; Min:10000.0; Max:0.0");
    rig.Advance(350); // 40 fast ticks: twenty periods measured
    EXPECT_EQ(rig.statistics, "I:10; P:10.0; Min:10.0; Max:10.0");
    counter.rate = 1.25; // the ticks come later: 12.5 ms apart as the counter sees it
    rig.Advance(400);
    EXPECT_EQ(rig.statistics, "I:10; P:12.5; Min:10.0; Max:12.5");
    counter.rate = 0.8;
    rig.Advance(400);
    EXPECT_EQ(rig.statistics, "I:10; P:8.0; Min:8.0; Max:12.5");
}

} // namespace
