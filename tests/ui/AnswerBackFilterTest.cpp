// The key filter of answerbacks and header templates: what typing, the
// paste keys and the length limit leave in an edit.
#include "ui/settings/AnswerBackFilter.h"
#include "tests/ui/QtPrinters.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvane;

namespace {

// Types Text one character at a time as the keyboard would, Cyrillic included
// (QTest::keyClicks knows only ASCII).
void Type(QLineEdit& edit, const QString& text)
{
    for (QChar c : text) {
        const int key = c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &release);
    }
}

struct Typed {
    QString typed;
    QString kept;
};

class AnswerBackFilterTyping : public ::testing::TestWithParam<Typed> {};

TEST_P(AnswerBackFilterTyping, TypingLeavesTheUpperCasedCharacterOrNothing)
{
    QLineEdit edit;
    InstallAnswerBackFilter(edit);
    Type(edit, GetParam().typed);
    EXPECT_EQ(edit.text(), GetParam().kept) << GetParam().typed.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, AnswerBackFilterTyping,
    ::testing::Values(Typed{QStringLiteral("а"), QStringLiteral("А")}, Typed{QStringLiteral("q"), QStringLiteral("Q")},
                      Typed{QStringLiteral("я"), QStringLiteral("Я")}, Typed{QStringLiteral("ё"), QString()},
                      Typed{QStringLiteral("Ё"), QString()}, Typed{QStringLiteral("@"), QString()},
                      Typed{QStringLiteral("&"), QString()}, Typed{QStringLiteral("!"), QString()},
                      Typed{QStringLiteral("#"), QString()}, Typed{QStringLiteral("\""), QString()},
                      Typed{QStringLiteral("%;[]{}\\|~`>"), QString()},
                      // The telegraph text marks and the punctuation of the code.
                      Typed{QStringLiteral("<_^$*"), QStringLiteral("<_^$*")},
                      Typed{QStringLiteral(" '()+,-./:=?"), QStringLiteral(" '()+,-./:=?")},
                      Typed{QStringLiteral("12345 korv"), QStringLiteral("12345 KORV")}));

TEST(AnswerBackFilter, LetsThroughExactlyTheEightyFiveCharactersOfTheCode)
{
    QString allowed;
    for (char16_t u = 1; u < 0xD800; ++u)
        if (AnswerBackCharAllowed(QChar(u)))
            allowed += QChar(u);
    EXPECT_EQ(allowed.size(), 85);
    EXPECT_EQ(allowed, QStringLiteral(" $'()*+,-./0123456789:<=?ABCDEFGHIJKLMNOPQRSTUVWXYZ^_"
                                      "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"));
}

TEST(AnswerBackFilter, BackspaceAndTheEditingKeysKeepTheirMeaning)
{
    QLineEdit edit;
    InstallAnswerBackFilter(edit);
    Type(edit, QStringLiteral("abc"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    Type(edit, QStringLiteral("x"));
    EXPECT_EQ(edit.text(), QStringLiteral("XB"));
}

TEST(AnswerBackFilter, TheEditsLengthLimitRefusesTheNextCharacter)
{
    QLineEdit edit;
    edit.setMaxLength(20);
    InstallAnswerBackFilter(edit);
    Type(edit, QStringLiteral("12345678901234567890z"));
    EXPECT_EQ(edit.text(), QStringLiteral("12345678901234567890"));
}

TEST(AnswerBackFilter, PastedTextIsFilteredLikeTypedText)
{
    QLineEdit edit;
    InstallAnswerBackFilter(edit);
    QApplication::clipboard()->setText(QStringLiteral("ab@ё#c d"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("ABC D"));
}

TEST(AnswerBackFilter, ATextSetByTheProgramIsKeptAsItIs)
{
    QLineEdit edit;
    InstallAnswerBackFilter(edit);
    edit.setText(QStringLiteral("old @ text"));
    EXPECT_EQ(edit.text(), QStringLiteral("old @ text"));
}

} // namespace
