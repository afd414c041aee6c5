// The whole program on a fresh program folder, channel 1 on a simulated
// telex network in real time: station 3456 calls in with a telegram, the
// queued telegram goes out to station 2345, and "Выход" ends the program.

#include "tests/e2e/ProgramRig.h"

#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "protocols/TxProtoc.h"
#include "support/LogFile.h"
#include "ui/channel/TxChWind.h"

#include <QAction>
#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>


using namespace korvane;
using korvane::test::ReadFile;
using korvane::test::FilesIn;

namespace {

class WholeProgramTest : public korvane::test::ProgramRig {};

TEST_F(WholeProgramTest, ATelegramGoesOutOneComesInAndExitEndsTheProgram)
{
    if (QStringList missing; !korvane::test::AllElementsBuilt(missing))
        GTEST_SKIP() << "element classes not built yet: " << missing.join(QStringLiteral(", ")).toStdString();
    Start();
    TMainForm& form = program->MainForm();

    ASSERT_TRUE(RunUntil([&] { return form.ChannelWindowOf(1) != nullptr; }, 10));
    EXPECT_FALSE(box.texts().contains(QStringLiteral("Нет активных каналов!")));

    // Station 3456 calls in: its telegram lands as a .REC file with a journal line.
    ASSERT_TRUE(RunUntil([&] { return !FilesIn(incoming, QStringLiteral("*.REC")).isEmpty(); }, 90))
        << "log:\n" << Log().toStdString();
    const QStringList received = FilesIn(incoming, QStringLiteral("*.REC"));
    const QString text = codepage::fromCp866(ReadFile(incoming + QLatin1Char('/') + received.first()));
    EXPECT_TRUE(text.contains(QStringLiteral("TEST TELEGRAM FROM"))) << text.toStdString();
    ASSERT_TRUE(RunUntil([&] { return !ReadFile(receiveJournal).isEmpty(); }, 30));

    // The queued telegram: called, sent, its number marked done, kept as .TRS.
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(outgoing + QStringLiteral("/TEL00001.TRS")); }, 120))
        << "log:\n" << Log().toStdString() << "boxes: " << channelBox.texts().join(u'|').toStdString();
    EXPECT_FALSE(QFile::exists(outgoing + QStringLiteral("/TEL00001.TLG")));
    const QString sent = codepage::fromCp866(ReadFile(outgoing + QStringLiteral("/TEL00001.TRS")));
    EXPECT_TRUE(sent.startsWith(QStringLiteral("|*2345"))) << sent.toStdString();
    EXPECT_TRUE(sent.contains(QStringLiteral("ПЕРВАЯ ТЕЛЕГРАММА НОВОГО ТЕРМИНАЛА")));
    ASSERT_TRUE(RunUntil([&] { return ReadFile(transmitJournal).contains("2345"); }, 20))
        << ReadFile(transmitJournal).toStdString();

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
