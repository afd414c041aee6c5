#include "ui/toolkit/QtMessageBox.h"
#include "ui/program/ToolkitTranslations.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>

using namespace korvane;

namespace {

// Shows a box through QtMessageBox and lets handle() look at it and answer
// it from the event loop, as the operator would.
MessageResult showAndAnswer(const QString& text, const QString& caption, MessageIcon icon,
                            MessageButtons buttons, std::function<void(QMessageBox*)> handle)
{
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible()) {
                poll.stop();
                handle(box);
                return;
            }
        }
    });
    poll.start();
    QtMessageBox boxes;
    return boxes.show(text, caption, icon, buttons);
}

// ---- Buttons and answers ----

struct AnswerCase {
    const char* name;
    MessageButtons buttons;
    QMessageBox::StandardButtons offered;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton clicked;
    MessageResult result;
};

void PrintTo(const AnswerCase& c, std::ostream* os)
{
    *os << c.name;
}

class AnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerTest, ClickedButtonIsTheAnswer)
{
    const AnswerCase& c = GetParam();
    QMessageBox::StandardButtons offered;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;

    const MessageResult r = showAndAnswer("text", "caption", MessageIcon::Question, c.buttons,
                                          [&](QMessageBox* box) {
                                              offered = box->standardButtons();
                                              defaultButton = box->standardButton(box->defaultButton());
                                              box->button(c.clicked)->click();
                                          });

    EXPECT_EQ(offered, c.offered);
    EXPECT_EQ(defaultButton, c.defaultButton);
    EXPECT_EQ(r, c.result);
}

using B = QMessageBox;
INSTANTIATE_TEST_SUITE_P(
    Boxes, AnswerTest,
    ::testing::Values(
        AnswerCase{"Ok", MessageButtons::Ok, B::Ok, B::Ok, B::Ok, MessageResult::Ok},
        AnswerCase{"OkCancelOk", MessageButtons::OkCancel, B::Ok | B::Cancel, B::Ok, B::Ok,
                   MessageResult::Ok},
        AnswerCase{"OkCancelCancel", MessageButtons::OkCancel, B::Ok | B::Cancel, B::Ok,
                   B::Cancel, MessageResult::Cancel},
        AnswerCase{"YesNoYes", MessageButtons::YesNo, B::Yes | B::No, B::Yes, B::Yes,
                   MessageResult::Yes},
        AnswerCase{"YesNoNo", MessageButtons::YesNo, B::Yes | B::No, B::Yes, B::No,
                   MessageResult::No},
        AnswerCase{"YesNoCancelCancel", MessageButtons::YesNoCancel, B::Yes | B::No | B::Cancel,
                   B::Yes, B::Cancel, MessageResult::Cancel},
        AnswerCase{"RetryCancelRetry", MessageButtons::RetryCancel, B::Retry | B::Cancel,
                   B::Retry, B::Retry, MessageResult::Retry},
        AnswerCase{"AbortRetryIgnoreIgnore", MessageButtons::AbortRetryIgnore,
                   B::Abort | B::Retry | B::Ignore, B::Abort, B::Ignore, MessageResult::Ignore},
        AnswerCase{"AbortRetryIgnoreAbort", MessageButtons::AbortRetryIgnore,
                   B::Abort | B::Retry | B::Ignore, B::Abort, B::Abort, MessageResult::Abort}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

// ---- Keys ----

struct KeyCase {
    const char* name;
    MessageButtons buttons;
    Qt::Key key;
    MessageResult result;
};

void PrintTo(const KeyCase& c, std::ostream* os)
{
    *os << c.name;
}

class KeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyTest, KeyAnswersTheBox)
{
    const KeyCase& c = GetParam();
    const MessageResult r = showAndAnswer("text", "caption", MessageIcon::Warning, c.buttons,
                                          [&](QMessageBox* box) { QTest::keyClick(box, c.key); });
    EXPECT_EQ(r, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, KeyTest,
    ::testing::Values(KeyCase{"EnterTakesTheFirstButton", MessageButtons::YesNoCancel,
                              Qt::Key_Return, MessageResult::Yes},
                      KeyCase{"EscapeCancels", MessageButtons::OkCancel, Qt::Key_Escape,
                              MessageResult::Cancel},
                      KeyCase{"EscapeOnAQuestionSaysNo", MessageButtons::YesNo, Qt::Key_Escape,
                              MessageResult::No}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

// ---- What the box shows ----

TEST(QtMessageBoxTest, ShowsTheTextPlainWithItsLineBreaks)
{
    QString text;
    QString title;
    Qt::TextFormat format = Qt::AutoText;
    showAndAnswer(QString::fromUtf8("Не могу переименовать файл\rC:\\MAIL2\\<TLG00001.REC>\r\nКонец"),
                  QString::fromUtf8("Канал 1"), MessageIcon::Error, MessageButtons::Ok,
                  [&](QMessageBox* box) {
                      text = box->text();
                      title = box->windowTitle();
                      format = box->textFormat();
                      box->button(QMessageBox::Ok)->click();
                  });

    EXPECT_EQ(text, QString::fromUtf8("Не могу переименовать файл\nC:\\MAIL2\\<TLG00001.REC>\nКонец"));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(title, QString::fromUtf8("Канал 1"));
}

TEST(QtMessageBoxTest, IconsMatchTheKindOfMessage)
{
    const std::pair<MessageIcon, QMessageBox::Icon> cases[] = {
        {MessageIcon::None, QMessageBox::NoIcon},
        {MessageIcon::Information, QMessageBox::Information},
        {MessageIcon::Warning, QMessageBox::Warning},
        {MessageIcon::Error, QMessageBox::Critical},
        {MessageIcon::Question, QMessageBox::Question},
    };
    for (const auto& [icon, expected] : cases) {
        QMessageBox::Icon shown = QMessageBox::NoIcon;
        showAndAnswer("text", "caption", icon, MessageButtons::Ok, [&](QMessageBox* box) {
            shown = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(shown, expected) << "icon " << static_cast<int>(icon);
    }
}

// The standard buttons under the program's Russian questions speak Russian:
// the toolkit's own translations are installed (and taken away after).
TEST(QtMessageBoxTest, StandardButtonsReadInRussianWithTheToolkitTranslations)
{
    QTranslator translator;
    ASSERT_TRUE(InstallToolkitTranslations(translator));
    QStringList captions;
    showAndAnswer("Выйти?", "Подтверждение", MessageIcon::Question, MessageButtons::YesNoCancel,
                  [&](QMessageBox* box) {
                      for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                          captions << box->button(b)->text().remove(u'&');
                      box->button(QMessageBox::Cancel)->click();
                  });
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена")}));
}

} // namespace
