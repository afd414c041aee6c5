#include "ui/HelpCommands.h"

#include "support/HelpNote.h"
#include "ui/MdiChildren.h"
#include "ui/TxChWind.h"
#include "ui/TxEdit.h"
#include "ui/txViewJrn.h"

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
