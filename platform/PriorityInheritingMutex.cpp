#include "platform/PriorityInheritingMutex.h"

#include <cerrno>
#include <system_error>

namespace korvane {

namespace {

void check(int rc, const char* what)
{
    if (rc != 0)
        throw std::system_error(rc, std::generic_category(), what);
}

} // namespace

PriorityInheritingMutex::PriorityInheritingMutex()
{
    pthread_mutexattr_t attr;
    check(pthread_mutexattr_init(&attr), "pthread_mutexattr_init");
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    // Where the system has no priority inheritance the mutex is an ordinary
    // recursive one.
    if (pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_INHERIT) != 0)
        pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_NONE);
    const int rc = pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
    check(rc, "pthread_mutex_init");
}

PriorityInheritingMutex::~PriorityInheritingMutex()
{
    pthread_mutex_destroy(&m_mutex);
}

void PriorityInheritingMutex::lock()
{
    check(pthread_mutex_lock(&m_mutex), "pthread_mutex_lock");
}

bool PriorityInheritingMutex::try_lock()
{
    const int rc = pthread_mutex_trylock(&m_mutex);
    if (rc == EBUSY)
        return false;
    check(rc, "pthread_mutex_trylock");
    return true;
}

void PriorityInheritingMutex::unlock()
{
    pthread_mutex_unlock(&m_mutex);
}

} // namespace korvane
