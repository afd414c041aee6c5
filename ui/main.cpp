// The program entry: the application object, the operator's boxes and
// sounds, and the program's windows in their order: the main window (whose
// creation starts the channels), the directories' data module, the number
// lists view and the hidden print form.

#include "directories/AbonentLookup.h"
#include "directories/TxDataM.h"
#include "platform/AudioToneOutput.h"
#include "platform/Clock.h"
#include "platform/QtWavePlayer.h"
#include "platform/ToneSystemBeep.h"
#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "support/LogFile.h"
#include "support/Tunes.h"
#include "ui/Main.h"
#include "ui/QtMessageBox.h"
#include "ui/txAutoPrint.h"
#include "ui/txBadNumbers.h"

#ifdef KORVANE_WITH_SIM
#include "sim/SimPortFactory.h"
#endif

#include <QApplication>

#include <memory>

using namespace korvane;

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

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane 2"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvane 2"));

#ifdef KORVANE_WITH_SIM
    // KORVANE_COM<n>=sim:<scenario> puts channel n on a simulated line.
    sim::installSimulatedPorts();
#endif

    QtMessageBox box;
    AudioToneOutput tone;
    ToneSystemBeep beep(tone);
    TunePlayer tunes(tone, systemClock());
    QtWavePlayer waves(WriteLog);

    MainFormEnvironment env;
    env.Box = &box;
    env.Beep = &beep;
    env.Waves = &waves;
    env.Tunes = &tunes;

    // The main window's creation is the start-up.
    auto mainForm = std::make_unique<TMainForm>(env);
    auto dataModule = std::make_unique<TTxDataModule>(DBPath, box);
    AbonentLookup lookup(*dataModule);
    mainForm->SetSubscriberLookup(&lookup);
    auto badNumbers = std::make_unique<TBadNumbersForm>(mainForm.get());
    badNumbers->FillLists();
    mainForm->SetBadNumbersForm(badNumbers.get());
    auto autoPrint = std::make_unique<TAutoPrintForm>(GlobalModes);
    autoPrint->SetLogWriter(WriteLog);
    mainForm->SetTelegramPrinter(autoPrint.get());

    mainForm->show();
    const int result = QApplication::exec();

    // The main window goes first: its scanner uses the services below until
    // it is freed.
    badNumbers.reset();
    mainForm.reset();
    autoPrint.reset();
    dataModule.reset();
    return result;
}
