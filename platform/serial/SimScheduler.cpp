#include "platform/serial/SimScheduler.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace korvane::serial {

SimScheduler::SimScheduler(VirtualClock* clock) : m_clock(clock)
{
    if (m_clock) {
        m_tick = m_clock->subscribe([this] {
            std::unique_lock lock(m_mutex);
            const std::int64_t now = nowUs();
            const bool all = std::exchange(m_woken, false);
            const std::int64_t due = earliestDueLocked();
            if (all || (due >= 0 && due <= now))
                runPass(lock, now, all);
        });
    } else {
        m_thread = std::thread([this] { threadLoop(); });
    }
}

SimScheduler::~SimScheduler()
{
    m_tick.reset();
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::int64_t SimScheduler::realTimeUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t SimScheduler::nowUs() const
{
    return m_clock ? m_clock->nowUs() : realTimeUs();
}

SimScheduler::Registration SimScheduler::add(Step step)
{
    std::uint64_t id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextId++;
        m_entries.push_back({id, std::move(step), 0});
        m_woken = true;
    }
    m_changed.notify_all();
    return Registration(this, id);
}

void SimScheduler::wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_changed.notify_all();
}

void SimScheduler::remove(std::uint64_t id)
{
    std::unique_lock lock(m_mutex);
    for (Entry& e : m_entries)
        if (e.id == id)
            e.step = nullptr; // dropped after the pass that may be running it
    if (m_running && m_runner != std::this_thread::get_id())
        m_changed.wait(lock, [this] { return !m_running; });
    if (!m_running)
        std::erase_if(m_entries, [](const Entry& e) { return !e.step; });
}

std::int64_t SimScheduler::earliestDueLocked() const
{
    std::int64_t due = -1;
    for (const Entry& e : m_entries)
        if (e.step && e.due >= 0 && (due < 0 || e.due < due))
            due = e.due;
    return due;
}

void SimScheduler::runPass(std::unique_lock<std::mutex>& lock, std::int64_t now, bool all)
{
    m_running = true;
    m_runner = std::this_thread::get_id();
    // Entries added during the pass wait for the next one.
    const std::size_t count = m_entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i >= m_entries.size() || !m_entries[i].step)
            continue;
        if (!all && (m_entries[i].due < 0 || m_entries[i].due > now))
            continue;
        const std::uint64_t id = m_entries[i].id;
        const Step step = m_entries[i].step;
        lock.unlock();
        const std::int64_t next = step(now);
        lock.lock();
        // The vector may have grown meanwhile; find the entry by its id.
        for (Entry& e : m_entries)
            if (e.id == id)
                e.due = next;
    }
    m_running = false;
    m_runner = {};
    std::erase_if(m_entries, [](const Entry& e) { return !e.step; });
    m_changed.notify_all();
}

void SimScheduler::threadLoop()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        const std::int64_t now = nowUs();
        const std::int64_t due = earliestDueLocked();
        if (m_woken || (due >= 0 && due <= now)) {
            const bool all = std::exchange(m_woken, false);
            runPass(lock, now, all);
            continue;
        }
        if (due < 0)
            m_changed.wait(lock);
        else
            m_changed.wait_until(lock, std::chrono::steady_clock::time_point(std::chrono::microseconds(due)));
    }
}

SimScheduler::Registration::Registration(Registration&& other) noexcept
    : m_scheduler(std::exchange(other.m_scheduler, nullptr)), m_id(std::exchange(other.m_id, 0))
{
}

SimScheduler::Registration& SimScheduler::Registration::operator=(Registration&& other) noexcept
{
    if (this != &other) {
        reset();
        m_scheduler = std::exchange(other.m_scheduler, nullptr);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

SimScheduler::Registration::~Registration()
{
    reset();
}

void SimScheduler::Registration::reset()
{
    if (m_scheduler)
        std::exchange(m_scheduler, nullptr)->remove(m_id);
}

} // namespace korvane::serial
