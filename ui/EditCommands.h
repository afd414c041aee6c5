#pragma once

// The clipboard, undo, send and print commands of the main window: they go
// to the current telegram editor, and copy and paste also to the current
// channel window (whose paste goes through the telegraph code to the line).

#include <QObject>

class QMdiArea;

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
    const TMainActions& actions_;
    QMdiArea* mdi_;
};

} // namespace korvane
