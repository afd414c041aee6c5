#include "ui/StatusPanels.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace korvane {

namespace {
constexpr int Margin = 2;
}

StatusPanels::StatusPanels(QList<int> widths, QWidget* parent)
    : QWidget(parent)
    , widths_(std::move(widths))
    , texts_(widths_.size())
    , alignments_(widths_.size(), Qt::AlignLeft | Qt::AlignVCenter)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusPanels::SetPanelText(int panel, const QString& text)
{
    if (panel < 0 || panel >= texts_.size() || texts_[panel] == text)
        return;
    texts_[panel] = text;
    update(PanelRect(panel));
}

void StatusPanels::SetPanelAlignment(int panel, Qt::Alignment alignment)
{
    if (panel >= 0 && panel < alignments_.size())
        alignments_[panel] = alignment | Qt::AlignVCenter;
}

QRect StatusPanels::PanelRect(int panel) const
{
    int left = 0;
    for (int i = 0; i < panel && i < widths_.size(); ++i)
        left += widths_[i];
    return QRect(left, 0, widths_.value(panel), height());
}

int StatusPanels::PanelAt(int x) const
{
    for (int i = 0; i < widths_.size(); ++i) {
        x -= widths_[i];
        if (x < 0)
            return i;
    }
    return static_cast<int>(widths_.size()) - 1;
}

void StatusPanels::MouseMovedTo(int x)
{
    const QString hint = hints_.value(PanelAt(x));
    if (hint.isEmpty())
        return;
    hint_ = hint;
    setToolTip(hint_);
    setStatusTip(hint_);
}

QSize StatusPanels::sizeHint() const
{
    int width = 0;
    for (int w : widths_)
        width += w;
    return {width, fontMetrics().height() + 2 * Margin + 6};
}

void StatusPanels::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (int i = 0; i < widths_.size(); ++i) {
        const QRect r = PanelRect(i).adjusted(0, 1, -Margin, -1);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = r;
        frame.lineWidth = 1;
        frame.state |= QStyle::State_Sunken;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &p, this);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r.adjusted(Margin, 0, -Margin, 0), static_cast<int>(alignments_[i]),
                   fontMetrics().elidedText(texts_[i], Qt::ElideRight, r.width() - 2 * Margin));
    }
}

void StatusPanels::mouseMoveEvent(QMouseEvent* event)
{
    MouseMovedTo(event->position().toPoint().x());
    QWidget::mouseMoveEvent(event);
}

void StatusPanels::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}

} // namespace korvane
