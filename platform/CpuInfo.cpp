#include "platform/CpuInfo.h"

#include <QFile>

namespace korvane {

QString cpuModelNameFrom(QByteArrayView cpuinfo)
{
    const QByteArray text = cpuinfo.toByteArray();
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        if (line.left(colon).trimmed() == "model name")
            return QString::fromUtf8(line.mid(colon + 1).trimmed());
    }
    return QString();
}

QString cpuModelName()
{
    QFile file(QStringLiteral("/proc/cpuinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // /proc files report no size: read until the end.
    return cpuModelNameFrom(file.readAll());
}

} // namespace korvane
