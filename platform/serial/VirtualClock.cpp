#include "platform/serial/VirtualClock.h"

#include <utility>

namespace korvane::serial {

VirtualClock::VirtualClock(QDateTime start) : m_start(std::move(start)) {}

VirtualClock::~VirtualClock() = default;

QDateTime VirtualClock::now() const
{
    return m_start.addMSecs(nowUs() / 1000);
}

std::uint64_t VirtualClock::tickMs() const
{
    return static_cast<std::uint64_t>(nowUs() / 1000);
}

void VirtualClock::advance(std::int64_t ms)
{
    for (std::int64_t i = 0; i < ms; ++i) {
        m_us.fetch_add(1000, std::memory_order_acq_rel);
        std::size_t count = 0;
        {
            std::lock_guard lock(m_mutex);
            ++m_ticking;
            // Entries added during this millisecond wait for the next one.
            count = m_entries.size();
        }
        // The ticks run without the lock held, so a tick may take locks of
        // its own (the engine's) in any order with subscribing.
        for (std::size_t k = 0; k < count; ++k) {
            std::function<void()> tick;
            {
                std::lock_guard lock(m_mutex);
                // Copy: the tick may unsubscribe itself, or an earlier tick
                // may have unsubscribed it (it is then empty).
                if (k < m_entries.size())
                    tick = m_entries[k].tick;
            }
            if (tick)
                tick();
        }
        std::lock_guard lock(m_mutex);
        if (--m_ticking == 0)
            std::erase_if(m_entries, [](const Entry& e) { return !e.tick; });
    }
}

VirtualClock::Subscription VirtualClock::subscribe(std::function<void()> tick)
{
    std::lock_guard lock(m_mutex);
    const std::uint64_t id = m_nextId++;
    m_entries.push_back({id, std::move(tick)});
    return Subscription(this, id);
}

void VirtualClock::unsubscribe(std::uint64_t id)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->id != id)
            continue;
        if (m_ticking > 0)
            it->tick = nullptr; // removed after the running millisecond
        else
            m_entries.erase(it);
        return;
    }
}

VirtualClock::Subscription::Subscription(Subscription&& other) noexcept
    : m_clock(std::exchange(other.m_clock, nullptr)), m_id(std::exchange(other.m_id, 0))
{
}

VirtualClock::Subscription& VirtualClock::Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        reset();
        m_clock = std::exchange(other.m_clock, nullptr);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

VirtualClock::Subscription::~Subscription()
{
    reset();
}

void VirtualClock::Subscription::reset()
{
    if (m_clock)
        m_clock->unsubscribe(m_id);
    m_clock = nullptr;
    m_id = 0;
}

} // namespace korvane::serial
