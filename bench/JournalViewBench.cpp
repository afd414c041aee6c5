// What an open journal view costs at each new line of a long journal: a
// journal of KORVANE_BENCH_LINES lines (default 50 000) is shown, then one
// line is appended and the view told, as the engine does after every
// connection.

#include "bench/BenchSupport.h"
#include "support/OemText.h"
#include "ui/telegrams/txViewJrn.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace korvane;

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "JournalViewBench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void BM_NoticeOfOneNewLine(benchmark::State& state)
{
    App();
    const int lines = bench::EnvInt("KORVANE_BENCH_LINES", 50000);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TRANSM.JRN"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            state.SkipWithError("cannot write the journal");
        QByteArray all;
        for (int i = 0; i < lines; ++i)
            all += AnsiToOem(QStringLiteral("11-дек-26 05:%1:00 #%2 +7-1234567 ПЕРЕДАНО УСПЕШНО")
                                 .arg(i % 60, 2, 10, QLatin1Char('0'))
                                 .arg(i, 10))
                   + "\r\n";
        f.write(all);
    }
    TViewJrnForm view;
    view.SetChannel(1);
    view.ShowTransmitJournal(path);
    int n = 0;
    for (auto _ : state) {
        {
            QFile f(path);
            if (f.open(QIODevice::Append))
                f.write(AnsiToOem(QStringLiteral("11-дек-26 06:00:00 #%1 НОВАЯ СТРОКА").arg(++n, 10)) + "\r\n");
        }
        view.RefreshJournal(1, TViewJrnForm::TransmitKind);
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_NoticeOfOneNewLine)->Unit(benchmark::kMillisecond);

} // namespace
