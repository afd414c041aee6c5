#pragma once

// The program's help requests. F1 anywhere in the main window asks for the
// topic of the window the operator works in: the current channel window,
// telegram editor or journal view, else the main window's own. The dialogs
// and forms that have a Help button send their topic here too. Each request
// is logged and answered by the help note.

#include <QObject>

class QMdiArea;
class QMainWindow;

namespace korvane {

class MessageBox;

class HelpCommands : public QObject {
    Q_OBJECT

public:
    // F1 is bound on Window; Mdi holds the child windows.
    HelpCommands(QMainWindow& window, QMdiArea* mdi, MessageBox& box, int windowTopic);

    // The topic of the current MDI child, or the main window's.
    int CurrentTopic() const;
    void ShowTopic(int topic);

private:
    QMdiArea* mdi_;
    MessageBox& box_;
    int windowTopic_;
};

} // namespace korvane
