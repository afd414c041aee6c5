#include "ui/telegrams/TxEdit.h"

#include "platform/CodePages.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeSystemBeep.h"
#include "tests/fakes/TestFiles.h"
#include "tests/ui/QtPrinters.h"
#include "ui/telegrams/EditorPrinting.h"
#include "ui/mainwindow/StatusPanels.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>

using namespace korvane;
using korvane::test::FakeMessageBox;
using korvane::test::FakeSystemBeep;

namespace {

class EditorTest : public ::testing::Test {
protected:
    EditorTest()
    {
        EditorEnvironment env;
        env.Box = &box;
        env.Beep = &beep;
        env.ChooseSaveFile = [this](const QString& preset) {
            saveDialogPresets << preset;
            return chosenFile;
        };
        editor = std::make_unique<TEditForm>(env);
        fileName = TEditForm::TelegramFileName(dir.path(), 12);
    }

    QByteArray FileBytes() const
    {
        return korvane::test::ReadFileBytes(fileName);
    }
    void SetText(const QString& text)
    {
        editor->Memo1()->setPlainText(text);
        editor->Memo1()->document()->setModified(true);
    }
    QString Text() const { return editor->Memo1()->toPlainText(); }

    QTemporaryDir dir;
    FakeMessageBox box;
    FakeSystemBeep beep;
    QStringList saveDialogPresets;
    QString chosenFile;
    QString fileName;
    std::unique_ptr<TEditForm> editor;
};

// ---- A new telegram ----

TEST_F(EditorTest, NewTelegramStartsWithAnEmptyAddressLine)
{
    EXPECT_EQ(fileName, QDir(dir.path()).filePath(QStringLiteral("TEL00012.TLG")));
    editor->StartTelegram(fileName, 2, QString());
    EXPECT_EQ(editor->windowTitle(), fileName);
    EXPECT_EQ(Text(), QStringLiteral("|      #\n"));
    EXPECT_EQ(editor->CaretOffset(), 10);
    EXPECT_EQ(editor->StatusBar1()->PanelText(0), QStringLiteral("Номер: "));
    EXPECT_EQ(editor->StatusBar1()->PanelText(1), QStringLiteral("Канал №2"));
    EXPECT_FALSE(editor->Memo1()->document()->isModified());

    EXPECT_TRUE(editor->close());
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_FALSE(QFile::exists(fileName));
}

TEST_F(EditorTest, SubscribersNumberGoesIntoTheAddressLine)
{
    editor->StartTelegram(fileName, 1, QStringLiteral("12345"));
    EXPECT_EQ(Text(), QStringLiteral("|      #12345\n"));
    EXPECT_EQ(editor->CaretOffset(), 10); // inside the line: 5-digit number
    EXPECT_EQ(editor->StatusBar1()->PanelText(0), QStringLiteral("Номер: 12345"));
    EXPECT_EQ(TEditForm::TelegramFileName(QStringLiteral("/out"), 123456),
              QStringLiteral("/out/TEL123456.TLG"));
}

TEST_F(EditorTest, CtrlEnterAddsAnAddressLineAndKeepsTheCaretInItsPlace)
{
    SetText(QStringLiteral("ABC\nDEF"));
    editor->SetCaretOffset(6); // before 'E'
    QTest::keyClick(editor->Memo1(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Text(), QStringLiteral("|      #\nABC\nDEF"));
    EXPECT_EQ(editor->CaretOffset(), 16);
    EXPECT_EQ(editor->Memo1()->textCursor().block().text(), QStringLiteral("DEF"));
    EXPECT_EQ(editor->Memo1()->textCursor().positionInBlock(), 1);
    EXPECT_FALSE(editor->SkipLineFeed());
}

TEST_F(EditorTest, AnAddressLineAddedToATelegramBeingWrittenIsAChangeToKeep)
{
    editor->StartTelegram(fileName, 1, QStringLiteral("5"));
    editor->SetCaretOffset(11);
    QTest::keyClicks(editor->Memo1(), QStringLiteral("text"));
    QTest::keyClick(editor->Memo1(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(editor->Memo1()->document()->isModified());
    editor->SetCaretOffset(8);
    QTest::keyClicks(editor->Memo1(), QStringLiteral("7"));
    editor->show();

    box.answers.push_back(MessageResult::Yes);
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("Сохранить изменения в '") + fileName + QStringLiteral("'?")});
    EXPECT_EQ(FileBytes(), QByteArray("|      #7\r\n|      #5\r\nTEXT\r\n"));
}

TEST_F(EditorTest, ShiftEnterStartsAWholeNewLine)
{
    QTest::keyClicks(editor->Memo1(), QStringLiteral("AB"));
    QTest::keyClick(editor->Memo1(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(editor->Memo1(), QStringLiteral("CD"));
    EXPECT_EQ(editor->Memo1()->blockCount(), 2);
    EXPECT_EQ(Text(), QStringLiteral("AB\nCD"));
    EXPECT_EQ(editor->CaretOffset(), 6);
}

// ---- The line width ----

TEST_F(EditorTest, TypingBeepsNearTheLineEndAndBreaksAfterThe69thCharacter)
{
    QTest::keyClicks(editor->Memo1(), QString(80, u'a'));
    EXPECT_EQ(beep.beeps, 8);
    EXPECT_EQ(Text(), QString(69, u'a') + u'\n' + QString(11, u'a'));
}

TEST_F(EditorTest, WidthIsCountedOnTheCaretsLine)
{
    SetText(QString(68, u'b') + QStringLiteral("\nshort"));
    editor->SetCaretOffset(68);
    QTest::keyClick(editor->Memo1(), Qt::Key_C);
    EXPECT_EQ(Text(), QString(68, u'b') + QStringLiteral("c\n\nshort"));
    EXPECT_EQ(beep.beeps, 1);
}

TEST_F(EditorTest, TypingPastTheLineEndNeverBreaksAnAddressLine)
{
    const QString address = QStringLiteral("|      #1111111/#2222222/#3333333/#4444444/#5555555/#6666666/#7");
    SetText(address + QStringLiteral("\nTEXT"));
    editor->SetCaretOffset(static_cast<int>(address.size()));
    const QString more = QStringLiteral("777777/#8888888");
    QTest::keyClicks(editor->Memo1(), more);
    EXPECT_EQ(Text(), address + more + QStringLiteral("\nTEXT"));
    // The text under the address lines still breaks.
    editor->Memo1()->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor->Memo1(), QString(70, u'z'));
    EXPECT_EQ(Text().section(u'\n', 1), QStringLiteral("TEXT") + QString(65, u'z') + u'\n' + QString(5, u'z'));
}

TEST_F(EditorTest, SendSplitsLongLinesAfterConfirmationButNeverAnAddressLine)
{
    const QString address = QStringLiteral("|      #1111111/#2222222/#3333333/#4444444/#5555555/#6666666/#7777777/#88");
    ASSERT_GT(address.size(), 69);
    SetText(address + u'\n' + QString(150, u'x'));
    editor->SetFileName(fileName);
    editor->SendTelegram();

    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("В тексте телеграммы были произведены изменения.\r"
                                                 "Коррекция длины строк. Продолжить отправку телеграммы?"));
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::YesNo);
    const QByteArray expected = address.toLatin1() + "\r\n" + QByteArray(69, 'X') + "\r\n"
                                + QByteArray(69, 'X') + "\r\n" + QByteArray(12, 'X') + "\r\n";
    EXPECT_EQ(FileBytes(), expected);
}

TEST_F(EditorTest, SendAnsweredNoKeepsTheSplitLinesAndWritesNothing)
{
    SetText(QStringLiteral("|      #1\n") + QString(70, u'y'));
    editor->SetFileName(fileName);
    box.answers.push_back(MessageResult::No);
    editor->SendTelegram();
    EXPECT_EQ(Text(), QStringLiteral("|      #1\n") + QString(69, u'y') + QStringLiteral("\ny"));
    EXPECT_FALSE(QFile::exists(fileName));
}

// ---- Writing ----

TEST_F(EditorTest, SavedFileHoldsTheUpperCasedTextInTheOemCodePage)
{
    editor->StartTelegram(fileName, 1, QString());
    EXPECT_EQ(editor->CaretOffset(), 10); // the text's line, below the address
    editor->Memo1()->insertPlainText(QStringLiteral("телекс"));
    editor->SetCaretOffset(8); // the number after the mark
    QTest::keyClicks(editor->Memo1(), QStringLiteral("123"));
    EXPECT_EQ(Text(), QStringLiteral("|      #123\nтелекс"));
    ASSERT_TRUE(editor->SaveTelegram());

    EXPECT_EQ(FileBytes(), QByteArray("|      #123\r\n\x92\x85\x8B\x85\x8A\x91\r\n"));
    EXPECT_FALSE(editor->Memo1()->document()->isModified());
    EXPECT_EQ(Text(), QStringLiteral("|      #123\nТЕЛЕКС"));
}

TEST_F(EditorTest, UpperCaseTurnsTheUkrainianIIntoTheLatinOne)
{
    SetText(QStringLiteral("|      #5\nabc іІ ёж"));
    editor->SetFileName(fileName);
    ASSERT_TRUE(editor->SaveTelegram());
    EXPECT_EQ(codepage::fromCp866(FileBytes()), QStringLiteral("|      #5\r\nABC II ЁЖ\r\n"));
}

TEST_F(EditorTest, BlockedNumbersAreActivatedAgainOnSave)
{
    SetText(QStringLiteral("|      ~123/*456\nTEXT"));
    editor->SetFileName(fileName);
    ASSERT_TRUE(editor->SaveTelegram());
    EXPECT_EQ(Text(), QStringLiteral("|      #123/*456\nTEXT"));
    EXPECT_EQ(FileBytes(), QByteArray("|      #123/*456\r\nTEXT\r\n"));
}

TEST_F(EditorTest, AddressErrorsShowTheirMessageAndTheFaultPositionAndWriteNothing)
{
    struct Case {
        QString text;
        QString message;
        int caret;
    };
    ASSERT_LT(fileName.size(), 79);
    const Case cases[] = {
        {QStringLiteral("TEXT\n|      #1"), QStringLiteral(" неверный или отсутствующий заголовок"), 0},
        {QStringLiteral("|      #1\n|     #12\nX"), QStringLiteral(" недостаточно пробелов перед номером абонента"), 20},
        {QStringLiteral("|      #12a\nX"), QStringLiteral(" неверное значение номера абонента"), 11},
    };
    for (const Case& c : cases) {
        box.shown.clear();
        SetText(c.text);
        editor->SetFileName(fileName);
        EXPECT_FALSE(editor->SaveTelegram());
        ASSERT_EQ(box.shown.size(), 1) << c.text.toStdString();
        EXPECT_EQ(box.shown[0].text, QStringLiteral("В файле ") + fileName + c.message);
        EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(editor->CaretOffset(), c.caret) << c.text.toStdString();
        EXPECT_FALSE(QFile::exists(fileName));
    }
    // Sending such a text shows the same and keeps the editor.
    box.shown.clear();
    SetText(QStringLiteral("TEXT"));
    editor->show();
    editor->SendTelegram();
    EXPECT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(QFile::exists(fileName));
}

TEST_F(EditorTest, CtrlF3ChecksAndRebuildsTheAddressLinesWithoutWriting)
{
    SetText(QStringLiteral("|      ~77\n|      #1(ABC\nX"));
    editor->SetFileName(fileName);
    QTest::keyClick(editor->Memo1(), Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(Text(), QStringLiteral("|      #77\n|      #1(ABC\nX"));
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("В файле ") + fileName
                                       + QStringLiteral(" после '(' отсутствует ')' в заголовке")});
    EXPECT_EQ(editor->CaretOffset(), 25);
    EXPECT_FALSE(QFile::exists(fileName));

