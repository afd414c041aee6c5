// The program's windows and services, created in their order.
#pragma once

#include "ui/mainwindow/Main.h"

#include <memory>

namespace korvane {

class AbonentLookup;
class TAutoPrintForm;
class TABForm;
class TBadNumbersForm;
class TFileViewForm;
class TTxDataModule;

// The program's windows and services, created in their order: the main
// window (whose creation is the start-up), the directories' data module
// with the engine's subscriber look-up, the telegram folder browser (which
// the engine asks to refresh), the number lists view (its lists filled),
// the hidden print form and the answerback form. They go in the opposite order, the
// main window first, as its scanner uses the others until it is freed.
class TProgram {
public:
    // Env as the main window takes it.
    explicit TProgram(MainFormEnvironment env);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TMainForm& MainForm() const { return *mainForm_; }
    TTxDataModule& TxDataModule() const { return *dataModule_; }
    TBadNumbersForm& BadNumbersForm() const { return *badNumbers_; }
    TAutoPrintForm& AutoPrintForm() const { return *autoPrint_; }
    TFileViewForm& FileViewForm() const { return *fileView_; }
    TABForm& ABForm() const { return *abForm_; }

private:
    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TTxDataModule> dataModule_;
    std::unique_ptr<AbonentLookup> lookup_;
    std::unique_ptr<TFileViewForm> fileView_;
    std::unique_ptr<TBadNumbersForm> badNumbers_;
    std::unique_ptr<TAutoPrintForm> autoPrint_;
    std::unique_ptr<TABForm> abForm_;
};

} // namespace korvane
