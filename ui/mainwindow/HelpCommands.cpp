// The program's help requests: the topic of the current window, logged and answered with a note.
#include "ui/mainwindow/HelpCommands.h"

#include "support/HelpNote.h"
#include "ui/mainwindow/MdiChildren.h"
#include "ui/channel/TxChWind.h"
#include "ui/telegrams/TxEdit.h"
#include "ui/telegrams/txViewJrn.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QShortcut>

namespace korvane {

HelpCommands::HelpCommands(QMainWindow& window, QMdiArea* mdi, MessageBox& box, int windowTopic)
    : QObject(&window), mdi_(mdi), box_(box), windowTopic_(windowTopic)
{
    auto* key = new QShortcut(QKeySequence::HelpContents, &window);
    connect(key, &QShortcut::activated, this, [this] { ShowTopic(CurrentTopic()); });
}

int HelpCommands::CurrentTopic() const
{
    if (CurrentChild<TTxChannelWindow>(mdi_))
        return TTxChannelWindow::HelpContext;
    if (CurrentChild<TEditForm>(mdi_))
        return TEditForm::HelpContext;
    if (CurrentChild<TViewJrnForm>(mdi_))
        return TViewJrnForm::HelpContext;
    return windowTopic_;
}

void HelpCommands::ShowTopic(int topic)
{
    ShowHelpNote(box_, topic);
}

} // namespace korvane
