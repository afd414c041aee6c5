#pragma once

// "Просмотр файлов": the telegram folders of the active channels. A tree of
// the channels with their outgoing and incoming folders, the files of the
// chosen folder with size, type and date (sorted by name, size, type or
// date, either way, as a list or a report), and the chosen file's text
// converted from the OEM code page. From here the operator deletes files,
// prints one through the system's printer or raw to the first parallel
// port, and sends again the blocked numbers of a telegram a channel put
// aside (.LER: '~' -> '#', the file becomes .TLG for the next scan).
//
// Created once, shown modeless; the main window refills the tree from the
// scanner each time it shows the form. The engine asks it (RefreshFolder)
// to list a folder again after writing, renaming or printing a file in it;
// while the window is hidden that only marks the list as out of date, and
// it is listed when the window is shown. Closing the window lets go of the
// list. Everything runs on the main thread.

#include "support/HelpNote.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QDateTime;
class QActionGroup;
class QFont;
class QMenu;
class QModelIndex;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvane {

namespace fileview {
class FileListModel;
}

class PrinterPort;

class MessageBox;
class PathMapper;
class StatusPanels;
class TTxScanner;

// What the folder browser needs of the program.
struct FileViewEnvironment {
    MessageBox* Box = nullptr; // required: questions, errors, the help note
    // The program folder, against which folders in Windows form are mapped.
    QString ProgramFolder;
    // The viewer's lines raw to the first parallel port in the OEM code
    // page, and through the system's printer. Empty: the program's own
    // (the port KORVANE_LPT1 names; the print dialog and the printer).
    std::function<void(const QStringList& lines)> DosPrint;
    std::function<void(const QStringList& lines, const QFont& font)> Print;
    // The help request's log line; empty: the daily log.
    HelpLogWriter Log;
};

// The folders of one channel as its driver has them (native paths).
struct TChannelFolders {
    int Channel = 0;          // 1..8
    QString TransmCommonFile; // its folder is the channel node's folder
    QString TransmDir;
    QString ReceiveDir;
};

// One node of the channel tree.
struct TTreeNodeData {
    std::uint8_t ChannelFlag = 0; // 1 channel node, 0 folder node
    QString OutgoingDir;          // the outgoing node's folder
    QString IncomingDir;          // the incoming node's folder
    QString ChannelDir;           // a channel node's folder
};

// One file of the list.
struct TFileData {
    std::int32_t Size = 0; // the low 32 bits of the size in bytes
    std::int32_t Time = 0; // date and time, packed as a DOS directory entry
    QString TypeText;      // the extension in capitals, without its dot
};

class TFileViewForm : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int HelpContext = 120;
    // Sort columns.
    static constexpr int NameColumn = 0, SizeColumn = 1, TypeColumn = 2, DateColumn = 3, NoColumn = -1;
    // Pictures of the tree and the list.
    enum Picture : int {
        ChannelCollapsed = 0,
        ChannelExpanded = 1,
        IncomingFolder = 2,
        OutgoingFolder = 3,
        FailedTelegram = 4,
        RecordFile = 5,
        PartRecordFile = 6,
        TelegramToSend = 7,
        SentTelegram = 8,
        Ascending = 9,
        Descending = 10,
        NoPicture = -1,
    };
    static Picture PictureOf(const QString& fileName);
    // The same from the extension in capitals, without its dot.
    static Picture PictureOfType(const QString& type);
    // The packed DOS date and time of a moment, and back.
    static std::int32_t DosDateTime(const QDateTime& at);
    static QDateTime FromDosDateTime(std::int32_t packed);

    explicit TFileViewForm(FileViewEnvironment env, QWidget* parent = nullptr);
    ~TFileViewForm() override;

    // The tree rebuilt from the scanner's drivers: "Канал №n" with its
    // "Исходящие" and "Входящие", all expanded. A null scanner leaves it empty.
    void FillChannelTree(const TTxScanner* scanner);
    // The same from the channels' folders, channel 1 first.
    void FillChannelTree(const std::vector<TChannelFolders>& channels);
    // The first folder node of Path selected and listed; no match changes nothing.
    void SelectFolder(const QString& path);
    // Lists the folder shown again when Path names it, keeping the focus on
    // the same file (or the same telegram under its new extension); while
    // the window is hidden, when it is next shown.
    void RefreshFolder(const QString& path);
    // What the engine's RefreshFolder callback should be: it reaches the
    // form while it exists and does nothing after.
    std::function<void(const QString&)> RefreshCallback();
    // Focus and selection on the last file, scrolled into view.
    void SelectLastFile();

