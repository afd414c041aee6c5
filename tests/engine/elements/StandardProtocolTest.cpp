// The built-in protocol "Стандарт A" with its own parameter values: the
// settings at its head, the idle loop, and an outgoing call through the
// invitation, pulse dialling and the connection. Classes the engine does not
// have yet stand in as steps that go on at once.

#include "tests/engine/elements/ElementRig.h"

#include "protocols/DefaultProtocols.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

class StandardA : public ::testing::Test {
protected:
    void SetUp() override
    {
        int err = 0;
        r.rig.set = BuildDefaultProtocolSet(err, r.rig.box);
        ASSERT_EQ(err, 0);
        // The engine's classes, and stand-ins for the ones it lacks.
        for (const ElementCatalogEntry& e : DefaultElementCatalog()) {
            if (e.Create) {
                r.rig.catalog.push_back(e);
                continue;
            }
            std::vector<ScriptedClass> standIn = {{e.DisplayName, e.ClassName, nullptr, nullptr}};
            if (e.DisplayName == u"Ожидание подтверждения отбоя")
                standIn[0].OnStart = [](ScriptedElement& s) { s.JumpTo(s.ParamText(2)); };
            else if (e.DisplayName == u"Отбой")
                standIn[0].OnStart = [](ScriptedElement& s) { s.GoNext(); };
            r.rig.catalog.push_back(MakeCatalog(standIn).front());
        }
        r.rig.AddLine(1);
        r.rig.EnableChannel(1);
        r.rig.Channel(1).Modes = ChannelMode::AutoTrm;
        r.rig.Start();
    }
    TTxChannelDriver& D() { return r.Driver(); }

    ElementRig r;
};

TEST_F(StandardA, TheHeadSetsTheLineUpAndTheChannelRestsInTheIdleLoop)
{
    ASSERT_GE(r.AdvanceUntilStep("Анализ состояния приема", 500), 0) << r.StepName().toStdString();
    TTxChannelDriver& d = D();
    EXPECT_EQ(d.ClearingTime, 350);
    EXPECT_EQ(d.BusyPulseMin, 165);
    EXPECT_EQ(d.BusyPulseMax, 240);
    EXPECT_EQ(d.LineBreakTime, 300);
    EXPECT_EQ(d.ReceivePauseTime, 120000);
    EXPECT_EQ(d.ContraryWork.Wait, 120000);
    EXPECT_EQ(d.Port->BaudRate(), br____50);
    EXPECT_EQ(d.Port->DataBits(), db5);
    EXPECT_EQ(d.Port->StopBits(), sb1_5);
    EXPECT_EQ(d.LedTimerInterval, 180);
    EXPECT_EQ(d.CallSignalTime, 100);
    r.Advance(50);
    EXPECT_EQ(d.ChannelState, ChannelStates::Idle);
}

TEST_F(StandardA, AnOutgoingCallIsDialledAndConnected)
{
    TTxChannelDriver& d = D();
    ASSERT_GE(r.AdvanceUntilStep("Анализ состояния приема", 500), 0);
    d.Events.clear(DriverEvent::ScanOutgoing); // the file side chose a destination
    d.Number = "8-2345";
    d.TlgPath = d.TransmDir + "/TEL00001.TLG";
    d.Events.raise(DriverEvent::DestinationChosen);
    ASSERT_GE(r.AdvanceUntilStep("Ожид. приглашения к набору номера", 6000), 0) << r.StepName().toStdString();
    EXPECT_FALSE(r.Line().breakOn()) << "calling: output '+'";
    r.Advance(400);
    EXPECT_EQ(d.ChannelState, ChannelStates::WaitDialInvitation);
    r.Line().setRing(true); // the exchange's invitation to dial
    r.Advance(30);
    r.Line().setRing(false);
    ASSERT_GE(r.AdvanceUntilStep("Набор номера (B)", 1000), 0) << r.StepName().toStdString();
    const std::int64_t dialFrom = r.Line().nowUs() / 1000;
    ASSERT_GE(r.AdvanceUntilStep("Ожидание подключения", 5000), 0) << r.StepName().toStdString();
    std::vector<std::int64_t> eight;
    for (int i = 0; i < 8; ++i)
        eight.insert(eight.end(), {60, 40});
    eight.pop_back();
    EXPECT_EQ(r.StretchesAfter(dialFrom), eight);
    EXPECT_EQ(d.DialPos, 3);
    r.Advance(200);
    EXPECT_EQ(d.ChannelState, ChannelStates::WaitConnection);
    r.Line().setRing(true); // the exchange puts the call through
    ASSERT_GE(r.AdvanceUntilStep("Ожидание ответа станции 1", 1000), 0) << r.StepName().toStdString();
    EXPECT_EQ(d.ResultCode, FailureCodes::Success);
    EXPECT_EQ(d.Number, "8-2345");
    EXPECT_EQ(d.ConnectionKind, 2);
}

TEST_F(StandardA, NoInvitationEndsInItsCodeAtTheClearDown)
{
    TTxChannelDriver& d = D();
    ASSERT_GE(r.AdvanceUntilStep("Анализ состояния приема", 500), 0);
    d.Events.clear(DriverEvent::ScanOutgoing);
    d.Number = "8-2345";
    d.TlgPath = d.TransmDir + "/TEL00001.TLG";
    d.Events.raise(DriverEvent::DestinationChosen);
    ASSERT_GE(r.AdvanceUntilStep("Ожид. приглашения к набору номера", 6000), 0);
    // "*Неудача" leads to "Отбой", which goes on to "Задержка 1" at once.
    const std::int64_t waited = r.AdvanceUntilStep("Задержка 1", 21000);
    EXPECT_GE(waited, 19900) << "\"Ожидание\" 20 s";
    EXPECT_EQ(d.ResultCode, FailureCodes::Num);
    EXPECT_GE(r.AdvanceUntilStep("Анализ состояния приема", 500), 0) << "back in the idle loop";
}

} // namespace
