#pragma once

#include "support/TelegraphCode.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace korvane::sim {

class Transcript;

// What a station does, one action after the other, once it is connected.
struct StationAction {
    enum class Kind : std::uint8_t {
        Wait,       // ms: do nothing for that long
        Send,       // text: telegraph text with its marks ('<' CR, '_' LF, '@' WRU, '^' '$' '*' shifts)
        Wru,        // ask the terminal for its answerback
        AnswerBack, // send the own answerback unasked
        Clear,      // clear the connection
        Silent,     // from now on send nothing, not even the answerback on WRU
        Break,      // break the line for ms (0: until mended): the terminal's adapter reports a line fault
        Mend,       // the line is whole again
    };
    Kind kind;
    std::int64_t ms = 0;
    QString text;
};

// A station's description in a scenario.
struct StationConfig {
    QString number;
    QString answerBack;              // telegraph text, sent on WRU
    QString reply;                   // a service signal the exchange gives instead of connecting (OCC, NC, ...)
    int replyCalls = -1;             // to that many calls, then it is connected; -1: to every call
    std::int64_t callInMs = -1;      // when it calls the terminal (from the network's start), -1 never
    std::int64_t answerBackDelayMs = 150; // from the end of a WRU to its answerback
    std::vector<StationAction> script;
};

// The exchange's side of a connection, as a station uses it.
class StationLink {
public:
    virtual ~StationLink() = default;
    // Codes towards the terminal; returns when the last of them will have gone.
    virtual std::int64_t sendCodes(const QByteArray& codes) = 0;
    virtual void clearFromStation() = 0;
    // A fault for forMs (0: until mended).
    virtual void setLineFault(bool fault, std::int64_t forMs) = 0;
};

// A distant station: answers WRU with its answerback and runs its script
// while it is connected. Runs on the network's scheduler.
class Station {
public:
    explicit Station(StationConfig config);

    const StationConfig& config() const { return m_config; }
    void connected(StationLink& link, std::int64_t nowUs);
    void disconnected();
    bool isConnected() const { return m_link != nullptr; }
    void receive(std::uint8_t code, std::int64_t nowUs);
    // Runs what is due; returns when it wants to run again, -1 never.
    std::int64_t step(std::int64_t nowUs);

    // The text it has received (CR as '<', LF as '_', WRU as '@').
    QString received() const { return m_received; }
    int wruReceived() const { return m_wruReceived; }

private:
    void sendText(const QString& text, std::int64_t nowUs);

    StationConfig m_config;
    StationLink* m_link = nullptr;
    std::size_t m_next = 0;
    std::int64_t m_busyUntil = 0;
    std::int64_t m_answerBackAt = -1;
    bool m_silent = false;
    TelegraphRegister m_rxRegister = NoRegister;
    TelegraphRegister m_txRegister = NoRegister;
    QString m_received;
    int m_wruReceived = 0;
};

} // namespace korvane::sim
