#include "ui/channel/ODLED.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

QRgb Rgb(QRgb value)
{
    return 0xFF000000u | value;
}

// Checks the LED's screen image against the LED picture in Rgb: light grey
// corners, the white glint at (2,1) and (1,2), the colour everywhere else.
::testing::AssertionResult ShowsColor(TODLedLittle& led, QRgb colour)
{
    const QImage shown = led.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.width() < TODLedLittle::Size || shown.height() < TODLedLittle::Size)
        return ::testing::AssertionFailure() << "image " << shown.width() << "x" << shown.height();
    for (int y = 0; y < TODLedLittle::Size; ++y) {
        for (int x = 0; x < TODLedLittle::Size; ++x) {
            const bool corner = (x == 0 || x == 5) && (y == 0 || y == 5);
            const bool glint = (x == 2 && y == 1) || (x == 1 && y == 2);
            const QRgb expected = Rgb(corner ? 0xC0C0C0 : glint ? 0xFFFFFF : colour);
            if (shown.pixel(x, y) != expected)
                return ::testing::AssertionFailure()
                    << "pixel (" << x << "," << y << ") is " << std::hex << shown.pixel(x, y)
                    << ", expected " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

constexpr QRgb Black = 0x000000;
constexpr QRgb Red = 0xFF0000;
constexpr QRgb DarkRed = 0x800000;

// The channel windows' LEDs: dark red off, red on.
class LedTest : public ::testing::Test {
protected:
    LedTest()
    {
        led.SetLedColorOff(lcDarkRed);
        led.SetLedColorOn(lcRed);
    }
    QTimer* BlinkTimer() { return led.findChild<QTimer*>(); }

    TODLedLittle led;
};

} // namespace

TEST(Led, StartsAsADarkSixBySixLedThatDoesNotBlink)
{
    TODLedLittle led;
    EXPECT_EQ(led.size(), QSize(6, 6));
    EXPECT_EQ(led.LedColorOff(), lcBlack);
    EXPECT_EQ(led.LedColorOn(), lcDarkGray);
    EXPECT_FALSE(led.Light());
    EXPECT_FALSE(led.AutoBlink());
    EXPECT_EQ(led.Interval(), 30);
    EXPECT_EQ(led.findChild<QTimer*>(), nullptr);
    EXPECT_TRUE(ShowsColor(led, Black));
}

TEST(Led, EachColourHasItsPicture)
{
    const std::pair<TLedLittleColor, QRgb> colours[] = {
        {lcBlack, 0x000000},  {lcDarkGray, 0x808080},  {lcRed, 0xFF0000},
        {lcDarkRed, 0x800000}, {lcGreen, 0x00FF00},     {lcDarkGreen, 0x008000},
        {lcYellow, 0xFFFF00}, {lcDarkYellow, 0x808000}, {lcBlue, 0x0000FF},
        {lcDarkBlue, 0x000080}, {lcPurple, 0xFF00FF},   {lcDarkPurple, 0x800080},
        {lcCyan, 0x00FFFF},   {lcDarkCyan, 0x008080},
    };
    TODLedLittle led;
    for (const auto& [colour, rgb] : colours) {
        SCOPED_TRACE(int{colour});
        led.SetLedColorOff(colour);
        EXPECT_EQ(led.ShownColor(), colour);
        EXPECT_TRUE(ShowsColor(led, rgb));
    }
}

TEST_F(LedTest, ThePictureFollowsLight)
{
    EXPECT_TRUE(ShowsColor(led, DarkRed));
    led.SetLight(true);
    EXPECT_TRUE(ShowsColor(led, Red));
    led.SetLight(false);
    EXPECT_TRUE(ShowsColor(led, DarkRed));
}

TEST_F(LedTest, ANewOffColourShowsAtOnceEvenOnALitLed)
{
    led.SetLight(true);
    led.SetLedColorOff(lcBlue);
    EXPECT_EQ(led.ShownColor(), lcBlue);
    EXPECT_TRUE(led.Light());
    // Until Light next changes.
    led.SetLight(false);
    led.SetLight(true);
    EXPECT_EQ(led.ShownColor(), lcRed);
}

TEST_F(LedTest, ANewOnColourWaitsUntilTheOnColourIsNextShown)
{
    led.SetLight(true);
    led.SetLedColorOn(lcGreen);
    EXPECT_EQ(led.ShownColor(), lcRed);
    led.SetLight(false);
    EXPECT_EQ(led.ShownColor(), lcDarkRed);
    led.SetLight(true);
    EXPECT_TRUE(ShowsColor(led, 0x00FF00));
}

TEST_F(LedTest, BlinkingAlternatesStartingFromTheColourOppositeToLight)
{
    for (const bool light : {false, true}) {
        SCOPED_TRACE(light);
        TODLedLittle blinking;
        blinking.SetLedColorOff(lcDarkRed);
        blinking.SetLedColorOn(lcRed);
        blinking.SetLight(light);
        QSignalSpy blinks(&blinking, &TODLedLittle::OnBlink);

        blinking.SetAutoBlink(true);
        auto* timer = blinking.findChild<QTimer*>();
        ASSERT_NE(timer, nullptr);
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 30);
        EXPECT_EQ(blinking.ShownColor(), light ? lcRed : lcDarkRed);

        const TLedLittleColor first = light ? lcDarkRed : lcRed;
        const TLedLittleColor second = light ? lcRed : lcDarkRed;
        blinking.BlinkTimerTimer();
        EXPECT_EQ(blinking.ShownColor(), first);
        blinking.BlinkTimerTimer();
        EXPECT_EQ(blinking.ShownColor(), second);
        blinking.BlinkTimerTimer();
        EXPECT_EQ(blinking.ShownColor(), first);
        EXPECT_EQ(blinks.count(), 3);
    }
}

