#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace korvane {

// An auto-reset event: set() lets one wait() through (or the next one, when
// nobody waits yet); the wait resets it.
class SignalEvent {
public:
    void set()
    {
        {
            std::lock_guard lock(m_mutex);
            m_set = true;
        }
        m_cv.notify_one();
    }

    // True when the event was set within timeoutMs (then reset), false on time-out.
    bool wait(int timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        const bool set = m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                                       [&] { return m_set; });
        m_set = false;
        return set;
    }

    // Takes the event without waiting.
    bool tryTake()
    {
        std::lock_guard lock(m_mutex);
        const bool set = m_set;
        m_set = false;
        return set;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_set = false;
};

} // namespace korvane
