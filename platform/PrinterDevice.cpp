#include "platform/PrinterDevice.h"

#include <QtGlobal>

namespace korvane {

QString NativePrinterDevice(const QString& name)
{
    if (name.compare(QLatin1String(FirstPrinterPort), Qt::CaseInsensitive) != 0)
        return name;
    const QString mapped = qEnvironmentVariable("KORVANE_LPT1");
    return mapped.isEmpty() ? QStringLiteral("/dev/lp0") : mapped;
}

} // namespace korvane
