#include "platform/LocaleTime.h"

#include <QLocale>
#include <QRegularExpression>

namespace korvane {

QString LongTimeFormat()
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b\\s*")));
    return format.trimmed();
}

QString LongTimeText(const QTime& time)
{
    return QLocale().toString(time, LongTimeFormat());
}

} // namespace korvane
