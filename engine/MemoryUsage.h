#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace korvane {

// What the process has taken from the heap at present.
struct MemoryUsage {
    // Blocks handed out and not given back; empty when the allocator keeps
    // no such count.
    std::optional<std::int64_t> Blocks;
    // Bytes in those blocks.
    std::int64_t Bytes = 0;
    // Bytes the heap holds from the system, in use or free for reuse.
    std::int64_t HeapBytes = 0;
};

// The heap of this process as the C library's allocator reports it. glibc
// counts the bytes in use but not the blocks, so Blocks stays empty there.
MemoryUsage CurrentMemoryUsage();

// The scanner's once-a-minute log line: "-= Mem <blocks> (<bytes>)", both
// whole numbers with the locale's digit grouping; a block count the
// allocator does not keep is shown as "?".
QString MemoryLine(const MemoryUsage& usage);

} // namespace korvane
