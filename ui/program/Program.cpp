// The program's windows and services: their creation in order and their ending.
#include "ui/program/Program.h"

#include "ui/mainwindow/SettingsCommands.h"

#include "directories/AbonentLookup.h"
#include "directories/TxDataM.h"
#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "support/LogFile.h"
#include "ui/program/ProgramPicture.h"
#include "ui/settings/TxABForm.h"
#include "ui/telegrams/TxFileView.h"
#include "ui/telegrams/txAutoPrint.h"
#include "ui/telegrams/txBadNumbers.h"

#include <QApplication>

#include <exception>

namespace korvane {

namespace {

void WriteLog(const QString& line)
{
    if (!LogFile)
        return;
    try {
        LogFile->Write(line);
    } catch (const std::exception&) {
        // A log that cannot be written does not stop the program.
    }
}

} // namespace

TProgram::TProgram(MainFormEnvironment env)
{
    // Every window's title bar, the MDI children's included, shows the
    // program's own picture.
    QApplication::setWindowIcon(ProgramIcon());
    MessageBox& box = *env.Box;
    mainForm_ = std::make_unique<TMainForm>(std::move(env));
    // The print form comes before the data module, whose box about a
    // directory that cannot be opened lets the channels run meanwhile.
    autoPrint_ = std::make_unique<TAutoPrintForm>(GlobalModes);
    autoPrint_->SetLogWriter(WriteLog);
    mainForm_->SetTelegramPrinter(autoPrint_.get());
    dataModule_ = std::make_unique<TTxDataModule>(DBPath, box);
    lookup_ = std::make_unique<AbonentLookup>(*dataModule_);
    mainForm_->SetSubscriberLookup(lookup_.get());
    FileViewEnvironment files;
    files.Box = &box;
    files.ProgramFolder = AppDir;
    fileView_ = std::make_unique<TFileViewForm>(std::move(files), mainForm_.get());
    mainForm_->SetFolderRefresh(fileView_->RefreshCallback());
    mainForm_->SetFileViewForm(fileView_.get());
    mainForm_->SetDataModule(dataModule_.get());
    badNumbers_ = std::make_unique<TBadNumbersForm>(mainForm_.get());
    badNumbers_->FillLists();
    mainForm_->SetBadNumbersForm(badNumbers_.get());
    abForm_ = std::make_unique<TABForm>(box, mainForm_.get());
    mainForm_->Settings().SetABForm(abForm_.get());
}

TProgram::~TProgram()
{
    abForm_.reset();
    badNumbers_.reset();
    fileView_.reset();
    mainForm_.reset();
    autoPrint_.reset();
    lookup_.reset();
    dataModule_.reset();
}

} // namespace korvane
