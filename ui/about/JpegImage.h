#pragma once

// JPEG pictures through libjpeg: the About box keeps its picture as JPEG
// bytes and decodes them when it is shown.

#include <QByteArray>
#include <QImage>

namespace korvane {

// The picture of Jpeg (baseline or progressive, grey or colour) as an RGB
// image; a null image when the bytes are not a JPEG picture libjpeg can
// read.
QImage DecodeJpeg(const QByteArray& jpeg);

// Image as JPEG bytes of the given quality (1..100); empty on failure.
QByteArray EncodeJpeg(const QImage& image, int quality = 90);

} // namespace korvane
