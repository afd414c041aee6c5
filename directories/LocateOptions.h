#pragma once

#include <QFlags>

namespace korvane {

// How Locate compares a field with the value looked for. No option: the
// whole field equals the value, letter case counting. PartialKey: the field
// begins with the value. CaseInsensitive: letters compare by their Unicode
// case folding (Cyrillic as well as Latin).
enum class LocateOption {
    PartialKey = 0x1,
    CaseInsensitive = 0x2,
};
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

} // namespace korvane