TEST_F(LedTest, ALightChangeWhileBlinkingShowsAtOnceAndTheBlinkingGoesOn)
{
    led.SetAutoBlink(true);
    led.BlinkTimerTimer();  // phase on
    ASSERT_EQ(led.ShownColor(), lcRed);
    led.SetLight(true);
    EXPECT_EQ(led.ShownColor(), lcRed);
    led.SetLight(false);
    EXPECT_EQ(led.ShownColor(), lcDarkRed);
    led.BlinkTimerTimer();  // from the phase it had: off
    EXPECT_EQ(led.ShownColor(), lcDarkRed);
    led.BlinkTimerTimer();
    EXPECT_EQ(led.ShownColor(), lcRed);
}

TEST_F(LedTest, StoppingTheBlinkingReturnsToTheColourOfLight)
{
    led.SetLight(true);
    led.SetAutoBlink(true);
    led.BlinkTimerTimer();
    ASSERT_EQ(led.ShownColor(), lcDarkRed);
    led.SetAutoBlink(false);
    EXPECT_EQ(BlinkTimer(), nullptr);
    EXPECT_TRUE(ShowsColor(led, Red));
}

TEST_F(LedTest, BlinkingWithoutAnIntervalWaitsForOne)
{
    led.SetInterval(0);
    led.SetAutoBlink(true);
    EXPECT_EQ(BlinkTimer(), nullptr);
    led.SetInterval(250);
    ASSERT_NE(BlinkTimer(), nullptr);
    EXPECT_EQ(BlinkTimer()->interval(), 250);
    EXPECT_TRUE(BlinkTimer()->isActive());
}

TEST_F(LedTest, ANewIntervalRestartsTheBlinkingFromTheOffColour)
{
    led.SetAutoBlink(true);
    led.BlinkTimerTimer();
    ASSERT_EQ(led.ShownColor(), lcRed);
    led.SetInterval(100);
    ASSERT_NE(BlinkTimer(), nullptr);
    EXPECT_EQ(BlinkTimer()->interval(), 100);
    EXPECT_EQ(led.ShownColor(), lcDarkRed);
    led.BlinkTimerTimer();
    EXPECT_EQ(led.ShownColor(), lcRed);
}

TEST_F(LedTest, AnIntervalOnASteadyLedChangesNothingOnScreen)
{
    led.SetLight(true);
    led.SetInterval(500);
    EXPECT_EQ(BlinkTimer(), nullptr);
    EXPECT_EQ(led.ShownColor(), lcRed);
}

TEST_F(LedTest, TheBlinkTimerDrivesTheBlinking)
{
    led.SetInterval(5);
    QSignalSpy blinks(&led, &TODLedLittle::OnBlink);
    led.SetAutoBlink(true);
    ASSERT_TRUE(blinks.wait(2000));
    EXPECT_EQ(led.ShownColor(), lcRed);
}

TEST_F(LedTest, APressFlashesTheOnColourAndTheReleaseShowsTheOffColour)
{
    led.SetLight(true);
    QTest::mousePress(&led, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(led.ShownColor(), lcRed);
    QTest::mouseRelease(&led, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(ShowsColor(led, DarkRed));
    EXPECT_TRUE(led.Light());

    led.SetLight(false);
    QTest::mousePress(&led, Qt::RightButton, {}, QPoint(1, 1));
    EXPECT_TRUE(ShowsColor(led, Red));
    QTest::mouseRelease(&led, Qt::RightButton, {}, QPoint(1, 1));
    EXPECT_EQ(led.ShownColor(), lcDarkRed);
}

TEST_F(LedTest, APressWhileBlinkingChangesNothing)
{
    led.SetAutoBlink(true);
    led.BlinkTimerTimer();
    ASSERT_EQ(led.ShownColor(), lcRed);
    QTest::mouseRelease(&led, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(led.ShownColor(), lcRed);
    led.BlinkTimerTimer();
    ASSERT_EQ(led.ShownColor(), lcDarkRed);
    QTest::mousePress(&led, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(led.ShownColor(), lcDarkRed);
}

TEST_F(LedTest, ALargerLedStillShowsItsPictureAtTheTopLeft)
{
    led.SetLight(true);
    led.resize(12, 10);
    EXPECT_TRUE(ShowsColor(led, Red));
}
