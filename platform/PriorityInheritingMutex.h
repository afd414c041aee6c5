#pragma once

#include <pthread.h>

namespace korvane {

// A recursive mutex that lends its waiter's priority to its holder: while a
// real-time thread (the periodic timer's) waits for it, the ordinary thread
// holding it runs at the waiter's priority, so busy ordinary threads cannot
// keep the waiter from its deadline. Meets the standard Lockable
// requirements (std::lock_guard, std::unique_lock).
class PriorityInheritingMutex {
public:
    PriorityInheritingMutex();
    ~PriorityInheritingMutex();
    PriorityInheritingMutex(const PriorityInheritingMutex&) = delete;
    PriorityInheritingMutex& operator=(const PriorityInheritingMutex&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    pthread_mutex_t m_mutex;
};

} // namespace korvane
