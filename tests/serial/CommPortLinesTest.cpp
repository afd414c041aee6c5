// Output lines, input lines and the adapter presence test.
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

TEST(CommPortLines, LineOperationsFailOnAClosedPort)
{
    SimPort sim;
    EXPECT_FALSE(sim.port.SetBreak(true));
    EXPECT_FALSE(sim.port.SetDTR(true));
    EXPECT_TRUE(sim.port.DTRState()); // the flag is stored all the same
    EXPECT_FALSE(sim.port.SetRTS(true));
    EXPECT_FALSE(sim.port.GetDSR());
    EXPECT_FALSE(sim.port.GetRing());
}

TEST(CommPortLines, OutputLinesStartLowAndFollowTheCalls)
{
    SteppedPort t;
    t.port().Open();
    ASSERT_TRUE(t.port().Opened());
    EXPECT_FALSE(t.device().dtr());
    EXPECT_FALSE(t.device().rts());
    EXPECT_FALSE(t.device().breakOn());

    EXPECT_TRUE(t.port().SetDTR(true));
    EXPECT_TRUE(t.port().SetRTS(true));
    EXPECT_TRUE(t.port().SetBreak(true));
    EXPECT_TRUE(t.device().dtr());
    EXPECT_TRUE(t.device().rts());
    EXPECT_TRUE(t.device().breakOn());
    EXPECT_TRUE(t.port().SetBreak(false));
    EXPECT_FALSE(t.device().breakOn());

    t.port().Close();
    EXPECT_FALSE(t.port().DTRState()); // Close clears the DTR flag
    EXPECT_FALSE(t.device().dtr());
}

TEST(CommPortLines, CloseForgetsRingDcdAndDtrButKeepsCtsAndDsr)
{
    SteppedPort t;
    t.port().Open();
    t.device().setCts(true);
    t.device().setDsr(true);
    t.device().setRing(true);
    t.device().setDcd(true);
    t.clock.advance(5);
    ASSERT_TRUE(t.port().CTSState() && t.port().DSRState() && t.port().RingState() && t.port().RLSDState());
    ASSERT_TRUE(t.port().SetDTR(true));
    ASSERT_TRUE(t.port().SetRTS(true));

    t.port().Close();
    EXPECT_TRUE(t.port().CTSState());
    EXPECT_TRUE(t.port().DSRState());
    EXPECT_FALSE(t.port().RingState());
    EXPECT_FALSE(t.port().RLSDState());
    EXPECT_FALSE(t.port().DTRState());
    EXPECT_TRUE(t.port().RTSState()); // as the caller last set it
    EXPECT_FALSE(t.device().dtr());   // the device drops its lines on close
    EXPECT_FALSE(t.device().rts());
}

TEST(CommPortLines, ToggleDtrStartsWithOff)
{
    SteppedPort t;
    t.port().Open();
    t.port().SetDTR(true);
    std::vector<bool> seen;
    for (int i = 0; i < 3; ++i) {
        t.port().ToggleDTR();
        seen.push_back(t.device().dtr());
        EXPECT_EQ(t.port().DTRState(), t.device().dtr());
    }
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false}));
}

TEST(CommPortLines, DtrEventFollowsEverySetDtrWhileOpen)
{
    SteppedPort t;
    int events = 0;
    t.port().OnDTRSignal = [&](QObject*) { ++events; };
    t.port().SetDTRState(true); // closed: no status thread, no event
    EXPECT_EQ(events, 0);
    t.port().Open();
    t.port().SetDTRState(true);
    t.port().SetDTRState(false);
    t.port().ToggleDTR();
    EXPECT_EQ(events, 3);
}

TEST(CommPortLines, InputLinesAreReadFromTheDevice)
{
    SteppedPort t;
    t.port().Open();
    t.device().setDsr(true);
    t.device().setRing(true);
    EXPECT_TRUE(t.port().GetDSR());
    EXPECT_TRUE(t.port().GetRing());
    EXPECT_TRUE(t.port().DSRState());
    EXPECT_TRUE(t.port().RingState());
    t.device().setModemStatusFails(true);
    EXPECT_FALSE(t.port().GetDSR());
    EXPECT_FALSE(t.port().GetRing());
    EXPECT_FALSE(t.port().RingState());
}

struct AdapterCase {
    const char* name;
    bool wired;       // DCD follows DTR
    bool wireInverted;// DCD = not DTR
    bool inverted;    // the test's Inverted
    bool expected;
};

class CommPortCheckAdapter : public ::testing::TestWithParam<AdapterCase> {};

TEST_P(CommPortCheckAdapter, LoopsDtrBackThroughDcd)
{
    const AdapterCase& c = GetParam();
    SteppedPort t;
    t.port().Open();
    ASSERT_TRUE(t.port().Opened());
    t.device().setDcdFollowsDtr(c.wired, c.wireInverted);
    EXPECT_EQ(t.port().CheckAdapter(c.inverted), c.expected);
    if (c.expected) {
        EXPECT_FALSE(t.device().dtr()); // DTR is left off after a success
    }
}

INSTANTIATE_TEST_SUITE_P(Wiring, CommPortCheckAdapter,
                         ::testing::Values(AdapterCase{"TiedNotInverted", true, false, false, true},
                                           AdapterCase{"TiedInverted", true, false, true, false},
                                           AdapterCase{"InvertingAdapter", true, true, true, true},
                                           AdapterCase{"InvertingAdapterNotInverted", true, true, false, false},
                                           AdapterCase{"NothingConnected", false, false, false, false},
                                           AdapterCase{"NothingConnectedInverted", false, false, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommPortCheckAdapterState, FailsOnAClosedPortAndWithoutModemStatus)
{
    SteppedPort t;
    t.device().setDcdFollowsDtr(true);
    EXPECT_FALSE(t.port().CheckAdapter(false));
    t.port().Open();
    t.device().setModemStatusFails(true);
    EXPECT_FALSE(t.port().CheckAdapter(false));
    t.device().setModemStatusFails(false);
    EXPECT_TRUE(t.port().CheckAdapter(false));
}

TEST(CommPortCheckAdapterState, DcdStuckOnFailsTheSecondHalf)
{
    SteppedPort t;
    t.port().Open();
    t.device().setDcd(true); // DCD on whatever DTR does
    EXPECT_FALSE(t.port().CheckAdapter(false));
    EXPECT_TRUE(t.port().RLSDState());
}

} // namespace
