// The file tick's share of the main thread: slow disk work on one channel
// leaves the others to the next tick, and idle channels cost a look only.

#include "tests/engine/EngineRig.h"

#include "tests/fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kIdle = QStringLiteral("Анализ состояния приема");

class FileTickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.catalog = MakeCatalog({{kIdle, "TTxCheckInputLine", nullptr, nullptr}});
        rig.set = MakeSet({{"Ждать", kIdle, {}}});
        for (int c = 1; c <= 3; ++c) {
            rig.AddLine(c);
            rig.EnableChannel(c);
        }
        // The file tick reads this clock; the disk work below moves it.
        rig.configure = [this](ScannerEnvironment& env) { env.Time = &disk; };
        rig.Start();
        rig.scanner->FileWorkTimerTimer(); // the first tick looks for what a former run left
    }
    // Work for channel C's next file tick that takes Ms of the main thread.
    void QueueWork(int c, std::int64_t ms)
    {
        rig.Driver(c).QueueFileWork([this, c, ms] {
            ran.push_back(c);
            disk.advance(ms);
        });
    }

    FakeClock disk;
    EngineRig rig;
    std::vector<int> ran;
};

TEST_F(FileTickTest, SlowDiskWorkLeavesTheChannelsAfterItToTheNextTickWhichBeginsWithThem)
{
    const std::int64_t slow = std::int64_t(TTxScanner::FileTickBudget) + 5;
    for (int c = 1; c <= 3; ++c)
        QueueWork(c, slow);
    rig.scanner->FileWorkTimerTimer();
    EXPECT_EQ(ran, (std::vector<int>{1}));
    QueueWork(1, slow);
    rig.scanner->FileWorkTimerTimer();
    EXPECT_EQ(ran, (std::vector<int>{1, 2})) << "the channel left over goes first";
    rig.scanner->FileWorkTimerTimer();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    rig.scanner->FileWorkTimerTimer();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 1})) << "then the first again";
}

TEST_F(FileTickTest, QuickDiskWorkOfEveryChannelIsDoneInOneTickInChannelOrder)
{
    for (int c = 1; c <= 3; ++c)
        QueueWork(c, 1);
    rig.scanner->FileWorkTimerTimer();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

} // namespace
