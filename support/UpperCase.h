#pragma once

#include <QString>

namespace korvane {

// Upper case for telegram text, in place.

// 'a'-'z', 'а'-'я' and 'ё', 'є', 'ї', 'і', 'ґ' to their capitals; every other
// character stays. Independent of the system's locale.
void UpperCaseCyr(QString& s);

// The system's upper case of the text (each character's own capital, kept
// within the Cyrillic code page: a letter whose capital that page lacks
// stays as it is), then every Cyrillic 'І' replaced by the Latin 'I', which
// the telegraph code can send.
void UpperCaseLine(QString& s);

} // namespace korvane
