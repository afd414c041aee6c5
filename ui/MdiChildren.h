#pragma once

// The MDI child a command acts on: the current one, which stays current
// while another top-level window of the program (a dialog, the folder
// browser) has the focus.

#include <QMdiArea>
#include <QMdiSubWindow>

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

} // namespace korvane
