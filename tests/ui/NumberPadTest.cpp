#include "ui/channel/txInpNum.h"

#include "platform/IniFile.h"
#include "tests/ui/ChannelWindowFixture.h"
#include "tests/ui/QtPrinters.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace korvane;

namespace {

// Types Text into Widget key by key, Cyrillic letters too.
void Type(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0,
                        Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

class NumberPadTest : public korvane::test::ChannelWindowFixture {
protected:
    QString IniPath() const { return QDir(dir.path()).filePath(QStringLiteral("KORVANE2.INI")); }
    QStringList Numbers() const
    {
        IniFile ini(IniPath());
        QStringList out;
        for (const QString& key : ini.ReadSection("NUMBERS"))
            out << key + u'=' + ini.ReadString("NUMBERS", key, QString());
        return out;
    }
    QPushButton* Key(TPasswordDlg& pad, const QString& caption)
    {
        for (QPushButton* key : pad.CharacterKeys)
            if (key->text() == caption)
                return key;
        return nullptr;
    }

    QTemporaryDir dir;
};

TEST_F(NumberPadTest, FormAndKeys)
{
    TPasswordDlg pad;
    EXPECT_EQ(pad.windowTitle(), QStringLiteral("Набор номера"));
    EXPECT_EQ(pad.Label1->text(), QStringLiteral("Введите номер абонента:"));
    QStringList captions;
    for (QPushButton* key : pad.CharacterKeys)
        captions << key->text();
    EXPECT_EQ(captions, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", ".", "-", "+",
                                     QStringLiteral("Ц")}));
    EXPECT_EQ(pad.ButtonClear->text(), QStringLiteral("&Clear"));
    EXPECT_EQ(pad.ButtonBackSp->text(), QStringLiteral("&BkSp"));
}

