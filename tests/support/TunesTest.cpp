#include "support/Tunes.h"

#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeToneOutput.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

using namespace korvane;
using Span = test::FakeToneOutput::Span;
using Spans = std::vector<Span>;

namespace {

// Virtual time for the player: every pass of message processing moves the
// fake clock on by up to 10 ms and runs the "timer handlers" that are due.
class VirtualTime {
public:
    static constexpr std::uint64_t kGiveUpMs = 10 * 60 * 1000;

    VirtualTime() : m_origin(clock.tickMs()) {}

    std::uint64_t elapsed() const { return clock.tickMs() - m_origin; }

    // Runs action from inside the first pass at or after elapsedMs.
    void at(std::uint64_t elapsedMs, std::function<void()> action)
    {
        m_actions.emplace(elapsedMs, std::move(action));
    }

    MessagePump pump()
    {
        return [this](std::uint32_t maxWaitMs) {
            clock.advance(std::min<std::uint32_t>(10, maxWaitMs));
            while (!m_actions.empty() && m_actions.begin()->first <= elapsed()) {
                auto action = std::move(m_actions.begin()->second);
                m_actions.erase(m_actions.begin());
                action(); // may start another sound, which pumps again
            }
            if (elapsed() > kGiveUpMs && onGiveUp) {
                auto giveUp = std::exchange(onGiveUp, nullptr);
                giveUp();
            }
        };
    }

    test::FakeClock clock;
    std::function<void()> onGiveUp;

private:
    std::uint64_t m_origin;
    std::multimap<std::uint64_t, std::function<void()>> m_actions;
};

class TunePlayerTest : public ::testing::Test {
protected:
    TunePlayerTest()
    {
        // A tune that never ends would hang the test; stop it and fail instead.
        time.onGiveUp = [this] {
            ADD_FAILURE() << "the tune did not end";
            player.stop();
        };
    }

    void expectSilentAndDone() const
    {
        EXPECT_FALSE(tone.sounding());
        EXPECT_FALSE(player.state().SpeakerOn);
        EXPECT_TRUE(player.TuneDone());
    }

