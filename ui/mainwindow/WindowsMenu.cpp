// The main window's "&Окна" menu: the channel windows and the open child windows.
#include "ui/mainwindow/WindowsMenu.h"

#include "engine/TxScanner.h"
#include "ui/mainwindow/Main.h"
#include "ui/mainwindow/MainActions.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace korvane {

WindowsMenu::WindowsMenu(TMainForm& form, const TMainActions& actions, QMenu* menu)
    : QObject(&form), form_(form), actions_(actions), menu_(menu)
{
    QMdiArea* mdi = form.MdiArea();
    controlMenu_ = menu->addMenu(QStringLiteral("&Контроль/Диалог..."));
    for (int c = 1; c <= kChannelCount; ++c) {
        QAction* item = controlMenu_->addAction(ChannelItemCaption(c));
        connect(item, &QAction::triggered, this, [this, c] { form_.ShowChannelWindow(c); });
    }
    menu->addSeparator();
    next_ = new QAction(QStringLiteral("Следующее"), this);
    previous_ = new QAction(QStringLiteral("Предыдущее"), this);
    closeAll_ = new QAction(QStringLiteral("Закрыть все"), this);
    menu->addActions({actions.WindowCascade1, actions.WindowTileHorizontal1, actions.WindowTileVertical1, next_,
                      previous_, actions.WindowMinimizeAll1, closeAll_});

    connect(actions.WindowCascade1, &QAction::triggered, mdi, &QMdiArea::cascadeSubWindows);
    connect(actions.WindowTileHorizontal1, &QAction::triggered, this, &WindowsMenu::TileHorizontally);
    connect(actions.WindowTileVertical1, &QAction::triggered, this, &WindowsMenu::TileVertically);
    connect(actions.WindowMinimizeAll1, &QAction::triggered, this, [mdi] {
        for (QMdiSubWindow* sub : mdi->subWindowList())
            sub->showMinimized();
    });
    connect(next_, &QAction::triggered, mdi, &QMdiArea::activateNextSubWindow);
    connect(previous_, &QAction::triggered, mdi, &QMdiArea::activatePreviousSubWindow);
    connect(closeAll_, &QAction::triggered, this, [mdi] {
        const QList<QMdiSubWindow*> subs = mdi->subWindowList();
        for (auto it = subs.rbegin(); it != subs.rend(); ++it)
            (*it)->close();
    });
    connect(menu, &QMenu::aboutToShow, this, &WindowsMenu::MenuOpening);
}

void WindowsMenu::MenuOpening()
{
    const int count = static_cast<int>(form_.MdiArea()->subWindowList().size());
    for (QAction* a : menu_->actions())
        a->setEnabled(count >= 1);
    next_->setEnabled(count >= 2);
    previous_->setEnabled(count >= 2);
    controlMenu_->menuAction()->setEnabled(true);
}

void WindowsMenu::UpdateEnabled()
{
    const bool children = !form_.MdiArea()->subWindowList().isEmpty();
    for (QAction* a : {actions_.WindowCascade1, actions_.WindowTileHorizontal1, actions_.WindowTileVertical1,
                       actions_.WindowMinimizeAll1})
        a->setEnabled(children);
}

void WindowsMenu::TileHorizontally()
{
    Tile(true);
}

void WindowsMenu::TileVertically()
{
    Tile(false);
}

void WindowsMenu::Tile(bool horizontally)
{
    QMdiArea* mdi = form_.MdiArea();
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdi->subWindowList())
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    if (windows.isEmpty())
        return;
    const QRect area = mdi->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    const int total = horizontally ? area.height() : area.width();
    const int share = total / n;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        const int size = i == n - 1 ? total - share * i : share;
        if (horizontally)
            sub->setGeometry(0, share * i, area.width(), size);
        else
            sub->setGeometry(share * i, 0, size, area.height());
    }
}

} // namespace korvane
