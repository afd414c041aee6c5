#include "tests/ui/ChannelWindowFixture.h"
#include "tests/ui/QtPrinters.h"

#include "engine/ChannelKeyRing.h"
#include "widgets/LayoutScale.h"
#include "ui/channel/ODLED.h"
#include "ui/mainwindow/StatusPanels.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace korvane;
using korvane::test::ChannelWindowFixture;

namespace {

using ChannelWindowViewTest = ChannelWindowFixture;

// ---- Captions, panels, LEDs ----

TEST_F(ChannelWindowViewTest, CaptionFollowsTheModeAndTheChannel)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Контроль - канал 3"));
    window->Window().SetDialogMode(true);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Диалог - канал 3"));
    window->Window().SetDialogMode(false);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Контроль - канал 3"));
}

TEST_F(ChannelWindowViewTest, DriverNewsFillTheirPanels)
{
    ChannelWindow& w = window->Window();
    w.SetCallInfo(QStringLiteral("TEL00012.TLG"), QStringLiteral("12345"), QStringLiteral("МОСКВА"),
                  QStringLiteral("12345 ABC"));
    w.SetAnswerBackAndProtocol(QStringLiteral("*АБВ$ XYZ<<_"), QStringLiteral("Абонент"));
    w.SetTxCount(17);
    w.SetRxCount(4);
    w.SetTelegramFile(QStringLiteral("DLG00003.PTC"));
    w.SetElementName(QStringLiteral("Пауза"));
    w.SetConnectionTime(QTime(0, 1, 5));

    StatusPanels* bar1 = window->StatusBar1();
    StatusPanels* bar2 = window->StatusBar2();
    EXPECT_EQ(bar1->PanelText(0), QStringLiteral("TEL00012.TLG"));
    EXPECT_EQ(bar1->PanelText(1), QStringLiteral("#12345"));
    EXPECT_EQ(bar1->PanelText(2), QStringLiteral("МОСКВА"));
    EXPECT_EQ(bar1->PanelText(3), QStringLiteral("Пауза"));
    EXPECT_TRUE(bar1->PanelText(6).contains(QStringLiteral("1:05"))) << bar1->PanelText(6).toStdString();
    EXPECT_EQ(bar2->PanelText(0), QStringLiteral("АБВ XYZ"));
    EXPECT_EQ(bar2->PanelText(1), QStringLiteral("Абонент"));
    EXPECT_EQ(bar2->PanelText(2), QStringLiteral("17"));
    EXPECT_EQ(bar2->PanelText(3), QStringLiteral("4"));
    EXPECT_EQ(bar2->PanelText(4), QStringLiteral("DLG00003.PTC"));
    EXPECT_EQ(bar2->PanelText(5), QStringLiteral("12345 ABC"));

    w.SetCallInfo(QString(), QString(), QString(), QString());
    EXPECT_EQ(bar1->PanelText(1), QString());
}

