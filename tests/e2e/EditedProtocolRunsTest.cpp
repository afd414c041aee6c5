// A protocol value changed on page "Элементы" of "Настройки канала 1" runs on
// the line: the operator opens the dialog through the menus, types a new
// preamble into the value box of step "Передача преамбулы" and leaves it,
// presses OK; the protocol file holds the new text, the channels start
// anew, and the next call sends the new preamble to the station.

#include "tests/e2e/MenuPath.h"
#include "tests/e2e/WatchedLineRig.h"
#include "tests/ui/TypeKeys.h"

#include "protocols/TxProtoc.h"
#include "support/OemText.h"
#include "ui/settings/ProtocolEditorPage.h"
#include "ui/mainwindow/SettingsCommands.h"
#include "ui/settings/TxOption.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace korvane;
using korvane::test::MenuItem;
using korvane::test::TypeKeys;

namespace {

const QString PreambleStep = QStringLiteral("Передача преамбулы");
const QString BuiltInPreamble = QStringLiteral("<_ DO NOT INTERRUPT - KORVANE IS WORKING <_");
const QString NewPreamble = QStringLiteral("<_ PREAMBLE SET BY THE OPERATOR <_");

class EditedProtocolRunsTest : public korvane::test::WatchedLineRig {
protected:
    // A click on the list's item with Text, as the operator picks it.
    static void ClickItem(QListWidget* list, const QString& text)
    {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        list->scrollToItem(found.front());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
        ASSERT_EQ(list->currentItem(), found.front()) << text.toStdString();
    }

    // How often the port side raised DTR: at least once for every opening.
    int PortOpenings() const
    {
        int openings = 0;
        bool dtr = false;
        for (const serial::SimSerialDevice::LineChange& c : line->Device()->lineChanges()) {
            if (c.dtr && !dtr)
                ++openings;
            dtr = c.dtr;
        }
        return openings;
    }

    // The preamble channel 1 runs by the protocol file.
    QString PreambleOnDisk()
    {
        korvane::test::FakeMessageBox storeBox;
        TProtocol store(storeBox);
        store.SetProName(folder + QStringLiteral("KORVANE2.PRO"));
        store.SetIniName(folder + QStringLiteral("KORVANE2.INI"));
        std::unique_ptr<TProtocolSet> set;
        EXPECT_TRUE(store.LoadFrom(set)) << storeBox.texts().join(u'|').toStdString();
        const TProtocolRec* protocol = set ? set->protocolOfChannel(1) : nullptr;
        const TElementRec* step = protocol ? protocol->findStep(PreambleStep) : nullptr;
        const TParamValue* value = step ? step->param(QStringLiteral("Строка")) : nullptr;
        return value ? value->Value : QStringLiteral("(no value)");
    }

    // What the operator does in the dialog, then OK.
    int OperateDialog(QDialog& dialog)
    {
        auto* options = qobject_cast<TMultPageDlg*>(&dialog);
        if (!options) {
            ADD_FAILURE() << "not the channel options dialog";
            return QDialog::Rejected;
        }
        dialogCaption = options->windowTitle();
        // Modal, as exec() shows it: no other window takes the focus.
        options->setModal(true);
        options->show();
        options->activateWindow();
        // Activation comes from the window system a moment later.
        if (!QTest::qWaitFor([options] { return QApplication::activeWindow() == options; })) {
            ADD_FAILURE() << "the dialog never became active";
            return QDialog::Rejected;
        }
        QTabBar* tabs = options->OptionsPageControl()->tabBar();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == QStringLiteral("Элементы"))
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
        QTabWidget* pages = options->OptionsPageControl();
        EXPECT_EQ(pages->tabText(pages->currentIndex()), QStringLiteral("Элементы"));
        TProtocolEditorPage* page = options->ElementsEditor();
        EXPECT_TRUE(page->FElementsShown);

