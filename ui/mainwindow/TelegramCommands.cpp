// The main window's telegram commands: new telegram, journals, number lists.
#include "ui/mainwindow/TelegramCommands.h"

#include "engine/TelegramNumbering.h"
#include "ui/mainwindow/Main.h"
#include "ui/mainwindow/MainActions.h"
#include "ui/mainwindow/MdiChildren.h"
#include "ui/channel/TxChWind.h"
#include "ui/telegrams/TxEdit.h"
#include "ui/telegrams/txViewJrn.h"

#include <QAction>
#include <QMenu>

namespace korvane {

TelegramCommands::TelegramCommands(TMainForm& form, const TMainActions& actions, QMenu* telegramMenu)
    : QObject(&form), form_(form), actions_(actions)
{
    const std::array<QString, 5> captions = {
        QStringLiteral("&Создание телеграммы..."), QStringLiteral("&Передача телеграмм..."),
        QStringLiteral("Принятые телеграммы..."), QStringLiteral("Журнал передачи..."),
        QStringLiteral("Журнал приема...")};
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i] = telegramMenu->addMenu(captions[i]);

    connect(actions.CreateTlgAction, &QAction::triggered, this, [this] { CreateTelegram(form_.CurrentChannel()); });
    connect(actions.TrmJrnAction, &QAction::triggered, this, [this] { ShowTransmitJournal(form_.CurrentChannel()); });
    connect(actions.RecJrnAction, &QAction::triggered, this, [this] { ShowReceiveJournal(form_.CurrentChannel()); });
    connect(actions.ShowBadNumbersAction, &QAction::triggered, this, [this] {
        if (TBadNumbersForm* lists = form_.BadNumbersForm())
            lists->show();
    });
}

void TelegramCommands::BuildTelegramMenus(bool create)
{
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        QMenu* item = items_[static_cast<std::size_t>(i)];
        if (create) {
            item->menuAction()->setEnabled(false);
            item->clear();
            for (int c = 1; c <= kChannelCount; ++c) {
                QAction* sub = item->addAction(ChannelItemCaption(c));
                sub->setEnabled(false);
                sub->setVisible(false);
                connect(sub, &QAction::triggered, this, [this, i, c] { TelegramSubItemClicked(i, c); });
            }
            continue;
        }
        item->menuAction()->setEnabled(false);
        for (int c = 1; c <= kChannelCount; ++c) {
            QAction* sub = item->actions().at(c - 1);
            const bool active = form_.ChannelActive(c);
            sub->setEnabled(active);
            sub->setVisible(active);
            if (active)
                item->menuAction()->setEnabled(true);
        }
    }
}

void TelegramCommands::TelegramSubItemClicked(int item, int channel)
{
    switch (item) {
    case 0:
        CreateTelegram(channel);
        break;
    case 1:
        form_.ShowTransmittedTelegrams(channel);
        break;
    case 2:
        form_.ShowReceivedTelegrams(channel);
        break;
    case 3:
        ShowTransmitJournal(channel);
        break;
    case 4:
        ShowReceiveJournal(channel);
        break;
    default:
        break;
    }
}

void TelegramCommands::UpdateEnabled()
{
    const TTxChannelWindow* w = CurrentChild<TTxChannelWindow>(form_.MdiArea());
    const bool withDriver = w && form_.ChannelActive(w->Channel());
    for (QAction* a : {actions_.CreateTlgAction, actions_.TrsmTlgAction, actions_.RecTlgAction, actions_.TrmJrnAction,
                       actions_.RecJrnAction})
        a->setEnabled(withDriver);
    actions_.ShowBadNumbersAction->setEnabled(w != nullptr);
}

TEditForm* TelegramCommands::CreateTelegram(int channel)
{
    TEditForm* editor = NewEditor(channel);
    if (!editor)
        return nullptr;
    editor->StartTelegram(editor->FileName(), channel, QString());
    ShowInsideArea(form_.MdiArea(), form_.AddMdiChild(editor));
    return editor;
}

TEditForm* TelegramCommands::OpenTelegram(int channel)
{
    TEditForm* editor = NewEditor(channel);
    if (editor)
        ShowInsideArea(form_.MdiArea(), form_.AddMdiChild(editor));
    return editor;
}

// An editor on the channel's next telegram file, not yet shown; the number
// is used up.
TEditForm* TelegramCommands::NewEditor(int channel)
{
    TTxScanner* scanner = form_.ScannerObject();
    TTxChannelDriver* d = scanner ? scanner->Driver(channel) : nullptr;
    if (!d)
        return nullptr;
    int number = 0;
    QString dir;
    {
        const EngineLock lock(scanner->Mutex());
        number = d->Numbering().NextTelNo++;
        dir = d->TransmDir;
    }
    auto* editor = new TEditForm(form_.EditorEnvironmentFor());
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->OpenTelegram(TEditForm::TelegramFileName(dir, number), channel);
    return editor;
}

void TelegramCommands::ShowTransmitJournal(int channel)
{
    ShowJournal(channel, TViewJrnForm::TransmitKind);
}

void TelegramCommands::ShowReceiveJournal(int channel)
{
    ShowJournal(channel, TViewJrnForm::ReceiveKind);
}

// Brings up the channel's journal view of Kind, opening one when there is none.
void TelegramCommands::ShowJournal(int channel, std::uint8_t kind)
{
    QMdiArea* mdi = form_.MdiArea();
    for (QMdiSubWindow* sub : mdi->subWindowList())
        if (auto* v = qobject_cast<TViewJrnForm*>(sub->widget());
            v && v->Channel() == channel && v->Kind() == kind) {
            BringChildToFront(mdi, v);
            return;
        }
    TTxScanner* scanner = form_.ScannerObject();
    TTxChannelDriver* d = scanner ? scanner->Driver(channel) : nullptr;
    if (!d)
        return;
    auto* view = new TViewJrnForm;
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->SetChannel(channel);
    if (kind == TViewJrnForm::TransmitKind)
        view->ShowTransmitJournal(d->TransmJrnFile);
    else
        view->ShowReceiveJournal(d->ReceiveJrnFile);
    ShowInsideArea(form_.MdiArea(), form_.AddMdiChild(view));
}

} // namespace korvane
