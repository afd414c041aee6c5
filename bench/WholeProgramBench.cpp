// The whole program as a telex office runs it all day: korvane2 itself, in
// a process of its own, on a program folder laid out by korvane2-demo-folder
// with eight channels, each on a simulated network of its own in real time.
// Windows go to the display in use (run under xvfb-run for an X server),
// else offscreen.
//
// BM_BusyNetworkMemory: on every channel stations call in back to back,
// each with a short telegram. Samples the resident size every 10 s and
// reports it at the end of the warm-up and at the end, its growth per hour
// after the warm-up and over the last half of the run, and the telegrams
// received. KORVANE_BENCH_MINUTES sets the run (default 30),
// KORVANE_BENCH_WARMUP_MINUTES the warm-up (default 15: the channel windows
// have their last lines by then).
//
// BM_IdleCost: eight idle channels beside an idle reference, both running
// over the same KORVANE_BENCH_SECONDS (default 120, after 20 s to settle).
// The reference is the same program with one idle channel: the desktop
// and the costs of a channel's windows and timers as such. Reported:
// the CPU time of every thread as % of one core, from the scheduler's own
// accounting (/proc/<pid>/task/<tid>/schedstat, in nanoseconds), for the
// program, its main thread and the reference.
//
// KORVANE_BENCH_PROGRAM=<file> measures another build of korvane2 (an older
// one, for a before and after).

#include "bench/BenchSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace korvane;

