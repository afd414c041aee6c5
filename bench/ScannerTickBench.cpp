// Eight channels driven by the scanner on the real periodic timer thread:
// how regular the fast tick is, and what the engine costs in CPU time.
//
// Runs for KORVANE_BENCH_SECONDS seconds (default 60). Reports the error of
// the fast-tick period against 10 ms (p50, p99.9, max, in ms), the CPU time
// the process used over the run (the serial ports' worker threads included)
// and the CPU time of the fast tick's own thread.

#include "bench/BenchSupport.h"
#include "tests/fakes/SimulatedIdleChannels.h"
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

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

using namespace korvane;
using namespace korvane::bench;

namespace {

// CPU seconds of the calling thread.
double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The fast tick's thread: its CPU time at the first and the last tick seen.
struct FastThreadCpu {
    double first = -1;
    double last = 0;
};

// The idle step of every channel; channel 1's notes the time of each fast
// tick and the CPU time of the thread it runs on.
class TimedIdle final : public TTxElementPro {
public:
    TimedIdle(TTxChannelDriver& d, std::vector<std::chrono::steady_clock::time_point>* times, FastThreadCpu* cpu)
        : TTxElementPro(d, 29, QStringLiteral("Анализ состояния приема"), QStringLiteral("TTxCheckInputLine")),
          times_(times), cpu_(cpu)
    {
    }
    void Start() override
    {
        TTxElementPro::Start();
        Driver().RxEnabled = true;
    }
    void DoIt() override
    {
        ReadInputLine();
        if (Driver().Channel != 1)
            return;
        if (times_->size() < times_->capacity())
            times_->push_back(std::chrono::steady_clock::now());
        cpu_->last = ThreadCpuSeconds();
        if (cpu_->first < 0)
            cpu_->first = cpu_->last;
    }

private:
    std::vector<std::chrono::steady_clock::time_point>* times_;
    FastThreadCpu* cpu_;
};

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int BenchSeconds()
{
    const int s = qEnvironmentVariableIntValue("KORVANE_BENCH_SECONDS");
    return s > 0 ? s : 60;
}

void BM_ScannerFastTick(benchmark::State& state)
{
    QCoreApplication& app = App("ScannerTickBench");

    const int seconds = BenchSeconds();
    for (auto _ : state) {
        std::vector<std::chrono::steady_clock::time_point> times;
        times.reserve(std::size_t(seconds) * 100 + 1000);
        FastThreadCpu fastCpu;

        TDriverModes modes = GlobalModes;
        modes.PreciseTimer = 1;
        modes.TlxLogMode = 0;
        ApplyDriverModes(modes);

        korvane::test::SimulatedIdleChannels channels(kChannelCount, QStringLiteral("bench"));

        ElementCatalog catalog{{QStringLiteral("TTxCheckInputLine"), QStringLiteral("Анализ состояния приема"),
                                [&times, &fastCpu](TTxChannelDriver& d) {
                                    return std::make_unique<TimedIdle>(d, &times, &fastCpu);
                                }}};
        QuietBox box;
        QuietBeep beep;
        QtTickTimerFactory timers;
        ScannerEnvironment env;
        env.Box = &box;
        env.Beep = &beep;
        env.Time = &systemClock();
        env.Timers = &timers;
        env.PortMap = &channels.map;
        env.Catalog = &catalog;
        env.IniFileName = channels.dir.filePath(QStringLiteral("KORVANE2.INI"));
        env.ProgramFolder = channels.dir.path();
        env.WriteLog = [](const QString&) {};

        const double cpuBefore = CpuSeconds();
        {
            TTxScanner scanner(env);
            scanner.Start(&channels.set);
            QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
            app.exec();
        }
        const double cpu = CpuSeconds() - cpuBefore;

        std::vector<double> errors;
        for (std::size_t i = 1; i < times.size(); ++i)
            errors.push_back(std::abs(std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count() - 10.0));
        std::sort(errors.begin(), errors.end());
        auto at = [&](double q) {
            return errors.empty() ? 0.0 : errors[std::min(errors.size() - 1, std::size_t(q * double(errors.size())))];
        };
        state.counters["ticks"] = double(times.size());
        state.counters["err_p50_ms"] = at(0.5);
        state.counters["err_p999_ms"] = at(0.999);
        state.counters["err_max_ms"] = errors.empty() ? 0.0 : errors.back();
        state.counters["cpu_s"] = cpu;
        state.counters["cpu_pct"] = 100.0 * cpu / seconds;
        state.counters["fast_thread_cpu_s"] = fastCpu.first < 0 ? 0.0 : fastCpu.last - fastCpu.first;
    }
}

BENCHMARK(BM_ScannerFastTick)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
