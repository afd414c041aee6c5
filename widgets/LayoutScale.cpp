#include "widgets/LayoutScale.h"

#include <QFontMetricsF>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// The average width of the Latin letters, the measure dialog units are
// taken from.
double averageLetterWidth(const QFontMetricsF& fm)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return fm.horizontalAdvance(letters) / letters.size();
}

// Up to the next whole pixel: a scaled room is never a fraction too small.
int roundUp(double px)
{
    return static_cast<int>(std::ceil(px - 1e-6));
}

} // namespace

LayoutScale::LayoutScale(const QFont& font)
{
    const QFontMetricsF fm(font);
    fx_ = std::max(1.0, averageLetterWidth(fm) / ReferenceCharWidth);
    fy_ = std::max(1.0, std::ceil(fm.height()) / ReferenceLineHeight);
}

LayoutScale::LayoutScale(const QWidget* widget) : LayoutScale(widget ? widget->font() : QFont()) {}

int LayoutScale::X(int px) const
{
    return roundUp(px * fx_);
}

int LayoutScale::Y(int px) const
{
    return roundUp(px * fy_);
}

} // namespace korvane
