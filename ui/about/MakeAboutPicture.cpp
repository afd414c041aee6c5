// korvane2-about-picture: draws the About box's picture and writes it as a JPEG file.
// Draws the About box's picture - a teleprinter printing a telegram onto
// a paper strip, beside a length of punched tape - and writes it as the
// JPEG file that the program embeds (ui/about/AboutPicture.jpg):
//
//   korvane2-about-picture ui/about/AboutPicture.jpg
//
// The picture is our own drawing, made only from the shapes below.

#include "ui/about/JpegImage.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

using namespace korvane;

namespace {

constexpr int Width = 234;
constexpr int Height = 141;

void DrawTape(QPainter& p)
{
    // A strip of five-hole tape running across the top, with its feed holes.
    const QRectF tape(0, 10, Width, 22);
    p.setPen(QPen(QColor(150, 130, 90), 1));
    p.setBrush(QColor(238, 226, 190));
    p.drawRect(tape);
    const quint8 code[] = {0x1F, 0x03, 0x19, 0x0E, 0x01, 0x1B, 0x10, 0x0C, 0x07, 0x1A, 0x15,
                           0x04, 0x1F, 0x11, 0x09, 0x0B, 0x18, 0x06, 0x1D, 0x02, 0x13, 0x0F};
    p.setPen(Qt::NoPen);
    for (int column = 0; column < int(sizeof code); ++column) {
        const double x = 6 + column * 10.5;
        p.setBrush(QColor(90, 80, 60));
        p.drawEllipse(QPointF(x, 10 + 9.5), 1.2, 1.2); // the feed hole between rows 3 and 4
        for (int bit = 0; bit < 5; ++bit) {
            if (!(code[column] & (1 << bit)))
                continue;
            const double y = 10 + 3 + bit * 3.6 + (bit >= 3 ? 1.6 : 0);
            p.setBrush(QColor(40, 40, 50));
            p.drawEllipse(QPointF(x, y), 1.6, 1.6);
        }
    }
}

void DrawTeleprinter(QPainter& p)
{
    // The paper coming out of the platen.
    QPainterPath paper;
    paper.moveTo(70, 78);
    paper.lineTo(74, 44);
    paper.lineTo(160, 44);
    paper.lineTo(164, 78);
    paper.closeSubpath();
    p.setPen(QPen(QColor(170, 170, 170), 1));
    p.setBrush(QColor(252, 252, 246));
    p.drawPath(paper);
    p.setPen(QPen(QColor(60, 60, 70), 1.4));
    for (int line = 0; line < 4; ++line) {
        const double y = 51 + line * 6.5;
        const double len = line == 3 ? 34 : 64 - line * 6;
        for (double x = 82; x < 82 + len; x += 5)
            p.drawLine(QPointF(x, y), QPointF(x + 3, y));
    }

    // The body.
    QLinearGradient body(0, 76, 0, 128);
    body.setColorAt(0, QColor(96, 112, 104));
    body.setColorAt(1, QColor(52, 64, 58));
    p.setPen(QPen(QColor(30, 36, 32), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(44, 76, 146, 52), 6, 6);
    // The platen.
    p.setBrush(QColor(30, 30, 30));
    p.drawRoundedRect(QRectF(62, 72, 110, 9), 4, 4);
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(QRectF(56, 71, 10, 11));
    p.drawEllipse(QRectF(168, 71, 10, 11));

    // Three rows of keys.
    p.setPen(QPen(QColor(20, 20, 20), 0.8));
    for (int row = 0; row < 3; ++row) {
        const int keys = 10 - row;
        const double y = 90 + row * 11;
        const double x0 = 58 + row * 5;
        for (int k = 0; k < keys; ++k) {
            p.setBrush(row == 2 && (k == 0 || k == keys - 1) ? QColor(190, 70, 50) : QColor(232, 228, 214));
            p.drawRoundedRect(QRectF(x0 + k * 12, y, 9, 8), 2, 2);
        }
    }
    // The space bar.
    p.setBrush(QColor(232, 228, 214));
    p.drawRoundedRect(QRectF(84, 122, 66, 5), 2, 2);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvane2-about-picture <output.jpg>\n");
        return 2;
    }
    QImage image(Width, Height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, Height);
    sky.setColorAt(0, QColor(28, 52, 96));
    sky.setColorAt(1, QColor(92, 128, 176));
    p.fillRect(image.rect(), sky);
    DrawTape(p);
    DrawTeleprinter(p);
    // The desk.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 84, 52));
    p.drawRect(QRectF(0, 128, Width, Height - 128));
    p.end();

    const QByteArray jpeg = EncodeJpeg(image, 92);
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (jpeg.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(jpeg) != jpeg.size() || !out.flush()) {
        std::fprintf(stderr, "korvane2-about-picture: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
