#pragma once

#include "platform/Clock.h"
#include "platform/ToneOutput.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace korvane {

// A melody for the speaker, read character by character:
//   a w s e d f t g y h u j   a note of the current octave, C up to B
//   <  >                      octave down / up (0 to 7)
//   -                         a rest
//   1 to 9                    length of the next note or rest, in 60-ms steps
//   anything else             a step in which the sound goes on unchanged
// A tune starts in octave 3 with length 1; a length holds for one note.
using TuneString = QString;

// The note keys in the order of NoteFrequencies' columns.
inline constexpr char TuneNoteKeys[] = "awsedftgyhuj";

// Tone in Hz of each note of octaves 0 to 7.
extern const std::array<std::array<std::uint16_t, 12>, 8> NoteFrequencies;

// One pass of the application's event processing (timers included), waiting
// at most maxWaitMs for an event to arrive.
using MessagePump = std::function<void(std::uint32_t maxWaitMs)>;

// The real pump: handles the pending events of the calling thread, or
// sleeps until one comes or maxWaitMs have passed.
void processMessages(std::uint32_t maxWaitMs);

// Returns when Ms milliseconds of the clock's tick count have passed,
// passing the events through pump meanwhile; the time is checked before
// each pass, so a delay of 0 processes nothing.
void DelayWithMessages(const Clock& clock, std::uint32_t Ms,
                       const MessagePump& pump = processMessages);

// The state of the tune player.
struct TuneState {
    TuneString Tune;            // the text being played
    std::int16_t TunePos = 0;   // position (from 1) of the last character taken
    std::int16_t Octave = 3;
    std::int16_t NoteLen = 1;   // length of the current note, in steps
    std::int16_t DurCount = 1;  // steps left of the current note
    bool NextNote = true;       // the next step takes a character at once
    bool TuneDone = true;       // the tune has ended or was stopped
    bool TuneLoop = false;      // start again at the end
    bool SpeakerOn = false;     // a tone is sounding
};

// The program's one speaker player: tunes, the refusal chime and the speaker
// tone under them. Main thread only. Every wait passes events, so timer
// handlers run inside PlayTune and PlayChime and may start another sound
// there: the newer sound takes over at once and the one it interrupts plays
// nothing more; the interrupted call returns as soon as the newer has ended.
class TunePlayer {
public:
    static constexpr std::uint32_t kStepMs = 60;

    TunePlayer(ToneOutput& tone, const Clock& clock, MessagePump pump = processMessages);

    TunePlayer(const TunePlayer&) = delete;
    TunePlayer& operator=(const TunePlayer&) = delete;

    // Plays Tune and returns when it has ended or, with Loop, when it is
    // stopped. An empty tune ends at once.
    void PlayTune(const TuneString& Tune, bool Loop);
    // The same tune without waiting: BeginTune starts it (an empty tune is
    // done at once) and each AdvanceTune, called every kStepMs by the
    // owner's timer, plays one step; the speaker falls silent when it ends.
    // A tune begun replaces one still sounding.
    void BeginTune(const TuneString& Tune, bool Loop);
    void AdvanceTune();

    // 550 Hz for 100 ms, 660 Hz for 150 ms, 440 Hz for 150 ms, then silence.
    void PlayChime();

    // Stopping from outside (the sound-off command): a looping tune does not
    // start again and the tune counts as done; PlayTune returns within a step.
    void stop();

    bool TuneDone() const { return m_state.TuneDone; }
    const TuneState& state() const { return m_state; }

    // The speaker under the player: a tone that sounds until changed or
    // stopped. Hz is never 0.
    void StartSpeakerTone(std::uint16_t Hz);
    void StopSpeakerTone();

    void DelayWithMessages(std::uint32_t Ms) const;

private:
    void StepTune();
    void PlayNextTuneChar();

    ToneOutput& m_tone;
    const Clock& m_clock;
    MessagePump m_pump;
    TuneState m_state;
    // Counts the sounds started, so that the chime can tell that a newer
    // sound has taken over.
    std::uint64_t m_soundSerial = 0;
};

} // namespace korvane
