// The key filters of the directory fields: the editing keys and shortcuts
// work, and text that arrives by any other way than a typed key (pasted by
// key or menu, dropped, committed by an input method) passes the same
// rule as typed text.

#include "DialogFakes.h"
#include "DirectoryFixture.h"

#include "directories/dialogs/AbonentEditForm.h"
#include "directories/dialogs/CodeEditForm.h"
#include "directories/dialogs/KeyFilter.h"
#include "directories/dialogs/TXCONTRY.h"
#include "directories/dialogs/Txabnent.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

#include <functional>

namespace korvane::test {
namespace {

// A key as the X11 platform sends it: Delete and the Ctrl+letter
// shortcuts carry a control character as their text.
void Press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

// The ways text reaches a field without being typed key by key.
using Entry = std::function<void(QLineEdit*, const QString&)>;

void PasteWithCtrlV(QLineEdit* edit, const QString& text)
{
    QApplication::clipboard()->setText(text);
    Press(edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
}

void PasteWithShiftInsert(QLineEdit* edit, const QString& text)
{
    QApplication::clipboard()->setText(text);
    Press(edit, Qt::Key_Insert, Qt::ShiftModifier, QString());
}

void PasteFromContextMenu(QLineEdit* edit, const QString& text)
{
    QApplication::clipboard()->setText(text);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), edit->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(edit, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("Вклеить"))
            paste = action;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
}

void Drop(QLineEdit* edit, const QString& text)
{
    QMimeData data;
    data.setText(text);
    const QPointF at(edit->width() - 2, edit->height() / 2);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &drop);
}

void CommitFromInputMethod(QLineEdit* edit, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

class KeyFilterTest : public DirectoryFixture {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        Start();
        DirectoryDialogEnvironment env;
        env.Box = &box;
        abonents = std::make_unique<TAbonentAddressDlg>(*module, env);
        countries = std::make_unique<TCountryDBListDlg>(*module, env);
        for (QLineEdit* edit : Fields())
            edit->setFocus();
    }
    QList<QLineEdit*> Fields()
    {
        return {abonentForm.AbNoEdit(), abonentForm.AbNameEdit(), countryForm.CodeEdit(), countryForm.NameEdit(),
                countryForm.LettEdit(), abonents->EntryEdit(), countries->EntryEdit()};
    }

    TAbonentEditForm abonentForm;
    TCodeEditForm countryForm{box};
    std::unique_ptr<TAbonentAddressDlg> abonents;
    std::unique_ptr<TCountryDBListDlg> countries;
};

TEST_F(KeyFilterTest, EditingKeysAndShortcutsWorkInEveryFilteredField)
{
    for (QLineEdit* edit : Fields()) {
        SCOPED_TRACE(edit->parentWidget()->metaObject()->className());
        Retype(edit, QStringLiteral("123"));
        ASSERT_EQ(edit->text(), "123");
        edit->setCursorPosition(0);
        Press(edit, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
        EXPECT_EQ(edit->text(), "23");
        Press(edit, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
        EXPECT_EQ(edit->selectedText(), "23");
        QApplication::clipboard()->clear();
        Press(edit, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
        EXPECT_EQ(QApplication::clipboard()->text(), "23");
        Press(edit, Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18"));
        EXPECT_EQ(edit->text(), "");
        Press(edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        EXPECT_EQ(edit->text(), "23");
    }
}

TEST_F(KeyFilterTest, TextThatIsNotTypedPassesTheRuleOfTheField)
{
    const QString port = QStringLiteral("4567ПОРТ НОВОРОССИЙС");
    struct Case {
        const char* field;
        std::function<QLineEdit*()> edit;
        QString before;
        QString pasted;
        QString after;
    };
    const Case cases[] = {
        {"subscriber number", [&] { return abonentForm.AbNoEdit(); }, "", port, "4567"},
        {"subscriber number, up to 20", [&] { return abonentForm.AbNoEdit(); }, QString(18, u'1'), "+7-495",
         QString(18, u'1') + "+7"},
        {"subscriber name, capitals", [&] { return abonentForm.AbNameEdit(); }, "", "ooo\r\nroga", "OOOROGA"},
        {"dial code", [&] { return countryForm.CodeEdit(); }, "", port, "4567"},
        {"letter code", [&] { return countryForm.LettEdit(); }, "", "r!u-s", "RUS"},
        {"country name", [&] { return countryForm.NameEdit(); }, "", "Кот-д'Ивуар", "Кот-дИвуар"},
        {"quick search by number", [&] { return abonents->EntryEdit(); }, "", port, "4567"},
    };
    const struct {
        const char* way;
        Entry enter;
    } ways[] = {{"Ctrl+V", PasteWithCtrlV},
                {"Shift+Insert", PasteWithShiftInsert},
                {"context menu", PasteFromContextMenu},
                {"drop", Drop},
                {"input method", CommitFromInputMethod}};
    for (const auto& way : ways) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(way.way) + ", " + c.field);
            QLineEdit* edit = c.edit();
            edit->setText(c.before);
            edit->end(false);
            way.enter(edit, c.pasted);
            EXPECT_EQ(edit->text(), c.after);
        }
    }
}

} // namespace
} // namespace korvane::test
