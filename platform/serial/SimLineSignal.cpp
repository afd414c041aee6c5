#include "platform/serial/SimLineSignal.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace korvane::serial {

namespace {

constexpr std::int64_t kForever = std::numeric_limits<std::int64_t>::max();
// Far below a microsecond: tells the level just before an element boundary
// from the level just after it.
constexpr double kEpsilon = 0.001;

double elementMicros(const LineSettings& frame)
{
    return 1'000'000.0 / frame.baudRate;
}

int parityElements(const LineSettings& frame)
{
    return frame.parity != 0 ? 1 : 0;
}

bool parityLevel(const LineSettings& frame, std::uint8_t byte)
{
    const int ones = std::popcount(static_cast<unsigned>(byte & ((1u << frame.byteSize) - 1)));
    switch (frame.parity) {
    case 1: return ones % 2 == 0; // odd: the element makes the count odd
    case 2: return ones % 2 != 0; // even
    case 3: return true;          // mark
    default: return false;        // space
    }
}

} // namespace

void SimLineSignal::send(std::int64_t startUs, const LineSettings& frame, std::uint8_t byte)
{
    if (frame.baudRate == 0)
        return; // no speed: nothing reaches the line
    m_chars.push_back({startUs, startUs + characterMicros(frame), frame, byte});
}

void SimLineSignal::setBreak(bool on, std::int64_t atUs)
{
    const bool lasting = !m_breaks.empty() && m_breaks.back().off == kForever;
    if (on && !lasting)
        m_breaks.push_back({atUs, kForever});
    else if (!on && lasting)
        m_breaks.back().off = atUs;
}

const SimLineSignal::Char* SimLineSignal::charAt(double t) const
{
    for (const Char& c : m_chars) {
        if (t < c.start)
            return nullptr;
        if (t < c.end)
            return &c;
    }
    return nullptr;
}

bool SimLineSignal::levelAt(double t) const
{
    for (const Break& b : m_breaks)
        if (b.on <= t && t < b.off)
            return false;
    const Char* c = charAt(t);
    if (!c)
        return true;
    const int element = static_cast<int>(std::floor((t - c->start) / elementMicros(c->frame)));
    if (element == 0)
        return false; // start element
    if (element <= c->frame.byteSize)
        return ((c->byte >> (element - 1)) & 1) != 0;
    if (element == c->frame.byteSize + 1 && c->frame.parity != 0)
        return parityLevel(c->frame, c->byte);
    return true; // stop elements
}

bool SimLineSignal::breakTouches(double from, double to) const
{
    return std::any_of(m_breaks.begin(), m_breaks.end(),
                       [&](const Break& b) { return b.on <= to && from < static_cast<double>(b.off); });
}

std::optional<double> SimLineSignal::nextFall(double from, double until) const
{
    std::vector<double> candidates;
    for (const Char& c : m_chars) {
        if (c.end < from)
            continue;
        if (c.start > until)
            break;
        const double t = elementMicros(c.frame);
        const int boundaries = 1 + c.frame.byteSize + parityElements(c.frame);
        for (int k = 0; k <= boundaries; ++k)
            candidates.push_back(static_cast<double>(c.start) + k * t);
    }
    for (const Break& b : m_breaks)
        candidates.push_back(static_cast<double>(b.on));
    std::sort(candidates.begin(), candidates.end());
    for (double c : candidates) {
        if (c < from || c > until)
            continue;
        if (levelAt(c - kEpsilon) && !levelAt(c + kEpsilon))
            return c;
    }
    return std::nullopt;
}

std::vector<SimLineSignal::Received> SimLineSignal::receive(std::int64_t nowUs,
                                                           const std::optional<LineSettings>& receiverFrame)
{
    std::vector<Received> out;
    for (;;) {
        const std::optional<double> fall = nextFall(m_ready, static_cast<double>(nowUs));
        if (!fall) {
            // The line up to now holds no start: what lies before now can
            // be forgotten (a long break with characters sent into it, too).
            m_ready = std::max(m_ready, static_cast<double>(nowUs));
            break;
        }
        const Char* sent = charAt(*fall + kEpsilon);
        LineSettings frame = receiverFrame ? *receiverFrame : sent ? sent->frame : LineSettings{};
        if (frame.baudRate == 0)
            frame = sent ? sent->frame : LineSettings{};
        const double t = elementMicros(frame);
        if (levelAt(*fall + 0.5 * t)) {
            if (*fall + 0.5 * t > static_cast<double>(nowUs))
                break;
            m_ready = *fall + 0.5 * t; // a glitch, not a start element
            continue;
        }
        const std::int64_t complete = std::llround(*fall) + characterMicros(frame);
        if (complete > nowUs)
            break;
        std::uint8_t byte = 0;
        for (int i = 0; i < frame.byteSize; ++i)
            if (levelAt(*fall + (1.5 + i) * t))
                byte |= static_cast<std::uint8_t>(1u << i);
        const double stopSample = *fall + (1 + frame.byteSize + parityElements(frame) + 0.5) * t;
        const bool stop = levelAt(stopSample);
        m_ready = stopSample;
        if (breakTouches(*fall, stopSample))
            continue;
        out.push_back({complete, byte, sent ? sent->frame : frame, !stop});
    }
    prune();
    return out;
}

std::int64_t SimLineSignal::nextCompletionUs(const std::optional<LineSettings>& receiverFrame) const
{
    const std::optional<double> fall = nextFall(m_ready, std::numeric_limits<double>::infinity());
    if (!fall)
        return -1;
    const Char* sent = charAt(*fall + kEpsilon);
    LineSettings frame = receiverFrame ? *receiverFrame : sent ? sent->frame : LineSettings{};
    if (frame.baudRate == 0)
        frame = sent ? sent->frame : LineSettings{};
    const double half = 0.5 * elementMicros(frame);
    if (levelAt(*fall + half))
        return static_cast<std::int64_t>(std::ceil(*fall + half));
    return std::llround(*fall) + characterMicros(frame);
}

void SimLineSignal::prune()
{
    // Keep what the receiver may still look at, the level just before its
    // ready time included.
    const double keepFrom = m_ready - 1.0;
    while (!m_chars.empty() && static_cast<double>(m_chars.front().end) < keepFrom)
        m_chars.pop_front();
    while (!m_breaks.empty() && static_cast<double>(m_breaks.front().off) < keepFrom)
        m_breaks.pop_front();
}

} // namespace korvane::serial
