#include "support/Tunes.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace korvane {

const std::array<std::array<std::uint16_t, 12>, 8> NoteFrequencies = {{
    {65, 70, 72, 77, 82, 87, 92, 97, 103, 109, 116, 123},
    {131, 139, 147, 156, 165, 175, 185, 196, 208, 220, 233, 247},
    {262, 280, 295, 313, 331, 351, 377, 394, 417, 442, 468, 496},
    {525, 556, 590, 625, 662, 701, 743, 787, 834, 883, 937, 992},
    {1051, 1113, 1179, 1249, 1323, 1402, 1486, 1574, 1669, 1768, 1873, 1982},
    {2100, 2226, 2358, 2501, 2646, 2794, 2976, 3148, 3333, 3551, 3740, 3964},
    {4201, 4452, 4716, 4992, 5303, 5628, 5936, 6313, 6666, 7060, 7504, 7955},
    {8402, 8904, 9470, 10027, 10559, 11256, 11814, 12560, 13258, 14038, 14915, 15909},
}};

namespace {

constexpr std::int16_t kStartOctave = 3;
constexpr std::int16_t kLowestOctave = 0;
constexpr std::int16_t kHighestOctave = 7;

struct ChimeTone {
    std::uint16_t hz;
    std::uint32_t ms;
};
constexpr ChimeTone kChime[] = {{550, 100}, {660, 150}, {440, 150}};

// Column of a note key in NoteFrequencies, or -1.
int noteIndex(QChar c)
{
    if (c.unicode() == 0 || c.unicode() > 0x7f)
        return -1;
    const char* found = std::strchr(TuneNoteKeys, static_cast<char>(c.unicode()));
    return found ? static_cast<int>(found - TuneNoteKeys) : -1;
}

} // namespace

void processMessages(std::uint32_t maxWaitMs)
{
    if (!QCoreApplication::instance()) {
        QThread::msleep(maxWaitMs);
        return;
    }
    if (maxWaitMs == 0) {
        QCoreApplication::processEvents();
        return;
    }
    // The timer only wakes the wait below when no other event comes first.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(static_cast<int>(std::min<std::uint32_t>(maxWaitMs, std::numeric_limits<int>::max())));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void DelayWithMessages(const Clock& clock, std::uint32_t Ms, const MessagePump& pump)
{
    const std::uint64_t start = clock.tickMs();
    for (;;) {
        const std::uint64_t elapsed = clock.tickMs() - start;
        if (elapsed >= Ms)
            return;
        pump(static_cast<std::uint32_t>(Ms - elapsed));
    }
}

TunePlayer::TunePlayer(ToneOutput& tone, const Clock& clock, MessagePump pump)
    : m_tone(tone), m_clock(clock), m_pump(std::move(pump))
{
}

void TunePlayer::StartSpeakerTone(std::uint16_t Hz)
{
    m_state.SpeakerOn = true;
    m_tone.startTone(Hz);
}

void TunePlayer::StopSpeakerTone()
{
    m_tone.stopTone();
    m_state.SpeakerOn = false;
}

void TunePlayer::DelayWithMessages(std::uint32_t Ms) const
{
    korvane::DelayWithMessages(m_clock, Ms, m_pump);
}

void TunePlayer::stop()
{
    m_state.TuneLoop = false;
    m_state.TuneDone = true;
}

// The timing comes from the steps: a note of length L sounds for L steps of
// 60 ms, until the character after it changes the tone.
//
// A sound started from an event handler while this one waits takes over: it
// leaves TuneDone set when it ends, so this loop ends without another step.
void TunePlayer::PlayTune(const TuneString& Tune, bool Loop)
{
    BeginTune(Tune, Loop);
    if (m_state.TuneDone)
        return;
    do {
        StepTune();
        DelayWithMessages(kStepMs);
    } while (!m_state.TuneDone);
    StopSpeakerTone();
}

void TunePlayer::BeginTune(const TuneString& Tune, bool Loop)
{
    ++m_soundSerial;
    m_state.NextNote = true;
    m_state.Octave = kStartOctave;
    m_state.TunePos = 0;
    m_state.TuneLoop = Loop;
    m_state.TuneDone = false;
    m_state.Tune = Tune;
    m_state.NoteLen = 1;
    m_state.DurCount = 1;

    if (Tune.isEmpty()) {
        // Nothing to play: done at once, so whoever waits for the end of the
        // tune goes on.
        m_state.TuneDone = true;
        StopSpeakerTone();
    }
}

void TunePlayer::AdvanceTune()
{
    if (m_state.TuneDone)
        return;
    StepTune();
    if (m_state.TuneDone)
        StopSpeakerTone();
}

// The chime ends a tune that sounds; a sound started while the chime waits
// ends the chime.
void TunePlayer::PlayChime()
{
    const std::uint64_t serial = ++m_soundSerial;
    stop();
    for (const ChimeTone& t : kChime) {
        StartSpeakerTone(t.hz);
        DelayWithMessages(t.ms);
        if (serial != m_soundSerial)
            return; // the newer sound has ended and left the speaker off
    }
    StopSpeakerTone();
}

void TunePlayer::StepTune()
{
    if (m_state.TuneDone)
        return;
    if (m_state.NextNote) {
        m_state.NextNote = false;
        PlayNextTuneChar();
        return;
    }
    --m_state.DurCount;
    if (m_state.DurCount <= 0) {
        m_state.NoteLen = 1;
        m_state.DurCount = 1;
        PlayNextTuneChar();
    }
}

void TunePlayer::PlayNextTuneChar()
{
    const qsizetype length = std::min<qsizetype>(m_state.Tune.size(),
                                                 std::numeric_limits<std::int16_t>::max());
    for (;;) {
        if (m_state.TunePos >= length) {
            m_state.NextNote = true;
            m_state.Octave = kStartOctave;
            m_state.TunePos = 0;
            if (!m_state.TuneLoop) {
                m_state.TuneDone = true;
                StopSpeakerTone();
            }
            return;
        }
        ++m_state.TunePos;
        const QChar c = m_state.Tune.at(m_state.TunePos - 1);
        if (c == u'<') {
            m_state.Octave = std::max<std::int16_t>(m_state.Octave - 1, kLowestOctave);
            continue;
        }
        if (c == u'>') {
            m_state.Octave = std::min<std::int16_t>(m_state.Octave + 1, kHighestOctave);
            continue;
        }
        if (c == u'-') {
            StopSpeakerTone();
            return;
        }
        if (const int note = noteIndex(c); note >= 0) {
            StartSpeakerTone(NoteFrequencies[m_state.Octave][note]);
            return;
        }
        if (c >= u'1' && c <= u'9') {
            m_state.NoteLen = static_cast<std::int16_t>(c.unicode() - u'0');
            m_state.DurCount = m_state.NoteLen;
            continue;
        }
        return; // any other character: the sound goes on unchanged
    }
}

} // namespace korvane