    box.shown.clear();
    SetText(QStringLiteral("|      #77\nX"));
    QTest::keyClick(editor->Memo1(), Qt::Key_F3, Qt::ControlModifier);
    EXPECT_TRUE(box.shown.isEmpty());
}

// ---- Code pages ----

TEST_F(EditorTest, RecodingGoesOnceEachWayAndUpperCases)
{
    // Upper case is a matter of the Cyrillic page: text shown as DOS bytes is
    // upper-cased once converted, text going to DOS before it is converted,
    // so no byte of the DOS page is taken for a letter it is not.
    // "ПРИВЕТ" in CP866 bytes, shown as CP1251 characters.
    const QString oemShown = codepage::fromCp1251(codepage::toCp866(QStringLiteral("ПРИВЕТ")));
    SetText(oemShown);
    editor->Memo1()->document()->setModified(false);
    editor->TranslDOS_WINClick();
    EXPECT_EQ(Text(), QStringLiteral("ПРИВЕТ"));
    EXPECT_EQ(editor->TranslState(), 1);
    EXPECT_TRUE(editor->Memo1()->document()->isModified());
    EXPECT_FALSE(editor->TranslDosWinAction()->isEnabled());
    EXPECT_TRUE(editor->TranslWinDosAction()->isEnabled());
    editor->TranslDOS_WINClick();
    EXPECT_EQ(Text(), QStringLiteral("ПРИВЕТ"));

    editor->Memo1()->setPlainText(QStringLiteral("привет"));
    editor->TranslWIN_DOSClick();
    EXPECT_EQ(Text(), oemShown);
    EXPECT_EQ(editor->TranslState(), -1);
    EXPECT_TRUE(editor->TranslDosWinAction()->isEnabled());
    EXPECT_FALSE(editor->TranslWinDosAction()->isEnabled());
}

