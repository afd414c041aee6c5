// What sending costs: KORVANE_BENCH_CHANNELS channels (default 8) of the
// built-in "Стандарт A" protocol on the real timer thread, each calling a
// simulated station at 50 baud and sending it a long telegram.
//
// Once every channel sends its text, the run measures for
// KORVANE_BENCH_SECONDS seconds (default 30): the characters the channels
// put on their lines per second and channel, against the 6.67 a 50-baud
// line with 1.5 stop elements can carry (line_util_pct), and the CPU time
// of the whole process as % of one core, per channel.

#include "bench/BenchSupport.h"
#include "engine/ElementCatalog.h"
#include "engine/TickTimer.h"
#include "engine/TxScanner.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/SystemBeep.h"
#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimScheduler.h"
#include "protocols/DefaultProtocols.h"
#include "protocols/DriverModes.h"
#include "sim/Scenario.h"
#include "sim/SimNetwork.h"
#include "support/OemText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>
#include <vector>

using namespace korvane;
using namespace korvane::bench;

namespace {

QCoreApplication& App()
{
    return bench::App("ChannelSendingBench");
}

double ProcessCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The exchange takes 8 by pulses and 2345 by keyboard; the station gives
// its answerback and listens.
const QString kStation = QStringLiteral("station 2345 <_2345 XYZ\ndo answerback\n");

// Codes the terminal put on the line so far ("out <code>" entries).
qint64 SentCodes(const sim::Transcript& t)
{
    qint64 n = 0;
    for (const sim::Transcript::Entry& e : t.entries()) {
        bool code = false;
        if (e.what.startsWith(QLatin1String("out ")))
            e.what.mid(4).toInt(&code);
        n += code ? 1 : 0;
    }
    return n;
}

void RunFor(int ms)
{
    QCoreApplication& app = App();
    QTimer::singleShot(ms, &app, &QCoreApplication::quit);
    app.exec();
}

void BM_ChannelsSending(benchmark::State& state)
{
    App();
    const int channels = std::min(EnvInt("KORVANE_BENCH_CHANNELS", 8), kChannelCount);
    const int seconds = EnvInt("KORVANE_BENCH_SECONDS", 30);
    for (auto _ : state) {
        TDriverModes modes = GlobalModes;
        modes.PreciseTimer = 1;
        modes.TlxLogMode = 0;
        ApplyDriverModes(modes);

        QuietBox box;
        QuietBeep beep;
        int err = 0;
        std::unique_ptr<TProtocolSet> set = BuildDefaultProtocolSet(err, box);
        QTemporaryDir dir;
        serial::SerialPortMap map;
        serial::SimScheduler scheduler; // real time, a thread of its own
        std::vector<std::unique_ptr<sim::SimNetwork>> networks;
        const sim::Scenario scenario = *sim::Scenario::parse(kStation);
        // Text for longer than the run: 60 characters a line.
        QString text = QStringLiteral("|#8-2345(2345 XYZ)\r\n");
        for (int i = 0; i < seconds * 7 / 60 + 20; ++i)
            text += QStringLiteral("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 %1\r\n").arg(i, 4, 10, QLatin1Char('0'));
        for (int c = 1; c <= channels; ++c) {
            networks.push_back(std::make_unique<sim::SimNetwork>(scenario, scheduler));
            const QString n = QStringLiteral("send%1").arg(c);
            map.registerSimulated(n, networks.back()->device());
            qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), "sim:" + n.toUtf8());
            TChannelOptions& r = set->Channels[std::size_t(c - 1)];
            r.AdapterType = 1;
            r.AnswerBack.setText(QStringLiteral("^<_12345$ KORV"));
            for (auto* f : {&r.TransmDir, &r.ReceiveDir})
                f->setText(dir.filePath(QStringLiteral("%1%2").arg(f == &r.TransmDir ? "out" : "in").arg(c)));
            for (auto* f : {&r.TransmJrnFile, &r.ReceiveJrnFile, &r.TransmCommonFile, &r.ReceiveCommonFile})
                f->setText(dir.filePath(QStringLiteral("f%1-%2").arg(c).arg(quintptr(f) % 97)));
            QDir().mkpath(r.TransmDir.text());
            QDir().mkpath(r.ReceiveDir.text());
            QFile f(r.TransmDir.text() + QStringLiteral("/TEL00001.TLG"));
            if (f.open(QIODevice::WriteOnly))
                f.write(AnsiToOem(text));
        }
        QtTickTimerFactory timers;
        ScannerEnvironment env;
        env.Box = &box;
        env.Beep = &beep;
        env.Time = &systemClock();
        env.Timers = &timers;
        env.PortMap = &map;
        env.Catalog = &DefaultElementCatalog();
        env.IniFileName = dir.filePath(QStringLiteral("KORVANE2.INI"));
        env.ProgramFolder = dir.path();
        env.WriteLog = [](const QString&) {};
        {
            TTxScanner scanner(env);
            scanner.Start(set.get());
            // Until every channel sends its text (the call takes some seconds).
            auto sending = [&] {
                EngineLock lock(scanner.Mutex());
                for (int c = 1; c <= channels; ++c) {
                    TTxChannelDriver* d = scanner.Driver(c);
                    if (!d || !d->CurrentStep || d->CurrentStep->Name != QStringLiteral("Передача данных"))
                        return false;
                }
                return true;
            };
            QElapsedTimer waited;
            waited.start();
            while (!sending()) {
                if (waited.elapsed() > 120000) {
                    state.SkipWithError("the channels did not reach their text within 2 minutes");
                    break;
                }
                RunFor(200);
            }
            qint64 before = 0;
            for (auto& n : networks)
                before += SentCodes(n->transcript());
            const double cpuBefore = ProcessCpuSeconds();
            RunFor(seconds * 1000);
            const double cpu = ProcessCpuSeconds() - cpuBefore;
            qint64 after = 0;
            for (auto& n : networks)
                after += SentCodes(n->transcript());
            const double perChannel = double(after - before) / seconds / channels;
            state.counters["channels"] = channels;
            state.counters["chars_per_s_per_channel"] = perChannel;
            state.counters["line_util_pct"] = 100.0 * perChannel / (50.0 / 7.5);
            state.counters["cpu_pct_per_channel"] = 100.0 * cpu / seconds / channels;
        }
        networks.clear();
        for (int c = 1; c <= channels; ++c)
            qunsetenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)));
    }
}

BENCHMARK(BM_ChannelsSending)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
