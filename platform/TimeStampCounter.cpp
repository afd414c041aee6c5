#include "platform/TimeStampCounter.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define KORVANE_HAS_RDTSC 1
#else
#include <chrono>
#define KORVANE_HAS_RDTSC 0
#endif

namespace korvane {

std::uint64_t MachineTimeStampCounter::read()
{
#if KORVANE_HAS_RDTSC
    return __rdtsc();
#else
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
#endif
}

bool MachineTimeStampCounter::isProcessorCounter()
{
    return KORVANE_HAS_RDTSC != 0;
}

TimeStampCounter& systemTimeStampCounter()
{
    static MachineTimeStampCounter counter;
    return counter;
}

} // namespace korvane
