#pragma once

#include "engine/ElementCatalog.h"
#include "platform/CodePages.h"
#include "platform/PathMapper.h"
#include "sim/SimPortFactory.h"
#include "support/Tunes.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeSystemBeep.h"
#include "tests/fakes/TestFiles.h"
#include "ui/program/Program.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace korvane::test {

// Whether every element class of the catalogue has its implementation.
inline bool AllElementsBuilt(QStringList& missing)
{
    for (const ElementCatalogEntry& e : DefaultElementCatalog())
        if (!e.Create)
            missing << e.DisplayName;
    return missing.isEmpty();
}

inline QByteArray ReadFile(const QString& path)
{
    return korvane::test::ReadFileBytes(path);
}

inline QStringList FilesIn(const QString& dir, const QString& pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}

// A fresh program folder laid out by the demonstration tool, channel 1 on
// the demonstration's simulated network in real time (station 3456 calls in
// first; then station 2345 takes the queued telegram; COM2..COM8 lead
// nowhere), and the program's windows on it.
class ProgramRig : public ::testing::Test {
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

        qputenv("KORVANE_COM1", QByteArray("sim:" KORVANE_DEMO_SCENARIO));
        for (int c = 2; c <= 8; ++c)
            qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), QByteArray("sim:e2e-nowhere"));
        sim::installSimulatedPorts();

        const PathMapper paths(folder);
        outgoing = paths.toNative(QStringLiteral("C:\\MAIL2\\OUTGO1"));
        incoming = paths.toNative(QStringLiteral("C:\\MAIL2\\INCOME1"));
        transmitJournal = paths.toNative(QStringLiteral("C:\\MAIL2\\OUT_JRN1.PTC"));
        receiveJournal = paths.toNative(QStringLiteral("C:\\MAIL2\\IN_JRN1.PTC"));
    }

    void Start()
    {
        MainFormEnvironment env;
        env.Box = &box;
        env.ChannelBox = &channelBox;
        env.Beep = &beep;
        env.ProgramFolder = folder;
        env.WaveDevices = [] { return 0; };
        program = std::make_unique<TProgram>(env);
        program->MainForm().show();
    }

    void TearDown() override
    {
        program.reset();
        for (int c = 1; c <= 8; ++c)
            qunsetenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)));
    }

    static bool RunUntil(const std::function<bool()>& done, int seconds)
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

} // namespace korvane::test
