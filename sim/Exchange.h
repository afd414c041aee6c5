#pragma once

#include "sim/SimpleAdapter.h"
#include "sim/Station.h"
#include "support/TelegraphCode.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvane::sim {

class Transcript;

// How the exchange serves the terminal's line; times in milliseconds.
struct ExchangeConfig {
    enum class Seize : std::uint8_t {
        Invite, // answer a seize with the invitation to dial (or, with keyboard selection, with '+')
        Busy,   // answer it with a busy pulse
        None,   // never answer it
    };
    Seize seize = Seize::Invite;
    // Selection: dial pulses (the digits of pulsePrefix lead on to keyboard
    // selection; other dialled digits are a station's number), or keyboard
    // selection straight after the seize.
    bool keyboard = false;
    QString pulsePrefix = QStringLiteral("8");
    std::int64_t seizeMs = 20;       // the terminal's '+' that counts as a seize
    std::int64_t answerMs = 150;     // from the seize to the invitation, busy pulse or '+'
    std::int64_t inviteMs = 40;      // the invitation pulse ('+')
    std::int64_t busyMs = 200;       // the busy pulse ('+')
    std::int64_t connectMs = 200;    // from the selection to the connection
    std::int64_t digitGapMs = 250;   // '+' after pulses that ends a digit
    std::int64_t dialTimeoutMs = 3000; // no further digit: the number is complete
    std::int64_t clearMs = 200;      // the terminal's '-' that clears (longer than a dial pulse)
    std::int64_t serviceClearMs = 500; // from the end of a service signal to clearing
    std::int64_t callAnswerMs = 30'000; // how long an incoming call waits for the terminal
    // After a clearing the line rests free this long before a call is put
    // through to the terminal: the terminal's wait for the confirmation of
    // its clearing (up to 1.5 s of '-') must not meet the next call's '+'.
    std::int64_t guardMs = 2000;
};

// The telex exchange in front of one terminal: takes its seize, answers with
// the invitation to dial (or a busy pulse), counts dial pulses, takes keyboard
// selection, connects a station or gives a service signal and clears, takes
// and confirms clearing, and puts the stations' calls through to the terminal.
// Runs on the network's scheduler; not thread-safe.
class Exchange final : private StationLink {
public:
    Exchange(ExchangeConfig config, SimpleAdapter& adapter, std::vector<StationConfig> stations,
             Transcript* transcript);
    ~Exchange() override;

    // Handles what the terminal did and runs what is due; returns when it
    // wants to run again, -1 when only the line can wake it.
    std::int64_t step(std::int64_t nowUs);

    Station* station(const QString& number);
    Station* connectedStation() const { return m_peer; }
    bool isFree() const { return m_state == State::Free; }

private:
    enum class State : std::uint8_t {
        Free, Seized, Dialling, Selecting, Connected, Refused, FarCleared, Busy, Dead, CallingIn
    };

    void onPolarity(bool plus, std::int64_t us);
    void onCode(std::uint8_t code, std::int64_t us);
    void pulse(std::int64_t ms, std::int64_t nowUs);
    void numberComplete(QString number, std::int64_t nowUs);
    std::size_t stationIndex(const Station& s) const;
    void connect(Station& station, std::int64_t nowUs);
    void refuse(const QString& signal, std::int64_t nowUs);
    void release(std::int64_t nowUs);
    void toFree(std::int64_t nowUs);
    std::int64_t guardEndUs() const;
    void note(std::int64_t us, const QString& what);

    std::int64_t sendCodes(const QByteArray& codes) override;
    void clearFromStation() override;
    void setLineFault(bool fault, std::int64_t forMs) override;

    ExchangeConfig m_config;
    SimpleAdapter& m_adapter;
    std::vector<std::unique_ptr<Station>> m_stations;
    std::vector<bool> m_called;
    std::vector<int> m_refused; // calls given the station's reply so far
    Transcript* m_transcript;
    std::int64_t m_startUs = -1;
    std::int64_t m_freeSinceUs = -1; // the last clearing; no call is put through within the guard time

    State m_state = State::Free;
    std::int64_t m_timerUs = -1;    // the state's next deadline
    std::int64_t m_pulseEndUs = -1; // an own '+' pulse ends
    bool m_outPlus = false;
    std::int64_t m_outSinceUs = 0;
    int m_pulses = 0;
    std::int64_t m_lastPulseEndUs = 0;
    QString m_dialled;
    TelegraphRegister m_selectRegister = NoRegister;
    Station* m_peer = nullptr;
    Station* m_pending = nullptr; // selected, to be connected when the timer runs out
    QString m_pendingSignal;
    std::int64_t m_nowUs = 0;
    std::int64_t m_faultEndUs = -1;
};

} // namespace korvane::sim
