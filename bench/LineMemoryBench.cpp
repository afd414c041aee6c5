// What eight busy lines cost in memory over time: eight channel windows are
// shown everything a line busy without a pause carries at 50 baud (a
// 69-character line every ten seconds, 6.67 characters a second), as the
// engine shows it through the channel window contract, and each line's
// simulated network records its events (a code out and a code in for every
// character) as the program's own simulated ports keep them. The hours are
// virtual: the characters of each virtual second are given at once.
//
// Reports the resident size after the first minutes and at the end, its
// growth per hour after the first minutes (rss_growth_mib_per_h: what is
// left is the scroll-back text, which stops at the windows' line limit,
// some fifty minutes in) and over the last quarter of the run
// (rss_growth_last_quarter_mib_per_h; near 0 in a run past the limit).
// KORVANE_BENCH_MINUTES sets the virtual time (default 60);
// KORVANE_BENCH_UNBOUNDED=1 keeps every character with its undo history
// and every line event, as the program once did, for comparison.

#include "bench/BenchSupport.h"
#include "engine/ChannelWindow.h"
#include "sim/SimNetwork.h"
#include "sim/Transcript.h"
#include "ui/channel/TxChWind.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace korvane;

namespace {

constexpr int kChannels = 8;
constexpr int kWarmUpMinutes = 5;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "LineMemoryBench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void BM_BusyLinesMemory(benchmark::State& state)
{
    App();
    const int minutes = bench::EnvInt("KORVANE_BENCH_MINUTES", 60);
    const bool unbounded = qEnvironmentVariableIntValue("KORVANE_BENCH_UNBOUNDED") > 0;
    for (auto _ : state) {
        bench::QuietBox box;
        std::vector<std::unique_ptr<TTxChannelWindow>> windows;
        std::vector<std::unique_ptr<sim::Transcript>> transcripts;
        for (int c = 1; c <= kChannels; ++c) {
            ChannelWindowEnvironment env;
            env.Box = &box;
            env.ChannelBox = &box;
            env.DriverOf = [](int) { return nullptr; };
            auto w = std::make_unique<TTxChannelWindow>(env);
            w->SetChannel(c);
            w->show();
            transcripts.push_back(std::make_unique<sim::Transcript>());
            if (unbounded) {
                w->Memo()->setMaximumBlockCount(0);
                w->Memo()->setUndoRedoEnabled(true);
            } else {
                transcripts.back()->setLimit(sim::SimNetwork::ProgramHistory);
            }
            windows.push_back(std::move(w));
        }
        const QString line = QStringLiteral("ZCZC 1234 THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 ABC");
        double warm = 0;
        double lastQuarter = 0;
        const int lastQuarterStart = minutes * 60 * 3 / 4;
        double fractional = 0;
        std::int64_t us = 0;
        int column = 0;
        for (int second = 0; second < minutes * 60; ++second) {
            fractional += 50.0 / 7.5;
            const int chars = static_cast<int>(fractional);
            fractional -= chars;
            for (int i = 0; i < chars; ++i) {
                const bool lineEnd = column >= line.size();
                const QChar ch = lineEnd ? (column == line.size() ? QChar(u'\r') : QChar(u'\n')) : line[column];
                column = (lineEnd && ch == u'\n') ? 0 : column + 1;
                us += 150000;
                for (int c = 0; c < kChannels; ++c) {
                    windows[std::size_t(c)]->Window().SendMemoChar(ch);
                    transcripts[std::size_t(c)]->add(us, QStringLiteral("out %1").arg(ch.unicode() % 32));
                    transcripts[std::size_t(c)]->add(us + 75000, QStringLiteral("in %1").arg(ch.unicode() % 32));
                }
            }
            QApplication::processEvents();
            if (second == kWarmUpMinutes * 60 - 1)
                warm = bench::ResidentMiB();
            if (second == lastQuarterStart)
                lastQuarter = bench::ResidentMiB();
        }
        QApplication::processEvents();
        const double end = bench::ResidentMiB();
        state.counters["minutes"] = minutes;
        state.counters["rss_warm_mib"] = warm;
        state.counters["rss_end_mib"] = end;
        state.counters["rss_growth_mib_per_h"] =
            minutes > kWarmUpMinutes ? (end - warm) * 60.0 / (minutes - kWarmUpMinutes) : 0;
        state.counters["rss_growth_last_quarter_mib_per_h"] = (end - lastQuarter) * 4.0 * 60.0 / minutes;
        state.counters["memo_lines"] = windows.front()->Memo()->document()->blockCount();
    }
}

BENCHMARK(BM_BusyLinesMemory)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
