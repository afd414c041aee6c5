#pragma once

// The clipboard, undo, send and print commands of the main window: they go
// to the current telegram editor, and copy and paste also to the current
// channel window (whose paste goes through the telegraph code to the line).

#include <QMetaObject>
#include <QObject>

class QMdiArea;
class QWidget;

namespace korvane {

struct TMainActions;

class EditCommands : public QObject {
    Q_OBJECT

public:
    EditCommands(const TMainActions& actions, QMdiArea* mdi, QObject* parent = nullptr);

    // The enabled state of the edit, send and print actions, from the
    // current child and the focused text control.
    void UpdateEnabled();

private:
    // The copy command follows the selection of the focused text control
    // as it changes, not only when the focus moves.
    void WatchSelectionOf(QWidget* focus);

    const TMainActions& actions_;
    QMdiArea* mdi_;
    QMetaObject::Connection selectionWatch_;
};

} // namespace korvane
