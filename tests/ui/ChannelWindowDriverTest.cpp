#include "tests/ui/ChannelWindowFixture.h"
#include "tests/ui/QtPrinters.h"

#include "engine/TxDriver.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeSystemBeep.h"

#include <future>

using namespace korvane;

namespace {

// Records whether the engine lock was held while a box was shown: another
// thread tries to take it meanwhile.
class LockProbingBox final : public MessageBox {
public:
    explicit LockProbingBox(EngineMutex& mutex) : mutex_(mutex) {}

    MessageResult show(const QString& text, const QString&, MessageIcon, MessageButtons) override
    {
        texts << text;
        const bool free = std::async(std::launch::async, [this] {
                              if (!mutex_.try_lock())
                                  return false;
                              mutex_.unlock();
                              return true;
                          }).get();
        if (!free)
            ++shownUnderLock;
        return MessageResult::Ok;
    }

    QStringList texts;
    int shownUnderLock = 0;

private:
    EngineMutex& mutex_;
};

// A channel window linked to a real channel driver (its port closed).
class ChannelWindowDriverTest : public korvane::test::ChannelWindowFixture {
protected:
    void SetUp() override
    {
        ChannelWindowFixture::SetUp();
        EngineEnvironment engine;
        engine.Box = &engineBox;
        engine.Beep = &beep;
        engine.Time = &clock;
        engine.Mutex = &mutex;
        driver = std::make_unique<TTxChannelDriver>(engine);
        driver->SetChannel(3);

        ChannelWindowEnvironment env = Environment();
        env.ChannelBox = &probe;
        env.DriverOf = [this](int channel) { return channel == 3 ? driver.get() : nullptr; };
        window = std::make_unique<TTxChannelWindow>(env);
        window->MessagesTimer()->stop();
        window->SetChannel(3);
    }

    void TearDown() override
    {
        window.reset();
        driver.reset();
        ChannelWindowFixture::TearDown();
    }

    korvane::test::FakeMessageBox engineBox;
    korvane::test::FakeSystemBeep beep;
    korvane::test::FakeClock clock;
    EngineMutex mutex;
    LockProbingBox probe{mutex};
    std::unique_ptr<TTxChannelDriver> driver;
};

TEST_F(ChannelWindowDriverTest, AttachingToADriverInDialogShowsItsBoxOutsideTheEngineLock)
{
    // The window shows the connection in Control mode; the driver it is
    // attached to is in Dialog mode, which it tells the window under its lock.
    Engine(false, ChannelStates::Connected);
    driver->DialogMode = 1;
    window->AttachDriver();
    EXPECT_EQ(driver->Window, &window->Window());
    EXPECT_TRUE(window->DialogMode());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Диалог - канал 3"));

    Tick();
    EXPECT_EQ(probe.texts, QStringList{QStringLiteral("Диалог - канал 3\rСоединение установлено")});
    EXPECT_EQ(probe.shownUnderLock, 0);
}

TEST_F(ChannelWindowDriverTest, DetachingAndClosingLetTheDriverGo)
{
    window->AttachDriver();
    ASSERT_EQ(driver->Window, &window->Window());
    window->DetachDriver();
    EXPECT_EQ(driver->Window, nullptr);

    window->AttachDriver();
    window.reset();
    EXPECT_EQ(driver->Window, nullptr);
}

TEST_F(ChannelWindowDriverTest, AttachClearsTheAlarmEvenWithoutADriver)
{
    Engine(false, ChannelStates::AlarmFileError);
    ASSERT_TRUE(window->AlarmActive());
    ChannelWindowEnvironment env = Environment();
    TTxChannelWindow lone(env);
    lone.MessagesTimer()->stop();
    lone.SetChannel(5);
    lone.Window().SetChannelState(ChannelStates::AlarmFileError);
    lone.MessagesTimerTimer();
    ASSERT_TRUE(lone.AlarmActive());
    lone.AttachDriver();
    EXPECT_FALSE(lone.AlarmActive());
}

} // namespace
