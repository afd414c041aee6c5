// The operator writes a telegram the way the menus lead: "Создание
// телеграммы" from the menu bar, the number and the text typed into the
// editor, "Отправить" from the editor's menu; the telegram goes out on the
// line to station 2345 and lands in the transmit journal.

#include "tests/e2e/MenuPath.h"
#include "tests/e2e/WatchedLineRig.h"
#include "tests/ui/TypeKeys.h"

#include "platform/CodePages.h"
#include "ui/channel/TxChWind.h"
#include "ui/telegrams/TxEdit.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::MenuItem;
using korvane::test::ReadFile;
using korvane::test::TypeKeys;

namespace {

class OperatorSendsTelegramTest : public korvane::test::WatchedLineRig {
protected:
    // "Создание телеграммы" as the menu bar offers it: the channel window's
    // "Телеграмма" item while a channel window is in front, otherwise the
    // main menu's item with its channel sub-items.
    QAction* CreateTelegramItem() const
    {
        QMenuBar* bar = program->MainForm().menuBar();
        QAction* item = MenuItem(bar, {QStringLiteral("Телеграмма"), QStringLiteral("Создание телеграммы")});
        if (item && item->menu())
            item = MenuItem(bar, {QStringLiteral("Телеграмма"), QStringLiteral("Создание телеграммы"),
                                  QStringLiteral("Канал 1")});
        return item;
    }

    TEditForm* FrontEditor() const
    {
        QMdiSubWindow* sub = program->MainForm().MdiArea()->currentSubWindow();
        return sub ? qobject_cast<TEditForm*>(sub->widget()) : nullptr;
    }
};

TEST_F(OperatorSendsTelegramTest, TelegramTypedInTheEditorGoesOutAndIsJournalled)
{
    if (QStringList missing; !korvane::test::AllElementsBuilt(missing))
        GTEST_SKIP() << "element classes not built yet: " << missing.join(QStringLiteral(", ")).toStdString();
    // The operator's telegram is the only one on the line.
    ASSERT_TRUE(StartWithNothingQueued());
    TMainForm& form = program->MainForm();

    QAction* create = nullptr;
    ASSERT_TRUE(RunUntil([&] { return (create = CreateTelegramItem()) && create->isEnabled(); }, 10))
        << "no enabled \"Создание телеграммы\" in the menu bar";
    create->trigger();
    QPointer<TEditForm> editor = FrontEditor();
    ASSERT_TRUE(editor);
    const QString fileName = editor->FileName();
    EXPECT_EQ(QFileInfo(fileName).absolutePath(), QFileInfo(outgoing).absoluteFilePath());
    EXPECT_EQ(editor->Channel(), 1);

    // The number into the address line above the caret, then the text.
    TEditMemo* memo = editor->Memo1();
    QTest::keyClick(memo, Qt::Key_Up);
    QTest::keyClick(memo, Qt::Key_End);
    TypeKeys(memo, QStringLiteral("2345"));
    QTest::keyClick(memo, Qt::Key_Down);
    TypeKeys(memo, QStringLiteral("zczc"));
    QTest::keyClick(memo, Qt::Key_Return);
    TypeKeys(memo, QStringLiteral("телеграмма набрана оператором"));
    QTest::keyClick(memo, Qt::Key_Return);
    TypeKeys(memo, QStringLiteral("nnnn"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("|      #2345\nzczc\nтелеграмма набрана оператором\nnnnn"));

    // "Отправить" of the editor's menu, merged into the menu bar.
    QAction* send = MenuItem(form.menuBar(), {QStringLiteral("Редактор"), QStringLiteral("Отправить")});
    ASSERT_TRUE(send);
    ASSERT_TRUE(send->isEnabled());
    send->trigger();
    EXPECT_TRUE(box.texts().isEmpty()) << box.texts().join(u'|').toStdString();
    ASSERT_TRUE(RunUntil([&] { return editor.isNull(); }, 5)) << "the editor stays open after sending";

    // Called, sent, kept as the transmission record.
    const QString record = fileName.chopped(4) + QStringLiteral(".TRS");
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(record); }, 90))
        << "log:\n" << Log().toStdString() << "line:\n" << line->Transcript().text().toStdString();
    EXPECT_FALSE(QFile::exists(fileName));
    const QString kept = codepage::fromCp866(ReadFile(record));
    EXPECT_TRUE(kept.contains(QStringLiteral("ТЕЛЕГРАММА НАБРАНА ОПЕРАТОРОМ"))) << kept.toStdString();

    // The station took it: selected by its number, the text on the line.
    EXPECT_TRUE(line->Transcript().texts({QStringLiteral("connect")}).contains(QStringLiteral("connect 2345")))
        << line->Transcript().text().toStdString();
    const QString sent = line->SentText();
    EXPECT_TRUE(sent.contains(QStringLiteral("2345")));
    EXPECT_TRUE(sent.contains(QStringLiteral("ZCZC")));
    EXPECT_TRUE(sent.contains(QStringLiteral("ТЕЛЕГРАММА НАБРАНА ОПЕРАТОРОМ"))) << sent.toStdString();
    EXPECT_TRUE(sent.contains(QStringLiteral("NNNN")));

    // The journal's line: the number, the file, the outcome.
    ASSERT_TRUE(RunUntil([&] { return ReadFile(transmitJournal).contains("#2345"); }, 20))
        << ReadFile(transmitJournal).toStdString();
    const QString journal = codepage::fromCp866(ReadFile(transmitJournal));
    EXPECT_TRUE(journal.contains(QFileInfo(fileName).fileName())) << journal.toStdString();
    EXPECT_TRUE(journal.contains(QStringLiteral("Успешно"))) << journal.toStdString();
}

} // namespace
