#pragma once

// The MDI child a command acts on: the current one, which stays current
// while another top-level window of the program (a dialog, the folder
// browser) has the focus.

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

namespace korvane {

template <class Window>
Window* CurrentChild(const QMdiArea* mdi)
{
    QMdiSubWindow* sub = mdi ? mdi->currentSubWindow() : nullptr;
    return sub ? qobject_cast<Window*>(sub->widget()) : nullptr;
}

// The child's MDI frame brought to the front, restored when minimised.
inline void BringChildToFront(QMdiArea* mdi, QWidget* child)
{
    auto* sub = child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
    if (!sub)
        return;
    if (sub->isMinimized())
        sub->showNormal();
    sub->show();
    child->show();
    mdi->setActiveSubWindow(sub);
    sub->raise();
}

// Shows a new child's frame within the area's visible part: the area's
// own placement may put it partly beyond the edge when the space beside
// the children already open is too small. A frame larger than the area
// is cut to the area's size.
inline void ShowInsideArea(QMdiArea* mdi, QMdiSubWindow* sub)
{
    sub->show();
    const QRect area = mdi->viewport()->rect();
    if (area.isEmpty() || area.contains(sub->geometry()))
        return;
    sub->resize(sub->size().boundedTo(area.size()));
    sub->move(std::clamp(sub->x(), 0, area.width() - sub->width()),
              std::clamp(sub->y(), 0, area.height() - sub->height()));
}

} // namespace korvane
