// The subscriber directory's "Телеграмма" with no editor open: a new
// telegram of the current channel opens in the main window holding the
// chosen subscriber's address line alone, and it goes out as written.

#include "tests/e2e/WatchedLineRig.h"
#include "tests/ui/TypeKeys.h"

#include "directories/TxDataM.h"
#include "directories/dialogs/Txabnent.h"
#include "platform/CodePages.h"
#include "ui/mainwindow/FileCommands.h"
#include "ui/telegrams/TxEdit.h"

#include <QAction>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ReadFile;
using korvane::test::TypeKeys;

namespace {

class DirectoryTelegramTest : public korvane::test::WatchedLineRig {};

TEST_F(DirectoryTelegramTest, NewTelegramHoldsTheSubscribersAddressLineAloneAndGoesOut)
{
    if (QStringList missing; !korvane::test::AllElementsBuilt(missing))
        GTEST_SKIP() << "element classes not built yet: " << missing.join(QStringLiteral(", ")).toStdString();
    // Nothing else queued: the directory's telegram is the only one on the line.
    ASSERT_TRUE(StartWithNothingQueued());
    TMainForm& form = program->MainForm();
    QMdiArea* mdi = form.MdiArea();
    const auto editors = [mdi] {
        QList<TEditForm*> out;
        for (QMdiSubWindow* sub : mdi->subWindowList())
            if (auto* e = qobject_cast<TEditForm*>(sub->widget()))
                out << e;
        return out;
    };
    ASSERT_TRUE(editors().isEmpty());

    form.Files().ShowAbonents();
    TAbonentAddressDlg* directory = form.Files().AbonentsDialog();
    ASSERT_NE(directory, nullptr);
    ASSERT_TRUE(program->TxDataModule().AbonentQuery.Locate(u"ABONENT_No", QStringLiteral("2345")));
    QAction* telegram = directory->AbonentNoTlgAction();
    ASSERT_TRUE(RunUntil(
        [&] {
            directory->AbonentNoTlgActionUpdate();
            return telegram->isEnabled();
        },
        10));
    telegram->trigger();

    ASSERT_EQ(editors().size(), 1);
    QPointer<TEditForm> editor = editors().front();
    EXPECT_EQ(mdi->currentSubWindow()->widget(), editor.data());
    EXPECT_EQ(editor->Channel(), 1);
    const QString fileName = editor->FileName();
    EXPECT_EQ(QFileInfo(fileName).absolutePath(), QFileInfo(outgoing).absoluteFilePath());
    TEditMemo* memo = editor->Memo1();
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("|      #2345\n"));

    // The operator writes the text under it and sends.
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    TypeKeys(memo, QStringLiteral("zczc"));
    QTest::keyClick(memo, Qt::Key_Return);
    TypeKeys(memo, QStringLiteral("из справочника"));
    QTest::keyClick(memo, Qt::Key_Return);
    TypeKeys(memo, QStringLiteral("nnnn"));
    editor->SendTelegram();
    EXPECT_TRUE(box.texts().isEmpty()) << box.texts().join(u'|').toStdString();
    ASSERT_TRUE(RunUntil([&] { return editor.isNull(); }, 5)) << "the editor stays open after sending";

    const QString record = fileName.chopped(4) + QStringLiteral(".TRS");
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(record); }, 90))
        << "log:\n" << Log().toStdString() << "line:\n" << line->Transcript().text().toStdString();
    const QStringList kept = codepage::fromCp866(ReadFile(record)).split(QStringLiteral("\r\n"));
    ASSERT_GE(kept.size(), 2);
    EXPECT_EQ(kept[0], QStringLiteral("|      *2345")); // the one address line, its number done
    EXPECT_EQ(kept[1], QStringLiteral("ZCZC"));
    EXPECT_TRUE(line->Transcript().texts({QStringLiteral("connect")}).contains(QStringLiteral("connect 2345")))
        << line->Transcript().text().toStdString();
}

} // namespace
