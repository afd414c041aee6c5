#include "FakeChannelWindow.h"

#include <gtest/gtest.h>

#include <thread>

using namespace korvane;
using korvane::test::FakeChannelWindow;

TEST(ChannelCommandByte, TheDriverClearsOnlyTheCommandItCarriedOut)
{
    FakeChannelWindow window;
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::None);

    window.SetChannelCommand(ChannelCommands::Disconnect);
    EXPECT_EQ(window.ChannelCommand(), 5);
    EXPECT_TRUE(window.ClearChannelCommand(ChannelCommands::Disconnect));
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::None);
}

TEST(ChannelCommandByte, ACommandWrittenAfterTheDriverReadTheByteIsKept)
{
    FakeChannelWindow window;
    window.SetChannelCommand(ChannelCommands::AskAnswerBack);
    const std::uint8_t seen = window.ChannelCommand();
    // The operator asks for something else before the driver clears.
    window.SetChannelCommand(ChannelCommands::ControlMode);
    EXPECT_FALSE(window.ClearChannelCommand(seen));
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::ControlMode);
}

TEST(ChannelCommandByte, ALaterCommandReplacesOneNotYetCarriedOut)
{
    FakeChannelWindow window;
    window.SetChannelCommand(ChannelCommands::Call);
    window.SetChannelCommand(ChannelCommands::Restart);
    EXPECT_EQ(window.ChannelCommand(), ChannelCommands::Restart);
    EXPECT_FALSE(window.ClearChannelCommand(ChannelCommands::Call));
    EXPECT_TRUE(window.ClearChannelCommand(ChannelCommands::Restart));
}

TEST(ChannelWindowNumber, KeepsAtMostTwentyFourCharacters)
{
    struct Case {
        QString written;
        QString kept;
    };
    const Case cases[] = {
        {"", ""},
        {"12345", "12345"},
        {"123456789012345678901234", "123456789012345678901234"},
        {"123456789012345678901234567890", "123456789012345678901234"},
    };
    for (const Case& c : cases) {
        FakeChannelWindow window;
        window.SetNumber(c.written);
        EXPECT_EQ(window.Number(), c.kept) << c.written.toStdString();
    }
}

TEST(ChannelWindowProgress, PositionCountsEveryCharacterFromAnyThread)
{
    FakeChannelWindow window;
    window.SetProgressMax(1200);
    window.SetProgressPosition(0);
    std::thread sender([&] {
        for (int i = 0; i < 600; ++i)
            window.AdvanceProgressPosition();
    });
    for (int i = 0; i < 600; ++i)
        window.AdvanceProgressPosition();
    sender.join();
    EXPECT_EQ(window.ProgressPosition(), 1200);
    EXPECT_EQ(window.ProgressMax(), 1200);
}

TEST(FakeChannelWindow, RecordsEveryOperationWithItsArgumentsInOrder)
{
    FakeChannelWindow window;
    window.SetChannelState(ChannelStates::Connected);
    window.SetCallInfo("TEL00001.TLG", "123", "MOSKVA", "ABC");
    window.SetLedAutoBlink(ChannelLed::Tx, true);
    window.SetChannelState(ChannelStates::Idle);
    EXPECT_EQ(window.Calls(), (QStringList{"SetChannelState(8)",
                                           "SetCallInfo(TEL00001.TLG, 123, MOSKVA, ABC)",
                                           "SetLedAutoBlink(Tx, true)", "SetChannelState(3)"}));
    EXPECT_EQ(window.Calls("SetChannelState"),
              (QStringList{"SetChannelState(8)", "SetChannelState(3)"}));
}
