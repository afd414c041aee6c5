#include "platform/LocaleTime.h"

#include <QLocale>
#include <QRegularExpression>

namespace korvane {

QString LongTimeFormat()
{
    // Made once: the clocks ask for the format every second.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(zone);
    return format.trimmed();
}

QString LongTimeText(const QTime& time)
{
    return QLocale().toString(time, LongTimeFormat());
}

} // namespace korvane
