#include "directories/dialogs/DirectoryDialogFrame.h"

#include "widgets/LayoutScale.h"

#include <QAction>
#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

namespace korvane {

DirectoryDialogFrame BuildDirectoryDialogFrame(QDialog& dialog, const QList<QAction*>& commands,
                                               const QStringList& searchTypes, BrowseQuery& query,
                                               const QList<GridColumn>& columns)
{
    const LayoutScale scale(&dialog);
    DirectoryDialogFrame f;
    f.ToolBar = new QToolBar;
    f.ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* command : commands) {
        if (command)
            f.ToolBar->addAction(command);
        else
            f.ToolBar->addSeparator();
    }

    f.EntryLabel = new QLabel(QStringLiteral("Быстрый поиск"));
    f.Entry = new QLineEdit;
    f.Entry->setMinimumWidth(scale.X(160));
    f.EntryLabel->setBuddy(f.Entry);

    f.SearchGroup = new QGroupBox(QStringLiteral("Тип поиска"));
    f.SearchButtons = new QButtonGroup(&dialog);
    auto* types = new QHBoxLayout(f.SearchGroup);
    for (int i = 0; i < searchTypes.size(); ++i) {
        auto* button = new QRadioButton(searchTypes[i]);
        f.SearchButtons->addButton(button, i);
        types->addWidget(button);
    }

    f.Grid = new DirectoryGrid(query, columns);
    int width = 0;
    for (int c = 0; c < f.Grid->ColumnCount(); ++c)
        width += f.Grid->LaidOutWidth(c);
    f.Grid->setMinimumSize(width + f.Grid->verticalScrollBar()->sizeHint().width() +
                               2 * f.Grid->frameWidth() + scale.X(4),
                           scale.Y(260));
    f.CallLabel = new QLabel;
    f.CallLabel->setTextFormat(Qt::PlainText);

    f.Ok = new QPushButton(QStringLiteral("OK"));
    f.Help = new QPushButton(QStringLiteral("&Help"));
    f.Help->setAutoDefault(false);
    f.HelpKey = new QShortcut(QKeySequence(Qt::Key_F1), &dialog);

    auto* search = new QHBoxLayout;
    auto* entryColumn = new QVBoxLayout;
    entryColumn->addWidget(f.EntryLabel);
    entryColumn->addWidget(f.Entry);
    search->addLayout(entryColumn);
    search->addWidget(f.SearchGroup, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(f.Ok);
    buttons->addWidget(f.Help);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setMenuBar(f.ToolBar);
    layout->addLayout(search);
    layout->addWidget(f.Grid, 1);
    layout->addWidget(f.CallLabel);
    layout->addLayout(buttons);
    return f;
}

} // namespace korvane
