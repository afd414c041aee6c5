#include "ChannelWindowStateFixture.h"

using namespace korvane;
using korvane::test::ChannelWindowStateTest;

namespace {

ChannelActions Enabled(bool call, bool ask, bool answerBack, bool disconnect, bool control)
{
    ChannelActions a;
    a.Call = call;
    a.Ask = ask;
    a.AnswerBack = answerBack;
    a.Disconnect = disconnect;
    a.Control = control;
    return a;
}

struct StateCase {
    std::uint8_t state;
    ChannelActions actions;
    QString box;  // empty: none
};

const QString DialogCaption = QStringLiteral("Диалог - канал 1");

} // namespace

TEST_F(ChannelWindowStateTest, DialogModeEnablesTheActionsOfEachState)
{
    const StateCase cases[] = {
        {1, Enabled(true, false, false, false, true), "Получен отбой"},
        {0, Enabled(false, false, false, false, true), ""},
        {2, Enabled(true, false, false, false, true), ""},
        {3, Enabled(true, false, false, false, true), ""},
        {4, Enabled(false, false, false, true, true), ""},
        {5, Enabled(false, false, false, true, true), ""},
        {6, Enabled(false, false, false, true, true), ""},
        {7, Enabled(false, false, false, true, true), ""},
        {8, Enabled(false, true, true, true, true), "Соединение установлено"},
        {9, Enabled(false, false, false, false, true), ""},
        {14, Enabled(false, false, false, false, true), ""},
    };
    EnterDialog();
    for (const StateCase& c : cases) {
        SCOPED_TRACE(int{c.state});
        view.Forget();
        Show(c.state);
        EXPECT_EQ(state.ChannelState(), c.state);
        EXPECT_EQ(state.Actions(), c.actions);
        EXPECT_EQ(view.With("cursor"),
                  QStringList{c.state == 8 ? "cursor ibeam" : "cursor arrow"});
        EXPECT_EQ(view.BoxTexts(),
                  c.box.isEmpty() ? QStringList{} : QStringList{DialogCaption + u'\r' + c.box});
        EXPECT_TRUE(view.With("tx blink").isEmpty());
    }
}

TEST_F(ChannelWindowStateTest, ControlModeEnablesOnlyTheCallAndStopsTheTxBlinking)
{
    for (std::uint8_t s : {1, 2, 3, 4, 5, 6, 7, 8, 0}) {
        SCOPED_TRACE(int{s});
        view.Forget();
        Show(s);
        EXPECT_EQ(state.Actions(), Enabled(s != 0, false, false, false, false));
        EXPECT_EQ(view.With("tx blink"), QStringList{"tx blink 0"});
        EXPECT_TRUE(view.boxes.isEmpty());
        EXPECT_TRUE(view.With("cursor").isEmpty());
    }
}

TEST_F(ChannelWindowStateTest, AnAlarmStateKeepsTheFlagsRaisesTheAlarmAndShowsItsBox)
{
    struct AlarmCase {
        std::uint8_t state;
        QString text;
    };
    const AlarmCase alarms[] = {
        {10, "Нет подтверждения отбоя"},
        {11, "Линейный ток за допустимыми пределами"},
        {12, "Ошибка в файловой операции"},
        {13, "Ошибка в протоколе, канал остановлен"},
    };
    for (const bool dialog : {false, true}) {
        for (const AlarmCase& a : alarms) {
            SCOPED_TRACE(QStringLiteral("dialog %1 state %2").arg(dialog).arg(a.state).toStdString());
            test::RecordingChannelWindowView v;
            ChannelWindowState w(v);
            w.SetChannel(3);
            w.SetDialogMode(dialog);
            w.SetChannelState(ChannelStates::Calling);
            w.MessagesTimerTimer();
            const ChannelActions before = w.Actions();
            v.Forget();

            w.SetChannelState(a.state);
            w.MessagesTimerTimer();

            ChannelActions expected = before;
            expected.AlarmActive = true;
            EXPECT_EQ(w.Actions(), expected);
            const QString caption = dialog ? "Диалог - канал 3" : "Контроль - канал 3";
            ASSERT_EQ(v.boxes.size(), 1);
            EXPECT_EQ(v.boxes[0].text, caption + "\rАВАРИЯ 3-й канал\r" + a.text);
            EXPECT_EQ(v.boxes[0].icon, MessageIcon::Error);
            EXPECT_TRUE(v.With("tx blink").isEmpty());
        }
    }
}

TEST_F(ChannelWindowStateTest, TheFileOperationAlarmNamesTheFileWhoseWorkFailed)
{
    state.SetAlarmFile(QStringLiteral("/mail/in1/TLG00001.REC"));
    Show(ChannelStates::AlarmFileError);
    ASSERT_EQ(view.boxes.size(), 1);
    EXPECT_TRUE(view.boxes[0].text.endsWith("АВАРИЯ 1-й канал\rОшибка в файловой операции\r/mail/in1/TLG00001.REC"))
        << view.boxes[0].text.toStdString();
}

