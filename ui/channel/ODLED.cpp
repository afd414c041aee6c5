// The little LED: its colours, blinking and painting.
#include "ui/channel/ODLED.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <array>

namespace korvane {

namespace {

constexpr std::array<QRgb, 14> LedColors = {
    0x000000, // black
    0x808080, // dark grey
    0xFF0000, // red
    0x800000, // dark red
    0x00FF00, // green
    0x008000, // dark green
    0xFFFF00, // yellow
    0x808000, // dark yellow
    0x0000FF, // blue
    0x000080, // dark blue
    0xFF00FF, // purple
    0x800080, // dark purple
    0x00FFFF, // cyan
    0x008080, // dark cyan
};

constexpr QRgb Corner = 0xC0C0C0;
constexpr QRgb Highlight = 0xFFFFFF;

constexpr QRgb Opaque(QRgb rgb)
{
    return 0xFF000000u | rgb;
}

} // namespace

QImage TODLedLittle::LedPicture(TLedLittleColor color)
{
    QImage picture(Size, Size, QImage::Format_RGB32);
    picture.fill(Opaque(LedColors[color]));
    for (const int x : {0, Size - 1})
        for (const int y : {0, Size - 1})
            picture.setPixel(x, y, Opaque(Corner));
    // The glint: row 1 column 2 and row 2 column 1.
    picture.setPixel(2, 1, Opaque(Highlight));
    picture.setPixel(1, 2, Opaque(Highlight));
    return picture;
}

TODLedLittle::TODLedLittle(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(Size, Size);
    ShowColor(lcBlack);
}

TODLedLittle::~TODLedLittle() = default;

void TODLedLittle::ShowColor(TLedLittleColor color)
{
    shownColor_ = color;
    picture_ = LedPicture(color);
    update();
}

void TODLedLittle::StartBlinkTimer()
{
    blinkTimer_ = std::make_unique<QTimer>(this);
    blinkTimer_->setInterval(interval_);
    connect(blinkTimer_.get(), &QTimer::timeout, this, &TODLedLittle::BlinkTimerTimer);
    blinkTimer_->start();
}

void TODLedLittle::SetLedColorOff(TLedLittleColor color)
{
    ledColorOff_ = color;
    ShowColor(color);
}

void TODLedLittle::SetLedColorOn(TLedLittleColor color)
{
    ledColorOn_ = color;
}

void TODLedLittle::SetLight(bool light)
{
    if (light == light_)
        return;
    light_ = light;
    ShowColor(light_ ? ledColorOn_ : ledColorOff_);
}

void TODLedLittle::SetAutoBlink(bool autoBlink)
{
    if (autoBlink == autoBlink_)
        return;
    autoBlink_ = autoBlink;
    phase_ = light_;
    if (!autoBlink_) {
        blinkTimer_.reset();
        ShowColor(light_ ? ledColorOn_ : ledColorOff_);
    } else if (interval_ > 0) {
        StartBlinkTimer();
    }
}

void TODLedLittle::SetInterval(int interval)
{
    if (interval == interval_)
        return;
    if (blinkTimer_) {
        blinkTimer_.reset();
        ShowColor(ledColorOff_);
        phase_ = false;
    }
    interval_ = interval;
    if (autoBlink_ && interval_ > 0)
        StartBlinkTimer();
}

void TODLedLittle::BlinkTimerTimer()
{
    phase_ = !phase_;
    ShowColor(phase_ ? ledColorOn_ : ledColorOff_);
    emit OnBlink();
}

void TODLedLittle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(0, 0, picture_);
}

void TODLedLittle::mousePressEvent(QMouseEvent* event)
{
    if (!Blinking())
        ShowColor(ledColorOn_);
    QWidget::mousePressEvent(event);
}

void TODLedLittle::mouseReleaseEvent(QMouseEvent* event)
{
    if (!Blinking())
        ShowColor(ledColorOff_);
    QWidget::mouseReleaseEvent(event);
}

void TODLedLittle::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    update();
}

} // namespace korvane
