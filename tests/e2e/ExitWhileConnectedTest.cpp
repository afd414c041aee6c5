// "Выход" while channel 1 is connected to a station: the
// channel is taken to dialog mode and cleared down before the program ends,
// with or without the confirmation, and no channel box opens meanwhile.

#include "tests/e2e/ProgramRig.h"

#include "engine/ChannelWindowCodes.h"
#include "platform/IniFile.h"
#include "support/LogFile.h"
#include "ui/TxChWind.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// The queued telegram's call to station 2345 is the connection.
class ExitWhileConnectedTest : public korvane::test::ProgramRig, public ::testing::WithParamInterface<bool> {};

// Disabled: the channel state awaited is not reached on the simulated
// network yet; enable with --gtest_also_run_disabled_tests.
TEST_P(ExitWhileConnectedTest, DISABLED_ClearsTheConnectionThenEnds)
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
    ASSERT_TRUE(RunUntil(
        [&] {
            window = form.ChannelWindowOf(1);
            return window && window->ChannelState() == ChannelStates::Connected;
        },
        60))
        << Log().toStdString();
    EXPECT_FALSE(window->DialogMode());

    box.shown.clear();
    channelBox.shown.clear();
    QElapsedTimer took;
    took.start();
    form.ExitActionExecute();
    // Three waits of at most five steps of 50 ms for the one channel.
    EXPECT_LT(took.elapsed(), 3000);
    EXPECT_EQ(box.texts(), confirmation ? QStringList{QStringLiteral("Вы уверены, что хотите выйти из программы KORVANE?")}
                                        : QStringList{});
    EXPECT_TRUE(channelBox.shown.isEmpty()) << channelBox.texts().join(u'|').toStdString();
    EXPECT_TRUE(window->DialogMode());
    EXPECT_EQ(window->MessageCode(), ChannelMessageCodes::Cleared);
    EXPECT_FALSE(form.isVisible());
    program.reset();
    EXPECT_TRUE(Log().contains(confirmation ? QStringLiteral("+++ Программа завершается")
                                            : QStringLiteral("### Программа завершается")));
}

INSTANTIATE_TEST_SUITE_P(Confirmation, ExitWhileConnectedTest, ::testing::Bool());

} // namespace
