// The little LED of the channel window's status bar.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>

class QTimer;

namespace korvane {

// Colours of the little LED, in their stored order.
enum TLedLittleColor : std::uint8_t {
    lcBlack,
    lcDarkGray,
    lcRed,
    lcDarkRed,
    lcGreen,
    lcDarkGreen,
    lcYellow,
    lcDarkYellow,
    lcBlue,
    lcDarkBlue,
    lcPurple,
    lcDarkPurple,
    lcCyan,
    lcDarkCyan,
};

// A 6 x 6 pixel light-emitting diode: the "on" colour while Light is set,
// the "off" colour otherwise; with AutoBlink it alternates between the two
// every Interval milliseconds. Pressing a mouse button on a steady LED shows
// the on colour until the button is released, which shows the off colour.
class TODLedLittle : public QWidget {
    Q_OBJECT
    Q_PROPERTY(korvane::TLedLittleColor LedColorOff READ LedColorOff WRITE SetLedColorOff)
    Q_PROPERTY(korvane::TLedLittleColor LedColorOn READ LedColorOn WRITE SetLedColorOn)
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(bool AutoBlink READ AutoBlink WRITE SetAutoBlink)
    Q_PROPERTY(bool Light READ Light WRITE SetLight)

public:
    static constexpr int Size = 6;

    explicit TODLedLittle(QWidget* parent = nullptr);
    ~TODLedLittle() override;

    TLedLittleColor LedColorOff() const { return ledColorOff_; }
    // Shows the new off colour at once, whatever Light is.
    void SetLedColorOff(TLedLittleColor color);
    TLedLittleColor LedColorOn() const { return ledColorOn_; }
    // Takes effect the next time the on colour is shown.
    void SetLedColorOn(TLedLittleColor color);
    bool Light() const { return light_; }
    void SetLight(bool light);
    bool AutoBlink() const { return autoBlink_; }
    void SetAutoBlink(bool autoBlink);
    // Half-period of the blinking in milliseconds; 0 or less: no blinking.
    int Interval() const { return interval_; }
    void SetInterval(int interval);

    // The colour and the picture shown at present.
    TLedLittleColor ShownColor() const { return shownColor_; }
    const QImage& Picture() const { return picture_; }
    // The LED's picture in Color.
    static QImage LedPicture(TLedLittleColor color);

public slots:
    // The blink timer's tick: the other colour of the pair.
    void BlinkTimerTimer();

signals:
    void OnBlink();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowColor(TLedLittleColor color);
    void StartBlinkTimer();
    bool Blinking() const { return blinkTimer_ != nullptr; }

    QImage picture_;
    TLedLittleColor shownColor_ = lcBlack;
    TLedLittleColor ledColorOff_ = lcBlack;
    TLedLittleColor ledColorOn_ = lcDarkGray;
    std::unique_ptr<QTimer> blinkTimer_;
    bool autoBlink_ = false;
    bool light_ = false;
    int interval_ = 30;
    bool phase_ = false;
};

} // namespace korvane
