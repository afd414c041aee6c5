// The sound half of the file tick: the channels' sound events as waves on
// the sound card or tunes on the speaker, in entry order, without waiting
// inside the tick.

#include "tests/engine/EngineRig.h"

#include "engine/TxSoundWork.h"
#include "support/Tunes.h"
#include "tests/fakes/FakeToneOutput.h"
#include "tests/fakes/FakeWavePlayer.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kIdle = QStringLiteral("Анализ состояния приема");

class ScannerSoundsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.catalog = MakeCatalog({{kIdle, "TTxCheckInputLine", nullptr, nullptr}});
        rig.set = MakeSet({{"Ждать", kIdle, {}}});
        rig.AddLine(1);
        rig.AddLine(2);
        rig.EnableChannel(1);
        rig.EnableChannel(2);
        rig.configure = [this](ScannerEnvironment& env) {
            env.Waves = &waves;
            env.Tunes = &tunes;
            env.SoundDir = QStringLiteral("/opt/korvane/wavs");
        };
    }
    void SetEntry(int channel, int entry, bool enabled, const QString& wav, const QString& melody = {},
                  bool loop = false)
    {
        TSoundEntry& e = rig.Channel(channel).Sounds[std::size_t(entry - 1)];
        e.Enabled = enabled;
        e.Loop = loop;
        e.WavFile.setText(wav);
        e.Melody.setText(melody);
    }
    void SoundCard(bool on)
    {
        rig.modes.Set([on](TDriverModes& m) { m.SoundCardMode = on; });
    }
    TxSoundWork& Work() { return rig.scanner->Sounds(); }

    EngineRig rig;
    FakeWavePlayer waves;
    FakeToneOutput tone{rig.clock};
    TunePlayer tunes{tone, rig.clock};
};

TEST_F(ScannerSoundsTest, TwoEventsOfOneChannelStartOnOneTickInEntryOrder)
{
    SoundCard(true);
    SetEntry(1, 1, true, "start.wav");
    SetEntry(1, 4, true, "C:\\SOUNDS\\RING.WAV", {}, true);
    rig.Start();
    rig.Driver(1).SoundEvents.raise(SoundEvent::TransmitStart | SoundEvent::ReceiveStart);

    Work().ScanSoundWork();

    const std::vector<FakeWavePlayer::Play> expected{
        {"/opt/korvane/wavs/start.wav", false},
        {rig.dir.path() + "/drive_c/SOUNDS/RING.WAV", true},
    };
    EXPECT_EQ(waves.played, expected);
    EXPECT_EQ(rig.Driver(1).SoundEvents.load(), 0u);
    EXPECT_EQ(Work().SoundNumber, 4);
}

TEST_F(ScannerSoundsTest, ADisabledEntryClearsItsBitAndPlaysNothing)
{
    SoundCard(true);
    SetEntry(1, 10, false, "alarm.wav");
    rig.Start();
    rig.Driver(1).SoundEvents.raise(SoundEvent::Alarm);

    Work().ScanSoundWork();

    EXPECT_TRUE(waves.played.empty());
    EXPECT_EQ(rig.Driver(1).SoundEvents.load(), 0u);
    EXPECT_EQ(Work().SoundPlaying, 0);
}

TEST_F(ScannerSoundsTest, AnotherChannelWaitsUntilTheFirstHasNothingPending)
{
    SoundCard(true);
    SetEntry(1, 1, true, "one.wav");
    SetEntry(2, 1, true, "two.wav");
    rig.Start();
    rig.Driver(1).SoundEvents.raise(SoundEvent::TransmitStart);
    rig.Driver(2).SoundEvents.raise(SoundEvent::TransmitStart);

    Work().ScanSoundWork(); // channel 1 plays
    ASSERT_EQ(waves.played.size(), 1u);
    Work().ScanSoundWork(); // the wave counts as finished
    Work().ScanSoundWork(); // channel 2 plays
    ASSERT_EQ(waves.played.size(), 2u);
    EXPECT_EQ(waves.played[1].file, "/opt/korvane/wavs/two.wav");
}

// The speaker plays a tune without a nested event loop: the tick returns at
// once, the tune steps on its own timer, and the next pending event of the
// channel starts only when the tune is done.
TEST_F(ScannerSoundsTest, SpeakerTunesPlayOneAfterTheOtherWithoutWaitingInTheTick)
{
    SoundCard(false);
    SetEntry(1, 1, true, {}, "2a2d"); // two notes rising, two steps each
    SetEntry(1, 2, true, {}, "g"); // one higher note
    rig.Start();
    rig.Driver(1).SoundEvents.raise(SoundEvent::TransmitStart | SoundEvent::TransmitEnd);

    const std::uint64_t before = rig.clock.tickMs();
    Work().ScanSoundWork();
    EXPECT_EQ(rig.clock.tickMs(), before);
    EXPECT_TRUE(tone.sounding());
    EXPECT_FALSE(tunes.TuneDone());
    EXPECT_EQ(rig.Driver(1).SoundEvents.load(), SoundEvent::TransmitEnd);

    rig.Advance(2000); // the file ticks see the first tune end, then play the second
    EXPECT_EQ(rig.Driver(1).SoundEvents.load(), 0u);
    EXPECT_TRUE(tunes.TuneDone());
    EXPECT_FALSE(tone.sounding());
    // The two notes of the first tune, then the note of the second, each heard.
    std::vector<std::uint16_t> notes;
    for (const auto& e : tone.events)
        if (e.hz)
            notes.push_back(e.hz);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_LT(notes[0], notes[1]);
    EXPECT_LT(notes[1], notes[2]);
}

} // namespace
