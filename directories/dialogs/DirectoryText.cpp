#include "directories/dialogs/DirectoryText.h"

namespace korvane {

QString QuickSearchText(const QString& typed)
{
    qsizetype begin = 0;
    qsizetype end = typed.size();
    while (begin < end && typed[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && typed[end - 1].unicode() <= u' ')
        --end;
    return UpperCased(typed.mid(begin, end - begin));
}

QString UpperCased(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        c = c.toUpper();
    return out;
}

} // namespace korvane
