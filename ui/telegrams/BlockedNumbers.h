#pragma once

// Blocked numbers of a telegram put aside by a channel (a .LER file): on
// every address line ("|" first) that holds a "~", the first "~" becomes
// "#" so that the number is sent again. The number is the run of digits,
// "+", "-" and "." directly after the mark; its end is the first other
// character (the "(" of an expected answerback, for one).

#include <QStringList>

namespace korvane {

struct ActivatedTelegram {
    QStringList Lines;           // the telegram's lines, activated
    QStringList ReleasedNumbers; // the number after each changed mark, in order (empty ones left out)
    bool Changed = false;        // at least one line changed
};

ActivatedTelegram ActivateBlockedNumbers(const QStringList& lines);

} // namespace korvane
