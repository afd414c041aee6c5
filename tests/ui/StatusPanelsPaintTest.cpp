// The panels of a status bar: a panel whose text changed is drawn again
// alone, the others are left as they were drawn.

#include "ui/mainwindow/StatusPanels.h"

#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QRegion>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// Counts the panel frames drawn.
class CountingStyle final : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_FrameStatusBarItem)
            ++frames;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    mutable int frames = 0;
};

TEST(StatusPanelsPaint, APanelWhoseTextChangedIsDrawnAlone)
{
    CountingStyle style; // outlives the widget, which does not own it
    StatusPanels panels({100, 100, 100, 100, 100});
    panels.setStyle(&style);
    panels.resize(500, 20);
    panels.SetPanelText(3, "I:10; P:10.0");
    QImage image(panels.size(), QImage::Format_ARGB32);
    panels.render(&image, QPoint(), QRegion(panels.PanelRect(3)));
    EXPECT_EQ(style.frames, 1);
    style.frames = 0;
    panels.render(&image);
    EXPECT_EQ(style.frames, 5) << "the whole bar draws every panel";
}

} // namespace
