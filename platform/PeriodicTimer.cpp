#include "platform/PeriodicTimer.h"

#include <cassert>
#include <cerrno>
#include <ctime>
#include <utility>

#include <pthread.h>
#include <sched.h>

namespace korvane {

namespace {

using std::chrono::nanoseconds;

nanoseconds monotonicNow()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::chrono::seconds(ts.tv_sec) + nanoseconds(ts.tv_nsec);
}

void sleepUntil(nanoseconds deadline)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(deadline);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds.count());
    ts.tv_nsec = static_cast<long>((deadline - seconds).count());
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

// The timer's thread asks for the lowest real-time priority, so that busy
// ordinary threads cannot delay its ticks. Where the process may not have
// it (no CAP_SYS_NICE, no real-time limit), the thread stays an ordinary
// one and keeps time as well as the load allows.
void raiseToRealTimePriority()
{
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

} // namespace

nanoseconds NextPeriodicDeadline(nanoseconds deadline, nanoseconds now, nanoseconds period)
{
    assert(period.count() > 0);
    deadline += period;
    if (deadline <= now)
        deadline += ((now - deadline) / period + 1) * period;
    return deadline;
}

PeriodicTimer::PeriodicTimer(std::chrono::milliseconds period, Callback callback)
    : m_period(period), m_callback(std::move(callback))
{
    assert(period.count() > 0);
}

PeriodicTimer::~PeriodicTimer()
{
    stop();
}

void PeriodicTimer::start()
{
    const std::lock_guard lock(m_control);
    if (m_running)
        return;
    m_stopRequested = false;
    m_running = true;
    m_thread = std::thread(&PeriodicTimer::run, this);
}

void PeriodicTimer::stop()
{
    const std::lock_guard lock(m_control);
    if (!m_thread.joinable())
        return;
    assert(m_thread.get_id() != std::this_thread::get_id());
    m_stopRequested = true;
    m_thread.join();
    m_running = false;
}

bool PeriodicTimer::running() const
{
    return m_running;
}

void PeriodicTimer::run()
{
    raiseToRealTimePriority();
    nanoseconds deadline = monotonicNow() + m_period;
    for (;;) {
        sleepUntil(deadline);
        if (m_stopRequested)
            return;
        if (m_callback)
            m_callback();
        deadline = NextPeriodicDeadline(deadline, monotonicNow(), m_period);
    }
}

} // namespace korvane
