// The folder browser's commands: deleting, both printouts, activating a
// blocked telegram, and the help request.
#include "ui/TxFileView.h"

#include "platform/MessageBox.h"
#include "support/FileError.h"
#include "support/NumberLists.h"
#include "support/OemText.h"
#include "ui/BlockedNumbers.h"
#include "ui/EditorPrinting.h"
#include "platform/MessageCaptions.h"
#include "ui/PrintError.h"
#include "ui/StatusPanels.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace korvane {

// ---- Deleting ----

void TFileViewForm::FileDeleteActionExecute()
{
    if (!FileDeleteAction->isEnabled())
        return;
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    QStringList failed;
    if (selected.size() == 1) {
        QTreeWidgetItem* item = selected.front();
        const QString path = PathOf(item);
        if (ShowMessage(*env_.Box, QStringLiteral("Вы уверены в том, что хотите удалить файл:\r") + path,
                        MessageIcon::Question, MessageButtons::YesNo)
            != MessageResult::Yes)
            return;
        const int index = list_->indexOfTopLevelItem(item);
        {
            const QSignalBlocker block(list_);
            delete list_->takeTopLevelItem(index);
        }
        ClearViewer();
        if (!QFile::remove(path) && QFileInfo::exists(path))
            failed << path;
        const int count = list_->topLevelItemCount();
        FocusItem(count == 0 ? nullptr : list_->topLevelItem(std::min(index, count - 1)));
    } else if (selected.size() > 1) {
        if (ShowMessage(*env_.Box,
                        QStringLiteral("Вы уверены в том, что хотите удалить группу из %1 файлов").arg(selected.size()),
                        MessageIcon::Question, MessageButtons::YesNo)
            != MessageResult::Yes)
            return;
        {
            const QSignalBlocker block(list_);
            for (QTreeWidgetItem* item : selected) {
                const QString path = PathOf(item);
                delete list_->takeTopLevelItem(list_->indexOfTopLevelItem(item));
                if (!QFile::remove(path) && QFileInfo::exists(path))
                    failed << path;
            }
        }
        ClearViewer();
    }
    if (!failed.isEmpty()) {
        // A file still on disk is shown again, and the operator told.
        ShowError(QStringLiteral("Не могу удалить файл:\r") + failed.join(u'\r'));
        ListFiles(Folder_);
    }
    UpdateActions();
}

// ---- Printing ----

void TFileViewForm::PrintActionExecute()
{
    if (viewerLines_.isEmpty())
        return;
    try {
        if (env_.Print) {
            env_.Print(viewerLines_, viewer_->font());
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        printer.setDocName(QString());
        PrintLines(printer, viewerLines_, viewer_->font());
    } catch (const PrintError& e) {
        ShowError(e.message());
    }
}

void TFileViewForm::DOSPrintActionExecute()
{
    if (viewerLines_.isEmpty())
        return;
    if (!env_.DosPrint) {
        // Written off the main thread, as the editor's: a port that blocks
        // holds up nothing, and its failure comes back as a box.
        DosPrintLinesLater(printerPort_, this, viewerLines_, [this](const QString& error) { ShowError(error); });
        return;
    }
    try {
        env_.DosPrint(viewerLines_);
    } catch (const FileError& e) {
        ShowError(e.message());
    }
}

// ---- Activating a blocked telegram ----

void TFileViewForm::ActivateTLGActionExecute()
{
    UpdateActions();
    if (!ActivateTLGAction->isEnabled())
        return;
    const ActivatedTelegram activated = ActivateBlockedNumbers(viewerLines_);
    if (!activated.Changed)
        return;
    const QString oldPath = PathOf(list_->currentItem());
    const QFileInfo info(oldPath);
    const QString newName = info.completeBaseName() + QStringLiteral(".TLG");
    const QString newPath = Folder_ + u'/' + newName;
    try {
        OemLines raw;
        SaveOemStrings(oldPath, raw, activated.Lines); // a whole new file; a failure keeps the old one
    } catch (const FileError& e) {
        ShowError(e.message());
        return;
    }
    for (const QString& number : activated.ReleasedNumbers)
        RemoveNumberFromLists(number);
    // QFile::rename never replaces a telegram already under the new name.
    if (!QFile::rename(oldPath, newPath)) {
        ListFiles(Folder_);
        ShowError(QStringLiteral("Не могу переименовать файл\r") + oldPath);
        return;
    }
    ListFiles(Folder_);
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->text(0) == newName) {
            FocusItem(list_->topLevelItem(i));
            break;
        }
}

// ---- Help and messages ----

void TFileViewForm::HelpRequest()
{
    ShowHelpNote(*env_.Box, HelpContext, env_.Log);
}

void TFileViewForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        HelpRequest();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFileViewForm::showEvent(QShowEvent* event)
{
    if (!shown_ && parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    shown_ = true;
    QMainWindow::showEvent(event);
}

void TFileViewForm::ShowError(const QString& text)
{
    ShowMessage(*env_.Box, text, MessageIcon::Error);
}

} // namespace korvane
