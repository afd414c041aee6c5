// The main window's clipboard, undo, send and print commands and when each is enabled.
#include "ui/mainwindow/EditCommands.h"

#include "ui/mainwindow/MainActions.h"
#include "ui/mainwindow/MdiChildren.h"
#include "ui/channel/TxChWind.h"
#include "ui/telegrams/TxEdit.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace korvane {

namespace {

// The standard rule of a copy command: the focused text control has a selection.
bool FocusHasSelection()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
        return plain->textCursor().hasSelection();
    if (auto* rich = qobject_cast<QTextEdit*>(focus))
        return rich->textCursor().hasSelection();
    if (auto* line = qobject_cast<QLineEdit*>(focus))
        return line->hasSelectedText();
    return false;
}

void UndoInFocus()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
        plain->undo();
    else if (auto* rich = qobject_cast<QTextEdit*>(focus))
        rich->undo();
    else if (auto* line = qobject_cast<QLineEdit*>(focus))
        line->undo();
}

} // namespace

EditCommands::EditCommands(const TMainActions& actions, QMdiArea* mdi, QObject* parent)
    : QObject(parent), actions_(actions), mdi_(mdi)
{
    auto toEditor = [this](QAction* action, void (TEditForm::*command)()) {
        connect(action, &QAction::triggered, this, [this, command] {
            if (TEditForm* e = CurrentChild<TEditForm>(mdi_))
                (e->*command)();
        });
    };
    toEditor(actions.EditCut1, &TEditForm::CutToClipboard);
    toEditor(actions.EditDelete1, &TEditForm::Delete);
    toEditor(actions.SendEditAction, &TEditForm::SendTelegram);
    toEditor(actions.PrintAction, &TEditForm::Print);
    toEditor(actions.DOSPrintAction, &TEditForm::DOSPrint);
    connect(actions.EditUndo1, &QAction::triggered, this, [this] {
        if (CurrentChild<TEditForm>(mdi_))
            UndoInFocus();
    });
    connect(actions.EditCopy1, &QAction::triggered, this, [this] {
        if (TEditForm* e = CurrentChild<TEditForm>(mdi_))
            e->CopyToClipboard();
        else if (TTxChannelWindow* w = CurrentChild<TTxChannelWindow>(mdi_))
            w->CopyToClipboard();
    });
    connect(actions.EditPaste1, &QAction::triggered, this, [this] {
        if (TEditForm* e = CurrentChild<TEditForm>(mdi_))
            e->PasteFromClipboard();
        else if (TTxChannelWindow* w = CurrentChild<TTxChannelWindow>(mdi_))
            w->PasteFromClipboard();
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { WatchSelectionOf(now); });
    WatchSelectionOf(QApplication::focusWidget());
}

void EditCommands::WatchSelectionOf(QWidget* focus)
{
    disconnect(selectionWatch_);
    selectionWatch_ = {};
    const auto follow = [this] { actions_.EditCopy1->setEnabled(FocusHasSelection()); };
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
        selectionWatch_ = connect(plain, &QPlainTextEdit::selectionChanged, this, follow);
    else if (auto* rich = qobject_cast<QTextEdit*>(focus))
        selectionWatch_ = connect(rich, &QTextEdit::selectionChanged, this, follow);
    else if (auto* line = qobject_cast<QLineEdit*>(focus))
        selectionWatch_ = connect(line, &QLineEdit::selectionChanged, this, follow);
}

void EditCommands::UpdateEnabled()
{
    const bool editor = CurrentChild<TEditForm>(mdi_) != nullptr;
    for (QAction* a : {actions_.EditCut1, actions_.EditDelete1, actions_.EditUndo1, actions_.SendEditAction,
                       actions_.PrintAction, actions_.DOSPrintAction})
        a->setEnabled(editor);
    actions_.EditCopy1->setEnabled(FocusHasSelection());
    if (editor)
        actions_.EditPaste1->setEnabled(true);
    else if (const TTxChannelWindow* w = CurrentChild<TTxChannelWindow>(mdi_))
        actions_.EditPaste1->setEnabled(w->CanPaste());
    // With no child, or a child of another kind, paste keeps its state.
}

} // namespace korvane
