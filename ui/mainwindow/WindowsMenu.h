#pragma once

// The "&Окна" menu: the channel windows by channel ("&Контроль/Диалог..."),
// cascade, the two tilings, next and previous, minimise all and close all.
// Opening it enables its items by the number of MDI children.

#include <QObject>

class QAction;
class QMenu;

namespace korvane {

class TMainForm;
struct TMainActions;

class WindowsMenu : public QObject {
    Q_OBJECT

public:
    WindowsMenu(TMainForm& form, const TMainActions& actions, QMenu* menu);

    QMenu* ControlDialogMenu() const { return controlMenu_; }
    QAction* NextAction() const { return next_; }
    QAction* PreviousAction() const { return previous_; }
    QAction* CloseAllAction() const { return closeAll_; }

    // Each child as wide as the area, stacked from the top, sharing the
    // height; or as high as the area, side by side.
    void TileHorizontally();
    void TileVertically();
    // What opening the menu does.
    void MenuOpening();
    // The tool bar's window actions follow whether there are children.
    void UpdateEnabled();

private:
    void Tile(bool horizontally);

    TMainForm& form_;
    const TMainActions& actions_;
    QMenu* menu_;
    QMenu* controlMenu_ = nullptr;
    QAction* next_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* closeAll_ = nullptr;
};

} // namespace korvane
