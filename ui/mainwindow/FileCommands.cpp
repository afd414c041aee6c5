// The main window's commands that open the program's other windows.
#include "ui/mainwindow/FileCommands.h"

#include "directories/dialogs/DirectoryDialogEnvironment.h"
#include "directories/dialogs/TXCONTRY.h"
#include "directories/dialogs/Txabnent.h"
#include "engine/TxScanner.h"
#include "ui/mainwindow/Main.h"
#include "ui/mainwindow/HelpCommands.h"
#include "ui/mainwindow/MainActions.h"
#include "ui/mainwindow/MdiChildren.h"
#include "ui/mainwindow/TelegramCommands.h"
#include "ui/about/TxAbout.h"
#include "ui/telegrams/TxEdit.h"
#include "ui/telegrams/TxFileView.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace korvane {

namespace {

// A telegram editor as the subscriber directory addresses it.
class EditorAddressee final : public TelegramAddressee {
public:
    explicit EditorAddressee(QMdiArea* mdi) : mdi_(mdi) {}
    void Target(TEditForm* editor) { editor_ = editor; }
    void InsertNumberLine(const QString& number) override
    {
        if (editor_)
            editor_->InsertNumberLine(number);
    }
    void ShowInFront() override
    {
        if (editor_)
            BringChildToFront(mdi_, editor_);
    }

private:
    QMdiArea* mdi_;
    QPointer<TEditForm> editor_;
};

} // namespace

FileCommands::FileCommands(TMainForm& form, const TMainActions& actions)
    : QObject(&form), form_(form), addressee_(std::make_unique<EditorAddressee>(form.MdiArea()))
{
    connect(actions.ViewFilesAction, &QAction::triggered, this, &FileCommands::ViewFiles);
    connect(actions.TrsmTlgAction, &QAction::triggered, this,
            [this] { ShowTransmittedTelegrams(form_.CurrentChannel()); });
    connect(actions.RecTlgAction, &QAction::triggered, this, [this] { ShowReceivedTelegrams(form_.CurrentChannel()); });
    connect(actions.AbonentsAction, &QAction::triggered, this, &FileCommands::ShowAbonents);
    connect(actions.ViewCountriesAction, &QAction::triggered, this, &FileCommands::ShowCountries);
    connect(actions.AboutAction1, &QAction::triggered, this, &FileCommands::ShowAbout);
}

FileCommands::~FileCommands() = default;

void FileCommands::SetFileViewForm(TFileViewForm* browser)
{
    browser_ = browser;
}

void FileCommands::ViewFiles()
{
    if (!browser_)
        return;
    browser_->FillChannelTree(form_.ScannerObject());
    browser_->show();
    browser_->raise();
    browser_->activateWindow();
}

bool FileCommands::ShowBrowserOn(int channel, bool outgoing)
{
    TTxScanner* scanner = form_.ScannerObject();
    TTxChannelDriver* d = scanner ? scanner->Driver(channel) : nullptr;
    if (!browser_ || !d)
        return false;
    browser_->FillChannelTree(scanner);
    browser_->SelectFolder(outgoing ? d->TransmDir : d->ReceiveDir);
    return true;
}

void FileCommands::ShowTransmittedTelegrams(int channel)
{
    if (!ShowBrowserOn(channel, true))
        return;
    // Ascending with no column, then the date command: oldest first.
    browser_->SetSortState(TFileViewForm::NoColumn, true);
    browser_->SetSortColumn(TFileViewForm::DateColumn);
    browser_->SelectLastFile();
    ViewFiles();
}

void FileCommands::ShowReceivedTelegrams(int channel)
{
    if (!ShowBrowserOn(channel, false))
        return;
    browser_->SelectLastFile();
    ViewFiles();
}

void FileCommands::ShowAbonents()
{
    if (!module_)
        return;
    if (!abonents_) {
        DirectoryDialogEnvironment env;
        env.Box = &form_.Box();
        env.Desk = this;
        abonents_ = std::make_unique<TAbonentAddressDlg>(*module_, std::move(env), &form_);
    }
    abonents_->show();
    abonents_->raise();
    abonents_->activateWindow();
}

void FileCommands::ShowCountries()
{
    if (!module_)
        return;
    DirectoryDialogEnvironment env;
    env.Box = &form_.Box();
    TCountryDBListDlg dialog(*module_, std::move(env), &form_);
    dialog.exec();
}

void FileCommands::ShowAbout()
{
    TfrmAbout about(&form_);
    connect(&about, &TfrmAbout::HelpRequested, &form_.Help(), &HelpCommands::ShowTopic);
    about.exec();
}

int FileCommands::CurrentChannel() const
{
    return form_.CurrentChannel();
}

bool FileCommands::ChannelHasDriver(int channel) const
{
    return form_.ScannerObject() && form_.ScannerObject()->Driver(channel) != nullptr;
}

TelegramAddressee* FileCommands::FirstEditor()
{
    for (QMdiSubWindow* sub : form_.MdiArea()->subWindowList())
        if (auto* e = qobject_cast<TEditForm*>(sub->widget())) {
            static_cast<EditorAddressee&>(*addressee_).Target(e);
            return addressee_.get();
        }
    return nullptr;
}

TelegramAddressee* FileCommands::NewTelegram(int channel)
{
    // The directory puts its subscriber's address line in: the new
    // telegram holds that one line and no empty one besides.
    TEditForm* e = form_.Telegrams().OpenTelegram(channel);
    if (!e)
        return nullptr;
    static_cast<EditorAddressee&>(*addressee_).Target(e);
    return addressee_.get();
}

} // namespace korvane
