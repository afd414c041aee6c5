#pragma once

#include "platform/Clock.h"
#include "platform/ToneOutput.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace korvane::test {

// Records every start and stop of the speaker with the clock's tick count,
// so that a test can read back what sounded and for how long.
class FakeToneOutput final : public ToneOutput {
public:
    struct Event {
        std::uint16_t hz; // 0 for a stop
        std::uint64_t tickMs;
    };

    // One stretch of the timeline: a tone (hz > 0) or silence (hz == 0).
    struct Span {
        std::uint16_t hz;
        std::uint64_t ms;
        bool operator==(const Span&) const = default;
        friend std::ostream& operator<<(std::ostream& os, const Span& s)
        {
            return os << '(' << s.hz << " Hz, " << s.ms << " ms)";
        }
    };

    explicit FakeToneOutput(const Clock& clock) : m_clock(clock) {}

    void startTone(std::uint16_t hz) override { events.push_back({hz, m_clock.tickMs()}); }
    void stopTone() override { events.push_back({0, m_clock.tickMs()}); }

    bool sounding() const { return !events.empty() && events.back().hz != 0; }

    // What was heard from the first event to the last change: each start
    // lasts until the next event, each silence until the next start. A stop
    // while silent changes nothing; the silence after the last stop is not
    // counted.
    std::vector<Span> timeline() const
    {
        std::vector<Span> out;
        std::size_t i = 0;
        while (i < events.size()) {
            const Event& e = events[i];
            std::size_t next = i + 1;
            if (e.hz == 0)
                while (next < events.size() && events[next].hz == 0)
                    ++next;
            if (next >= events.size()) {
                if (e.hz != 0)
                    out.push_back({e.hz, m_clock.tickMs() - e.tickMs});
                break;
            }
            out.push_back({e.hz, events[next].tickMs - e.tickMs});
            i = next;
        }
        return out;
    }

    std::vector<Event> events;

private:
    const Clock& m_clock;
};

} // namespace korvane::test
