// The main thread's regularity while channels scan big outgoing folders:
// each of KORVANE_BENCH_CHANNELS channels (default 2) has 10 000 telegrams
// whose number waits for its retry, and its idle step asks for a new scan
// as soon as the last one has ended. Reports the gaps between protocol
// ticks (50 ms apart when nothing holds the main thread up): p50, p99 and
// the longest, in ms, and the scans completed.
//
// Runs for KORVANE_BENCH_SECONDS seconds (default 10); KORVANE_BENCH_FILES
// sets the telegrams per channel (0 shows the gaps of idle channels).

#include "bench/BenchSupport.h"
#include "tests/fakes/SimulatedIdleChannels.h"
#include "engine/CallFailurePolicy.h"
#include "engine/ElementCatalog.h"
#include "engine/TickTimer.h"
#include "engine/TxElementPro.h"
#include "engine/TxScanner.h"
#include "platform/Clock.h"
#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimSerialDevice.h"
#include "protocols/DriverModes.h"
#include "protocols/ElementClassRegistry.h"
#include "support/NumberLists.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

using namespace korvane;
using namespace korvane::bench;

namespace {

using Clock = std::chrono::steady_clock;

const int FileCount = qEnvironmentVariableIsSet("KORVANE_BENCH_FILES") ? qEnvironmentVariableIntValue("KORVANE_BENCH_FILES")
                                                                       : 10000;

// The idle step: a new scan as soon as the last one has ended.
class ScanningIdle final : public TTxElementPro {
public:
    ScanningIdle(TTxChannelDriver& d, std::atomic<int>* scans)
        : TTxElementPro(d, 29, QStringLiteral("Анализ состояния приема"), QStringLiteral("TTxCheckInputLine")),
          scans_(scans)
    {
    }
    void DoIt() override
    {
        TTxChannelDriver& d = Driver();
        if (d.Events.has(DriverEvent::ScanOutgoing))
            return;
        d.Events.clear(DriverEvent::DestinationChosen);
        d.Events.raise(DriverEvent::ScanOutgoing);
        ++*scans_;
    }

private:
    std::atomic<int>* scans_;
};

// The program's timers; the times of the protocol tick (the first 50-ms
// timer the scanner asks for) are noted.
class NotingTimers final : public TickTimerFactory {
public:
    explicit NotingTimers(std::vector<Clock::time_point>* ticks) : ticks_(ticks) {}
    std::unique_ptr<TickTimer> CreateTimer(int periodMs, std::function<void()> tick) override
    {
        if (periodMs == TTxScanner::ProtocolInterval && !protocolSeen_) {
            protocolSeen_ = true;
            return real_.CreateTimer(periodMs, [this, tick = std::move(tick)] {
                ticks_->push_back(Clock::now());
                tick();
            });
        }
        return real_.CreateTimer(periodMs, std::move(tick));
    }
    std::unique_ptr<TickTimer> CreatePreciseTimer(int periodMs, std::function<void()> tick) override
    {
        return real_.CreatePreciseTimer(periodMs, std::move(tick));
    }

private:
    QtTickTimerFactory real_;
    std::vector<Clock::time_point>* ticks_;
    bool protocolSeen_ = false;
};

void BM_MainThreadGaps(benchmark::State& state)
{
    QCoreApplication& app = App("MainThreadGapBench");
    const int seconds = EnvInt("KORVANE_BENCH_SECONDS", 10);
    const int channels = std::min(EnvInt("KORVANE_BENCH_CHANNELS", 2), int(kChannelCount));

    for (auto _ : state) {
        TDriverModes modes = GlobalModes;
        modes.PreciseTimer = 1;
        modes.TlxLogMode = 0;
        ApplyDriverModes(modes);

        korvane::test::SimulatedIdleChannels lines(channels, QStringLiteral("gap"));
        const QByteArray text = "|#51234 ABC\r\n|*51235\r\nTEXT OF THE TELEGRAM\r\n";
        for (int c = 1; c <= channels; ++c) {
            const QString out = lines.Outgoing(c);
            QDir().mkpath(out);
            for (int i = 1; i <= FileCount; ++i) {
                QFile f(QDir(out).filePath(QStringLiteral("TEL%1.TLG").arg(i, 5, 10, QLatin1Char('0'))));
                if (f.open(QIODevice::WriteOnly))
                    f.write(text);
            }
        }

        std::atomic<int> scans{0};
        ElementCatalog catalog{{QStringLiteral("TTxCheckInputLine"), QStringLiteral("Анализ состояния приема"),
                                [&scans](TTxChannelDriver& d) { return std::make_unique<ScanningIdle>(d, &scans); }}};
        std::vector<Clock::time_point> ticks;
        ticks.reserve(std::size_t(seconds) * 40 + 100);
        QuietBox box;
        QuietBeep beep;
        NotingTimers timers(&ticks);
        ScannerEnvironment env;
        env.Box = &box;
        env.Beep = &beep;
        env.Time = &systemClock();
        env.Timers = &timers;
        env.PortMap = &lines.map;
        env.Catalog = &catalog;
        env.IniFileName = lines.dir.filePath(QStringLiteral("KORVANE2.INI"));
        env.ProgramFolder = lines.dir.path();
        env.WriteLog = [](const QString&) {};
        {
            TTxScanner scanner(env);
            auto retry = std::make_unique<TUnsucNumObject>();
            retry->Wait = 30000; // the number waits for the whole run
            UnsuccNumbers->Add(QStringLiteral("51234"), std::move(retry));
            scanner.Start(&lines.set);
            QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
            app.exec();
        }

        std::vector<double> gaps;
        for (std::size_t i = 1; i < ticks.size(); ++i)
            gaps.push_back(std::chrono::duration<double, std::milli>(ticks[i] - ticks[i - 1]).count());
        std::sort(gaps.begin(), gaps.end());
        auto at = [&](double q) {
            return gaps.empty() ? 0.0 : gaps[std::min(gaps.size() - 1, std::size_t(q * double(gaps.size())))];
        };
        state.counters["channels"] = channels;
        state.counters["ticks"] = double(ticks.size());
        state.counters["gap_p50_ms"] = at(0.5);
        state.counters["gap_p99_ms"] = at(0.99);
        state.counters["gap_max_ms"] = gaps.empty() ? 0.0 : gaps.back();
        state.counters["scans"] = scans.load();
    }
}

BENCHMARK(BM_MainThreadGaps)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
