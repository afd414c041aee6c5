#pragma once

// Checks of a window's layout shared by the layout tests and the main
// window's tests.

#include "ui/telegrams/TxEdit.h"

#include <QFontMetrics>
#include <QString>
#include <QTextDocument>

namespace korvane::test {

// The editor's text area shows a whole telegraph line (69 characters of its
// font) without scrolling.
inline bool ShowsWholeTelegraphLine(const TEditForm& editor)
{
    const TEditMemo& memo = *editor.Memo1();
    const int line = QFontMetrics(memo.font()).horizontalAdvance(QString(TEditForm::LineWidth, u'Ш'))
                     + 2 * static_cast<int>(memo.document()->documentMargin()) + 4;
    return line <= memo.viewport()->width();
}

} // namespace korvane::test