    // The sort: a new column sorts ascending, the current one turns the
    // direction; then the list is sorted.
    void SetSortColumn(int column);
    // Sort column and direction set as they are, the list sorted again.
    void SetSortState(int column, bool ascending);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return sortAscending_; }
    bool ReportView() const { return viewReport_; }

    // The commands.
    void FileDeleteActionExecute();
    void PrintActionExecute();
    void DOSPrintActionExecute();
    void ActivateTLGActionExecute();
    void SortDirectionActionExecute();
    void ViewModeActionExecute();
    void HelpRequest();

    // The folder shown (empty: none) and the file shown.
    QString Folder() const { return Folder_; }
    QString ShownFile() const { return shownFile_; }
    // The viewer's lines (the file's text converted from the OEM code page).
    QStringList ViewerLines() const { return viewerLines_; }
    // The record of a row of the file list (null for no row).
    const TFileData* FileData(const QModelIndex& row) const;
    const TTreeNodeData* NodeData(const QTreeWidgetItem* node) const;
    // The picture a node or a row shows (a Picture value, or NoPicture).
    static int PictureIndex(const QTreeWidgetItem* node);
    static int PictureIndex(const QModelIndex& row);
    // Re-checks which commands can run (after every change).
    void UpdateActions();

    QTreeWidget* ChannelTreeView() const { return tree_; }
    QTreeView* FileListView() const { return list_; }
    QPlainTextEdit* FileRichEdit() const { return viewer_; }
    StatusPanels* StatusBar1() const { return status_; }
    QToolBar* ToolBar1() const { return toolBar1_; }
    QToolBar* ToolBar2() const { return toolBar2_; }
    QMenu* FileMenu() const { return fileMenu_; }
    QMenu* EditMenu() const { return editMenu_; }
    QMenu* SortMenu() const { return sortMenu_; }
    QMenu* EditPopupMenu() const { return popup_; }

    QAction* PrintSetupAction = nullptr;
    QAction* PrintAction = nullptr;
    QAction* DOSPrintAction = nullptr;
    QAction* FileDeleteAction = nullptr;
    QAction* CloseAction = nullptr;
    QAction* ActivateTLGAction = nullptr;
    QAction* NameSortAction = nullptr;
    QAction* SizeSortAction = nullptr;
    QAction* DateSortAction = nullptr;
    QAction* TypeSortAction = nullptr;
    QAction* SortDirectionAction = nullptr;
    QAction* ViewModeAction = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditSelectAll1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The first time: centred on the owner. A list out of date is listed.
    void showEvent(QShowEvent* event) override;
    // Closed (hidden): the list goes; the focused file is noted for the
    // next showing.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildWidgets();
    void InitColumns();
    void ChannelTreeViewChange();
    void ListFiles(const QString& folder);
    // The folder shown listed again, the focus on the file Noted (or the
    // same telegram under a new extension); none with Noted empty.
    void Relist(const QString& noted);
    void ShowListTotals();
    void FileListViewSelectItem();
    void ClearViewer();
    void SortList();
    void ShowError(const QString& text);
    PrinterPort* printerPort_ = nullptr; // "DOS Печать", made at its first use
    QString PathOf(int row) const;
    QString NameOf(int row) const;
    int FocusedRow() const;
    QList<int> SelectedRows() const;
    // Row focused, alone selected and scrolled into view; -1: no focus and
    // the selection cleared.
    void FocusRow(int row);

    FileViewEnvironment env_;
    std::unique_ptr<PathMapper> paths_;
    std::vector<std::unique_ptr<TTreeNodeData>> nodes_;
    QStringList viewerLines_;
    QString shownFile_;
    QString Folder_;
    bool viewReport_ = false;
    bool shown_ = false;
    // The folder changed while the window was hidden, or the list was let go.
    bool stale_ = false;
    // The file focused when the window was closed.
    QString notedAtClose_;
    // Set while the list's selection is changed by the form itself.
    bool quiet_ = false;
    int sortColumn_ = NameColumn;
    bool sortAscending_ = true;

    QTreeWidget* tree_ = nullptr;
    QTreeView* list_ = nullptr;
    fileview::FileListModel* model_ = nullptr;
    QPlainTextEdit* viewer_ = nullptr;
    StatusPanels* status_ = nullptr;
    QSplitter* splitter1_ = nullptr;
    QSplitter* splitter2_ = nullptr;
    QToolBar* toolBar1_ = nullptr;
    QToolBar* toolBar2_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* sortMenu_ = nullptr;
    QMenu* popup_ = nullptr;
    QActionGroup* sortGroup_ = nullptr;
};

} // namespace korvane