TEST_F(ChannelWindowStateTest, LeavingTheAlarmStatesClearsTheAlarm)
{
    Show(ChannelStates::AlarmLineCurrent);
    ASSERT_TRUE(state.AlarmActive());
    Show(ChannelStates::Idle);
    EXPECT_FALSE(state.AlarmActive());
    // Only the alarm states are alarms.
    Show(ChannelStates::AlarmProtocolStopped);
    view.Forget();
    Show(14);
    EXPECT_FALSE(state.AlarmActive());
    EXPECT_TRUE(view.boxes.isEmpty());

    EnterDialog();
    Show(ChannelStates::AlarmNoClearConfirm);
    ASSERT_TRUE(state.AlarmActive());
    Show(ChannelStates::WaitConnection);
    EXPECT_FALSE(state.AlarmActive());
}

TEST_F(ChannelWindowStateTest, ResetAlarmClearsOnlyTheAlarm)
{
    Show(ChannelStates::Calling);
    Show(ChannelStates::AlarmFileError);
    state.ResetAlarm();
    EXPECT_EQ(state.Actions(), Enabled(true, false, false, false, false));
}

TEST_F(ChannelWindowStateTest, ShowingTheConnectionInDialogModeEmptiesTheKeyRing)
{
    ASSERT_TRUE(state.KeyRing().Put(u"OLD"));
    Show(ChannelStates::Connected);  // Control mode: the ring stays
    EXPECT_EQ(state.KeyRing().Count(), 3);

    EnterDialog();
    Show(ChannelStates::Idle);
    ASSERT_TRUE(state.KeyRing().Put(u"STALE"));
    Show(ChannelStates::Connected);
    EXPECT_TRUE(state.KeyRing().IsEmpty());
    EXPECT_EQ(state.KeyRing().WritePosition(), 0);
}

TEST_F(ChannelWindowStateTest, AStateThatChangesAndReturnsBeforeTheTickShowsNothing)
{
    EnterDialog();
    Show(ChannelStates::Idle);
    view.Forget();
    const int actionChanges = view.actionsChanged;

    state.SetChannelState(ChannelStates::Calling);
    state.SetChannelState(ChannelStates::Idle);
    Tick();
    EXPECT_EQ(state.ChannelState(), ChannelStates::Idle);
    EXPECT_TRUE(view.calls.isEmpty());
    EXPECT_EQ(view.actionsChanged, actionChanges);
    EXPECT_TRUE(state.CallEnabled());
}

TEST_F(ChannelWindowStateTest, SwitchingTheModeSetsTheCaptionAndControlsAtOnce)
{
    Show(ChannelStates::Connected);
    view.Forget();

    state.SetDialogMode(true);
    EXPECT_TRUE(state.DialogMode());
    EXPECT_EQ(state.Caption(), "Диалог - канал 1");
    EXPECT_EQ(view.With("caption"), QStringList{"caption Диалог - канал 1"});
    EXPECT_EQ(view.BoxTexts(), QStringList{"Диалог - канал 1\rСоединение установлено"});
    EXPECT_EQ(state.Actions(), Enabled(false, true, true, true, true));

    view.Forget();
    state.SetDialogMode(false);
    EXPECT_EQ(state.Caption(), "Контроль - канал 1");
    EXPECT_EQ(state.Actions(), Enabled(true, false, false, false, false));
    EXPECT_TRUE(view.boxes.isEmpty());
}

TEST_F(ChannelWindowStateTest, SettingTheModeAlreadySetChangesNothing)
{
    Show(ChannelStates::Connected);
    EnterDialog();
    state.SetDialogMode(true);
    EXPECT_TRUE(view.calls.isEmpty());
    state.SetDialogMode(false);
    view.Forget();
    state.SetDialogMode(false);
    EXPECT_TRUE(view.calls.isEmpty());
}

TEST_F(ChannelWindowStateTest, TheAlarmWordBlinksInTheCaptionEverySecond)
{
    Show(ChannelStates::AlarmNoClearConfirm);  // tick 1
    EXPECT_EQ(state.Caption(), "Контроль - канал 1");
    Tick(8);
    EXPECT_EQ(state.Caption(), "Контроль - канал 1");
    Tick();  // tick 10
    EXPECT_EQ(state.Caption(), "Контроль - канал 1 АВАРИЯ!");
    Tick(10);
    EXPECT_EQ(state.Caption(), "Контроль - канал 1");
    Tick(10);
    EXPECT_EQ(state.Caption(), "Контроль - канал 1 АВАРИЯ!");

    // The mode's caption follows; once the alarm is over the word goes.
    state.SetDialogMode(true);
    Tick(10);
    EXPECT_EQ(state.Caption(), "Диалог - канал 1");
    Tick(10);
    EXPECT_EQ(state.Caption(), "Диалог - канал 1 АВАРИЯ!");
    Show(ChannelStates::Idle);
    EXPECT_EQ(state.Caption(), "Диалог - канал 1 АВАРИЯ!");
    Tick(9);
    EXPECT_EQ(state.Caption(), "Диалог - канал 1");
    Tick(30);
    EXPECT_EQ(state.Caption(), "Диалог - канал 1");
}
