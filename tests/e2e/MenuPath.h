#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

namespace korvane::test {

// A caption as the operator reads it: without the '&' of the shortcut
// letter and without a trailing "...".
inline QString ReadCaption(QString caption)
{
    caption.remove(QLatin1Char('&'));
    if (caption.endsWith(QStringLiteral("...")))
        caption.chop(3);
    return caption;
}

// The item an operator reaches through the menu bar by the captions of
// Path (top item, then sub-items), seeing only the visible items; null when
// the way is not there.
inline QAction* MenuItem(QMenuBar* bar, const QStringList& path)
{
    QList<QAction*> items = bar->actions();
    QAction* found = nullptr;
    for (const QString& caption : path) {
        found = nullptr;
        for (QAction* a : items)
            if (a->isVisible() && !a->isSeparator() && ReadCaption(a->text()) == caption) {
                found = a;
                break;
            }
        if (!found)
            return nullptr;
        items = found->menu() ? found->menu()->actions() : QList<QAction*>{};
    }
    return found;
}

} // namespace korvane::test
