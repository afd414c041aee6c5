// The program's own picture, drawn: a roll of telegraph tape with a lightning flash.
#include "ui/program/ProgramPicture.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace korvane {

QPixmap ProgramPicture()
{
    QPixmap pm(60, 62);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 100, 60), 1.5));
    p.setBrush(QColor(238, 226, 190));
    p.drawEllipse(QRectF(4, 8, 40, 40));
    p.setBrush(QColor(200, 186, 150));
    p.drawEllipse(QRectF(17, 21, 14, 14));
    p.setBrush(QColor(238, 226, 190));
    p.drawRect(QRectF(24, 40, 32, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 50));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(28 + i * 6, 42 + (i % 2) * 3), 1.3, 1.3);
    QPainterPath flash;
    flash.moveTo(40, 2);
    flash.lineTo(30, 22);
    flash.lineTo(38, 22);
    flash.lineTo(32, 38);
    flash.lineTo(50, 16);
    flash.lineTo(41, 16);
    flash.lineTo(48, 2);
    flash.closeSubpath();
    p.setBrush(QColor(214, 64, 40));
    p.drawPath(flash);
    return pm;
}

QIcon ProgramIcon()
{
    // Square, the picture centred: every title bar shows it undistorted.
    const QPixmap picture = ProgramPicture();
    const int side = std::max(picture.width(), picture.height());
    QPixmap square(side, side);
    square.fill(Qt::transparent);
    QPainter p(&square);
    p.drawPixmap((side - picture.width()) / 2, (side - picture.height()) / 2, picture);
    p.end();
    return QIcon(square);
}

} // namespace korvane
