// A label whose text breaks between any two characters.
#pragma once

#include <QLabel>

namespace korvane {

// A label whose text breaks between any two characters where a line is
// full (QLabel breaks between words only), so that a long text without
// blanks still shows whole, on as many lines as the label's width needs.
class WrapAnywhereLabel : public QLabel {
    Q_OBJECT

public:
    explicit WrapAnywhereLabel(QWidget* parent = nullptr);

    // The flags the text is laid out and painted with.
    static constexpr int TextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The margins around the text, left + right and top + bottom.
    QSize Frame() const;
};

} // namespace korvane
