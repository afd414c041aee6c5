// A status bar of fixed-width text panels.
#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace korvane {

// A status bar of fixed-width text panels laid from the left, as the
// channel window's two bars are: each panel's text, its rectangle, and a
// hint per panel that follows the mouse. The last panel runs on to the
// bar's right edge when the bar is wider than its panels. The widths are
// the widget's pixels: scale laid-out widths by the bar's font first
// (LayoutScale).
class StatusPanels : public QWidget {
    Q_OBJECT

public:
    StatusPanels(QList<int> widths, QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(widths_.size()); }
    // The panel's own width (the last one's before it runs to the edge).
    int PanelWidth(int panel) const { return widths_.value(panel); }
    QString PanelText(int panel) const { return texts_.value(panel); }
    void SetPanelText(int panel, const QString& text);
    void SetPanelAlignment(int panel, Qt::Alignment alignment);
    // The panel's rectangle in the bar.
    QRect PanelRect(int panel) const;
    // The width the panel's text is drawn in; a longer text is cut short
    // with an ellipsis.
    int TextRoom(int panel) const;
    // The panel under X: the widths are taken off X from the left until it
    // goes below 0; the last panel when it never does.
    int PanelAt(int x) const;

    // Hints of the panels under the mouse; an empty hint keeps the bar's hint
    // as it was.
    void SetPanelHints(QStringList hints) { hints_ = std::move(hints); }
    QString Hint() const { return hint_; }
    // What moving the mouse to X does.
    void MouseMovedTo(int x);

    QSize sizeHint() const override;

signals:
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect TextRect(int panel) const;

    QList<int> widths_;
    QStringList texts_;
    QList<Qt::Alignment> alignments_;
    QStringList hints_;
    QString hint_;
};

} // namespace korvane