        ClickItem(page->ElementListBox(), PreambleStep);
        ClickItem(page->ParametrListBox(), QStringLiteral("Строка"));
        QComboBox* value = page->ValueTblComboBox();
        loadedText = value->currentText();

        // Into the box, the old text selected and typed over, then Tab.
        QTest::mouseClick(value, Qt::LeftButton);
        value->setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(value->hasFocus());
        QTest::keyClick(value, Qt::Key_A, Qt::ControlModifier);
        TypeKeys(value, NewPreamble);
        QTest::keyClick(value, Qt::Key_Tab);
        EXPECT_FALSE(value->hasFocus());
        storedOnLeaving = page->CurrentValue() ? page->CurrentValue()->Value : QString();

        auto* buttons = options->findChild<QDialogButtonBox*>();
        QPushButton* ok = buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
        if (!ok) {
            ADD_FAILURE() << "no OK button";
            return QDialog::Rejected;
        }
        QTest::mouseClick(ok, Qt::LeftButton);
        return options->result();
    }

    QString dialogCaption, loadedText, storedOnLeaving;
};

TEST_F(EditedProtocolRunsTest, PreambleTypedOnPageElementsGoesOutOnTheNextCall)
{
    if (QStringList missing; !korvane::test::AllElementsBuilt(missing))
        GTEST_SKIP() << "element classes not built yet: " << missing.join(QStringLiteral(", ")).toStdString();
    // No call before the edit: every preamble on the line is the edited one.
    ASSERT_TRUE(StartWithNothingQueued());
    TMainForm& form = program->MainForm();
    ASSERT_EQ(PreambleOnDisk(), BuiltInPreamble);
    const int openings = PortOpenings();
    ASSERT_GE(openings, 1);

    form.Settings().SetDialogRunner([this](QDialog& dialog) { return OperateDialog(dialog); });
    QAction* item = MenuItem(form.menuBar(), {QStringLiteral("Режимы"), QStringLiteral("Каналы"),
                                              QStringLiteral("Канал 1")});
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();

    EXPECT_EQ(dialogCaption, QStringLiteral("Настройки канала 1"));
    EXPECT_EQ(loadedText, BuiltInPreamble);
    EXPECT_EQ(storedOnLeaving, NewPreamble);
    EXPECT_TRUE(box.texts().isEmpty()) << box.texts().join(u'|').toStdString();

    // Written through the store, and the channels started anew with it.
    EXPECT_EQ(PreambleOnDisk(), NewPreamble);
    const TProtocolRec* live = form.Protocol().Set() ? form.Protocol().Set()->protocolOfChannel(1) : nullptr;
    ASSERT_TRUE(live && live->findStep(PreambleStep));
    EXPECT_EQ(live->findStep(PreambleStep)->param(QStringLiteral("Строка"))->Value, NewPreamble);
    EXPECT_GT(PortOpenings(), openings);
    ASSERT_TRUE(RunUntil([&] { return form.ChannelWindowOf(1) != nullptr; }, 10));

    // The next call: a telegram for station 2345.
    OemLines temp;
    SaveOemStrings(outgoing + QStringLiteral("/TEL00007.TLG"), temp,
                   {QStringLiteral("|#2345 XYZ"), QStringLiteral("ZCZC"), QStringLiteral("ПРОВЕРКА"),
                    QStringLiteral("NNNN")});
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(outgoing + QStringLiteral("/TEL00007.TRS")); }, 90))
        << "log:\n" << Log().toStdString() << "line:\n" << line->Transcript().text().toStdString();
    const QString sent = line->SentText();
    EXPECT_TRUE(sent.contains(QStringLiteral("\r\n PREAMBLE SET BY THE OPERATOR \r\n"))) << sent.toStdString();
    EXPECT_FALSE(sent.contains(QStringLiteral("DO NOT INTERRUPT"))) << sent.toStdString();
    EXPECT_TRUE(sent.contains(QStringLiteral("ПРОВЕРКА"))) << sent.toStdString();
}

} // namespace
