#include "tests/ui/ChannelWindowFixture.h"
#include "tests/ui/QtPrinters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

using namespace korvane;

namespace {

// The channel window's own boxes, which close themselves after MsgDelay seconds.
class SelfClosingBoxTest : public korvane::test::ChannelWindowFixture {
protected:
    void SetUp() override
    {
        ChannelWindowFixture::SetUp();
        ChannelWindowEnvironment env = Environment();
        env.ChannelBox = nullptr;
        window = std::make_unique<TTxChannelWindow>(env);
        window->MessagesTimer()->stop();
        window->SetChannel(3);
        window->show();
    }

    static QMessageBox* OpenBox()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                return box;
        return nullptr;
    }
};

TEST_F(SelfClosingBoxTest, ConfirmationClosesItselfAfterTheDelayAndCountsAsNo)
{
    GlobalModes.MsgDelay = 1;
    Engine(false, ChannelStates::Calling);
    QString shownText;
    QTimer look;
    look.setInterval(20);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (QMessageBox* box = OpenBox()) {
            shownText = box->text();
            look.stop();
        }
    });
    look.start();

    QElapsedTimer elapsed;
    elapsed.start();
    window->CallCommand();

    EXPECT_GE(elapsed.elapsed(), 900);
    EXPECT_EQ(shownText, QStringLiteral("Контроль - канал 3\nИдет автоматическая работа. Прервать работу?"));
    EXPECT_EQ(window->ChannelCommand(), 0);
    EXPECT_GE(soundOffs, 2); // when it expired, and after every channel box
    EXPECT_EQ(OpenBox(), nullptr);
}

TEST_F(SelfClosingBoxTest, WithoutADelayTheBoxWaitsForTheOperator)
{
    GlobalModes.MsgDelay = 0;
    Engine(false, ChannelStates::Calling);
    QElapsedTimer elapsed;
    bool stillOpenLate = false;
    QTimer look;
    look.setInterval(50);
    QObject::connect(&look, &QTimer::timeout, [&] {
        QMessageBox* box = OpenBox();
        if (box && elapsed.elapsed() >= 1500) {
            stillOpenLate = true;
            look.stop();
            box->button(QMessageBox::Yes)->click();
        }
    });
    elapsed.start();
    look.start();

    window->CallCommand();

    EXPECT_TRUE(stillOpenLate);
    EXPECT_EQ(window->ChannelCommand(), ChannelCommands::Call);
}

TEST_F(SelfClosingBoxTest, StateBoxFromTheTimerClosesItself)
{
    GlobalModes.MsgDelay = 1;
    QElapsedTimer elapsed;
    elapsed.start();
    Engine(true, ChannelStates::Connected);
    EXPECT_GE(elapsed.elapsed(), 900);
    EXPECT_EQ(OpenBox(), nullptr);
    EXPECT_TRUE(window->AskEnabled());
}

} // namespace
