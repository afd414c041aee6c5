// The program entry.
// The program entry: the application object, the operator's boxes and
// sounds, and the program's windows (TProgram) in their order.

#include "platform/AudioToneOutput.h"
#include "platform/Clock.h"
#include "platform/QtWavePlayer.h"
#include "platform/ToneSystemBeep.h"
#include "support/LogFile.h"
#include "support/Tunes.h"
#include "ui/program/Program.h"
#include "ui/toolkit/QtMessageBox.h"
#include "ui/program/SingleInstance.h"
#include "ui/program/ToolkitTranslations.h"

#ifdef KORVANE_WITH_SIM
#include "sim/SimPortFactory.h"
#endif

#include <QApplication>
#include <QTranslator>

#include <exception>

using namespace korvane;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    // A second start brings the running program forward and ends, having
    // touched no file.
    SingleInstance instance(SingleInstance::DefaultKey());
    if (!instance.TryBecomeFirst()) {
        instance.AskFirstToRaise();
        return 0;
    }

    QApplication::setApplicationName(QStringLiteral("Korvane 2"));
    QTranslator toolkitTexts;
    InstallToolkitTranslations(toolkitTexts);

#ifdef KORVANE_WITH_SIM
    // KORVANE_COM<n>=sim:<scenario> puts channel n on a simulated network.
    sim::installSimulatedPorts();
#endif

    QtMessageBox box;
    AudioToneOutput tone;
    ToneSystemBeep beep(tone);
    TunePlayer tunes(tone, systemClock());
    QtWavePlayer waves([](const QString& line) {
        if (!LogFile)
            return;
        try {
            LogFile->Write(line);
        } catch (const std::exception&) {
            // A log that cannot be written does not stop the program.
        }
    });

    MainFormEnvironment env;
    env.Box = &box;
    env.Beep = &beep;
    env.Waves = &waves;
    env.Tunes = &tunes;
    TProgram program(env);
    TMainForm& mainForm = program.MainForm();
    QObject::connect(&instance, &SingleInstance::RaiseRequested, &mainForm, [&mainForm] {
        mainForm.WMRestoreApp();
        mainForm.raise();
        mainForm.activateWindow();
    });
    mainForm.show();
    return QApplication::exec();
}
