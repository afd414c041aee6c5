#include "widgets/LayoutScale.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

QFont sized(int points)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(points);
    return f;
}

// A run of letters given its laid-out room (the reference letter width
// each) still fits once scaled, at every font size.
TEST(LayoutScaleTest, LaidOutRoomForLettersHoldsThemAtEveryFontSize)
{
    const QString text = QStringLiteral("Ожидание ответа станции TEL00001.TLG");
    for (int points : {6, 8, 9, 10, 12, 16, 24}) {
        SCOPED_TRACE(points);
        const QFont font = sized(points);
        const LayoutScale scale(font);
        const int laidOut = static_cast<int>(text.size() * LayoutScale::ReferenceCharWidth * 1.25);
        EXPECT_GE(scale.X(laidOut), QFontMetrics(font).horizontalAdvance(text));
        EXPECT_GE(scale.Y(13), QFontMetrics(font).height());
    }
}

TEST(LayoutScaleTest, GrowsWithTheFontAndNeverShrinks)
{
    const LayoutScale tiny(sized(4));
    EXPECT_EQ(tiny.X(80), 80);
    EXPECT_EQ(tiny.Y(13), 13);
    EXPECT_EQ(tiny.Size(611, 330), QSize(611, 330));

    const LayoutScale normal(sized(9));
    const LayoutScale big(sized(18));
    EXPECT_GT(big.X(80), normal.X(80));
    EXPECT_GT(big.Y(80), normal.Y(80));
    EXPECT_NEAR(big.FactorX() * 80, big.X(80), 1.0);
}

TEST(LayoutScaleTest, AWidgetIsScaledByItsOwnFont)
{
    QWidget w;
    w.setFont(sized(18));
    EXPECT_EQ(LayoutScale(&w).X(100), LayoutScale(sized(18)).X(100));
    EXPECT_EQ(LayoutScale(&w).Margins(1, 2, 3, 4).top(), LayoutScale(sized(18)).Y(2));
}

} // namespace
