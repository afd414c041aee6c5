#pragma once

// The one key filter of the texts a channel sends as its own: the
// answerbacks and the telegram header templates. A typed character is
// upper-cased by the system's locale (Cyrillic included) and kept only when
// it is one of 85 characters the telegraph code can carry: space,
// $ ' ( ) * + , - . /, the digits, : < = ?, the Latin capitals A to Z, ^ _
// and the Cyrillic capitals А to Я without Ё. So the telegraph text marks
// '<' '_' '^' '$' '*' can be typed, '@' and '&' cannot. Backspace passes;
// every other character is discarded.

#include <QChar>
#include <QString>

class QLineEdit;

namespace korvane {

// True for the 85 characters the filter lets through (already upper case).
bool AnswerBackCharAllowed(QChar c);

// The typed character upper-cased by the locale, or a null QChar when the
// filter discards it.
QChar FilterAnswerBackChar(QChar typed);

// Text (pasted or dropped) with every character filtered as if typed: the
// refused ones left out.
QString FilterAnswerBackText(const QString& text);

// Puts the filter on Edit: typed keys, the paste keys and the context
// menu's paste all go through it, the edit's own length limit still
// applies, and texts set by the program (setText) are kept as they are.
// The filter lives as long as the edit.
void InstallAnswerBackFilter(QLineEdit& edit);

} // namespace korvane
