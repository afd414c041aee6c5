// How the protocol editor treats a parameter value: its kind, its limits, its text.
#include "ui/settings/ProtocolValueRules.h"

#include "protocols/DecimalNumber.h"

#include <QLocale>

#include <array>

namespace korvane {

namespace {

const std::array<QString, 9>& TextNames()
{
    // "A" and "B" of the two end marks are Latin letters.
    static const std::array<QString, 9> names = {
        QStringLiteral("Строка"),
        QStringLiteral("Код выхода"),
        QStringLiteral("Код ЦКС"),
        QStringLiteral("Автоответ"),
        QStringLiteral("Признак начала сообщения"),
        QStringLiteral("Признак конца сообщения A"),
        QStringLiteral("Признак конца сообщения B"),
        QStringLiteral("Адресная информация"),
        QStringLiteral("Код центральной"),
    };
    return names;
}

} // namespace

EditorParamKind EditorKindOf(const TParamDef& def)
{
    for (const QString& name : TextNames())
        if (def.Name == name)
            return EditorParamKind::Text;
    if (!def.Values.isEmpty())
        return EditorParamKind::Table;
    if (def.Units)
        return EditorParamKind::Numeric;
    return EditorParamKind::Other;
}

bool IsCodeParam(const QString& name)
{
    return name == QStringLiteral("Код выхода") || name == QStringLiteral("Код ЦКС")
           || name == QStringLiteral("Код центральной");
}

bool InNumberSet(QChar key)
{
    const char16_t c = key.unicode();
    return c == 0 || c == 8 || c == 10 || c == 13 || c == u'+' || c == u'-' || c == u'.'
           || (c >= u'0' && c <= u'9');
}

bool ValueKeyPasses(EditorParamKind kind, bool codeParam, QChar key, qsizetype length, double max)
{
    if (kind != EditorParamKind::Text)
        return InNumberSet(key);
    if (codeParam && !InNumberSet(key))
        return false;
    if (key.unicode() != 8 && double(length) == max)
        return false;
    return true;
}

bool TypedNumberStays(const QString& text, double max)
{
    const std::optional<double> v = parseDecimal(text);
    return v && *v <= max;
}

QString StoredNumericText(const QString& text, double min, double max)
{
    double v = (min + max) / 2;
    if (const std::optional<double> read = parseDecimal(text)) {
        v = *read;
        if (v < min)
            v = min;
        else if (v > max)
            v = max;
    }
    return QString::number(v, 'f', 2);
}

QString RangeLabelText(const QString& prefix, double value)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return prefix + locale.toString(value, 'f', 2);
}

} // namespace korvane
