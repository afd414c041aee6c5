// The scan of a channel's outgoing folder holding 10 000 telegram files:
// - a full pass: every file is a telegram whose number waits for its next
//   attempt, so each one is examined and none is selected; the files are
//   known from the pass before and have not changed;
// - a first pass: the same, with nothing known of the files yet, so each
//   one is read;
// - a pass with nothing to do: the 10 000 files are finished telegrams
//   (.TRS), so only the folder is listed.
// A pass goes on over several file ticks; slice_max_ms is the longest
// part of it that one file tick runs.

#include "bench/BenchSupport.h"
#include "engine/CallFailurePolicy.h"
#include "engine/ElementCatalog.h"
#include "engine/OutgoingTelegrams.h"
#include "engine/TxDriver.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/SystemBeep.h"
#include "support/NumberLists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

using namespace korvane;
using namespace korvane::bench;

namespace {

constexpr int FileCount = 10000;

// A driver without port or elements whose outgoing folder holds FileCount
// files with the extension Ext.
class OutgoingFolder {
public:
    explicit OutgoingFolder(const char* ext)
    {
        env_.Box = &box_;
        env_.Beep = &beep_;
        env_.Time = &systemClock();
        env_.Mutex = &mutex_;
        env_.Catalog = &catalog_;
        env_.WriteLog = [](const QString&) {};
        NewDriver();
        const QByteArray text = "|#51234 ABC\r\n|*51235\r\nTEXT OF THE TELEGRAM\r\n";
        for (int i = 1; i <= FileCount; ++i) {
            QFile f(QDir(dir_.path()).filePath(QStringLiteral("TEL%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(ext)));
            if (f.open(QIODevice::WriteOnly))
                f.write(text);
        }
        auto retry = std::make_unique<TUnsucNumObject>();
        retry->Wait = 3600;
        UnsuccNumbers->Add(QStringLiteral("51234"), std::move(retry));
    }
    // A driver that knows nothing of the files yet.
    void NewDriver()
    {
        driver_ = std::make_unique<TTxChannelDriver>(env_);
        driver_->Channel = 1;
        driver_->TransmDir = dir_.path();
    }
    // One scan from a fresh listing, all its slices; the longest slice.
    double Pass()
    {
        driver_->Outgoing().TlgPath.clear();
        double longest = 0;
        for (bool ended = false; !ended;) {
            const auto start = std::chrono::steady_clock::now();
            ended = driver_->Outgoing().Scan();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        return longest;
    }
    int Listed() const { return static_cast<int>(driver_->Outgoing().TlgSearch.size()); }

private:
    ScopedNumberLists lists_;
    QTemporaryDir dir_;
    QuietBox box_;
    QuietBeep beep_;
    EngineMutex mutex_;
    ElementCatalog catalog_;
    EngineEnvironment env_;
    std::unique_ptr<TTxChannelDriver> driver_;
};

void FullPass(benchmark::State& state)
{
    OutgoingFolder folder("TLG");
    folder.Pass(); // the files become known
    double longest = 0;
    for (auto _ : state)
        longest = std::max(longest, folder.Pass());
    state.counters["files"] = folder.Listed();
    state.counters["slice_max_ms"] = longest;
}
BENCHMARK(FullPass)->Unit(benchmark::kMillisecond);

void FirstPass(benchmark::State& state)
{
    OutgoingFolder folder("TLG");
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        folder.NewDriver();
        state.ResumeTiming();
        longest = std::max(longest, folder.Pass());
    }
    state.counters["files"] = folder.Listed();
    state.counters["slice_max_ms"] = longest;
}
BENCHMARK(FirstPass)->Unit(benchmark::kMillisecond);

void PassWithNothingToDo(benchmark::State& state)
{
    OutgoingFolder folder("TRS");
    for (auto _ : state)
        folder.Pass();
    state.counters["files"] = folder.Listed();
}
BENCHMARK(PassWithNothingToDo)->Unit(benchmark::kMillisecond);

} // namespace
