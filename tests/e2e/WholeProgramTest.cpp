// The whole program on a fresh program folder, channel 1 on a simulated
// telex network in real time: the queued telegram goes out to station 2345,
// station 3456 calls in with a telegram, and "Выход" ends the program.

#include "engine/ElementCatalog.h"
#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "platform/PathMapper.h"
#include "protocols/TxProtoc.h"
#include "sim/SimPortFactory.h"
#include "support/LogFile.h"
#include "support/Tunes.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeSystemBeep.h"
#include "ui/Program.h"
#include "ui/TxChWind.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace korvane;
using korvane::test::FakeMessageBox;

namespace {

constexpr char Scenario[] = R"(# station 2345 takes the queued telegram; station 3456 calls in
station 2345 <_2345 XYZ

station 3456 <_3456 DEMO
call-in 12000
do wait 500
do wru
do wait 3000
do send <_<_ZCZC 3456 DEMO<_TEST TELEGRAM FROM 3456<_NNNN<_
do wru
do wait 3000
do clear
)";

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FilesIn(const QString& dir, const QString& pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}

class WholeProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QLatin1Char('/');
        ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("KorvaneDB")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANE_COUNTRY_TABLE), folder + QStringLiteral("KorvaneDB/COUNTRY.DB")));
        QProcess layout;
        layout.setProcessChannelMode(QProcess::ForwardedChannels);
        layout.start(QStringLiteral(KORVANE_DEMO_FOLDER_TOOL), {folder});
        ASSERT_TRUE(layout.waitForFinished(60000));
        ASSERT_EQ(layout.exitCode(), 0);

        QFile scenario(folder + QStringLiteral("network.scenario"));
        ASSERT_TRUE(scenario.open(QIODevice::WriteOnly));
        scenario.write(Scenario);
        scenario.close();
        qputenv("KORVANE_COM1", ("sim:" + scenario.fileName()).toUtf8());
        for (int c = 2; c <= 8; ++c)
            qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), QByteArray("sim:e2e-nowhere"));
        sim::installSimulatedPorts();

        const PathMapper paths(folder);
        outgoing = paths.toNative(QStringLiteral("C:\\MAIL2\\OUTGO1"));
        incoming = paths.toNative(QStringLiteral("C:\\MAIL2\\INCOME1"));
        transmitJournal = paths.toNative(QStringLiteral("C:\\MAIL2\\OUT_JRN1.PTC"));
        receiveJournal = paths.toNative(QStringLiteral("C:\\MAIL2\\IN_JRN1.PTC"));
    }

    void TearDown() override
    {
        program.reset();
        for (int c = 1; c <= 8; ++c)
            qunsetenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)));
    }

    bool RunUntil(const std::function<bool()>& done, int seconds)
    {
        const QDeadlineTimer deadline(seconds * 1000);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            DelayWithMessages(systemClock(), 50);
        }
        return true;
    }

    QString Log() const
    {
        QString all;
        for (const QString& name : FilesIn(folder + QStringLiteral("LOG"), QStringLiteral("*.log")))
            all += codepage::fromCp1251(ReadFile(folder + QStringLiteral("LOG/") + name));
        return all;
    }

    QTemporaryDir dir;
    QString folder, outgoing, incoming, transmitJournal, receiveJournal;
    FakeMessageBox box;
    FakeMessageBox channelBox;
    korvane::test::FakeSystemBeep beep;
    std::unique_ptr<TProgram> program;
};

// Whether every element class of the catalogue has its implementation.
bool AllElementsBuilt(QStringList& missing)
{
    for (const ElementCatalogEntry& e : DefaultElementCatalog())
        if (!e.Create)
            missing << e.DisplayName;
    return missing.isEmpty();
}

TEST_F(WholeProgramTest, ATelegramGoesOutOneComesInAndExitEndsTheProgram)
{
    if (QStringList missing; !AllElementsBuilt(missing))
        GTEST_SKIP() << "element classes not built yet: " << missing.join(QStringLiteral(", ")).toStdString();
    MainFormEnvironment env;
    env.Box = &box;
    env.ChannelBox = &channelBox;
    env.Beep = &beep;
    env.ProgramFolder = folder;
    env.WaveDevices = [] { return 0; };
    program = std::make_unique<TProgram>(env);
    TMainForm& form = program->MainForm();
    form.show();

    ASSERT_TRUE(RunUntil([&] { return form.ChannelWindowOf(1) != nullptr; }, 10));
    EXPECT_FALSE(box.texts().contains(QStringLiteral("Нет активных каналов!")));

    // The queued telegram: called, sent, its number marked done, kept as .TRS.
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(outgoing + QStringLiteral("/TEL00001.TRS")); }, 60))
        << "log:\n" << Log().toStdString() << "boxes: " << channelBox.texts().join(u'|').toStdString();
    EXPECT_FALSE(QFile::exists(outgoing + QStringLiteral("/TEL00001.TLG")));
    const QString sent = codepage::fromCp866(ReadFile(outgoing + QStringLiteral("/TEL00001.TRS")));
    EXPECT_TRUE(sent.startsWith(QStringLiteral("|*2345"))) << sent.toStdString();
    EXPECT_TRUE(sent.contains(QStringLiteral("ПЕРВАЯ ТЕЛЕГРАММА НОВОГО ТЕРМИНАЛА")));
    ASSERT_TRUE(RunUntil([&] { return ReadFile(transmitJournal).contains("2345"); }, 20))
        << ReadFile(transmitJournal).toStdString();

    // Station 3456 calls in: its telegram lands as a .REC file with a journal line.
    ASSERT_TRUE(RunUntil([&] { return !FilesIn(incoming, QStringLiteral("*.REC")).isEmpty(); }, 60))
        << "log:\n" << Log().toStdString();
    const QStringList received = FilesIn(incoming, QStringLiteral("*.REC"));
    const QString text = codepage::fromCp866(ReadFile(incoming + QLatin1Char('/') + received.first()));
    EXPECT_TRUE(text.contains(QStringLiteral("TEST TELEGRAM FROM 3456"))) << text.toStdString();
    ASSERT_TRUE(RunUntil([&] { return !ReadFile(receiveJournal).isEmpty(); }, 30));

    // "Выход" with its confirmation (the folder's settings ask for it).
    box.shown.clear();
    form.ExitAction()->trigger();
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("Вы уверены, что хотите выйти из программы KORVANE?")});
    EXPECT_FALSE(form.isVisible());
    program.reset();

    EXPECT_TRUE(Log().contains(QStringLiteral("+++ Программа завершается")));
    const IniFile ini(folder + QStringLiteral("KORVANE2.INI"));
    EXPECT_EQ(ini.ReadString(ChannelSectionName(1), QStringLiteral("TlgFNumberMode"), {}), QStringLiteral("М"));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("COMMON"), QStringLiteral("Width")));
}

} // namespace
