#include "ui/telegrams/txViewJrn.h"

#include "support/OemText.h"
#include "tests/ui/QtPrinters.h"
#include "ui/mainwindow/StatusPanels.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

class JournalViewTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)); }
    void Append(const QString& path, const QString& line)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(AnsiToOem(line) + "\r\n");
    }

    QTemporaryDir dir;
};

TEST_F(JournalViewTest, MissingJournalOpensEmptyAndShowsItsFirstLineOnTheNotice)
{
    const QString path = Path("TRANSM.JRN");
    TViewJrnForm view;
    view.SetChannel(2);
    view.ShowTransmitJournal(path);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Журнал передачи, 2 канал"));
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QString());
    EXPECT_EQ(view.JournalPath(), path);
    EXPECT_EQ(view.Kind(), TViewJrnForm::TransmitKind);

    Append(path, QStringLiteral("10.12.26 12:00  12345  Абонент занят"));
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QString()); // only the notice reloads
    view.RefreshJournal(2, TViewJrnForm::TransmitKind);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("10.12.26 12:00  12345  Абонент занят"));
    EXPECT_EQ(view.StatusBar1()->PanelText(0), path);
    EXPECT_EQ(view.StatusBar1()->PanelText(1), QString::asprintf("%3.3f K", 38 / 1024.0) + QStringLiteral("б"));
    EXPECT_FALSE(view.StatusBar1()->PanelText(2).isEmpty());
}

TEST_F(JournalViewTest, NoticesForAnotherJournalLeaveTheViewAlone)
{
    const QString path = Path("RECEIVE.JRN");
    Append(path, QStringLiteral("первая"));
    TViewJrnForm view;
    view.SetChannel(4);
    view.ShowReceiveJournal(path);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Журнал приема, 4 канал"));
    EXPECT_EQ(view.Kind(), TViewJrnForm::ReceiveKind);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("первая"));

    Append(path, QStringLiteral("вторая"));
    view.RefreshJournal(4, TViewJrnForm::TransmitKind);
    view.RefreshJournal(3, TViewJrnForm::ReceiveKind);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("первая"));
    view.RefreshJournal(4, TViewJrnForm::ReceiveKind);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("первая\nвторая"));
}

TEST_F(JournalViewTest, AJournalThatGoesAwayLeavesTheTextShown)
{
    const QString path = Path("T.JRN");
    Append(path, QStringLiteral("строка"));
    TViewJrnForm view;
    view.SetChannel(1);
    view.ShowTransmitJournal(path);
    ASSERT_TRUE(QFile::remove(path));
    view.RefreshJournal(1, TViewJrnForm::TransmitKind);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("строка"));
}

// A journal view follows a journal of many thousand lines: a notice reads
// what was appended, not the whole file again.
TEST_F(JournalViewTest, ANoticeAddsOnlyTheAppendedLines)
{
    const QString path = Path("TRANSM.JRN");
    for (int i = 1; i <= 20; ++i)
        Append(path, QStringLiteral("строка %1 журнала передачи").arg(i, 2));
    TViewJrnForm view;
    view.SetChannel(1);
    view.ShowTransmitJournal(path);
    ASSERT_EQ(view.RichEdit1()->document()->blockCount(), 20);

    // A mark on the first line shown: a view that adds what is new keeps
    // it, one that reads and shows the whole file again loses it.
    view.RichEdit1()->document()->firstBlock().setUserState(7);
    Append(path, QStringLiteral("новая строка"));
    view.RefreshJournal(1, TViewJrnForm::TransmitKind);
    const QStringList shown = view.RichEdit1()->toPlainText().split(u'\n');
    ASSERT_EQ(shown.size(), 21);
    EXPECT_EQ(shown.first(), QStringLiteral("строка  1 журнала передачи"));
    EXPECT_EQ(shown.last(), QStringLiteral("новая строка"));
    EXPECT_EQ(view.RichEdit1()->document()->firstBlock().userState(), 7);
    EXPECT_FALSE(view.RichEdit1()->isUndoRedoEnabled());
}

// A journal written over in place with other lines before its last ones:
// the view shows the file as it is now, not the lines it read before.
TEST_F(JournalViewTest, AJournalRewrittenInPlaceIsShownAsItIsNow)
{
    const QString path = Path("TRANSM.JRN");
    for (int i = 1; i <= 20; ++i)
        Append(path, QStringLiteral("строка %1 журнала передачи").arg(i, 2));
    TViewJrnForm view;
    view.SetChannel(1);
    view.ShowTransmitJournal(path);
    ASSERT_EQ(view.RichEdit1()->document()->blockCount(), 20);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(0));
        f.write(AnsiToOem(QStringLiteral("С")));
    }
    Append(path, QStringLiteral("новая строка"));
    view.RefreshJournal(1, TViewJrnForm::TransmitKind);
    const QStringList shown = view.RichEdit1()->toPlainText().split(u'\n');
    ASSERT_EQ(shown.size(), 21);
    EXPECT_EQ(shown.first(), QStringLiteral("Строка  1 журнала передачи"));
    EXPECT_EQ(shown[1], QStringLiteral("строка  2 журнала передачи"));
    EXPECT_EQ(shown.last(), QStringLiteral("новая строка"));
}

TEST_F(JournalViewTest, ALineWrittenInPiecesShowsOnceAndANewJournalReplacesTheText)
{
    const QString path = Path("RECEIVE.JRN");
    Append(path, QStringLiteral("первая"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(AnsiToOem(QStringLiteral("вто")));
    }
    TViewJrnForm view;
    view.SetChannel(2);
    view.ShowReceiveJournal(path);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("первая\nвто"));
    Append(path, QStringLiteral("рая"));
    view.RefreshJournal(2, TViewJrnForm::ReceiveKind);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("первая\nвторая"));

    // The next day's journal under the same name.
    ASSERT_TRUE(QFile::remove(path));
    Append(path, QStringLiteral("новая"));
    view.RefreshJournal(2, TViewJrnForm::ReceiveKind);
    EXPECT_EQ(view.RichEdit1()->toPlainText(), QStringLiteral("новая"));
}

TEST_F(JournalViewTest, TheFileDateReadsAsTheJournalWritesItsDates)
{
    const QString path = Path("T.JRN");
    Append(path, QStringLiteral("строка"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)), QFileDevice::FileModificationTime));
    }
    TViewJrnForm view;
    view.SetChannel(1);
    view.ShowTransmitJournal(path);
    EXPECT_EQ(view.StatusBar1()->PanelText(2), QStringLiteral("10-дек-26 09:05:07"));
}

} // namespace