    VirtualTime time;
    test::FakeToneOutput tone{time.clock};
    TunePlayer player{tone, time.clock, time.pump()};
};

// ---- What a tune sounds like ----

struct TuneCase {
    const char* name;
    const char* tune;
    Spans heard;          // tones (Hz > 0) and rests (0) in order
    std::uint64_t callMs; // how long PlayTune takes
};

void PrintTo(const TuneCase& c, std::ostream* os)
{
    *os << c.name;
}

class TuneSoundTest : public TunePlayerTest, public ::testing::WithParamInterface<TuneCase> {};

TEST_P(TuneSoundTest, PlaysTheNotesForTheirSteps)
{
    const TuneCase& c = GetParam();
    player.PlayTune(QString::fromUtf8(c.tune), false);

    EXPECT_EQ(tone.timeline(), c.heard);
    EXPECT_EQ(time.elapsed(), c.callMs);
    expectSilentAndDone();
}

INSTANTIATE_TEST_SUITE_P(
    Tunes, TuneSoundTest,
    ::testing::Values(
        TuneCase{"OneNote", "a", {{525, 60}}, 120},
        TuneCase{"LengthThree", "3a", {{525, 180}}, 240},
        TuneCase{"LengthNine", "9a", {{525, 540}}, 600},
        TuneCase{"LengthHoldsForOneNoteOnly", "3aa", {{525, 180}, {525, 60}}, 300},
        TuneCase{"LengthCarriesOverOctaveChange", "2<a", {{262, 120}}, 180},
        TuneCase{"OctaveThreeRow", "awsedftgyhuj",
                 {{525, 60}, {556, 60}, {590, 60}, {625, 60}, {662, 60}, {701, 60},
                  {743, 60}, {787, 60}, {834, 60}, {883, 60}, {937, 60}, {992, 60}},
                 780},
        TuneCase{"OctaveZeroRow", "<<<awsedftgyhuj",
                 {{65, 60}, {70, 60}, {72, 60}, {77, 60}, {82, 60}, {87, 60},
                  {92, 60}, {97, 60}, {103, 60}, {109, 60}, {116, 60}, {123, 60}},
                 780},
        TuneCase{"OctaveSevenRow", ">>>>awsedftgyhuj",
                 {{8402, 60}, {8904, 60}, {9470, 60}, {10027, 60}, {10559, 60}, {11256, 60},
                  {11814, 60}, {12560, 60}, {13258, 60}, {14038, 60}, {14915, 60}, {15909, 60}},
                 780},
        TuneCase{"SevenUpReachesOctaveSeven", ">>>>>>>a", {{8402, 60}}, 120},
        TuneCase{"EighthUpChangesNothing", ">>>>>>>>a", {{8402, 60}}, 120},
        TuneCase{"FourDownReachesOctaveZero", "<<<<a", {{65, 60}}, 120},
        TuneCase{"DownAtOctaveZeroStays", "<<<<<<a>a", {{65, 60}, {131, 60}}, 180},
        TuneCase{"OctaveChangesMidTune", "<a>a", {{262, 60}, {525, 60}}, 180},
        TuneCase{"RestBetweenNotes", "a-a", {{525, 60}, {0, 60}, {525, 60}}, 240},
        TuneCase{"LongRest", "a2-a", {{525, 60}, {0, 120}, {525, 60}}, 300},
        TuneCase{"LeadingRest", "-a", {{0, 60}, {525, 60}}, 180},
        TuneCase{"OtherCharacterKeepsTheSound", "a a", {{525, 120}, {525, 60}}, 240},
        TuneCase{"UpperCaseIsNoNote", "aAa", {{525, 120}, {525, 60}}, 240},
        TuneCase{"ZeroIsNoLength", "0a", {{525, 60}}, 180},
        TuneCase{"LengthWithoutNote", "3", {}, 60},
        TuneCase{"OnlyOctaveMarks", "><", {}, 60}),
    [](const ::testing::TestParamInfo<TuneCase>& info) { return std::string(info.param.name); });

// ---- An empty tune ----

class EmptyTuneTest : public TunePlayerTest, public ::testing::WithParamInterface<bool> {};

// Whoever waits for the end of the tune (the scanner before its next channel
// sound) must not wait for ever on an empty sound entry.
TEST_P(EmptyTuneTest, EndsAtOnceWithTheSpeakerOff)
{
    player.PlayTune(QString(), GetParam());

    EXPECT_EQ(time.elapsed(), 0u);
    EXPECT_FALSE(tone.events.empty()) << "the speaker is not switched off";
    expectSilentAndDone();
}

INSTANTIATE_TEST_SUITE_P(Tunes, EmptyTuneTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Loop" : "Once"; });

// ---- Loop and the outside stop ----

TEST_F(TunePlayerTest, LoopStartsAgainFromOctaveThreeUntilStoppedFromOutside)
{
    time.at(1000, [this] { player.stop(); });

    player.PlayTune(">a-", true);

    // One round: the note (60 ms), the rest and the step that wraps the tune.
    Spans expected;
    for (int round = 0; round < 6; ++round) {
        if (round > 0)
            expected.push_back({0, 120});
        expected.push_back({1051, 60});
    }
    EXPECT_EQ(tone.timeline(), expected);
    EXPECT_GE(time.elapsed(), 1000u);
    EXPECT_LE(time.elapsed(), 1000u + TunePlayer::kStepMs);
    EXPECT_FALSE(player.state().TuneLoop);
    expectSilentAndDone();
}

TEST_F(TunePlayerTest, StopEndsANoteThatIsStillSounding)
{
    time.at(100, [this] { player.stop(); });

    player.PlayTune("9a", false);

    EXPECT_EQ(tone.timeline(), (Spans{{525, 120}}));
    expectSilentAndDone();
}

// ---- The chime ----

TEST_F(TunePlayerTest, ChimePlaysThreeTonesThenSilence)
{
    player.PlayChime();

    EXPECT_EQ(tone.timeline(), (Spans{{550, 100}, {660, 150}, {440, 150}}));
    EXPECT_EQ(time.elapsed(), 400u);
    expectSilentAndDone();
}

// ---- A sound started while another plays ----

struct Sound {
    enum Kind { Tune, Chime } kind;
    const char* tune = "";
    bool loop = false;

    void play(TunePlayer& p) const
    {
        if (kind == Chime)
            p.PlayChime();
        else
            p.PlayTune(QString::fromUtf8(tune), loop);
    }
};

struct OverlapCase {
    const char* name;
    Sound first;
    Sound second;             // started by a timer handler while the first plays
    std::uint64_t secondAtMs;
    std::uint64_t stopAtMs;   // the outside stop, 0 for none
    Spans heard;
    std::uint64_t firstCallMs; // when the first sound's call returns
};

void PrintTo(const OverlapCase& c, std::ostream* os)
{
    *os << c.name;
}

class OverlapTest : public TunePlayerTest, public ::testing::WithParamInterface<OverlapCase> {};

// The newer sound takes over; the one it interrupts plays nothing more and
// its call returns once the newer has ended.
TEST_P(OverlapTest, NewerSoundTakesOverAndTheFirstPlaysNoMore)
{
    const OverlapCase& c = GetParam();
    bool secondReturned = false;
    time.at(c.secondAtMs, [&] {
        c.second.play(player);
        secondReturned = true;
    });
    if (c.stopAtMs)
        time.at(c.stopAtMs, [this] { player.stop(); });

    c.first.play(player);

    EXPECT_TRUE(secondReturned);
    EXPECT_EQ(tone.timeline(), c.heard);
    EXPECT_EQ(time.elapsed(), c.firstCallMs);
    expectSilentAndDone();
}

INSTANTIATE_TEST_SUITE_P(
    Tunes, OverlapTest,
    ::testing::Values(
        OverlapCase{"ChimeDuringTune", {Sound::Tune, "3a3s"}, {Sound::Chime}, 90, 0,
                    {{525, 90}, {550, 100}, {660, 150}, {440, 150}}, 490},
        OverlapCase{"TuneDuringChime", {Sound::Chime}, {Sound::Tune, "a"}, 50, 0,
                    {{550, 50}, {525, 60}}, 170},
        OverlapCase{"TuneDuringTune", {Sound::Tune, "3a3s"}, {Sound::Tune, "d"}, 90, 0,
                    {{525, 90}, {662, 60}}, 210},
        OverlapCase{"TuneDuringLoopingTune", {Sound::Tune, "a", true}, {Sound::Tune, "d"}, 90, 0,
                    {{525, 90}, {662, 60}}, 210},
        OverlapCase{"EmptyTuneDuringTune", {Sound::Tune, "3a3s"}, {Sound::Tune, ""}, 90, 0,
                    {{525, 90}}, 120},
        OverlapCase{"StopReachesTheNewerLoop", {Sound::Tune, "a", true}, {Sound::Tune, "d", true},
                    90, 500, {{525, 90}, {662, 120}, {662, 120}, {662, 120}, {662, 60}}, 510}),
    [](const ::testing::TestParamInfo<OverlapCase>& info) { return std::string(info.param.name); });

// ---- DelayWithMessages ----

struct DelayCase {
    const char* name;
    std::uint32_t ms;
    std::uint32_t passMs;              // how far each pass moves the clock
    std::vector<std::uint32_t> waits;  // the wait offered to each pass
};

void PrintTo(const DelayCase& c, std::ostream* os)
{
    *os << c.name;
}

class DelayTest : public ::testing::TestWithParam<DelayCase> {};

TEST_P(DelayTest, ChecksTheTimeBeforeEachPass)
{
    const DelayCase& c = GetParam();
    test::FakeClock clock;
    const std::uint64_t start = clock.tickMs();
    std::vector<std::uint32_t> waits;

    DelayWithMessages(clock, c.ms, [&](std::uint32_t maxWaitMs) {
        waits.push_back(maxWaitMs);
        clock.advance(c.passMs);
    });

    EXPECT_EQ(waits, c.waits);
    EXPECT_EQ(clock.tickMs() - start, std::uint64_t(c.passMs) * c.waits.size());
}

INSTANTIATE_TEST_SUITE_P(
    Delays, DelayTest,
    ::testing::Values(DelayCase{"ZeroProcessesNothing", 0, 10, {}},
                      DelayCase{"EvenPasses", 60, 10, {60, 50, 40, 30, 20, 10}},
                      DelayCase{"LastPassOvershoots", 60, 25, {60, 35, 10}},
                      DelayCase{"OnePassLongerThanTheDelay", 5, 60, {5}}),
    [](const ::testing::TestParamInfo<DelayCase>& info) { return std::string(info.param.name); });

TEST(RealDelayTest, WaitsOnTheSystemClockWhileTimersRun)
{
    QObject context;
    bool fired = false;
    QTimer::singleShot(5, &context, [&] { fired = true; });
    const std::uint64_t start = systemClock().tickMs();

    DelayWithMessages(systemClock(), 40);

    EXPECT_TRUE(fired);
    EXPECT_GE(systemClock().tickMs() - start, 40u);
}

TEST(RealDelayTest, ZeroDelayLeavesPendingEventsAlone)
{
    QObject context;
    bool fired = false;
    QTimer::singleShot(0, &context, [&] { fired = true; });

    DelayWithMessages(systemClock(), 0);

    EXPECT_FALSE(fired);
}

} // namespace
