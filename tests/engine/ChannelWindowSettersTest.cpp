#include "ChannelWindowStateFixture.h"

#include <QLocale>

using namespace korvane;
using korvane::test::ChannelWindowStateTest;

TEST_F(ChannelWindowStateTest, CallInfoFillsItsFourPanels)
{
    state.SetCallInfo("TEL00012.TLG", "2345", "МОСКВА ЦЕНТР", "ABC RU");
    state.SetCallInfo("", "", "", "");
    EXPECT_EQ(view.calls, (QStringList{
                              "status1.0 TEL00012.TLG",
                              "status1.1 #2345",
                              "status1.2 МОСКВА ЦЕНТР",
                              "status2.5 ABC RU",
                              "status1.0 ",
                              "status1.1 ",
                              "status1.2 ",
                              "status2.5 ",
                          }));
}

TEST_F(ChannelWindowStateTest, TheAnswerBackIsShownWithoutItsMarks)
{
    state.SetAnswerBackAndProtocol("<_$KORV^123*ТЛГ@", "АТ-1");
    EXPECT_EQ(view.calls, (QStringList{"status2.0 KORV123ТЛГ@", "status2.1 АТ-1"}));
    view.Forget();
    state.SetTelegramFile("TEL00003.PTC");
    EXPECT_EQ(view.calls, QStringList{"status2.4 TEL00003.PTC"});
}

TEST_F(ChannelWindowStateTest, NameCountersAndTimeAreShownOnlyWhenTheyChange)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    state.SetElementName("Пауза");
    state.SetElementName("Пауза");
    state.SetElementName("Набор номера");
    state.SetTxCount(0);  // the counters start at 0
    state.SetTxCount(17);
    state.SetTxCount(17);
    state.SetRxCount(-3);
    state.SetRxCount(-3);
    state.SetConnectionTime(QTime(0, 0));
    state.SetConnectionTime(QTime(0, 1, 5));
    state.SetConnectionTime(QTime(0, 1, 5));
    EXPECT_EQ(view.calls, (QStringList{
                              "status1.3 Пауза",
                              "status1.3 Набор номера",
                              "status2.2 17",
                              "status2.3 -3",
                              "status1.6 00:01:05",
                          }));
    QLocale::setDefault(before);
}

TEST_F(ChannelWindowStateTest, TextAreaOperationsReachTheMemo)
{
    state.AddText("строка");
    state.SendMemoChar(u'Я');
    state.ClearText();
    state.SetAlarmColor(true);
    state.SetAlarmColor(false);
    state.SetLedLight(ChannelLed::Rx, true);
    state.SetLedAutoBlink(ChannelLed::Tx, true);
    EXPECT_EQ(view.calls, (QStringList{"line строка", "char Я", "clear", "memo red", "memo normal",
                                       "rx light 1", "tx blink 1"}));
}

TEST_F(ChannelWindowStateTest, AdapterInfoIsShownAsThreeLines)
{
    AdapterStatus s;
    s.VersionMajor = 2;
    s.VersionMinor = 17;
    s.MemorySize = 3000000000u;
    s.ProgramPresent = true;
    state.ShowAdapterInfo(s);
    s.ProgramPresent = false;
    state.ShowAdapterInfo(s);
    EXPECT_EQ(view.calls, (QStringList{
                              "line Версия программы 2.17",
                              "line Объем памяти: 3000000000 байт",
                              "line Состояние внутренней программы: РАБОТАЕТ",
                              "line Версия программы 2.17",
                              "line Объем памяти: 3000000000 байт",
                              "line Состояние внутренней программы: ОТСУТСТВУЕТ",
                          }));
}

TEST_F(ChannelWindowStateTest, AdapterChannelStateNamesTheLineState)
{
    const QString names[] = {"ОЖИДАНИЕ", "ПРИЕМ", "РАССОЕДИНЕНИЕ", "ПАУЗА", "ИМПУЛЬС",
                             "ОЖИДАНИЕ ОТБОЯ", "ПЕРЕДАЧА АВТООТВЕТА", "ЛИНИЯ ПАССИВНА",
                             "КАНАЛ ПЕРЕКЛЮЧЕН НА IBM"};
    AdapterStatus s;
    s.FreeMemory = 4096;
    s.StoredCount = -2;
    for (std::uint8_t line = 0; line <= 9; ++line) {
        SCOPED_TRACE(int{line});
        view.Forget();
        s.LineState = line;
        state.ShowAdapterChannelState(s);
        QStringList expected;
        if (line <= 8)
            expected << "line Состояние телеграфного канала: " + names[line];
        expected << "line Объем свободной памяти: 4096 байт"
                 << "line Количество телеграмм в памяти: -2";
        EXPECT_EQ(view.calls, expected);
    }
}

TEST_F(ChannelWindowStateTest, AStoredTelegramHeaderIsShownFromItsWireBytes)
{
    const char wire[] = {7, 9, 3, 5, 0, 8, 4, 23, 0, 0x2C, 0x01};
    const auto header = StoredTelegramHeader::FromBytes(QByteArray(wire, sizeof wire));
    EXPECT_EQ(header.TextLength(), 300);
    state.ShowStoredTelegram(header);
    EXPECT_EQ(view.calls,
              QStringList{"line Телеграмма №7 от 05/03/09 23:04:08 Размер: 300 символа"});
}
