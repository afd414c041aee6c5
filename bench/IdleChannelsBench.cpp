// What idle channels cost: N open serial ports with nothing to do, as bare
// ports and as channels of the scanner running an idle protocol, on
// simulated devices and on pseudo-terminals.
//
// Each run lasts KORVANE_BENCH_SECONDS seconds (default 30) with
// KORVANE_BENCH_CHANNELS channels (default 8). Reported per run: the CPU time
// of the whole process as % of one core, the context switches of all its
// threads per second (each one a thread that woke up), and the resident
// memory at the end of the run. BM_IdleFileTick times the main thread's
// file tick over the idle channels alone (it runs every 50 ms).

#include "bench/BenchSupport.h"
#include "engine/ElementCatalog.h"
#include "engine/TickTimer.h"
#include "engine/TxElementPro.h"
#include "engine/TxScanner.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/SystemBeep.h"
#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimSerialDevice.h"
#include "protocols/DriverModes.h"
#include "protocols/ElementClassRegistry.h"
#include "serial/CommPort.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <memory>
#include <vector>

using namespace korvane;
using namespace korvane::bench;

namespace {

QCoreApplication& App()
{
    return bench::App("IdleChannelsBench");
}

int BenchSeconds()
{
    return EnvInt("KORVANE_BENCH_SECONDS", 30);
}

int BenchChannels()
{
    return std::min(EnvInt("KORVANE_BENCH_CHANNELS", 8), kChannelCount);
}

// CPU seconds and context switches of the whole process, all threads.
struct Usage {
    double cpu = 0;
    double switches = 0;
};

Usage ProcessUsage()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return {double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6,
            double(u.ru_nvcsw + u.ru_nivcsw)};
}

// Resident memory in MiB.
double ResidentMiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// The lines of the channels: simulated devices or pseudo-terminals, each
// reachable as "\\.\COMn" through the map and KORVANE_COM<n>.
class Lines {
public:
    Lines(bool pty, int count)
    {
        for (int c = 1; c <= count; ++c) {
            QByteArray target;
            if (pty) {
                const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
                if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
                    qFatal("no pseudo-terminal");
                m_masters.push_back(master);
                target = ptsname(master);
            } else {
                auto line = serial::SimSerialDevice::create();
                const QString n = QStringLiteral("idle%1").arg(c);
                map.registerSimulated(n, line);
                m_sims.push_back(line);
                target = "sim:" + n.toUtf8();
            }
            qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), target);
        }
    }
    ~Lines()
    {
        for (int fd : m_masters)
            ::close(fd);
    }
    Lines(const Lines&) = delete;
    Lines& operator=(const Lines&) = delete;

    serial::SerialPortMap map;

private:
    std::vector<int> m_masters;
    std::vector<std::shared_ptr<serial::SimSerialDevice>> m_sims;
};

// Runs the event loop for the benchmark's time (after a second to settle)
// and reports what the process cost meanwhile.
void Measure(benchmark::State& state)
{
    QCoreApplication& app = App();
    QTimer::singleShot(1000, &app, &QCoreApplication::quit);
    app.exec();
    const int seconds = BenchSeconds();
    const Usage before = ProcessUsage();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const Usage after = ProcessUsage();
    state.counters["channels"] = BenchChannels();
    state.counters["cpu_pct"] = 100.0 * (after.cpu - before.cpu) / seconds;
    state.counters["wakeups_per_s"] = (after.switches - before.switches) / seconds;
    state.counters["rss_mib"] = ResidentMiB();
}

