// The subscriber directory's import of a text file of 100 000 subscribers
// (number, name and a spare line each, OEM text) into an empty table,
// through the dialog's import command as the operator starts it: the
// reading, the inserts and the table opened again under the wait cursor.

#include "bench/BenchSupport.h"
#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"
#include "directories/TxDataM.h"
#include "directories/dialogs/Txabnent.h"
#include "support/OemText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace korvane;

constexpr int Subscribers = 100000;

// The application object, made on first use. The SQL module's own statics
// are made inside its construction, so that they outlive the application
// at exit, whose end still uses them.
struct Application {
    Application()
    {
        static int argc = 1;
        static char name[] = "SubscriberImportBench";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        (void)QSqlDatabase::connectionNames();
    }
    std::unique_ptr<QApplication> app;
};

void App()
{
    static Application application;
}

// A directory with an empty subscriber table and its dialog.
struct EmptyDirectory {
    explicit EmptyDirectory(const QString& importFile)
    {
        const QString db = folder.filePath(QStringLiteral("KorvaneDB"));
        QDir().mkpath(db);
        QString error;
        if (!WriteTableFile(QDir(db).filePath(QStringLiteral("ABONENTS.DB")), QStringLiteral("abonents.db"),
                            AbonentsTableColumns(), {}, error))
            qFatal("%s", qPrintable(error));
        module = std::make_unique<TTxDataModule>(db, box);
        DirectoryDialogEnvironment env;
        env.Box = &box;
        env.ChooseImportFile = [importFile] { return importFile; };
        dialog = std::make_unique<TAbonentAddressDlg>(*module, std::move(env));
    }
    QTemporaryDir folder;
    bench::QuietBox box;
    std::unique_ptr<TTxDataModule> module;
    std::unique_ptr<TAbonentAddressDlg> dialog;
};

void BM_ImportOf100000Subscribers(benchmark::State& state)
{
    App();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.txt"));
    {
        QByteArray bytes;
        bytes.reserve(Subscribers * 40);
        for (int i = 0; i < Subscribers; ++i)
            bytes += QByteArray::number(1000000 + i) + "\r\n" + AnsiToOem(QStringLiteral("АБОНЕНТ %1").arg(i))
                     + "\r\n\r\n";
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the import file");
            return;
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto directory = std::make_unique<EmptyDirectory>(file);
        state.ResumeTiming();
        directory->dialog->ImportActionExecute();
        state.PauseTiming();
        const int imported = directory->module->AbonentQuery.RecordCount();
        directory.reset();
        state.ResumeTiming();
        if (imported != Subscribers) {
            state.SkipWithError("not every subscriber was imported");
            break;
        }
    }
    state.counters["subscribers"] = Subscribers;
}
BENCHMARK(BM_ImportOf100000Subscribers)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
