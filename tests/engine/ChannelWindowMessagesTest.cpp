#include "ChannelWindowStateFixture.h"

using namespace korvane;
using korvane::test::ChannelWindowStateTest;

namespace {

const QString ControlCaption = QStringLiteral("Контроль - канал 1");

struct CodeCase {
    std::uint8_t code;
    QString message;  // empty: no box
    MessageIcon icon;
    bool opensNumberPad;
};

} // namespace

TEST_F(ChannelWindowStateTest, EachMessageCodeShowsItsBoxOnTheNextTick)
{
    const CodeCase cases[] = {
        {1, "Завершилась автоматическая работа", MessageIcon::Information, true},
        {2, "Завершилась автоматическая работа", MessageIcon::Information, false},
        {4, "", MessageIcon::None, false},
        {5, "", MessageIcon::None, false},
        {6, "Передан отбой", MessageIcon::Information, false},
        {7, "", MessageIcon::None, false},
        {8, "Получен отбой", MessageIcon::Information, false},
        {9, "Неверная команда", MessageIcon::Error, false},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(int{c.code});
        view.Forget();
        state.PostMessageCode(c.code);
        EXPECT_TRUE(view.boxes.isEmpty());
        Tick();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(view.boxes.isEmpty());
        } else {
            ASSERT_EQ(view.boxes.size(), 1);
            EXPECT_EQ(view.boxes[0].text, ControlCaption + u'\r' + c.message);
            EXPECT_EQ(view.boxes[0].icon, c.icon);
            EXPECT_EQ(view.boxes[0].buttons, MessageButtons::Ok);
        }
        EXPECT_EQ(!view.With("dial").isEmpty(), c.opensNumberPad);
        EXPECT_EQ(state.MessageCode(), 0);
        EXPECT_EQ(state.PendingMessageCode(), 0);
    }
}

TEST_F(ChannelWindowStateTest, NumberPadOpensAfterTheBoxWithTheControlActionEnabled)
{
    state.PostMessageCode(ChannelMessageCodes::DialogFromIdle);
    view.OnBox = [&] { EXPECT_TRUE(state.ControlEnabled()); };
    Tick();
    ASSERT_EQ(view.calls.size(), 2);
    EXPECT_TRUE(view.calls[0].startsWith("box "));
    EXPECT_EQ(view.calls[1], "dial");
}

TEST_F(ChannelWindowStateTest, OfTwoCodesPostedBeforeATickOnlyTheLaterIsShown)
{
    state.PostMessageCode(ChannelMessageCodes::Cleared);
    state.PostMessageCode(ChannelMessageCodes::Refused);
    Tick(3);
    EXPECT_EQ(view.BoxTexts(), QStringList{ControlCaption + "\rНеверная команда"});
}

TEST_F(ChannelWindowStateTest, TwoEqualCodesGiveOneBox)
{
    state.PostMessageCode(ChannelMessageCodes::PartnerCleared);
    state.PostMessageCode(ChannelMessageCodes::PartnerCleared);
    Tick(3);
    EXPECT_EQ(view.boxes.size(), 1);
}

TEST_F(ChannelWindowStateTest, ACodePostedWhileABoxIsOpenIsDroppedWhenItCloses)
{
    state.PostMessageCode(ChannelMessageCodes::Cleared);
    view.OnBox = [&] {
        // The box's own loop runs the window's timer; the box step is kept out.
        EXPECT_EQ(state.MessageCode(), ChannelMessageCodes::Cleared);
        state.PostMessageCode(ChannelMessageCodes::PartnerCleared);
        Tick(2);
    };
    Tick();
    Tick(3);
    EXPECT_EQ(view.BoxTexts(), QStringList{ControlCaption + "\rПередан отбой"});
    EXPECT_EQ(state.MessageCode(), 0);
    EXPECT_EQ(state.PendingMessageCode(), 0);
}

TEST_F(ChannelWindowStateTest, OfStatesChangedWhileABoxIsOpenOnlyTheLastIsShown)
{
    state.PostMessageCode(ChannelMessageCodes::Refused);
    view.OnBox = [&] {
        state.SetChannelState(ChannelStates::Calling);
        Tick();
        state.SetChannelState(ChannelStates::Dialling);
        Tick();
        state.SetChannelState(ChannelStates::Idle);
        Tick();
        EXPECT_EQ(state.ChannelState(), ChannelStates::Stopped);
    };
    Tick();
    // The box step ran on to the state after the box closed.
    EXPECT_EQ(state.ChannelState(), ChannelStates::Idle);
    EXPECT_TRUE(state.CallEnabled());
}

TEST_F(ChannelWindowStateTest, WhileShuttingDownACodeShowsNothingAndStaysForTheShutDown)
{
    view.shuttingDown = true;
    state.PostMessageCode(ChannelMessageCodes::Cleared);
    Tick(2);
    EXPECT_TRUE(view.boxes.isEmpty());
    EXPECT_EQ(state.MessageCode(), ChannelMessageCodes::Cleared);
    // A later code takes its place, still unshown.
    state.PostMessageCode(ChannelMessageCodes::Refused);
    Tick();
    EXPECT_EQ(state.MessageCode(), ChannelMessageCodes::Refused);
    EXPECT_TRUE(view.boxes.isEmpty());
}

TEST_F(ChannelWindowStateTest, WhileShuttingDownNoStateOrAdapterBoxIsShown)
{
    EnterDialog();
    view.shuttingDown = true;
    state.SetAdapterTimeout();
    Show(ChannelStates::Connected);
    Show(ChannelStates::AlarmFileError);
    EXPECT_TRUE(view.boxes.isEmpty());
    EXPECT_TRUE(state.AlarmActive());
}

TEST_F(ChannelWindowStateTest, ATickTakesAdapterFlagsThenTheCodeThenTheState)
{
    EnterDialog();
    state.SetChannelState(ChannelStates::Connected);
    state.PostMessageCode(ChannelMessageCodes::Cleared);
    state.SetAdapterLoadError();
    state.SetAdapterTimeout();
    EXPECT_TRUE(state.AdapterTimeout());
    EXPECT_TRUE(state.AdapterLoadError());
    Tick();
    const QString caption = QStringLiteral("Диалог - канал 1");
    EXPECT_EQ(view.BoxTexts(), (QStringList{
                                   "Тайм-аут при работе с TARVELOX-01",
                                   "Ошибка загрузки программы в TARVELOX-01",
                                   caption + "\rПередан отбой",
                                   caption + "\rСоединение установлено",
                               }));
    EXPECT_EQ(view.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(view.boxes[1].icon, MessageIcon::Error);
    EXPECT_FALSE(state.AdapterTimeout());
    EXPECT_FALSE(state.AdapterLoadError());
    Tick(2);
    EXPECT_EQ(view.boxes.size(), 4);
}
