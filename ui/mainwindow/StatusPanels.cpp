// A status bar of fixed-width text panels: their widths, texts and the stretching last one.
#include "ui/mainwindow/StatusPanels.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

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
    int width = widths_.value(panel);
    if (panel == widths_.size() - 1)
        width = std::max(width, this->width() - left);
    return QRect(left, 0, width, height());
}

QRect StatusPanels::TextRect(int panel) const
{
    return PanelRect(panel).adjusted(Margin, 1, -2 * Margin, -1);
}

int StatusPanels::TextRoom(int panel) const
{
    return TextRect(panel).width();
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

void StatusPanels::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    for (int i = 0; i < widths_.size(); ++i) {
        // A panel whose text changed is repainted alone (the tick
        // statistics change twenty times a second): the others stay as drawn.
        if (!event->rect().intersects(PanelRect(i)))
            continue;
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = PanelRect(i).adjusted(0, 1, -Margin, -1);
        frame.lineWidth = 1;
        frame.state |= QStyle::State_Sunken;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &p, this);
        p.setPen(palette().color(QPalette::WindowText));
        const QRect text = TextRect(i);
        p.drawText(text, static_cast<int>(alignments_[i]),
                   fontMetrics().elidedText(texts_[i], Qt::ElideRight, text.width()));
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
