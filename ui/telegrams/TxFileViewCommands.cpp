// The folder browser's commands: deleting, both printouts, activating a
// blocked telegram, and the help request.
#include "ui/telegrams/TxFileView.h"

#include "platform/MessageBox.h"
#include "support/FileError.h"
#include "support/NumberLists.h"
#include "support/OemText.h"
#include "ui/telegrams/BlockedNumbers.h"
#include "ui/telegrams/EditorPrinting.h"
#include "ui/telegrams/FileViewListModel.h"
#include "platform/MessageCaptions.h"
#include "ui/telegrams/PrintError.h"
#include "ui/mainwindow/StatusPanels.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QTreeView>

namespace korvane {

// ---- Deleting ----

void TFileViewForm::FileDeleteActionExecute()
{
    if (!FileDeleteAction->isEnabled())
        return;
    const QList<int> selected = SelectedRows();
    QStringList failed;
    if (selected.size() == 1) {
        const QString name = NameOf(selected.front());
        const QString path = PathOf(selected.front());
        if (ShowMessage(*env_.Box, QStringLiteral("Вы уверены в том, что хотите удалить файл:\r") + path,
                        MessageIcon::Question, MessageButtons::YesNo)
            != MessageResult::Yes)
            return;
        // The list may have been listed again while the question was open.
        const int row = model_->RowOf(name);
        if (row >= 0) {
            const QScopedValueRollback quiet(quiet_, true);
            model_->RemoveRows({row});
        }
        ClearViewer();
        if (!QFile::remove(path) && QFileInfo::exists(path))
            failed << path;
        const int count = model_->rowCount();
        FocusRow(count == 0 ? -1 : std::min(std::max(row, 0), count - 1));
    } else if (selected.size() > 1) {
        QStringList names;
        for (const int row : selected)
            names << NameOf(row);
        if (ShowMessage(*env_.Box,
                        QStringLiteral("Вы уверены в том, что хотите удалить группу из %1 файлов").arg(selected.size()),
                        MessageIcon::Question, MessageButtons::YesNo)
            != MessageResult::Yes)
            return;
        {
            const QScopedValueRollback quiet(quiet_, true);
            std::vector<int> rows;
            for (const QString& name : names) {
                const QString path = Folder_ + u'/' + name;
                if (!QFile::remove(path) && QFileInfo::exists(path))
                    failed << path;
                if (const int row = model_->RowOf(name); row >= 0)
                    rows.push_back(row);
            }
            model_->RemoveRows(std::move(rows));
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
    const QString oldPath = PathOf(FocusedRow());
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
    for (int row = 0; row < model_->rowCount(); ++row)
        if (NameOf(row) == newName) {
            FocusRow(row);
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
    if (stale_) {
        const QString noted = std::exchange(notedAtClose_, QString());
        const int focused = FocusedRow();
        Relist(focused >= 0 ? NameOf(focused) : noted);
    }
}

void TFileViewForm::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    // A closed window is only hidden: what it listed is let go, and the
    // folder is listed again when it is shown.
    const int focused = FocusedRow();
    notedAtClose_ = focused >= 0 ? NameOf(focused) : QString();
    {
        const QScopedValueRollback quiet(quiet_, true);
        model_->Clear();
    }
    ClearViewer();
    stale_ = !Folder_.isEmpty();
    UpdateActions();
}

void TFileViewForm::ShowError(const QString& text)
{
    ShowMessage(*env_.Box, text, MessageIcon::Error);
}

} // namespace korvane
