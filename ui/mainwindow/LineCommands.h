#pragma once

// The line commands of the main window (call, answerback request, own
// answerback, clear, back to Control, restart after an alarm, the bell):
// each writes the current channel window's command, and each is enabled by
// that window's flags.

#include <QObject>

class QMdiArea;

namespace korvane {

struct TMainActions;

class LineCommands : public QObject {
    Q_OBJECT

public:
    LineCommands(const TMainActions& actions, QMdiArea* mdi, QObject* parent = nullptr);

    // The enabled state of every line action, from the current channel window.
    void UpdateEnabled();

private:
    const TMainActions& actions_;
    QMdiArea* mdi_;
};

} // namespace korvane
