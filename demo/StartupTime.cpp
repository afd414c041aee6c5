// Measures the program's start-up: from the creation of its windows to the
// main window on the screen with every active channel's window open (the
// first idle moment). Run it on a folder laid out by korvane2-demo-folder
// with the channels on simulated lines, e.g. for eight channels:
//
//   korvane2-demo-folder /tmp/k8 8
//   for n in 1 2 3 4 5 6 7 8; do export KORVANE_COM$n=sim:answer; done
//   QT_QPA_PLATFORM=offscreen korvane2-startup-time /tmp/k8 [runs]
//
// Boxes are printed on the standard error and answered at once.

#include "platform/MessageBox.h"
#include "platform/SystemBeep.h"
#include "protocols/DriverModes.h"
#include "sim/SimPortFactory.h"
#include "support/Tunes.h"
#include "ui/program/Program.h"
#include "ui/channel/TxChWind.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace korvane;

namespace {

class ConsoleBox final : public MessageBox {
public:
    MessageResult show(const QString& text, const QString& caption, MessageIcon, MessageButtons buttons) override
    {
        QTextStream(stderr) << caption << ": " << text << '\n';
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Yes;
    }
};

class SilentBeep final : public SystemBeep {
public:
    void beep() override {}
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        QTextStream(stderr) << "usage: korvane2-startup-time <program folder> [runs]\n";
        return 2;
    }
    const int runs = args.size() == 3 ? std::max(1, args.at(2).toInt()) : 5;
    sim::installSimulatedPorts();

    std::vector<qint64> times;
    for (int run = 0; run < runs; ++run) {
        ConsoleBox box;
        SilentBeep beep;
        MainFormEnvironment env;
        env.Box = &box;
        env.ChannelBox = &box; // the channels' boxes answered at once too
        env.Beep = &beep;
        env.ProgramFolder = QDir(args.at(1)).absolutePath();
        env.WaveDevices = [] { return 0; };

        QElapsedTimer clock;
        clock.start();
        TProgram program(env);
        program.MainForm().show();
        // The first idle moment opens the channel windows.
        while (program.MainForm().OpenWindowsPending())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        QApplication::processEvents();
        const qint64 ms = clock.elapsed();
        const int active = program.MainForm().ScannerObject()->ActiveChannels;
        int windows = 0;
        for (int c = 1; c <= 8; ++c)
            windows += program.MainForm().ChannelWindowOf(c) != nullptr;
        QTextStream(stdout) << "run " << run + 1 << ": " << ms << " ms to the main window, " << active
                            << " channels, " << windows << " channel windows\n";
        times.push_back(ms);
        program.MainForm().ShutdownChannels();
        program.MainForm().close();
    }
    std::sort(times.begin(), times.end());
    QTextStream(stdout) << "median " << times[times.size() / 2] << " ms, min " << times.front() << " ms, max "
                        << times.back() << " ms\n";
    return 0;
}
