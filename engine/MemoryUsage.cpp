#include "engine/MemoryUsage.h"

#include <QLocale>

#if defined(__SANITIZE_ADDRESS__)
#include <cstddef>
// The address checker's allocator statistics (its runtime library's own
// interface; GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
extern "C" std::size_t __sanitizer_get_heap_size();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace korvane {

MemoryUsage CurrentMemoryUsage()
{
    MemoryUsage usage;
#if defined(__SANITIZE_ADDRESS__)
    // The address checker's allocator stands in for the C library's, whose
    // counters then read 0.
    usage.Bytes = static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
    usage.HeapBytes = static_cast<std::int64_t>(__sanitizer_get_heap_size());
#elif defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    usage.Bytes = static_cast<std::int64_t>(info.uordblks + info.hblkhd);
    usage.HeapBytes = static_cast<std::int64_t>(info.arena + info.hblkhd);
#endif
    return usage;
}

QString MemoryLine(const MemoryUsage& usage)
{
    const QLocale locale;
    const QString blocks = usage.Blocks ? locale.toString(qlonglong(*usage.Blocks)) : QStringLiteral("?");
    return QStringLiteral("-= Mem %1 (%2)").arg(blocks, locale.toString(qlonglong(usage.Bytes)));
}

} // namespace korvane
