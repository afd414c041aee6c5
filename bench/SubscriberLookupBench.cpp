// The engine's look-up of a destination number in a subscriber table of
// 100 000 records: a hit, a miss, the first look-up after the table is
// opened again (as after every change in the directory), the opening
// itself, and the directory's quick search by name with letter case
// ignored (a scan of the whole table in the worst case), and one edit of a
// subscriber shown again in the directory's grid model: by opening the query
// anew (the model reset) and by refreshing it (only the changed row).

#include "bench/BenchSupport.h"
#include "directories/AbonentLookup.h"
#include "directories/DataSetModel.h"
#include "directories/DirectoryStatements.h"
#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"
#include "directories/TxDataM.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace korvane;

constexpr int Subscribers = 100000;

QString Number(int i)
{
    return QStringLiteral("+7-%1").arg(1000000 + i);
}

// One table for every benchmark of the program.
struct Directory {
    Directory()
    {
        static int argc = 1;
        static char name[] = "SubscriberLookupBench";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            app = std::make_unique<QCoreApplication>(argc, argv);
        const QString db = folder.filePath(QStringLiteral("KorvaneDB"));
        QDir().mkpath(db);
        QList<QVariantList> rows;
        rows.reserve(Subscribers);
        for (int i = 0; i < Subscribers; ++i)
            rows.append({i + 1, Number(i), QStringLiteral("АБОНЕНТ НОМЕР %1").arg(i), QVariant(),
                         QStringLiteral("%1 ABON").arg(i)});
        QString error;
        if (!WriteTableFile(QDir(db).filePath(QStringLiteral("ABONENTS.DB")), QStringLiteral("abonents.db"),
                            AbonentsTableColumns(), rows, error))
            qFatal("%s", qPrintable(error));
        module = std::make_unique<TTxDataModule>(db, box);
        if (module->AbonentQuery.RecordCount() != Subscribers)
            qFatal("%s", qPrintable(module->AbonentError()));
    }
    std::unique_ptr<QCoreApplication> app;
    QTemporaryDir folder;
    bench::QuietBox box;
    std::unique_ptr<TTxDataModule> module;
};

Directory& Shared()
{
    static Directory directory;
    return directory;
}

void BM_LookupFound(benchmark::State& state)
{
    Directory& d = Shared();
    AbonentLookup lookup(*d.module);
    SubscriberRecord record;
    QString error;
    lookup.LocateSubscriber(Number(0), record, error);
    int i = 0;
    for (auto _ : state) {
        const QString number = Number((i += 7919) % Subscribers);
        benchmark::DoNotOptimize(lookup.LocateSubscriber(number, record, error));
    }
}
BENCHMARK(BM_LookupFound);

void BM_LookupMissing(benchmark::State& state)
{
    Directory& d = Shared();
    AbonentLookup lookup(*d.module);
    SubscriberRecord record;
    QString error;
    const QString number = QStringLiteral("+7-nobody");
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup.LocateSubscriber(number, record, error));
}
BENCHMARK(BM_LookupMissing);

void BM_OpenThenFirstLookup(benchmark::State& state)
{
    Directory& d = Shared();
    AbonentLookup lookup(*d.module);
    SubscriberRecord record;
    QString error;
    for (auto _ : state) {
        d.module->OpenAbonentQuery(QStringLiteral("ABONENT_ID"));
        benchmark::DoNotOptimize(lookup.LocateSubscriber(Number(Subscribers - 1), record, error));
    }
}
BENCHMARK(BM_OpenThenFirstLookup)->Unit(benchmark::kMillisecond);

void BM_QuickSearchByNameIgnoringCase(benchmark::State& state)
{
    Directory& d = Shared();
    const QString name = QStringLiteral("абонент номер %1").arg(Subscribers - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(d.module->AbonentQuery.Locate(
            u"ABONENT_Name", name, LocateOption::PartialKey | LocateOption::CaseInsensitive));
}
BENCHMARK(BM_QuickSearchByNameIgnoringCase)->Unit(benchmark::kMillisecond);

// One subscriber edited, then the directory's grid model brought up to date.
void EditShown(benchmark::State& state, bool refresh)
{
    Directory& d = Shared();
    DataSetModel model(d.module->AbonentQuery);
    int i = 0;
    for (auto _ : state) {
        PrepareAbonentEdit(d.module->DynamicQuery, Number(Subscribers / 2), QStringLiteral("ИМЯ %1").arg(++i),
                           QStringLiteral("AB"));
        d.module->DynamicQuery.ExecSQL();
        if (refresh)
            d.module->RefreshAbonentRecords(u"ABONENT_No", Number(Subscribers / 2));
        else
            d.module->OpenAbonentQuery(QStringLiteral("ABONENT_ID"));
        benchmark::DoNotOptimize(model.rowCount());
    }
}
void BM_EditThenReopen(benchmark::State& state)
{
    EditShown(state, false);
}
void BM_EditThenRefresh(benchmark::State& state)
{
    EditShown(state, true);
}
BENCHMARK(BM_EditThenReopen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditThenRefresh)->Unit(benchmark::kMillisecond);

} // namespace
