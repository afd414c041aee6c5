#pragma once

#include <QStringView>
#include <optional>

namespace korvane {

// The system's integer conversion, shared by everything that reads integers
// from text (INI values, telegram numbers, header counters): optional
// leading blanks, an optional sign, then decimal digits, or hexadecimal
// digits after '$' or "0x"/"0X". Anything else (trailing blanks included),
// an empty text or a value outside 32 bits gives nothing. Hexadecimal values
// up to $FFFFFFFF are taken as their 32-bit pattern.
std::optional<qint32> parseSystemInteger(QStringView text);

} // namespace korvane
