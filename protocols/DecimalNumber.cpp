#include "protocols/DecimalNumber.h"

#include <QLocale>

namespace korvane {
namespace {

const QLocale& cLocale()
{
    static const QLocale locale = [] {
        QLocale l = QLocale::c();
        l.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
        return l;
    }();
    return locale;
}

} // namespace

std::optional<double> parseDecimal(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (QChar c : t)
        if (!(c.isDigit() && c.unicode() < 0x80) && c != u'.' && c != u'-' && c != u'+' && c != u'e' && c != u'E')
            return std::nullopt;
    bool ok = false;
    const double v = cLocale().toDouble(t, &ok);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace korvane
