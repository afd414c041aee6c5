// The subscriber directory's quick search by name over 100 000
// subscribers, as the operator types a name prefix: the text change, the
// search (a prefix, letter case counting) and the grid following the found
// record. The prefixes found are those of the last records, so each search
// reads nearly the whole table; a prefix found nowhere reads all of it.

#include "bench/BenchSupport.h"
#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"
#include "directories/TxDataM.h"
#include "directories/dialogs/Txabnent.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace korvane;

constexpr int Subscribers = 100000;

struct Directory {
    Directory()
    {
        static int argc = 1;
        static char name[] = "SubscriberDirectorySearchBench";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        const QString db = folder.filePath(QStringLiteral("KorvaneDB"));
        QDir().mkpath(db);
        QList<QVariantList> rows;
        rows.reserve(Subscribers);
        for (int i = 0; i < Subscribers; ++i)
            rows.append({i + 1, QStringLiteral("+7-%1").arg(1000000 + i), QStringLiteral("АБОНЕНТ НОМЕР %1").arg(i),
                         QVariant(), QStringLiteral("%1 ABON").arg(i)});
        QString error;
        if (!WriteTableFile(QDir(db).filePath(QStringLiteral("ABONENTS.DB")), QStringLiteral("abonents.db"),
                            AbonentsTableColumns(), rows, error))
            qFatal("%s", qPrintable(error));
        module = std::make_unique<TTxDataModule>(db, box);
        if (module->AbonentQuery.RecordCount() != Subscribers)
            qFatal("%s", qPrintable(module->AbonentError()));
        DirectoryDialogEnvironment env;
        env.Box = &box;
        dialog = std::make_unique<TAbonentAddressDlg>(*module, std::move(env));
        dialog->show();
        QApplication::processEvents();
        dialog->SearchButton(TAbonentAddressDlg::ByName)->click();
    }
    std::unique_ptr<QApplication> app;
    QTemporaryDir folder;
    bench::QuietBox box;
    std::unique_ptr<TTxDataModule> module;
    std::unique_ptr<TAbonentAddressDlg> dialog;
};

Directory& Shared()
{
    static Directory directory;
    return directory;
}

void BM_DirectorySearchByNamePrefix(benchmark::State& state)
{
    Directory& d = Shared();
    const QString prefixes[] = {QStringLiteral("АБОНЕНТ НОМЕР 99999"), QStringLiteral("АБОНЕНТ НОМЕР 99998")};
    int i = 0;
    for (auto _ : state) {
        d.dialog->EntryEdit()->setText(prefixes[i++ & 1]);
        benchmark::DoNotOptimize(d.module->AbonentQuery.CurrentRow());
    }
    if (!d.module->AbonentQuery.FieldAsText(u"ABONENT_Name").startsWith(prefixes[(i - 1) & 1]))
        state.SkipWithError("the prefix was not found");
}
BENCHMARK(BM_DirectorySearchByNamePrefix)->Unit(benchmark::kMillisecond);

void BM_DirectorySearchByNamePrefixFoundNowhere(benchmark::State& state)
{
    Directory& d = Shared();
    const QString prefixes[] = {QStringLiteral("ЯЩИК"), QStringLiteral("ЯЩИК 2")};
    int i = 0;
    for (auto _ : state)
        d.dialog->EntryEdit()->setText(prefixes[i++ & 1]);
}
BENCHMARK(BM_DirectorySearchByNamePrefixFoundNowhere)->Unit(benchmark::kMillisecond);

} // namespace
