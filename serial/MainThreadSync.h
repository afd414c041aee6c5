#pragma once

#include "platform/EventLoopWakeup.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace korvane {

// Hands calls from worker threads to the main thread and lets the worker
// wait until the call has run there: the main thread runs them from its event
// loop (woken to serve()), or from serveUntil()
// while it waits for something, so that waiting for a worker that itself
// waits for the main thread does not deadlock.
//
// The main thread is the thread that created the object.
class MainThreadSync {
public:
    MainThreadSync();
    ~MainThreadSync();
    MainThreadSync(const MainThreadSync&) = delete;
    MainThreadSync& operator=(const MainThreadSync&) = delete;

    bool onMainThread() const { return std::this_thread::get_id() == m_mainThread; }

    // Runs call on the main thread and returns when it has run. On the main
    // thread it runs at once. A waiting worker also returns when the main
    // thread gives up on the call it is running (abandonRunning).
    void run(std::function<void()> call);

    // Main thread: runs every queued call, oldest first.
    void serve();
    // Main thread: runs queued calls until done() holds. done() is tested
    // whenever a call has been queued or notify() was called.
    void serveUntil(const std::function<bool()>& done);
    // Any thread: makes serveUntil test its condition again.
    void notify();

    // Main thread, from inside a call being run: lets the workers that wait
    // for the calls now running go on without waiting for their end (used
    // when a handler closes the port whose worker raised it).
    void abandonRunning();

private:
    struct Request {
        std::function<void()> call;
        bool done = false;
        bool abandoned = false;
    };

    const std::thread::id m_mainThread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Request>> m_queue;
    std::vector<std::shared_ptr<Request>> m_running;
    bool m_notified = false;
    // Last, so it goes first.
    EventLoopWakeup m_wakeup;
};

} // namespace korvane
