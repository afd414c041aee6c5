#pragma once

#include "platform/Clock.h"

namespace korvane::test {

// A clock that stands still until the test moves it. advance() moves the
// wall clock and the tick count together.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 15), QTime(12, 0)))
        : m_now(std::move(start)) {}

    QDateTime now() const override { return m_now; }
    std::uint64_t tickMs() const override { return m_tick; }

    void set(const QDateTime& t) { m_now = t; }
    void advance(std::int64_t ms)
    {
        m_now = m_now.addMSecs(ms);
        m_tick += static_cast<std::uint64_t>(ms);
    }

private:
    QDateTime m_now;
    std::uint64_t m_tick = 1000;
};

} // namespace korvane::test
