// What the element classes share in their base: the first jump of a run
// decides, the line tests count the interval of their caller, and the echo of
// the channel's own characters leaves the line's register alone.

#include "tests/engine/elements/ElementRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

class SharedOperations : public ::testing::Test {
protected:
    void SetUp() override
    {
        r.Start({LongWait("Начало"), {"Задержка", QStringLiteral("Пауза"), {"100"}}, LongWait("Отбой"),
                 LongWait("Далее")});
        r.Advance(50);
        pause = &r.StartStep("Задержка");
    }
    ElementRig r;
    TTxElementPro* pause = nullptr;
};

TEST_F(SharedOperations, TheFirstJumpOfARunDecides)
{
    TTxChannelDriver& d = r.Driver();
    d.ResultCode = FailureCodes::Success;
    pause->JumpTo("Отбой");
    pause->GoNext(); // a later test of the same tick
    pause->JumpWithResult("Начало", FailureCodes::Sta);
    pause->JumpTo("Нет такого шага"); // not even looked up
    EXPECT_TRUE(pause->Done);
    EXPECT_EQ(pause->Step->Name, "Отбой") << "a clearing jump is not overtaken";
    EXPECT_EQ(d.ResultCode, FailureCodes::Success);

    pause->Step = d.Protocol->findStep("Задержка");
    pause->Start(); // the next run decides afresh
    pause->GoNext();
    EXPECT_EQ(pause->Step->Name, "Отбой");
    pause->Start();
    pause->JumpWithResult("Далее", FailureCodes::Sta);
    EXPECT_EQ(pause->Step->Name, "Далее");
    EXPECT_EQ(d.ResultCode, FailureCodes::Sta);
}

TEST_F(SharedOperations, DialogClearingCountsTheProtocolTickInterval)
{
    TTxChannelDriver& d = r.Driver();
    d.ClearingTime = 150;
    d.LineBreakTime = 1000;
    pause->Start();
    d.SetChannelState(ChannelStates::Connected);
    r.Line().setRing(false); // the partner has cleared: input '-'
    pause->CheckDirectWork();
    pause->CheckDirectWork();
    EXPECT_FALSE(d.RestartPending) << "100 of 150 ms";
    pause->CheckDirectWork();
    EXPECT_TRUE(d.RestartPending) << "150 ms: three protocol ticks";
    EXPECT_EQ(d.ResultCode, FailureCodes::Dis);
}

TEST_F(SharedOperations, LineTestsCountTheirCallersInterval)
{
    struct Case {
        int interval;
        int callsUntilBroken;
    };
    TTxChannelDriver& d = r.Driver();
    d.LineBreakTime = 300;
    r.Line().setDsr(true);
    for (const Case& c : {Case{10, 30}, Case{50, 6}}) {
        pause->Start();
        int calls = 1;
        while (!pause->LineBroken(c.interval) && calls < 1000)
            ++calls;
        EXPECT_EQ(calls, c.callsUntilBroken) << c.interval;
    }
    r.Line().setDsr(false);
    EXPECT_FALSE(pause->LineBroken());
    EXPECT_EQ(pause->BreakLeft, 300) << "DSR off starts the count again";
}

TEST_F(SharedOperations, EchoingAnOwnCharacterLeavesTheLineRegister)
{
    TTxChannelDriver& d = r.Driver();
    d.SetWindow(&r.window);
    struct Case {
        TelegraphRegister reg;
        QChar c;
    };
    for (const Case& c : {Case{RussianRegister, u'A'}, Case{LatinRegister, u'1'}, Case{NoRegister, u'Д'}}) {
        d.LineRegister = c.reg;
        const std::int64_t before = d.Rx.Total();
        pause->EchoChar(c.c);
        EXPECT_EQ(d.LineRegister, c.reg) << "nothing was sent";
        EXPECT_GT(d.Rx.Total(), before) << "the echo is shown";
    }
}

TEST_F(SharedOperations, AGuardedTickCatchesAFailureOfAnyKind)
{
    EXPECT_TRUE(pause->Guarded("TTxPause.DoIt", [] {}));
    EXPECT_FALSE(r.Driver().RestartPending);
    EXPECT_FALSE(pause->Guarded("TTxPause.DoIt", [] { throw 42; }));
    EXPECT_TRUE(r.Driver().RestartPending) << "the protocol starts again";
    r.Advance(50);
    EXPECT_TRUE(r.LogLines().join('\n').contains("[TTxPause.DoIt]]")) << r.LogLines().join('\n').toStdString();
}

TEST_F(SharedOperations, AGuardedDoItIsLoggedUnderTheClassesDoItTagAndItsPart)
{
    EXPECT_TRUE(pause->GuardedDoIt([] {}, u".AutoTrm"));
    EXPECT_FALSE(r.Driver().RestartPending);
    EXPECT_FALSE(pause->GuardedDoIt([] { throw 42; }, u".AutoTrm"));
    EXPECT_TRUE(r.Driver().RestartPending) << "the protocol starts again";
    r.Advance(50);
    EXPECT_TRUE(r.LogLines().join('\n').contains("[TTxPause.DoIt.AutoTrm]]")) << r.LogLines().join('\n').toStdString();
}

} // namespace
