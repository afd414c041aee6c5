#include "platform/Clock.h"

#include <chrono>

namespace korvane {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

std::uint64_t SystemClock::tickMs() const
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

} // namespace korvane
