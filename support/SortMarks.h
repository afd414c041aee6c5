#pragma once

#include <QStringList>

namespace korvane {

// The directories mark the title of the column a grid is sorted by with
// "< " or "> " in front. Every title but the one at exceptIndex that begins
// with '<' or '>' loses its first two characters.
void ClearSortMarks(QStringList& titles, int exceptIndex);

} // namespace korvane
