// A time of day in the locale's long format, without the time zone that
// the long format carries in every locale.

#include "platform/LocaleTime.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

class LocaleTimeTest : public ::testing::TestWithParam<QLocale::Language> {
protected:
    void SetUp() override
    {
        saved_ = QLocale();
        QLocale::setDefault(QLocale(GetParam()));
    }
    void TearDown() override { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

TEST_P(LocaleTimeTest, TheTimeOfDayComesWithoutTheZone)
{
    // The long format names a zone; the short one is the time of day alone.
    ASSERT_TRUE(QLocale().timeFormat(QLocale::LongFormat).contains(u't'));
    const QString text = LongTimeText(QTime(9, 5, 7));
    EXPECT_TRUE(text.contains(QStringLiteral("9:05:07"))) << text.toStdString();
    EXPECT_FALSE(LongTimeFormat().contains(u't')) << LongTimeFormat().toStdString();
    EXPECT_EQ(text, text.trimmed());
    EXPECT_EQ(QLocale().toTime(text, LongTimeFormat()), QTime(9, 5, 7));
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleTimeTest, ::testing::Values(QLocale::C, QLocale::Russian, QLocale::English));

} // namespace