TEST_F(NumberPadTest, TypingPassesOnlyTheCharactersOfANumber)
{
    TPasswordDlg pad;
    Type(pad.ComboBox1->lineEdit(), QStringLiteral("12a /Ц?x-+.zЖ9"));
    EXPECT_EQ(pad.Number(), QStringLiteral("12Ц?-+.9"));
    QTest::keyClick(pad.ComboBox1->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(pad.Number(), QStringLiteral("12Ц?-+."));
    QTest::keyClicks(pad.ComboBox1->lineEdit(), QString(40, u'7'));
    EXPECT_EQ(pad.Number().size(), 30);
}

TEST_F(NumberPadTest, PastedTextPassesTheSameCheckAsTypedText)
{
    TPasswordDlg pad;
    QGuiApplication::clipboard()->setText(QStringLiteral("ABC 12/X"));
    pad.ComboBox1->lineEdit()->paste();
    EXPECT_EQ(pad.Number(), QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("+7-495.Ц?"));
    pad.ComboBox1->lineEdit()->paste();
    EXPECT_EQ(pad.Number(), QStringLiteral("+7-495.Ц?"));
}

TEST_F(NumberPadTest, KeysAreNotCompletedFromTheHistory)
{
    IniFile ini(IniPath());
    ini.WriteString("NUMBERS", "Number-1", "12345");
    TPasswordDlg pad;
    pad.LoadHistory(ini);
    pad.show();
    Key(pad, "1")->click();
    Key(pad, "2")->click();
    EXPECT_EQ(pad.Number(), QStringLiteral("12"));
    pad.ComboBox1->lineEdit()->setFocus();
    QTest::keyClicks(pad.ComboBox1->lineEdit(), QStringLiteral("3"));
    EXPECT_EQ(pad.Number(), QStringLiteral("123"));
}

TEST_F(NumberPadTest, OnScreenKeysTypeAtTheCaretAndClearEmptiesTheList)
{
    IniFile ini(IniPath());
    ini.WriteString("NUMBERS", "Number-1", "111");
    TPasswordDlg pad;
    pad.LoadHistory(ini);
    Key(pad, "4")->click();
    Key(pad, "-")->click();
    Key(pad, QStringLiteral("Ц"))->click();
    EXPECT_EQ(pad.Number(), QStringLiteral("4-Ц"));
    pad.ButtonBackSp->click();
    EXPECT_EQ(pad.Number(), QStringLiteral("4-"));
    pad.ButtonClear->click();
    EXPECT_EQ(pad.Number(), QString());
    EXPECT_EQ(pad.History(), QStringList());
}

TEST_F(NumberPadTest, OkAddsANewNumberToTheHistoryAndDialsIt)
{
    IniFile ini(IniPath());
    ini.WriteString("NUMBERS", "Number-1", "111");
    ini.WriteString("NUMBERS", "Number-2", "222=2");
    TPasswordDlg pad;
    pad.LoadHistory(ini);
    EXPECT_EQ(pad.History(), (QStringList{"111", "222=2"}));
    EXPECT_EQ(pad.Number(), QString());

    const QString thirty = QStringLiteral("123456789012345678901234567890");
    pad.ComboBox1->setEditText(thirty);
    pad.TakeNumber(ini, window->Window());

    EXPECT_EQ(Numbers(), (QStringList{"Number-1=111", "Number-2=222=2", "Number-3=" + thirty}));
    EXPECT_EQ(window->Window().Number(), thirty.left(24));
    EXPECT_EQ(window->ChannelCommand(), ChannelCommands::Dial);
}

TEST_F(NumberPadTest, KnownNumberIsNotAddedAgainButTheListIsWrittenBack)
{
    IniFile ini(IniPath());
    ini.WriteString("NUMBERS", "Number-5", "111");
    ini.WriteString("NUMBERS", "Number-9", "222");
    TPasswordDlg pad;
    pad.LoadHistory(ini);
    pad.ComboBox1->setEditText(QStringLiteral("222"));
    pad.TakeNumber(ini, window->Window());
    EXPECT_EQ(Numbers(), (QStringList{"Number-5=111", "Number-9=222", "Number-1=111", "Number-2=222"}));
}

TEST_F(NumberPadTest, EmptyNumberWritesNoHistoryButStillDials)
{
    IniFile ini(IniPath());
    TPasswordDlg pad;
    pad.LoadHistory(ini);
    window->Window().SetNumber(QStringLiteral("999"));
    pad.TakeNumber(ini, window->Window());
    EXPECT_FALSE(QFile::exists(IniPath()));
    EXPECT_EQ(window->Window().Number(), QString());
    EXPECT_EQ(window->ChannelCommand(), ChannelCommands::Dial);
}

TEST_F(NumberPadTest, AfterClearTheNewNumberTakesTheFirstKeyAndTheOthersStay)
{
    IniFile ini(IniPath());
    ini.WriteString("NUMBERS", "Number-1", "111");
    ini.WriteString("NUMBERS", "Number-2", "222");
    TPasswordDlg pad;
    pad.LoadHistory(ini);
    pad.ButtonClear->click();
    QTest::keyClicks(pad.ComboBox1->lineEdit(), QStringLiteral("333"));
    pad.TakeNumber(ini, window->Window());
    EXPECT_EQ(Numbers(), (QStringList{"Number-1=333", "Number-2=222"}));

    TPasswordDlg next;
    next.LoadHistory(ini);
    EXPECT_EQ(next.History(), (QStringList{"333", "222"}));
}

TEST_F(NumberPadTest, ChannelWindowRunsTheRealPadOnItsIni)
{
    ChannelWindowEnvironment env = Environment();
    env.DialNumber = nullptr;
    env.IniFileName = IniPath();
    TTxChannelWindow w(env);
    w.MessagesTimer()->stop();
    w.SetChannel(2);
    w.Window().SetDialogMode(true);

    QTimer operatorHand;
    operatorHand.setInterval(10);
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* pad = qobject_cast<TPasswordDlg*>(top); pad && pad->isVisible()) {
                operatorHand.stop();
                QTest::keyClicks(pad->ComboBox1->lineEdit(), QStringLiteral("7-12"));
                pad->OKBtn->click();
            }
    });
    operatorHand.start();
    w.CallCommand();

    EXPECT_EQ(w.Window().Number(), QStringLiteral("7-12"));
    EXPECT_EQ(w.ChannelCommand(), ChannelCommands::Dial);
    EXPECT_EQ(Numbers(), QStringList{"Number-1=7-12"});
}

} // namespace
