#include "serial/MainThreadSync.h"

#include <algorithm>

namespace korvane {

MainThreadSync::MainThreadSync()
    : m_mainThread(std::this_thread::get_id()), m_wakeup([this] { serve(); })
{
}

MainThreadSync::~MainThreadSync() = default;

void MainThreadSync::run(std::function<void()> call)
{
    if (onMainThread()) {
        call();
        return;
    }
    auto request = std::make_shared<Request>();
    request->call = std::move(call);
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(request);
        m_notified = true;
    }
    m_changed.notify_all();
    // This object outlives every worker (the port stops its threads before
    // it goes); a wake-up still queued when it goes is dropped.
    m_wakeup.wake();

    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return request->done || request->abandoned; });
}

void MainThreadSync::serve()
{
    for (;;) {
        std::shared_ptr<Request> request;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty())
                return;
            request = m_queue.front();
            m_queue.pop_front();
            m_running.push_back(request);
        }
        request->call();
        {
            std::lock_guard lock(m_mutex);
            request->done = true;
            m_running.erase(std::find(m_running.begin(), m_running.end(), request));
        }
        m_changed.notify_all();
    }
}

void MainThreadSync::serveUntil(const std::function<bool()>& done)
{
    for (;;) {
        serve();
        if (done())
            return;
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_notified || !m_queue.empty(); });
        m_notified = false;
    }
}

void MainThreadSync::notify()
{
    {
        std::lock_guard lock(m_mutex);
        m_notified = true;
    }
    m_changed.notify_all();
}

void MainThreadSync::abandonRunning()
{
    {
        std::lock_guard lock(m_mutex);
        for (const auto& request : m_running)
            request->abandoned = true;
    }
    m_changed.notify_all();
}

} // namespace korvane
