// "Выход" while channel 1 is connected to a station: the
// channel is taken to dialog mode and cleared down before the program ends,
// with or without the confirmation, no channel box opens meanwhile, and what
// the station has sent so far is kept in the record file.

#include "tests/e2e/ProgramRig.h"

#include "engine/ChannelWindowCodes.h"
#include "platform/IniFile.h"
#include "support/LogFile.h"
#include "platform/CodePages.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/channel/TxChWind.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

using korvane::test::FilesIn;
using korvane::test::ReadFile;

// Station 3456's call is the connection: the program leaves while the
// station's telegram is coming in. The station alone is on the line
// (tests/e2e/data/station-3456-calls.scenario) and the outgoing folder is
// empty, so the channel waits idle for the call, whose '+' comes long after
// the channel's start has had its clearing confirmed, however slowly the
// program starts.
class ExitWhileConnectedTest : public korvane::test::ProgramRig, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ProgramRig::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("KORVANE_COM1", QByteArray("sim:" KORVANE_E2E_DATA "/station-3456-calls.scenario"));
        for (const QString& name : FilesIn(outgoing, QStringLiteral("*.TLG")))
            ASSERT_TRUE(QFile::remove(outgoing + QLatin1Char('/') + name)) << name.toStdString();
    }
};

TEST_P(ExitWhileConnectedTest, ClearsTheConnectionThenEnds)
{
    if (QStringList missing; !korvane::test::AllElementsBuilt(missing))
        GTEST_SKIP() << "element classes not built yet: " << missing.join(QStringLiteral(", ")).toStdString();
    const bool confirmation = GetParam();
    {
        IniFile ini(folder + QStringLiteral("KORVANE2.INI"));
        ini.WriteBool(QStringLiteral("COMMON"), QStringLiteral("ExitConfirmation"), confirmation);
    }
    Start();
    TMainForm& form = program->MainForm();
    TTxChannelWindow* window = nullptr;
    // In automatic mode the window shows the step that runs; the reception
    // step with the telegram's start on the screen is a live connection.
    // (A bound for a slow machine: the wait ends as soon as it is there.)
    ASSERT_TRUE(RunUntil(
        [&] {
            window = form.ChannelWindowOf(1);
            return window && window->StatusBar1()->PanelText(3) == QStringLiteral("Прием данных")
                && window->Memo()->toPlainText().contains(QStringLiteral("ZCZC"));
        },
        120))
        << Log().toStdString();
    EXPECT_FALSE(Log().contains(QStringLiteral("(Авария)"))) << Log().toStdString();
    EXPECT_FALSE(window->DialogMode());

    box.shown.clear();
    channelBox.shown.clear();
    QElapsedTimer took;
    took.start();
    form.ExitActionExecute();
    // Three waits of at most five steps of 50 ms for the one channel: the
    // exit is bounded by them, with room for a machine ten times slower,
    // never by the connection and the rest of the station's telegram.
    EXPECT_LT(took.elapsed(), 7500);
    EXPECT_EQ(box.texts(), confirmation ? QStringList{QStringLiteral("Вы уверены, что хотите выйти из программы KORVANE?")}
                                        : QStringList{});
    EXPECT_TRUE(channelBox.shown.isEmpty()) << channelBox.texts().join(u'|').toStdString();
    EXPECT_TRUE(window->DialogMode());
    EXPECT_EQ(window->MessageCode(), ChannelMessageCodes::Cleared);
    EXPECT_FALSE(form.isVisible());
    program.reset();
    EXPECT_TRUE(Log().contains(confirmation ? QStringLiteral("+++ Программа завершается")
                                            : QStringLiteral("### Программа завершается")));

    // What came in before the exit is in the record file.
    const QStringList records = FilesIn(incoming, QStringLiteral("TLG*.*"));
    ASSERT_EQ(records.size(), 1) << records.join(u' ').toStdString();
    EXPECT_TRUE(codepage::fromCp866(ReadFile(incoming + QLatin1Char('/') + records.first())).contains(QStringLiteral("ZCZC")));
}

INSTANTIATE_TEST_SUITE_P(Confirmation, ExitWhileConnectedTest, ::testing::Bool());

} // namespace
