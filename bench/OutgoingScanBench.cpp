// The scan of a channel's outgoing folder holding 10 000 telegram files:
// - a full pass: every file is a telegram whose number waits for its next
//   attempt, so each one is read and examined and none is selected;
// - a pass with nothing to do: the 10 000 files are finished telegrams
//   (.TRS), so only the folder is listed.

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
        driver_ = std::make_unique<TTxChannelDriver>(env_);
        driver_->Channel = 1;
        driver_->TransmDir = dir_.path();
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
    // One scan from a fresh listing.
    void Pass()
    {
        driver_->Outgoing().TlgPath.clear();
        driver_->Outgoing().Scan();
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
    for (auto _ : state)
        folder.Pass();
    state.counters["files"] = folder.Listed();
}
BENCHMARK(FullPass)->Unit(benchmark::kMillisecond);

void PassWithNothingToDo(benchmark::State& state)
{
    OutgoingFolder folder("TRS");
    for (auto _ : state)
        folder.Pass();
    state.counters["files"] = folder.Listed();
}
BENCHMARK(PassWithNothingToDo)->Unit(benchmark::kMillisecond);

} // namespace
