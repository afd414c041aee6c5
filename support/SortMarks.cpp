#include "support/SortMarks.h"

namespace korvane {

void ClearSortMarks(QStringList& titles, int exceptIndex)
{
    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (i == exceptIndex)
            continue;
        QString& title = titles[i];
        if (title.startsWith(u'<') || title.startsWith(u'>'))
            title.remove(0, 2);
    }
}

} // namespace korvane
