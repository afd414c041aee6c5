// The main window's line commands: call, answerback request, own answerback, clear, bell, restart.
#include "ui/mainwindow/LineCommands.h"

#include "ui/mainwindow/MainActions.h"
#include "ui/mainwindow/MdiChildren.h"
#include "ui/channel/TxChWind.h"

#include <QAction>

namespace korvane {

LineCommands::LineCommands(const TMainActions& actions, QMdiArea* mdi, QObject* parent)
    : QObject(parent), actions_(actions), mdi_(mdi)
{
    const std::pair<QAction*, void (TTxChannelWindow::*)()> commands[] = {
        {actions.CallAction1, &TTxChannelWindow::CallCommand},
        {actions.AskAction1, &TTxChannelWindow::AskAnswerBackCommand},
        {actions.AnswerAction1, &TTxChannelWindow::AnswerBackCommand},
        {actions.DisconAction1, &TTxChannelWindow::DisconnectCommand},
        {actions.ManualAction, &TTxChannelWindow::ControlModeCommand},
        {actions.RestartProtocolAction, &TTxChannelWindow::RestartCommand},
        {actions.BellAction1, &TTxChannelWindow::BellKey},
    };
    for (const auto& [action, command] : commands)
        connect(action, &QAction::triggered, this, [this, command = command] {
            if (TTxChannelWindow* w = CurrentChild<TTxChannelWindow>(mdi_))
                (w->*command)();
        });
}

void LineCommands::UpdateEnabled()
{
    const TTxChannelWindow* w = CurrentChild<TTxChannelWindow>(mdi_);
    actions_.CallAction1->setEnabled(w && w->CallEnabled());
    actions_.AskAction1->setEnabled(w && w->AskEnabled());
    actions_.BellAction1->setEnabled(w && w->AskEnabled());
    actions_.AnswerAction1->setEnabled(w && w->AnswerBackEnabled());
    actions_.DisconAction1->setEnabled(w && w->DisconnectEnabled());
    actions_.ManualAction->setEnabled(w && w->ControlEnabled());
    actions_.RestartProtocolAction->setEnabled(w && w->AlarmActive());
}

} // namespace korvane
