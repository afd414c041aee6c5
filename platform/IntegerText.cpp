#include "platform/IntegerText.h"

namespace korvane {

std::optional<qint32> parseSystemInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    quint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + quint64(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (hex) {
        const qint64 pattern = qint64(qint32(quint32(value)));
        return qint32(negative ? -pattern : pattern);
    }
    if (negative) {
        if (value > 0x80000000ull)
            return std::nullopt;
        return qint32(-qint64(value));
    }
    if (value > 0x7FFFFFFFull)
        return std::nullopt;
    return qint32(value);
}

} // namespace korvane
