#include "ui/Program.h"

#include "directories/AbonentLookup.h"
#include "directories/TxDataM.h"
#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "support/LogFile.h"
#include "ui/txAutoPrint.h"
#include "ui/txBadNumbers.h"

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
    MessageBox& box = *env.Box;
    mainForm_ = std::make_unique<TMainForm>(std::move(env));
    dataModule_ = std::make_unique<TTxDataModule>(DBPath, box);
    lookup_ = std::make_unique<AbonentLookup>(*dataModule_);
    mainForm_->SetSubscriberLookup(lookup_.get());
    badNumbers_ = std::make_unique<TBadNumbersForm>(mainForm_.get());
    badNumbers_->FillLists();
    mainForm_->SetBadNumbersForm(badNumbers_.get());
    autoPrint_ = std::make_unique<TAutoPrintForm>(GlobalModes);
    autoPrint_->SetLogWriter(WriteLog);
    mainForm_->SetTelegramPrinter(autoPrint_.get());
}

TProgram::~TProgram()
{
    badNumbers_.reset();
    mainForm_.reset();
    autoPrint_.reset();
    lookup_.reset();
    dataModule_.reset();
}

} // namespace korvane
