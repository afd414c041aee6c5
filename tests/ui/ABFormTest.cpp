// "Автоответы": the eight answerback edits, their filter and limit, the
// round trip of the texts, Cancel, and the help requests.
#include "ui/settings/TxABForm.h"

#include "tests/fakes/FakeMessageBox.h"
#include "tests/ui/QtPrinters.h"
#include "support/HelpNote.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

void Type(QWidget& w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(&w, &press);
    }
}

struct ABFormTest : ::testing::Test {
    FakeMessageBox box;
    QStringList logged;
    TABForm form{box, nullptr, [this](const QString& l) { logged << l; }};
};

TEST_F(ABFormTest, ShowsTheGroupTheCaptionAndEightNumberedEdits)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Автоответы"));
    EXPECT_EQ(form.objectName(), QStringLiteral("ABForm"));
    const auto groups = form.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]->title(), QStringLiteral("Изменение автоответов"));
    QStringList labels;
    for (QLabel* l : form.findChildren<QLabel*>())
        labels << l->text();
    EXPECT_EQ(labels, (QStringList{"&Автоответ", "1", "2", "3", "4", "5", "6", "7", "8"}));
    for (int c = 1; c <= 8; ++c) {
        EXPECT_EQ(form.AnswerBack(c)->objectName(), QStringLiteral("AnswerBack%1").arg(c));
        EXPECT_EQ(form.findChildren<QLabel*>().at(c)->buddy(), form.AnswerBack(c));
    }
    EXPECT_EQ(form.OKBtn()->text(), QStringLiteral("OK"));
    EXPECT_EQ(form.CancelBtn()->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(form.HelpBtn()->text(), QStringLiteral("&Справка"));
}

TEST_F(ABFormTest, SetAndGetCopyTheTextsChannelByChannel)
{
    const TABForm::AnswerBacks in = {"^<_12345$ KORV", "B", "", "D", "E", "F", "G", "^<_88888$ LAST"};
    form.SetAnswerBacks(in);
    for (int c = 1; c <= 8; ++c)
        EXPECT_EQ(form.AnswerBack(c)->text(), in[c - 1]);
    TABForm::AnswerBacks out;
    form.GetAnswerBacks(out);
    EXPECT_EQ(out, in);
}

TEST_F(ABFormTest, EveryEditFiltersTypingAndRefusesATwentyFirstCharacter)
{
    form.SetAnswerBacks({});
    for (int c = 1; c <= 8; ++c) {
        QLineEdit& edit = *form.AnswerBack(c);
        Type(edit, QStringLiteral("аq@ё!#<_"));
        EXPECT_EQ(edit.text(), QStringLiteral("АQ<_")) << c;
        Type(edit, QStringLiteral("1234567890123456x"));
        EXPECT_EQ(edit.text(), QStringLiteral("АQ<_1234567890123456")) << c;
    }
}

TEST_F(ABFormTest, CancelEndsTheFormRejectedAndOkAccepted)
{
    form.SetAnswerBacks({"OLD"});
    QTimer::singleShot(0, &form, [this] {
        Type(*form.AnswerBack(1), QStringLiteral("x"));
        form.CancelBtn()->click();
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    QTimer::singleShot(0, &form, [this] { form.OKBtn()->click(); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
}

TEST_F(ABFormTest, HelpButtonAndF1LogTheRequestAndShowTheNote)
{
    form.show();
    form.HelpBtn()->click();
    QTest::keyClick(form.AnswerBack(3), Qt::Key_F1);
    ASSERT_EQ(box.shown.size(), 2);
    for (const auto& s : box.shown) {
        EXPECT_EQ(s.text, HelpNoteText(TABForm::HelpContext));
        EXPECT_EQ(s.icon, MessageIcon::Information);
    }
    EXPECT_EQ(logged, (QStringList{"Запрошена справка, раздел 0", "Запрошена справка, раздел 0"}));
}

} // namespace