// ---- Saving under a name, closing ----

TEST_F(EditorTest, ReadOnlyFileIsNamedAndTheSaveDialogOffered)
{
    {
        QFile f(fileName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::setPermissions(fileName, QFile::ReadOwner));
    SetText(QStringLiteral("|      #1\nX"));
    editor->SetFileName(fileName);
    chosenFile = QDir(dir.path()).filePath(QStringLiteral("copy.txt"));
    editor->Save1Click();
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("TEL00012.TLG только для чтения")});
    EXPECT_EQ(saveDialogPresets, QStringList{fileName});
    EXPECT_EQ(editor->FileName(), chosenFile);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("copy.txt"));
    EXPECT_TRUE(QFile::exists(chosenFile));
}

TEST_F(EditorTest, ClosingWithChangesAsksAndFollowsTheAnswer)
{
    editor->StartTelegram(fileName, 1, QStringLiteral("5"));
    editor->SetCaretOffset(11);
    QTest::keyClicks(editor->Memo1(), QStringLiteral("text"));
    editor->show();

    box.answers.push_back(MessageResult::Cancel);
    EXPECT_FALSE(editor->close());
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("Сохранить изменения в '") + fileName + QStringLiteral("'?")});
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::YesNoCancel);

    box.answers.push_back(MessageResult::Yes);
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(FileBytes(), QByteArray("|      #5\r\nTEXT\r\n"));
}

