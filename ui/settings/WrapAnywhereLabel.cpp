// A label whose text breaks between any two characters, so a long value without blanks shows whole.
#include "ui/settings/WrapAnywhereLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <limits>

namespace korvane {

WrapAnywhereLabel::WrapAnywhereLabel(QWidget* parent) : QLabel(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QSize WrapAnywhereLabel::Frame() const
{
    const QMargins m = contentsMargins();
    return {m.left() + m.right() + 2 * margin(), m.top() + m.bottom() + 2 * margin()};
}

int WrapAnywhereLabel::heightForWidth(int width) const
{
    const QSize frame = Frame();
    const int textWidth = std::max(1, width - frame.width());
    const QRect room(0, 0, textWidth, std::numeric_limits<int>::max() / 2);
    const int lines = fontMetrics().boundingRect(room, TextFlags, text()).height();
    return std::max(lines, fontMetrics().height()) + frame.height();
}

QSize WrapAnywhereLabel::sizeHint() const
{
    const int width = fontMetrics().horizontalAdvance(text()) + Frame().width();
    return {width, heightForWidth(width)};
}

QSize WrapAnywhereLabel::minimumSizeHint() const
{
    // Any width: the text takes more lines instead.
    const int width = fontMetrics().averageCharWidth() * 4 + Frame().width();
    return {width, fontMetrics().height() + Frame().height()};
}

void WrapAnywhereLabel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    QRect r = contentsRect();
    r.adjust(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, r, TextFlags, palette(), isEnabled(), text(), foregroundRole());
}

} // namespace korvane
