// The main window's menu bar, its two tool bars and its status panels; the
// commands themselves live in their families' classes, made here.

#include "ui/mainwindow/Main.h"

#include "ui/mainwindow/EditCommands.h"
#include "ui/mainwindow/FileCommands.h"
#include "ui/mainwindow/HelpCommands.h"
#include "ui/mainwindow/LineCommands.h"
#include "ui/mainwindow/SettingsCommands.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/mainwindow/TelegramCommands.h"
#include "ui/mainwindow/ToolPictures.h"
#include "ui/mainwindow/WindowsMenu.h"
#include "widgets/LayoutScale.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace korvane {

void TMainForm::BuildStatusBar()
{
    // The panels' widths grow with the bar's font; the last one runs on to
    // the bar's right edge.
    const LayoutScale scale(this);
    QList<int> widths;
    for (int w : {150, 150, 130, 60, 50})
        widths << scale.X(w);
    statusBar_ = new StatusPanels(widths, this);
    statusBar_->SetPanelAlignment(0, Qt::AlignCenter);
    statusBar_->SetPanelAlignment(1, Qt::AlignCenter);
    statusBar_->SetPanelAlignment(2, Qt::AlignLeft | Qt::AlignVCenter);
    statusBar_->SetPanelAlignment(3, Qt::AlignCenter);
    statusBar_->SetPanelAlignment(4, Qt::AlignLeft | Qt::AlignVCenter);
    statusBar()->addWidget(statusBar_, 1);
    statusBar()->setSizeGripEnabled(true);
}

void TMainForm::BuildMenus()
{
    actions_ = TMainActions::Create(this);
    const TMainActions& a = actions_;
    connect(a.ExitAction, &QAction::triggered, this, &TMainForm::ExitActionExecute);
    connect(a.SoundOffAction, &QAction::triggered, this, &TMainForm::SoundOff);
    lines_ = new LineCommands(a, mdi_, this);
    edits_ = new EditCommands(a, mdi_, this);
    settings_ = new SettingsCommands(*this);
    files_ = new FileCommands(*this, a);
    help_ = new HelpCommands(*this, mdi_, *env_.Box, HelpContext);

    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QStringLiteral("&Файл"));
    fileMenu_->addAction(a.ViewFilesAction);
    fileMenu_->addSeparator();
    fileMenu_->addActions({a.AbonentsAction, a.ViewCountriesAction});
    fileMenu_->addSeparator();
    fileMenu_->addAction(a.ExitAction);

    telegramMenu_ = bar->addMenu(QStringLiteral("Телегра&мма"));
    telegrams_ = new TelegramCommands(*this, a, telegramMenu_);

    windowsMenu_ = bar->addMenu(QStringLiteral("&Окна"));
    windows_ = new WindowsMenu(*this, a, windowsMenu_);

    modesMenu_ = bar->addMenu(QStringLiteral("&Режимы"));
    QAction* driver = modesMenu_->addAction(QStringLiteral("&Драйвер..."));
    connect(driver, &QAction::triggered, this, &TMainForm::DriverMenuClick);
    channelsMenu_ = modesMenu_->addMenu(QStringLiteral("&Каналы"));
    for (int c = 1; c <= kChannelCount; ++c) {
        // The tick shows whether the channel runs; a click opens its
        // options and never changes the tick by itself.
        QAction* item = channelsMenu_->addAction(ChannelItemCaption(c));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item, c] {
            item->setChecked(ChannelActive(c));
            settings_->EditChannelOptions(c);
        });
    }
    modesMenu_->addSeparator();
    modesMenu_->addAction(a.AnswerBackAction1);
    connect(a.AnswerBackAction1, &QAction::triggered, settings_, &SettingsCommands::AnswerBackAction1Execute);

    helpMenu_ = bar->addMenu(QStringLiteral("&Помощь"));
    QAction* about = helpMenu_->addAction(QStringLiteral("&Версия..."));
    about->setStatusTip(QStringLiteral("Show information about this app"));
    connect(about, &QAction::triggered, files_, &FileCommands::ShowAbout);

    GiveToolPictures(a);
    auto* tools1 = addToolBar(QStringLiteral("Команды"));
    ShowPicturesOnly(*tools1);
    tools1->addActions({a.ViewFilesAction, a.PrintAction, a.ManualAction});
    tools1->addSeparator();
    tools1->addActions({a.CallAction1, a.AskAction1, a.AnswerAction1, a.DisconAction1});
    tools1->addSeparator();
    tools1->addAction(a.BellAction1);
    tools1->addSeparator();
    tools1->addActions({a.RestartProtocolAction, a.AboutAction1, a.SoundOffAction, a.ExitAction});
    addToolBarBreak();
    auto* tools2 = addToolBar(QStringLiteral("Телеграммы"));
    ShowPicturesOnly(*tools2);
    tools2->addActions({a.EditCut1, a.EditCopy1, a.EditPaste1, a.EditUndo1});
    tools2->addSeparator();
    tools2->addAction(a.SendEditAction);
    tools2->addSeparator();
    tools2->addActions({a.ShowBadNumbersAction, a.CreateTlgAction, a.TrsmTlgAction, a.RecTlgAction, a.TrmJrnAction,
                        a.RecJrnAction, a.WindowCascade1, a.WindowTileHorizontal1, a.WindowTileVertical1});
    connect(qApp, &QApplication::focusChanged, this, &TMainForm::UpdateLineActions);
}

} // namespace korvane
