#include "support/UpperCase.h"

#include "platform/CodePages.h"

namespace korvane {
namespace {

bool inCp1251(char16_t c)
{
    return codepage::cp1251ToUnicode(static_cast<unsigned char>(codepage::unicodeToCp1251(c))) == c;
}

} // namespace

void UpperCaseCyr(QString& s)
{
    for (QChar& qc : s) {
        const char16_t c = qc.unicode();
        if ((c >= u'a' && c <= u'z') || (c >= u'а' && c <= u'я')) {
            qc = QChar(char16_t(c - 0x20));
            continue;
        }
        switch (c) {
        case u'ё': qc = QChar(u'Ё'); break;
        case u'є': qc = QChar(u'Є'); break;
        case u'ї': qc = QChar(u'Ї'); break;
        case u'і': qc = QChar(u'І'); break;
        case u'ґ': qc = QChar(u'Ґ'); break;
        default: break;
        }
    }
}

void UpperCaseLine(QString& s)
{
    for (QChar& qc : s) {
        const char16_t c = qc.unicode();
        auto up = static_cast<char16_t>(QChar::toUpper(char32_t(c)));
        if (up != c && inCp1251(c) && !inCp1251(up))
            up = c;
        if (up == u'І')
            up = u'I';
        qc = QChar(up);
    }
}

} // namespace korvane
