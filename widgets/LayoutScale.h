#pragma once

// Window geometry laid out in pixels for an 8-point font on a 96-dpi screen
// (average letter 5.71 pixels wide, lines 13 pixels high), scaled to the
// font a window really uses, so that every text keeps the room it was
// given. Widths scale by the ratio of average letter widths, heights by the
// ratio of line heights; neither ever shrinks below the laid-out size.

#include <QFont>
#include <QMargins>
#include <QSize>

class QWidget;

namespace korvane {

class LayoutScale {
public:
    static constexpr double ReferenceCharWidth = 5.71;
    static constexpr double ReferenceLineHeight = 13.0;

    explicit LayoutScale(const QFont& font);
    // The scale of the widget's own font.
    explicit LayoutScale(const QWidget* widget);

    double FactorX() const { return fx_; }
    double FactorY() const { return fy_; }

    // A laid-out width, height, size or margin in the font's pixels.
    int X(int px) const;
    int Y(int px) const;
    QSize Size(int width, int height) const { return {X(width), Y(height)}; }
    QMargins Margins(int left, int top, int right, int bottom) const
    {
        return {X(left), Y(top), X(right), Y(bottom)};
    }

private:
    double fx_ = 1.0;
    double fy_ = 1.0;
};

} // namespace korvane
