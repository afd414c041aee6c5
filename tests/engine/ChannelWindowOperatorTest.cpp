#include "ChannelWindowStateFixture.h"

using namespace korvane;
using korvane::test::ChannelWindowStateTest;

namespace {

void ShowColumn(ChannelWindowState& state, int column)
{
    state.SendMemoChar(u'\r');
    for (int i = 0; i < column; ++i)
        state.SendMemoChar(u'x');
}

} // namespace

TEST_F(ChannelWindowStateTest, AKeyOnAFullLineGoesAfterALineEnd)
{
    struct Case {
        int column;
        QString ring;
        int columnAfter;
    };
    const Case cases[] = {
        {0, "A", 0},
        {68, "A", 68},
        {69, "\r\nA", 0},
        {80, "\r\nA", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        ShowColumn(state, c.column);
        ASSERT_EQ(state.Column(), c.column);
        ASSERT_TRUE(state.PutKey(QChar(u'A')));
        EXPECT_EQ(TakeRing(), c.ring);
        EXPECT_EQ(state.Column(), c.columnAfter);
    }
}

TEST_F(ChannelWindowStateTest, ATypedCarriageReturnIsFollowedByALineFeed)
{
    ASSERT_TRUE(state.TypeKey(u'\r'));
    EXPECT_EQ(TakeRing(), "\r\n");
    ShowColumn(state, 69);
    ASSERT_TRUE(state.TypeKey(u'\r'));
    EXPECT_EQ(TakeRing(), "\r\n\r\n");
    ASSERT_TRUE(state.TypeKey(u'Ж'));
    EXPECT_EQ(TakeRing(), "Ж");
}

TEST_F(ChannelWindowStateTest, ALineEndThatDoesNotFitWithTheKeyStoresNothing)
{
    ASSERT_TRUE(state.KeyRing().Put(QString(29, u'k')));
    ShowColumn(state, 70);
    EXPECT_FALSE(state.PutKey(QChar(u'A')));
    EXPECT_EQ(state.KeyRing().Count(), 29);
    EXPECT_EQ(state.Column(), 70);
}

TEST_F(ChannelWindowStateTest, ShownCharactersCountTheColumn)
{
    for (QChar c : QStringView(u"ABC"))
        state.SendMemoChar(c);
    EXPECT_EQ(state.Column(), 3);
    EXPECT_EQ(view.memo, "ABC");
    state.SendMemoChar(u'\r');
    EXPECT_EQ(state.Column(), 0);
    state.CountMemoChar(u'q');
    state.CountMemoChar(u'\n');
    EXPECT_EQ(state.Column(), 0);
    state.CountMemoChar(u'q');
    EXPECT_EQ(state.Column(), 1);
}

TEST_F(ChannelWindowStateTest, TypingIsPossibleOnlyInDialogModeWithTheConnection)
{
    Show(ChannelStates::Connected);
    EXPECT_FALSE(state.CanType());
    EnterDialog();
    EXPECT_TRUE(state.CanType());
    Show(ChannelStates::Idle);
    EXPECT_FALSE(state.CanType());
}

TEST_F(ChannelWindowStateTest, PastedTextGoesToTheRingOneCharacterATick)
{
    EnterDialog();
    Show(ChannelStates::Connected);
    view.Forget();
    state.StartPaste("ЗДР");
    EXPECT_EQ(view.calls, QStringList{"progress show 3"});
    Tick();
    EXPECT_EQ(TakeRing(), "З");
    Tick(2);
    EXPECT_EQ(TakeRing(), "ДР");
    EXPECT_TRUE(state.PasteText().isEmpty());
    EXPECT_EQ(view.With("progress"), (QStringList{"progress show 3", "progress at 1",
                                                  "progress at 2", "progress at 3", "progress hide"}));
}

TEST_F(ChannelWindowStateTest, APasteStopsWhenTheConnectionIsNoLongerShown)
{
    EnterDialog();
    Show(ChannelStates::Connected);
    state.StartPaste("ABCDEF");
    Tick();
    state.SetChannelState(ChannelStates::Clearing);
    Tick();  // the paste still feeds before the state changes
    view.Forget();
    Tick();
    EXPECT_TRUE(state.PasteText().isEmpty());
    EXPECT_EQ(view.With("progress"), QStringList{"progress hide"});
    EXPECT_EQ(TakeRing(), "AB");
}

TEST_F(ChannelWindowStateTest, APasteWaitsWhileTheRingIsFull)
{
    EnterDialog();
    Show(ChannelStates::Connected);
    ASSERT_TRUE(state.KeyRing().Put(QString(31, u'k')));
    state.StartPaste("XY");
    Tick(3);
    EXPECT_EQ(state.PasteText(), "XY");
    ASSERT_TRUE(state.KeyRing().Take().has_value());
    Tick();
    EXPECT_EQ(state.PasteText(), "Y");
    EXPECT_EQ(TakeRing(), QString(30, u'k') + u'X');
}

TEST_F(ChannelWindowStateTest, TheEngineProgressBarFollowsTheTransmission)
{
    state.SetProgressMax(120);
    state.SetProgressPosition(0);
    state.SetProgressActive(true);
    EXPECT_TRUE(state.ProgressActive());
    Tick();
    EXPECT_TRUE(state.ProgressShown());
    EXPECT_EQ(view.With("progress"), QStringList{"progress show 120"});

    view.Forget();
    Tick();
    EXPECT_TRUE(view.With("progress").isEmpty());
    state.AdvanceProgressPosition();
    state.AdvanceProgressPosition();
    Tick();
    EXPECT_EQ(view.With("progress"), QStringList{"progress at 2"});
    EXPECT_EQ(state.ProgressShownPosition(), 2);

    view.Forget();
    state.SetProgressActive(false);
    Tick(2);
    EXPECT_FALSE(state.ProgressShown());
    EXPECT_EQ(view.With("progress"), QStringList{"progress hide"});
}

TEST_F(ChannelWindowStateTest, StartingTheProgressAgainStartsTheShownPositionAtZero)
{
    state.SetProgressMax(50);
    state.SetProgressActive(true);
    Tick();
    state.SetProgressPosition(7);
    Tick();
    ASSERT_EQ(state.ProgressShownPosition(), 7);
    state.SetProgressActive(true);
    EXPECT_EQ(state.ProgressShownPosition(), 0);
    view.Forget();
    Tick();
    EXPECT_EQ(view.With("progress"), QStringList{"progress at 7"});
}

TEST_F(ChannelWindowStateTest, LineCommandsOtherThanRestartAreWrittenOnlyInDialogMode)
{
    struct Case {
        void (ChannelWindowState::*command)();
        std::uint8_t value;
        bool inControlMode;
    };
    const Case cases[] = {
        {&ChannelWindowState::AskAnswerBackCommand, ChannelCommands::AskAnswerBack, false},
        {&ChannelWindowState::AnswerBackCommand, ChannelCommands::AnswerBack, false},
        {&ChannelWindowState::DisconnectCommand, ChannelCommands::Disconnect, false},
        {&ChannelWindowState::ControlModeCommand, ChannelCommands::ControlMode, false},
        {&ChannelWindowState::RestartCommand, ChannelCommands::Restart, true},
    };
    for (const bool dialog : {false, true}) {
        state.SetDialogMode(dialog);
        for (const Case& c : cases) {
            SCOPED_TRACE(QStringLiteral("dialog %1 command %2").arg(dialog).arg(c.value).toStdString());
            state.SetChannelCommand(ChannelCommands::None);
            (state.*c.command)();
            EXPECT_EQ(state.ChannelCommand(), dialog || c.inControlMode ? c.value : 0);
        }
    }
}

TEST_F(ChannelWindowStateTest, CallInControlModeAsksBeforeInterruptingAutomaticWork)
{
    struct Case {
        std::uint8_t shown;
        bool asks;
        MessageResult answer;
        std::uint8_t command;
    };
    const Case cases[] = {
        {ChannelStates::Idle, false, MessageResult::Yes, ChannelCommands::Call},
        {ChannelStates::AlarmNoClearConfirm, false, MessageResult::Yes, ChannelCommands::Call},
        {ChannelStates::Calling, true, MessageResult::Yes, ChannelCommands::Call},
        {ChannelStates::Connected, true, MessageResult::No, ChannelCommands::None},
        {ChannelStates::AlarmFileError, true, MessageResult::No, ChannelCommands::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.shown});
        Show(c.shown);
        view.Forget();
        state.SetChannelCommand(ChannelCommands::None);
        view.answers = {c.answer};
        state.CallCommand();
        EXPECT_EQ(state.ChannelCommand(), c.command);
        if (c.asks) {
            ASSERT_EQ(view.boxes.size(), 1);
            EXPECT_EQ(view.boxes[0].text,
                      "Контроль - канал 1\rИдет автоматическая работа. Прервать работу?");
            EXPECT_EQ(view.boxes[0].icon, MessageIcon::Warning);
            EXPECT_EQ(view.boxes[0].buttons, MessageButtons::YesNo);
        } else {
            EXPECT_TRUE(view.boxes.isEmpty());
        }
        view.answers.clear();
    }
}

TEST_F(ChannelWindowStateTest, CallInDialogModeOpensTheNumberPad)
{
    EnterDialog();
    state.CallCommand();
    EXPECT_EQ(view.calls, QStringList{"dial"});
    EXPECT_EQ(state.ChannelCommand(), ChannelCommands::None);
}
