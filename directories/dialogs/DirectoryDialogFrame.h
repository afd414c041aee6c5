#pragma once

// The frame the subscriber list and the country table share, top to
// bottom: the record commands in a tool bar, the quick search entry beside
// its three search types, the grid (its columns shown whole, with room for
// its scroll bar), the line about the current record, and OK and Help.
// The dialog wires the parts to its own commands.

#include "directories/dialogs/DirectoryGrid.h"

#include <QList>
#include <QStringList>

class QAction;
class QButtonGroup;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class QToolBar;

namespace korvane {

class BrowseQuery;

struct DirectoryDialogFrame {
    QToolBar* ToolBar = nullptr;
    QLabel* EntryLabel = nullptr;
    QLineEdit* Entry = nullptr;
    QGroupBox* SearchGroup = nullptr;
    QButtonGroup* SearchButtons = nullptr; // ids 0, 1, 2 in the order of the types
    DirectoryGrid* Grid = nullptr;
    QLabel* CallLabel = nullptr;
    QPushButton* Ok = nullptr;
    QPushButton* Help = nullptr;
    QShortcut* HelpKey = nullptr; // F1
};

// Lays the frame out on Dialog. A null command stands for a separator.
DirectoryDialogFrame BuildDirectoryDialogFrame(QDialog& dialog, const QList<QAction*>& commands,
                                               const QStringList& searchTypes, BrowseQuery& query,
                                               const QList<GridColumn>& columns);

} // namespace korvane
