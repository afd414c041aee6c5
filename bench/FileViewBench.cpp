// The folder browser ("Просмотр файлов") on a channel's incoming folder of
// 1 000 and 10 000 files: a received telegram (.REC) and the record of its
// exchange (.PTC) for each of half as many telegrams, as an incoming folder
// collects them over months.
// - BM_OpenFolder: the browser shown, the folder chosen and listed, the
//   window painted;
// - BM_RefreshFolderShown: the engine renames one telegram of the folder
//   and asks the shown browser to list the folder again (as it does after
//   every file it writes, renames or prints there), the window painted;
// - BM_RefreshFolderHidden: the same while the browser is closed;
// - BM_FolderMemory: the heap the browser takes for the folder once it is
//   listed and shown (open_mib) and what it still holds after the operator
//   closes the window (after_close_mib).

#include "bench/BenchSupport.h"
#include "engine/MemoryUsage.h"
#include "ui/telegrams/TxFileView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace korvane;

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "FileViewBench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Left to the end of the process: torn down among the other statics at
    // exit, the offscreen platform's devices crash.
    static QApplication* const app = new QApplication(argc, argv);
    return *app;
}

// Channel 1 of a program folder whose incoming folder holds Files files.
class Folders {
public:
    explicit Folders(int files)
    {
        QDir().mkpath(Out());
        QDir().mkpath(In());
        const QByteArray telegram = "|      #8-2345(2345 XYZ)\r\n" + QByteArray(240, 'T') + "\r\nNNNN\r\n";
        const QByteArray record = QByteArray(180, 'R') + "\r\n";
        for (int i = 0; i < files / 2; ++i) {
            const QString stem = In() + QStringLiteral("/TLG%1.").arg(i + 1, 5, 10, QLatin1Char('0'));
            Write(stem + QStringLiteral("REC"), telegram);
            Write(stem + QStringLiteral("PTC"), record);
        }
    }
    QString Out() const { return dir_.filePath(QStringLiteral("OUTGO1")); }
    QString In() const { return dir_.filePath(QStringLiteral("INCOM1")); }
    QString Program() const { return dir_.path(); }
    std::vector<TChannelFolders> Channels() const
    {
        return {{1, dir_.filePath(QStringLiteral("tx1.all")), Out(), In()}};
    }

private:
    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    QTemporaryDir dir_;
};

const Folders& FoldersOf(int files)
{
    static std::map<int, std::unique_ptr<Folders>> made;
    auto& f = made[files];
    if (!f)
        f = std::make_unique<Folders>(files);
    return *f;
}

struct Browser {
    bench::QuietBox box;
    std::unique_ptr<TFileViewForm> form;

    explicit Browser(const Folders& folders)
    {
        FileViewEnvironment env;
        env.Box = &box;
        env.ProgramFolder = folders.Program();
        env.Log = [](const QString&) {};
        form = std::make_unique<TFileViewForm>(env);
        form->FillChannelTree(folders.Channels());
    }
};

double HeapMiB()
{
    return double(CurrentMemoryUsage().Bytes) / (1024.0 * 1024.0);
}

void BM_OpenFolder(benchmark::State& state)
{
    App();
    const Folders& folders = FoldersOf(int(state.range(0)));
    Browser b(folders);
    b.form->show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        b.form->SelectFolder(folders.Out()); // an empty folder in between
        QApplication::processEvents();
        state.ResumeTiming();
        b.form->SelectFolder(folders.In());
        QApplication::processEvents();
    }
    state.counters["files"] = double(state.range(0));
}
BENCHMARK(BM_OpenFolder)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One telegram of the folder changes its extension and back in turn.
void RenameOne(const Folders& folders, int& n)
{
    const QString a = folders.In() + QStringLiteral("/TLG00001.REC");
    const QString b = folders.In() + QStringLiteral("/TLG00001.RE");
    if (n++ % 2 == 0)
        QFile::rename(a, b);
    else
        QFile::rename(b, a);
}

void RefreshFolder(benchmark::State& state, bool shown)
{
    App();
    const Folders& folders = FoldersOf(int(state.range(0)));
    Browser b(folders);
    b.form->show();
    b.form->SelectFolder(folders.In());
    QApplication::processEvents();
    if (!shown) {
        b.form->close();
        QApplication::processEvents();
    }
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RenameOne(folders, n);
        state.ResumeTiming();
        b.form->RefreshFolder(folders.In());
        QApplication::processEvents();
    }
    if (n % 2 == 1)
        RenameOne(folders, n);
    state.counters["files"] = double(state.range(0));
}

void BM_RefreshFolderShown(benchmark::State& state)
{
    RefreshFolder(state, true);
}
BENCHMARK(BM_RefreshFolderShown)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RefreshFolderHidden(benchmark::State& state)
{
    RefreshFolder(state, false);
}
BENCHMARK(BM_RefreshFolderHidden)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FolderMemory(benchmark::State& state)
{
    App();
    const Folders& folders = FoldersOf(int(state.range(0)));
    double open = 0, afterClose = 0;
    for (auto _ : state) {
        Browser b(folders);
        b.form->show();
        QApplication::processEvents();
        const double before = HeapMiB();
        b.form->SelectFolder(folders.In());
        QApplication::processEvents();
        open = HeapMiB() - before;
        b.form->close();
        QApplication::processEvents();
        afterClose = HeapMiB() - before;
    }
    state.counters["files"] = double(state.range(0));
    state.counters["open_mib"] = open;
    state.counters["after_close_mib"] = afterClose;
}
BENCHMARK(BM_FolderMemory)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
