#pragma once

// How the protocol editor treats a parameter value: its kind as the editor
// tells it, the key filter of the value box, the guard of a typed number and
// the form a numeric value is stored in.

#include "protocols/ElementClassRegistry.h"

#include <QChar>
#include <QString>

namespace korvane {

enum class EditorParamKind {
    Table,   // a value table (with or without a unit): one of its texts
    Numeric, // a unit and no table: a number within Min..Max
    Text,    // one of the nine text names: free text up to Max characters
    Other,   // everything else (the jumps): shown, never stored
};

// The nine text names are tested first, then the table, then the unit.
EditorParamKind EditorKindOf(const TParamDef& def);
// "Код выхода", "Код ЦКС" and "Код центральной": text of the number set only.
bool IsCodeParam(const QString& name);
// The number set: #0, Backspace, line feed, carriage return, '+', '-', '.'
// and the digits.
bool InNumberSet(QChar key);

// Whether a typed character reaches the value box. Length is the box's
// current text length, Max the value's Max (the length limit of a text).
bool ValueKeyPasses(EditorParamKind kind, bool codeParam, QChar key, qsizetype length, double max);
// Whether an edited (not text, not table) value may stay in the box: it
// reads as a number with '.' and is not above Max; below Min is allowed
// while typing.
bool TypedNumberStays(const QString& text, double max);
// The numeric value stored when the box is left: the number brought into
// Min..Max, the middle of the range when the text is no number, written
// with two decimals and '.' ("300.00", "2.50").
QString StoredNumericText(const QString& text, double min, double max);
// "Min: %3.2f" / "Max: %3.2f" with the system's decimal separator.
QString RangeLabelText(const QString& prefix, double value);

} // namespace korvane
