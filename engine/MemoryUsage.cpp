#include "engine/MemoryUsage.h"

#include <QLocale>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace korvane {

MemoryUsage CurrentMemoryUsage()
{
    MemoryUsage usage;
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    usage.Bytes = static_cast<std::int64_t>(info.uordblks + info.hblkhd);
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