namespace {

constexpr int kChannels = 8;

QCoreApplication& App()
{
    return bench::App("WholeProgramBench");
}

QString ProgramFile()
{
    const QString given = qEnvironmentVariable("KORVANE_BENCH_PROGRAM");
    return given.isEmpty() ? QStringLiteral(KORVANE_PROGRAM_FILE) : given;
}

// Stations 5000 on, each calling in once with a telegram of its own; the
// exchange puts their calls through one after the other, with its 2 s of
// rest between two calls: some 2000 calls, hours of a busy line.
QByteArray BusyScenario()
{
    QByteArray text = "selection keyboard\nstation 2345 <_2345 XYZ\ndo answerback\n";
    for (int i = 0; i < 2000; ++i) {
        const QByteArray n = QByteArray::number(5000 + i);
        text += "\nstation " + n + " <_" + n + " BUSY\ncall-in " + QByteArray::number(2000 + 100 * i) +
                "\ndo wait 500\ndo wru\ndo wait 3000\ndo send <_<_ZCZC " + n + " BUSY<_TEST TELEGRAM FROM " + n +
                " NUMBER " + QByteArray::number(i) + "<_NNNN<_\ndo wru\ndo wait 3000\ndo clear\n";
    }
    return text;
}

QByteArray IdleScenario()
{
    return "selection keyboard\nstation 2345 <_2345 XYZ\ndo answerback\n";
}

// A program folder with Channels channels whose lines lead to Scenario (a
// scenario file's text), and the program running on it.
class ProgramRun {
public:
    explicit ProgramRun(const QByteArray& scenario, int channels = kChannels)
    {
        folder_ = dir_.path() + QLatin1Char('/');
        QDir().mkpath(folder_ + QStringLiteral("KorvaneDB"));
        QFile::copy(QStringLiteral(KORVANE_COUNTRY_TABLE), folder_ + QStringLiteral("KorvaneDB/COUNTRY.DB"));
        QProcess layout;
        layout.start(QStringLiteral(KORVANE_DEMO_FOLDER_TOOL), {folder_, QString::number(channels)});
        layout.waitForFinished(60000);
        // No queued telegrams: the demonstration's two wait in channel 1.
        QDirIterator queued(folder_ + QStringLiteral("drive_c/MAIL2/OUTGO1"), {QStringLiteral("*.TLG")}, QDir::Files);
        while (queued.hasNext())
            QFile::remove(queued.next());
        QFile::copy(ProgramFile(), folder_ + QStringLiteral("korvane2"));

        QFile file(folder_ + QStringLiteral("lines.scenario"));
        if (file.open(QIODevice::WriteOnly))
            file.write(scenario);
        const QString lines = QStringLiteral("sim:") + file.fileName();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // A runtime folder of its own: the program runs once per runtime
        // folder, and the two of the idle cost run side by side.
        const QString runtime = folder_ + QStringLiteral("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        for (int c = 1; c <= channels; ++c)
            env.insert(QStringLiteral("KORVANE_COM%1").arg(c), lines);
        if (!env.contains(QStringLiteral("DISPLAY")) && !env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(folder_);
        process_.setStandardOutputFile(folder_ + QStringLiteral("console.txt"));
        process_.setStandardErrorFile(folder_ + QStringLiteral("console.txt"), QIODevice::Append);
        process_.start(folder_ + QStringLiteral("korvane2"), {});
        process_.waitForStarted(30000);
    }

    ~ProgramRun()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(15000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Alive and not a zombie (the process object only learns of its end
    // in an event loop, which the benchmark does not run).
    bool Running() const
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(Pid()));
        if (Pid() <= 0 || !stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray fields = stat.readAll();
        const qsizetype state = fields.lastIndexOf(')') + 2;
        return state < fields.size() && fields.at(state) != 'Z';
    }
    qint64 Pid() const { return process_.processId(); }

    double ResidentMiB() const { return bench::ResidentMiB(Pid()); }

    // Nanoseconds on a CPU: every thread of the program, or the main one.
    std::int64_t CpuNs(bool mainThreadOnly = false) const
    {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(Pid());
        const QStringList tids =
            mainThreadOnly ? QStringList{QString::number(Pid())} : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::int64_t total = 0;
        for (const QString& tid : tids) {
            QFile stat(tasks + QLatin1Char('/') + tid + QStringLiteral("/schedstat"));
            if (stat.open(QIODevice::ReadOnly))
                total += stat.readAll().split(' ').value(0).toLongLong();
        }
        return total;
    }

    int ReceivedTelegrams() const
    {
        int count = 0;
        QDirIterator it(folder_ + QStringLiteral("drive_c/MAIL2"), {QStringLiteral("*.REC")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            ++count;
        }
        return count;
    }

private:
    QTemporaryDir dir_;
    QString folder_;
    QProcess process_;
};

void Sleep(int seconds)
{
    QThread::sleep(static_cast<unsigned long>(seconds));
}

void BM_BusyNetworkMemory(benchmark::State& state)
{
    App();
    const int minutes = bench::EnvInt("KORVANE_BENCH_MINUTES", 30);
    const int warmUp = std::min(bench::EnvInt("KORVANE_BENCH_WARMUP_MINUTES", 15), minutes);
    for (auto _ : state) {
        ProgramRun run(BusyScenario());
        double warm = 0;
        double half = 0;
        double end = 0;
        QTextStream log(stderr);
        for (int second = 0; second <= minutes * 60 && run.Running(); second += 10) {
            const double rss = run.ResidentMiB();
            if (second == warmUp * 60)
                warm = rss;
            if (second == minutes * 30 - (minutes * 30) % 10)
                half = rss;
            end = rss;
            if (second % 60 == 0)
                log << "minute " << second / 60 << ": " << rss << " MiB, " << run.ReceivedTelegrams()
                    << " telegrams received" << Qt::endl;
            if (second < minutes * 60)
                Sleep(10);
        }
        if (!run.Running())
            state.SkipWithError("the program ended during the run");
        state.counters["minutes"] = minutes;
        state.counters["rss_warm_mib"] = warm;
        state.counters["rss_end_mib"] = end;
        state.counters["rss_growth_after_warmup_mib_per_h"] =
            minutes > warmUp ? (end - warm) * 60.0 / (minutes - warmUp) : 0;
        state.counters["rss_growth_last_half_mib_per_h"] = (end - half) * 120.0 / minutes;
        state.counters["telegrams_received"] = run.ReceivedTelegrams();
    }
}

BENCHMARK(BM_BusyNetworkMemory)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_IdleCost(benchmark::State& state)
{
    App();
    const int seconds = bench::EnvInt("KORVANE_BENCH_SECONDS", 120);
    for (auto _ : state) {
        ProgramRun idle(IdleScenario());
        ProgramRun reference(IdleScenario(), 1);
        Sleep(20);
        const std::int64_t idle0 = idle.CpuNs();
        const std::int64_t main0 = idle.CpuNs(true);
        const std::int64_t reference0 = reference.CpuNs();
        Sleep(seconds);
        const double span = seconds * 1e9 / 100.0;
        state.counters["program_cpu_percent"] = double(idle.CpuNs() - idle0) / span;
        state.counters["main_thread_cpu_percent"] = double(idle.CpuNs(true) - main0) / span;
        state.counters["reference_cpu_percent"] = double(reference.CpuNs() - reference0) / span;
        if (!idle.Running() || !reference.Running())
            state.SkipWithError("a program ended during the run");
    }
}

BENCHMARK(BM_IdleCost)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
