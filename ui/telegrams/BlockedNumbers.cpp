// Activating a telegram put aside with blocked numbers: marks, number lists, new name.
#include "ui/telegrams/BlockedNumbers.h"

namespace korvane {
namespace {

bool NumberChar(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

} // namespace

ActivatedTelegram ActivateBlockedNumbers(const QStringList& lines)
{
    ActivatedTelegram out;
    out.Lines = lines;
    for (QString& line : out.Lines) {
        if (!line.startsWith(u'|'))
            continue;
        const qsizetype mark = line.indexOf(u'~');
        if (mark < 0)
            continue;
        line[mark] = u'#';
        out.Changed = true;
        qsizetype end = mark + 1;
        while (end < line.size() && NumberChar(line[end]))
            ++end;
        const QString number = line.mid(mark + 1, end - mark - 1);
        if (!number.isEmpty())
            out.ReleasedNumbers << number;
    }
    return out;
}

} // namespace korvane
