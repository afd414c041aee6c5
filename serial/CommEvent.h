#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <utility>

namespace korvane {

// One event of the serial port: a handler that the owner assigns (or clears
// with nullptr) from any thread, and that the port tests and calls from its
// own threads. Raising copies the handler first, so a handler may replace or
// clear itself while it runs.
template <typename Handler>
class CommEvent {
public:
    CommEvent() = default;
    CommEvent(const CommEvent&) = delete;
    CommEvent& operator=(const CommEvent&) = delete;

    CommEvent& operator=(Handler handler)
    {
        std::lock_guard lock(m_mutex);
        m_handler = std::move(handler);
        m_assigned.store(static_cast<bool>(m_handler), std::memory_order_release);
        return *this;
    }

    // Whether a handler is assigned.
    explicit operator bool() const { return m_assigned.load(std::memory_order_acquire); }

    // Calls the handler, when one is assigned.
    template <typename... Args>
    void operator()(Args&&... args) const
    {
        Handler handler;
        {
            std::lock_guard lock(m_mutex);
            handler = m_handler;
        }
        if (handler)
            handler(std::forward<Args>(args)...);
    }

private:
    mutable std::mutex m_mutex;
    Handler m_handler;
    std::atomic<bool> m_assigned{false};
};

} // namespace korvane
