#pragma once

// A simulated line's transcript as the tests compare it: the runs of codes
// in one direction become their telegraph text in marks ('<' CR, '_' LF,
// '@' WRU, '^' figures, '$' Latin and '*' Russian letters), so that a call reads as an operator
// would read it, and the other entries stay as the network wrote them.

#include "sim/Transcript.h"

#include <QStringList>

#include <cstdint>

namespace korvane::test {

// The mark of a 5-bit code in the given register (true: figures).
inline QChar CodeMark(std::uint8_t code, bool figures)
{
    static const char16_t* letters = u"*E_A SIU<DRJNFCKTZLWHYPQOBG^MXV$";
    static const char16_t* digits = u"*3_- '87<@4\u042E,\u042D:(5+)2\u04296019?\u0428^./=$";
    return QChar(figures ? digits[code & 31] : letters[code & 31]);
}

struct TranscriptLine {
    std::int64_t ms;
    QString what;
};

// Entries with prefixes in Skip are left out (e.g. "pulse" when the
// dialling is compared elsewhere). Codes of a run keep the time of the
// first; shift codes carry the register across runs of each direction.
inline std::vector<TranscriptLine> ReadableTranscript(const sim::Transcript& t, const QStringList& skip = {})
{
    std::vector<TranscriptLine> out;
    bool figures[2] = {false, false};
    int runDir = -1;
    for (const sim::Transcript::Entry& e : t.entries()) {
        bool skipped = false;
        for (const QString& p : skip)
            skipped |= e.what.startsWith(p);
        if (skipped)
            continue;
        const QStringList parts = e.what.split(u' ');
        bool isCode = false;
        const int code = parts.size() == 2 ? parts[1].toInt(&isCode) : 0;
        const int dir = parts[0] == QLatin1String("out") ? 0 : parts[0] == QLatin1String("in") ? 1 : -1;
        if (isCode && dir >= 0) {
            if (code == 31 || code == 0)
                figures[dir] = false;
            else if (code == 27)
                figures[dir] = true;
            const QChar mark = CodeMark(std::uint8_t(code), figures[dir]);
            if (runDir != dir || out.empty())
                out.push_back({e.us / 1000, parts[0] + u' ' + u'"'});
            else
                out.back().what.chop(1);
            out.back().what += mark;
            out.back().what += u'"';
            runDir = dir;
            continue;
        }
        runDir = -1;
        out.push_back({e.us / 1000, e.what});
    }
    return out;
}

// One entry a line, "<ms relative to From> <what>", for messages and for
// comparing with an expected text.
inline QStringList TimedLines(const std::vector<TranscriptLine>& lines, std::int64_t fromMs = 0)
{
    QStringList out;
    for (const TranscriptLine& l : lines)
        out << QStringLiteral("%1 %2").arg(l.ms - fromMs).arg(l.what);
    return out;
}
inline QStringList Whats(const std::vector<TranscriptLine>& lines)
{
    QStringList out;
    for (const TranscriptLine& l : lines)
        out << l.what;
    return out;
}

} // namespace korvane::test