void BM_IdlePorts(benchmark::State& state)
{
    const bool pty = state.range(0) != 0;
    App();
    for (auto _ : state) {
        Lines lines(pty, BenchChannels());
        std::vector<std::unique_ptr<TCommPort>> ports;
        for (int c = 0; c < BenchChannels(); ++c) {
            auto port = std::make_unique<TCommPort>(nullptr, &lines.map);
            port->SetComNumber(static_cast<TComNumber>(c));
            port->SetBaudRate(br____50);
            port->SetDataBits(db5);
            port->SetStopBits(sb1_5);
            port->OnDataAvail = [](QObject*, int) {};
            port->OnTxEmptySignal = [](QObject*) {};
            port->Open();
            if (!port->Opened())
                state.SkipWithError(qPrintable(port->LastError()));
            ports.push_back(std::move(port));
        }
        Measure(state);
    }
}

// The idle step of a channel: it looks at the input line every fast tick.
class IdleStep final : public TTxElementPro {
public:
    explicit IdleStep(TTxChannelDriver& d)
        : TTxElementPro(d, 29, QStringLiteral("Анализ состояния приема"), QStringLiteral("TTxCheckInputLine"))
    {
    }
    void Start() override
    {
        TTxElementPro::Start();
        Driver().RxEnabled = true;
    }
    void DoIt() override { ReadInputLine(); }
};

// Idle channels of the scanner running the idle step, on their lines.
struct IdleScannerRig {
    explicit IdleScannerRig(bool pty, bool precise = true) : lines(pty, BenchChannels())
    {
        TDriverModes modes = GlobalModes;
        modes.PreciseTimer = precise ? 1 : 0;
        modes.TlxLogMode = 0;
        ApplyDriverModes(modes);

        int err = 0;
        set.Registry = BuildClassRegistry(err);
        TProtocolRec protocol;
        protocol.Name = QStringLiteral("Покой");
        protocol.Elements.push_back(
            {QStringLiteral("Ждать"), set.Registry->find(QStringLiteral("Анализ состояния приема")), 0, {}});
        set.Protocols[0].push_back(std::move(protocol));

        for (int c = 1; c <= BenchChannels(); ++c) {
            TChannelOptions& r = set.Channels[std::size_t(c - 1)];
            r.AdapterType = 1;
            r.TransmDir.setText(dir.filePath(QStringLiteral("out%1").arg(c)));
            r.ReceiveDir.setText(dir.filePath(QStringLiteral("in%1").arg(c)));
        }
        env.Box = &box;
        env.Beep = &beep;
        env.Time = &systemClock();
        env.Timers = &timers;
        env.PortMap = &lines.map;
        env.Catalog = &catalog;
        env.IniFileName = dir.filePath(QStringLiteral("KORVANE2.INI"));
        env.ProgramFolder = dir.path();
        env.WriteLog = [](const QString&) {};
        scanner = std::make_unique<TTxScanner>(env);
        scanner->Start(&set);
    }

    TProtocolSet set;
    QTemporaryDir dir;
    Lines lines;
    ElementCatalog catalog{{QStringLiteral("TTxCheckInputLine"), QStringLiteral("Анализ состояния приема"),
                            [](TTxChannelDriver& d) { return std::make_unique<IdleStep>(d); }}};
    QuietBox box;
    QuietBeep beep;
    QtTickTimerFactory timers;
    ScannerEnvironment env;
    std::unique_ptr<TTxScanner> scanner;
};

void BM_IdleScanner(benchmark::State& state)
{
    const bool pty = state.range(0) != 0;
    App();
    for (auto _ : state) {
        IdleScannerRig rig(pty);
        Measure(state);
    }
}

// The main thread's file tick (every 50 ms) over idle channels, called
// directly, the other ticks stopped: what it costs per tick.
void BM_IdleFileTick(benchmark::State& state)
{
    App();
    IdleScannerRig rig(false, false);
    rig.scanner->FileWorkTimerTimer(); // the first tick: what a former run left is looked for
    for (auto _ : state)
        rig.scanner->FileWorkTimerTimer();
    state.counters["channels"] = BenchChannels();
}

// Argument: 0 simulated devices, 1 pseudo-terminals.
BENCHMARK(BM_IdlePorts)->ArgName("pty")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleScanner)->ArgName("pty")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleFileTick)->Unit(benchmark::kMicrosecond);

} // namespace
