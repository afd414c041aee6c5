#pragma once

// Texts as the directory dialogs search and store them.

#include <QString>

namespace korvane {

// The quick-search text as the search takes it: without leading and
// trailing blanks and control characters, upper-cased.
QString QuickSearchText(const QString& typed);

// Upper case of the record forms: each Cyrillic and Latin letter its capital.
QString UpperCased(const QString& s);

} // namespace korvane