TEST_F(ChannelWindowViewTest, PanelsLedsAndProgressBarSitWhereTheBarsSay)
{
    // The laid-out widths, in the bars' font (the step panel widened to 200
    // for the longest step names).
    StatusPanels* bar1 = window->StatusBar1();
    const LayoutScale scale(bar1->font());
    const QList<int> widths1 = {80, 70, 150, 200, 15, 15, 60, 100};
    const QList<int> widths2 = {130, 170, 40, 40, 80, 50};
    ASSERT_EQ(bar1->PanelCount(), 8);
    ASSERT_EQ(window->StatusBar2()->PanelCount(), 6);
    int left[8] = {};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(bar1->PanelWidth(i), scale.X(widths1[i]));
        if (i > 0)
            left[i] = left[i - 1] + scale.X(widths1[i - 1]);
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(window->StatusBar2()->PanelWidth(i), scale.X(widths2[i]));

    TODLedLittle* tx = window->TxLed();
    TODLedLittle* rx = window->RxLed();
    EXPECT_EQ(tx->parentWidget(), bar1);
    EXPECT_EQ(tx->pos(), QPoint(left[4] + scale.X(5), scale.Y(7)));
    EXPECT_EQ(rx->pos(), QPoint(left[5] + scale.X(5), scale.Y(7)));
    for (TODLedLittle* led : {tx, rx}) {
        EXPECT_EQ(led->LedColorOff(), lcDarkRed);
        EXPECT_EQ(led->LedColorOn(), lcRed);
        EXPECT_FALSE(led->Light());
    }
    window->Window().SetLedLight(ChannelLed::Tx, true);
    window->Window().SetLedAutoBlink(ChannelLed::Rx, true);
    EXPECT_TRUE(tx->Light());
    EXPECT_EQ(tx->ShownColor(), lcRed);
    EXPECT_FALSE(rx->Light());
    EXPECT_TRUE(rx->AutoBlink());

    window->resize(700, 300);
    window->show();
    QProgressBar* bar = window->ProgressBar1();
    EXPECT_EQ(bar->parentWidget(), bar1);
    EXPECT_EQ(bar->x(), left[7]);
    EXPECT_EQ(bar->width(), scale.X(100) - 2);
    EXPECT_EQ(bar->y(), 1);
    EXPECT_EQ(bar->height(), bar1->height() - 2);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(ChannelWindowViewTest, EngineProgressShowsMovesAndHidesTheBar)
{
    window->show();
    ChannelWindow& w = window->Window();
    w.SetProgressMax(120);
    w.SetProgressActive(true);
    Tick();
    EXPECT_TRUE(window->ProgressBar1()->isVisible());
    EXPECT_EQ(window->ProgressBar1()->maximum(), 120);
    w.AdvanceProgressPosition();
    w.AdvanceProgressPosition();
    Tick();
    EXPECT_EQ(window->ProgressBar1()->value(), 2);
    w.SetProgressActive(false);
    Tick();
    EXPECT_FALSE(window->ProgressBar1()->isVisible());
}

struct HintCase {
    int bar;
    int panel;  // the mouse at the panel's left ...
    int offset; // ... and this far into it (-1: its last pixel)
    const char16_t* hint;
};

TEST_F(ChannelWindowViewTest, StatusBarHintsNameThePanelUnderTheMouse)
{
    const HintCase cases[] = {
        {1, 0, 0, u"Файл телеграммы"},
        {1, 0, -1, u"Файл телеграммы"},
        {1, 1, 0, u"Номер вызываемого абонента"},
        {1, 3, 20, u"Текущий элеменит протокола"},
        {1, 4, 5, u"Светодиод передачи"},
        {1, 5, 5, u"Светодиод приема"},
        {1, 6, 10, u"Продолжительность соединения"},
        {1, 7, 2000, u"Продолжительность соединения"}, // the last panel keeps the hint it had
        {2, 0, 10, u"Автоответ канала"},
        {2, 1, 20, u"Текущий телеграфный протокол"},
        {2, 2, 10, u"Счетчик символов передачи"},
        {2, 3, 10, u"Счетчик символов приема"},
        {2, 4, 10, u"Файл протокола телеграммы"},
        {2, 5, 10, u"Файл протокола телеграммы"}, // panel 5 has none
    };
    for (const HintCase& c : cases) {
        StatusPanels* bar = c.bar == 1 ? window->StatusBar1() : window->StatusBar2();
        const int x = bar->PanelRect(c.panel).left() + (c.offset < 0 ? bar->PanelWidth(c.panel) - 1 : c.offset);
        bar->MouseMovedTo(x);
        EXPECT_EQ(bar->Hint(), QString::fromUtf16(c.hint)) << c.bar << " x=" << x;
    }
}

// ---- Key routing ----

TEST_F(ChannelWindowViewTest, ControlModeRefusesTypingWithTheChimeAndItsBox)
{
    QTest::keyClick(window->Memo(), Qt::Key_A);
    EXPECT_EQ(chimes, 1);
    ASSERT_EQ(channelBox.shown.size(), 1);
    EXPECT_EQ(channelBox.shown[0].text,
              QStringLiteral("Контроль - канал 3\rВ режиме \"Контроль\" передача невозможна!\r"
                             "Необходимо перейти в режим \"Диалог\", выбрав команду \"Вызов\" (F9)"));
    EXPECT_EQ(channelBox.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(channelBox.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(window->Memo()->toPlainText(), QString());
    EXPECT_EQ(Ring(), QString());
    EXPECT_GE(soundOffs, 1);
}

TEST_F(ChannelWindowViewTest, DialogModeWithoutConnectionRefusesTyping)
{
    Engine(true, ChannelStates::Dialling);
    channelBox.shown.clear();
    QTest::keyClick(window->Memo(), Qt::Key_1);
    EXPECT_EQ(chimes, 1);
    EXPECT_EQ(channelBox.texts(),
              QStringList{QStringLiteral("Диалог - канал 3\rСоединение не установлено. Передача невозможна!")});
    EXPECT_EQ(Ring(), QString());
}

TEST_F(ChannelWindowViewTest, ConnectedDialogSendsPlainKeysAndKeepsTheOthersLocal)
{
    Engine(true, ChannelStates::Connected);
    EXPECT_EQ(channelBox.texts(), QStringList{QStringLiteral("Диалог - канал 3\rСоединение установлено")});
    TTxMemo* memo = window->Memo();

    QTest::keyClicks(memo, QStringLiteral("ab"));
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(memo->toPlainText(), QString()); // the engine shows what it sends
    EXPECT_EQ(Ring(), QStringLiteral("ab\r\n"));

    QTest::keyClick(memo, 'A', Qt::ShiftModifier);
    QTest::keyClick(memo, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("A5"));
    QTest::keyClick(memo, Qt::Key_Backspace);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("A"));
    QTest::keyClick(memo, Qt::Key_F2);
    EXPECT_EQ(Ring(), QString());
    EXPECT_EQ(chimes, 0);
}

TEST_F(ChannelWindowViewTest, EngineCharactersLandAtTheEndWhereverTheCaretIs)
{
    ChannelWindow& w = window->Window();
    for (QChar c : QStringLiteral("ABC\rDE"))
        w.SendMemoChar(c);
    QTextCursor start = window->Memo()->textCursor();
    start.setPosition(0);
    window->Memo()->setTextCursor(start);
    w.SendMemoChar(u'F');
    EXPECT_EQ(window->Memo()->toPlainText(), QStringLiteral("ABC\nDEF"));
    EXPECT_EQ(window->State().Column(), 3);
    w.AddText(QStringLiteral("Версия программы 1.2"));
    EXPECT_EQ(window->Memo()->toPlainText(), QStringLiteral("ABC\nDEF\nВерсия программы 1.2\n"));
    w.ClearText();
    EXPECT_EQ(window->Memo()->toPlainText(), QString());
}

// A line busy for days: the text keeps its last lines and no undo history,
// and what the engine shows still lands at the end.
TEST_F(ChannelWindowViewTest, TheTextKeepsItsLastLinesAndNoUndoHistory)
{
    ChannelWindow& w = window->Window();
    const int lines = TTxMemo::LineLimit + 50;
    for (int i = 1; i <= lines; ++i) {
        for (QChar c : QStringLiteral("LINE %1").arg(i))
            w.SendMemoChar(c);
        w.SendMemoChar(u'\r');
    }
    w.SendMemoChar(u'Z');
    QTextDocument* doc = window->Memo()->document();
    EXPECT_EQ(doc->blockCount(), TTxMemo::LineLimit);
    EXPECT_EQ(doc->lastBlock().text(), QStringLiteral("Z"));
    EXPECT_EQ(doc->lastBlock().previous().text(), QStringLiteral("LINE %1").arg(lines));
    EXPECT_EQ(doc->firstBlock().text(), QStringLiteral("LINE %1").arg(lines - TTxMemo::LineLimit + 2));
    EXPECT_FALSE(doc->isUndoAvailable());
    EXPECT_EQ(window->State().Column(), 1);
}

TEST_F(ChannelWindowViewTest, AKeyAtTheLineEndStartsANewLineFirst)
{
    for (int i = 0; i < 69; ++i)
        window->Window().SendMemoChar(u'X');
    Engine(true, ChannelStates::Connected);
    QTest::keyClick(window->Memo(), Qt::Key_Return);
    EXPECT_EQ(Ring(), QStringLiteral("\r\n\r\n"));
}

TEST_F(ChannelWindowViewTest, AKeyRefusedByAFullRingIsHeard)
{
    Engine(true, ChannelStates::Connected);
    channelBox.shown.clear();
    const QString waiting(ChannelKeyRing::Size - 1, u'a');
    QTest::keyClicks(window->Memo(), waiting);
    EXPECT_EQ(chimes, 0);
    QTest::keyClick(window->Memo(), Qt::Key_B);
    EXPECT_EQ(chimes, 1);
    EXPECT_TRUE(channelBox.shown.isEmpty());
    EXPECT_EQ(Ring(), waiting);
    QTest::keyClick(window->Memo(), Qt::Key_B);
    EXPECT_EQ(chimes, 1);
    EXPECT_EQ(Ring(), QStringLiteral("b"));
}

TEST_F(ChannelWindowViewTest, BellActionTypesTheBellMark)
{
    Engine(true, ChannelStates::Connected);
    window->BellKey();
    EXPECT_EQ(Ring(), QStringLiteral("\\"));
    Engine(false, ChannelStates::Idle);
    channelBox.shown.clear();
    window->BellKey();
    EXPECT_EQ(Ring(), QString());
    EXPECT_EQ(channelBox.shown.size(), 1);
}

// ---- Paste ----

TEST_F(ChannelWindowViewTest, PasteConfirmsTheTextAsTheLineWillCarryIt)
{
    window->show();
    Engine(true, ChannelStates::Connected);
    QApplication::clipboard()->setText(QStringLiteral("abc 12\r\nпр"));
    window->PasteFromClipboard();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("Вы уверены, что хотите передать следующий текст:\rABC 12\r\nПР"));
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(window->State().PasteText(), QStringLiteral("ABC 12\r\nПР"));
    EXPECT_FALSE(window->CanPaste());
    EXPECT_TRUE(window->ProgressBar1()->isVisible());
    EXPECT_EQ(window->ProgressBar1()->maximum(), 10);

    Tick(3);
    EXPECT_EQ(Ring(), QStringLiteral("ABC"));
    EXPECT_EQ(window->ProgressBar1()->value(), 3);
    // The connection ends: the tick that notices it still feeds one
    // character, the next drops the rest and hides the bar.
    window->Window().SetChannelState(ChannelStates::Clearing);
    Tick();
    EXPECT_EQ(Ring(), QStringLiteral(" "));
    Tick();
    EXPECT_EQ(window->State().PasteText(), QString());
    EXPECT_FALSE(window->ProgressBar1()->isVisible());
    EXPECT_EQ(Ring(), QString());
}

// Ctrl+V in the text goes through the paste command and nowhere else:
// refused in Control mode as typing is, and never put on the screen
// without going to the line.
TEST_F(ChannelWindowViewTest, PasteKeysGoThroughThePasteCommandOnly)
{
    window->show();
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    for (bool dialog : {false, true}) {
        SCOPED_TRACE(dialog);
        Engine(dialog, ChannelStates::Connected);
        box.shown.clear();
        const QString before = window->Memo()->toPlainText();
        QTest::keyClick(window->Memo(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(window->Memo(), Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(window->Memo()->toPlainText(), before);
        EXPECT_EQ(window->State().PasteText(), dialog ? QStringLiteral("ABC") : QString());
        EXPECT_EQ(box.shown.size(), dialog ? 1 : 0);
    }
    EXPECT_FALSE(window->Memo()->acceptDrops());
}

TEST_F(ChannelWindowViewTest, PasteShowsShiftMarksWhenTheModeSaysSo)
{
    GlobalModes.ModeDriver = DriverMode::ShowShiftMarks;
    Engine(true, ChannelStates::Connected);
    QApplication::clipboard()->setText(QStringLiteral("ab12"));
    box.answers.push_back(MessageResult::No);
    window->PasteFromClipboard();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("Вы уверены, что хотите передать следующий текст:\r$AB^12"));
    EXPECT_EQ(window->State().PasteText(), QString()); // answered No
}

TEST_F(ChannelWindowViewTest, LongClipboardTextIsCutAndEmptyOneIgnored)
{
    Engine(true, ChannelStates::Connected);
    QApplication::clipboard()->setText(QString(1500, u'a'));
    window->PasteFromClipboard();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("Вы уверены, что хотите передать следующий текст:\r") + QString(1000, u'A'));
    // A second paste while the first is typed does nothing.
    window->PasteFromClipboard();
    EXPECT_EQ(box.shown.size(), 1);

    QApplication::clipboard()->clear();
    TTxChannelWindow other(Environment());
    other.PasteFromClipboard();
    EXPECT_EQ(box.shown.size(), 1);
}

// ---- Codes, states and the alarm ----

TEST_F(ChannelWindowViewTest, MessageCodesShowTheirBoxesAndCodeOneOpensThePad)
{
    Engine(true, ChannelStates::Idle);
    window->Window().PostMessageCode(ChannelMessageCodes::DialogFromIdle);
    Tick();
    EXPECT_EQ(channelBox.texts(),
              QStringList{QStringLiteral("Диалог - канал 3\rЗавершилась автоматическая работа")});
    EXPECT_EQ(pads, 1);
    window->Window().PostMessageCode(ChannelMessageCodes::Refused);
    Tick();
    ASSERT_EQ(channelBox.shown.size(), 2);
    EXPECT_EQ(channelBox.shown[1].text, QStringLiteral("Диалог - канал 3\rНеверная команда"));
    EXPECT_EQ(channelBox.shown[1].icon, MessageIcon::Error);
}

TEST_F(ChannelWindowViewTest, AlarmShowsItsBoxAndBlinksTheCaption)
{
    Engine(false, ChannelStates::AlarmLineCurrent);
    EXPECT_EQ(channelBox.texts(),
              QStringList{QStringLiteral("Контроль - канал 3\rАВАРИЯ 3-й канал\r"
                                         "Линейный ток за допустимыми пределами")});
    EXPECT_TRUE(window->AlarmActive());
    Tick(9);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Контроль - канал 3 АВАРИЯ!"));
    Tick(10);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Контроль - канал 3"));
    Tick(10);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Контроль - канал 3 АВАРИЯ!"));
    window->Window().SetChannelState(ChannelStates::Idle);
    Tick(10);
    EXPECT_FALSE(window->AlarmActive());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Контроль - канал 3"));
}

TEST_F(ChannelWindowViewTest, FlagsOfTheLineActionsFollowTheState)
{
    int changes = 0;
    QObject::connect(window.get(), &TTxChannelWindow::LineActionsChanged, [&] { ++changes; });
    Engine(true, ChannelStates::Connected);
    EXPECT_TRUE(window->AskEnabled());
    EXPECT_TRUE(window->AnswerBackEnabled());
    EXPECT_TRUE(window->DisconnectEnabled());
    EXPECT_TRUE(window->ControlEnabled());
    EXPECT_FALSE(window->CallEnabled());
    EXPECT_TRUE(window->CanPaste());
    EXPECT_GT(changes, 0);
    Engine(false, ChannelStates::Idle);
    EXPECT_TRUE(window->CallEnabled());
    EXPECT_FALSE(window->DisconnectEnabled());
    EXPECT_FALSE(window->CanPaste());
}

TEST_F(ChannelWindowViewTest, BoxesAskedForFromAnEngineCallWaitForTheTimer)
{
    // Shown state 8 in Control mode, then the driver switches to Dialog:
    // the box of state 8 comes from inside the driver's call, where its lock
    // may be held, so it opens on the next tick instead.
    Engine(false, ChannelStates::Connected);
    ASSERT_TRUE(channelBox.shown.isEmpty());
    window->Window().SetDialogMode(true);
    EXPECT_TRUE(channelBox.shown.isEmpty());
    EXPECT_TRUE(window->AskEnabled());
    Tick();
    EXPECT_EQ(channelBox.texts(), QStringList{QStringLiteral("Диалог - канал 3\rСоединение установлено")});
}

TEST_F(ChannelWindowViewTest, NoChannelBoxWhileTheProgramCloses)
{
    closing = true;
    Engine(true, ChannelStates::Connected);
    window->Window().PostMessageCode(ChannelMessageCodes::Cleared);
    Tick();
    Engine(true, ChannelStates::AlarmNoClearConfirm);
    window->Window().SetAdapterTimeout();
    Tick();
    QTest::keyClick(window->Memo(), Qt::Key_A);
    EXPECT_TRUE(channelBox.shown.isEmpty());
    EXPECT_EQ(window->MessageCode(), ChannelMessageCodes::Cleared); // kept for the shut-down
}

// ---- Commands ----

TEST_F(ChannelWindowViewTest, CallInControlModeAsksBeforeInterruptingWork)
{
    Engine(false, ChannelStates::Calling);
    channelBox.answers.push_back(MessageResult::No);
    window->CallCommand();
    EXPECT_EQ(channelBox.texts(),
              QStringList{QStringLiteral("Контроль - канал 3\rИдет автоматическая работа. Прервать работу?")});
    EXPECT_EQ(channelBox.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(window->ChannelCommand(), 0);
    window->CallCommand();
    EXPECT_EQ(window->ChannelCommand(), ChannelCommands::Call);

    window->SetChannelCommand(0);
    Engine(false, ChannelStates::Idle);
    channelBox.shown.clear();
    window->CallCommand();
    EXPECT_TRUE(channelBox.shown.isEmpty());
    EXPECT_EQ(window->ChannelCommand(), ChannelCommands::Call);
}

TEST_F(ChannelWindowViewTest, DialogCommandsWriteTheCommandByte)
{
    window->AskAnswerBackCommand();
    EXPECT_EQ(window->ChannelCommand(), 0);
    window->RestartCommand();
    EXPECT_EQ(window->ChannelCommand(), ChannelCommands::Restart);
    Engine(true, ChannelStates::Connected);
    const std::pair<void (TTxChannelWindow::*)(), std::uint8_t> commands[] = {
        {&TTxChannelWindow::AskAnswerBackCommand, ChannelCommands::AskAnswerBack},
        {&TTxChannelWindow::AnswerBackCommand, ChannelCommands::AnswerBack},
        {&TTxChannelWindow::DisconnectCommand, ChannelCommands::Disconnect},
        {&TTxChannelWindow::ControlModeCommand, ChannelCommands::ControlMode},
    };
    for (const auto& [command, value] : commands) {
        (window.get()->*command)();
        EXPECT_EQ(window->ChannelCommand(), value);
    }
    window->CallCommand();
    EXPECT_EQ(pads, 1);
}

// ---- Menus ----

TEST_F(ChannelWindowViewTest, MenusCarryTheMainWindowsActionsAndThePopupTogglesTheBars)
{
    QAction call(QStringLiteral("Вызов"));
    QAction discon(QStringLiteral("Отбой"));
    QAction create(QStringLiteral("Создание телеграммы"));
    ChannelWindowEnvironment env = Environment();
    env.Actions.CallAction1 = &call;
    env.Actions.DisconAction1 = &discon;
    env.Actions.CreateTlgAction = &create;
    TTxChannelWindow w(env);

    EXPECT_EQ(w.TeletypeMenu()->title(), QStringLiteral("&Телетайп"));
    EXPECT_EQ(w.TeletypeMenu()->actions(), (QList<QAction*>{&call, &discon}));
    EXPECT_EQ(w.TelegramMenu()->title(), QStringLiteral("Телеграмма"));
    EXPECT_EQ(w.TelegramMenu()->actions(), QList<QAction*>{&create});

    QStringList popup;
    for (QAction* a : w.PopupMenu()->actions())
        popup << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(popup, (QStringList{"-", QStringLiteral("Скрыть строку состояния"), "-",
                                  QStringLiteral("&Телетайп"), "-", QStringLiteral("Телеграмма")}));
    EXPECT_EQ(w.PopupMenu()->actions()[3]->menu()->actions(), (QList<QAction*>{&call, &discon}));

    w.PopupStatusAction()->trigger();
    EXPECT_TRUE(w.StatusBar1()->isHidden());
    EXPECT_TRUE(w.StatusBar2()->isHidden());
    EXPECT_EQ(w.PopupStatusAction()->text(), QStringLiteral("Показать панель состояния"));
    w.PopupStatusAction()->trigger();
    EXPECT_FALSE(w.StatusBar1()->isHidden());
    EXPECT_EQ(w.PopupStatusAction()->text(), QStringLiteral("Скрыть панель состояния"));
}

} // namespace
