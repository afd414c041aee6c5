#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace korvane::sim {

// What happened on a simulated line, in time order, as tests compare it.
//
// Each entry is a time (microseconds on the line's clock) and a short text:
//   "out +" / "out -"        the terminal's line polarity (break off / on)
//   "in +" / "in -"          the polarity the adapter gives the terminal (RI)
//   "out 27" / "in 9"        a 5-bit code sent by / to the terminal
//   "fault on" / "fault off" the adapter reports a broken line (DSR)
//   "seize", "invite 40", "busy 200", "pulse 60", "digit 8", "select 2345",
//   "connect 2345", "service OCC", "clear", "confirm", "call 2345"
//                            the exchange's and the stations' doings
// Thread-safe: the network writes it on its scheduler while a test reads it.
// Unbounded unless told: a network that runs for days (the program's own
// simulated ports) keeps only its last entries.
class Transcript {
public:
    struct Entry {
        std::int64_t us;
        QString what;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    void add(std::int64_t us, QString what);
    // Keeps at most MaxEntries, the newest; 0: every entry (the default).
    void setLimit(std::size_t maxEntries);
    std::vector<Entry> entries() const;
    // The entries whose text starts with one of the prefixes, as "text" only.
    QStringList texts(const QStringList& prefixes = {}) const;
    // One line per entry: seconds with milliseconds, a blank, the text.
    QString text() const;
    // The codes sent by the terminal ("out") or to it ("in"), in order.
    QByteArray codes(bool out) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::deque<Entry> m_entries;
    std::size_t m_limit = 0;
};

} // namespace korvane::sim
