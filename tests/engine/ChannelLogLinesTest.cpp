// The channel lines that the line side leaves for the daily log: the file
// tick writes them in one fixed order, each only under its condition.

#include "tests/engine/FileWorkRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

void RaiseAll(TTxChannelDriver& d)
{
    EngineLock lock(d.Mutex());
    d.PendingStepLine = "step-mark";
    d.PendingEngineLine = "engine-mark";
    d.PendingRxLine = "rx-mark";
    d.PendingTxLine = "tx-mark";
    d.PendingExceptionLine = "exception-mark";
    d.Events.raise(DriverEvent::LogExceptionLine | DriverEvent::LogTxLine | DriverEvent::LogRxLine
                   | DriverEvent::LogEngineLine | DriverEvent::LogStepLine | DriverEvent::LogElementStart);
}

TEST(ChannelLogLines, AreWrittenInTheirFixedOrderAndMarkedDone)
{
    FileWorkRig f;
    TTxChannelDriver& d = f.Driver();
    const int before = static_cast<int>(f.rig.LogLines().size());
    RaiseAll(d);
    f.Tick();
    const QStringList written = f.rig.LogLines().mid(before);
    EXPECT_EQ(written, QStringList({"Канал 1: (Ожидание)", "Канал 1: (Ожидание) [step-mark]",
                                    "Канал 1: (Ожидание) [engine-mark]", "Канал 1: [rx-mark]", "Канал 1: [tx-mark]",
                                    "Канал 1: [exception-mark]"}));
    const std::uint32_t done = DriverEvent::ElementStartLogged | DriverEvent::StepLineLogged
                               | DriverEvent::EngineLineLogged | DriverEvent::RxLineLogged
                               | DriverEvent::TxLineLogged | DriverEvent::ExceptionLineLogged;
    EXPECT_EQ(d.Events.load() & done, done);
    EXPECT_TRUE(d.PendingStepLine.isEmpty());
    EXPECT_TRUE(d.PendingExceptionLine.isEmpty());
}

TEST(ChannelLogLines, WithoutTheLogModeOnlyTheExceptionLineIsWritten)
{
    FileWorkRig f;
    f.rig.modes.Set([](TDriverModes& m) { m.TlxLogMode = 0; });
    TTxChannelDriver& d = f.Driver();
    const int before = static_cast<int>(f.rig.LogLines().size());
    RaiseAll(d);
    f.Tick();
    EXPECT_EQ(f.rig.LogLines().mid(before), QStringList({"Канал 1: [exception-mark]"}));
    EXPECT_TRUE(d.Events.has(DriverEvent::StepLineLogged)); // done, also when nothing was written
}

} // namespace
