#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace korvane {

// Reads a decimal number with '.' as the separator, whatever the system's
// locale says: optional blanks around it, an optional sign, digits with an
// optional fraction and exponent. A decimal comma, a group separator or any
// other character makes it no number.
std::optional<double> parseDecimal(QStringView text);

} // namespace korvane