TEST_F(EditorTest, ClosingWithChangesAnsweredNoWritesNothing)
{
    editor->StartTelegram(fileName, 1, QString());
    QTest::keyClicks(editor->Memo1(), QStringLiteral("9"));
    editor->show();
    box.answers.push_back(MessageResult::No);
    EXPECT_TRUE(editor->close());
    EXPECT_FALSE(QFile::exists(fileName));
}

// ---- Printing ----

TEST_F(EditorTest, DosPrintWritesTheLinesInTheOemCodePageToTheFirstPort)
{
    const QString device = dir.filePath(QStringLiteral("lpt1"));
    qputenv("KORVANE_LPT1", device.toUtf8());
    SetText(QStringLiteral("ZCZC\nтелекс"));
    editor->DOSPrint();
    editor->DOSPrint();
    qunsetenv("KORVANE_LPT1");

    const QByteArray once("ZCZC\r\n\xE2\xA5\xAB\xA5\xAA\xE1\r\n");
    QTRY_COMPARE(korvane::test::ReadFileBytes(device), once + once);
    EXPECT_TRUE(box.shown.isEmpty());
}

// The port's failures come back as boxes; a port that blocks (a FIFO that
// nobody reads) holds up neither the editor nor the main thread.
TEST_F(EditorTest, APortThatCannotBeOpenedIsNamedInABox)
{
    struct Case {
        const char* name;
        bool (*make)(const QString& path);
    };
    const Case cases[] = {
        {"a folder where the port should be", [](const QString& p) { return QDir().mkdir(p); }},
        {"a FIFO that nobody reads",
         [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        box.shown.clear();
        const QString device = dir.filePath(QStringLiteral("lpt%1").arg(++n));
        ASSERT_TRUE(c.make(device));
        qputenv("KORVANE_LPT1", device.toUtf8());
        SetText(QStringLiteral("ZCZC"));
        QElapsedTimer took;
        took.start();
        editor->DOSPrint();
        qunsetenv("KORVANE_LPT1");
        // Well inside the port's deadline, ten times what a busy machine
        // takes to return: a window that waited for the device would wait
        // for ever, or until the deadline.
        EXPECT_LT(took.elapsed(), 10000);
        QTRY_COMPARE(box.texts(), QStringList{QStringLiteral("Ошибка открытия файла ") + device});
        EXPECT_EQ(box.shown.value(0).icon, MessageIcon::Error);
    }
}

TEST(EditorPrinting, EveryLineIsPrintedPageAfterPage)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("printout.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QStringList lines = {QStringLiteral("ZCZC 12"), QStringLiteral("ПЕРВАЯ СТРОКА")};
    for (int i = 0; i < 120; ++i)
        lines << QStringLiteral("СТРОКА %1").arg(i + 3);
    lines << QStringLiteral("NNNN");
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(12);
    PrintLines(printer, lines, font);

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& line : {lines.first(), lines.at(1), lines.at(60), lines.last()})
        EXPECT_TRUE(printed.contains(line)) << line.toStdString();
    // More lines than a page holds: a form feed between pages.
    EXPECT_GE(printed.count(u'\f'), 2) << printed.toStdString();
}

TEST_F(EditorTest, MenusOfTheEditor)
{
    QStringList file;
    for (QAction* a : editor->FileMenu()->actions())
        if (!a->isSeparator())
            file << a->text();
    EXPECT_EQ(file, (QStringList{"&Закрыть", "&Сохранить", "Сохранить &Как...", "&Установки печати..."}));
    QStringList editorItems;
    for (QAction* a : editor->EditorMenu()->actions())
        if (!a->isSeparator())
            editorItems << a->text();
    EXPECT_EQ(editorItems, (QStringList{"Вырезать", "&Скопировать", "Вклеить", "Удалить", "&Выделить Все",
                                        "Отправить", "В&лево", "В&право", "По &центру", "Перенос &слов",
                                        "&Шрифт..."}));
    QStringList popup;
    for (QAction* a : editor->MemoPopUp()->actions())
        if (!a->isSeparator())
            popup << a->text();
    EXPECT_EQ(popup, (QStringList{"Вырезать", "Скопировать", "Вклеить", "Перекодировка WIN->DOS",
                                  "Перекодировка DOS->WIN", "Отправить"}));

    SetText(QStringLiteral("abc"));
    editor->UpdateEditItems();
    EXPECT_FALSE(editor->EditorMenu()->actions()[0]->isEnabled()); // nothing selected
    EXPECT_FALSE(editor->MemoPopUp()->actions()[1]->isEnabled());
    editor->Memo1()->selectAll();
    editor->UpdateEditItems();
    EXPECT_TRUE(editor->EditorMenu()->actions()[0]->isEnabled());
    EXPECT_TRUE(editor->MemoPopUp()->actions()[1]->isEnabled()); // "Скопировать"

    editor->WordWrapAction()->trigger();
    EXPECT_EQ(editor->Memo1()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_TRUE(editor->WordWrapAction()->isChecked());
}

} // namespace
