// JPEG decoding and encoding through libjpeg, with its fatal errors turned into failures.
#include "ui/about/JpegImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace korvane {
namespace {

// libjpeg reports a fatal error through error_exit, which must not return:
// it jumps back to the caller's setjmp. Only plain C data live between the
// setjmp and the jump.
struct JumpingError {
    jpeg_error_mgr mgr;
    std::jmp_buf back;
};

void JumpOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JumpingError*>(info->err)->back, 1);
}

void Silent(j_common_ptr, int) {}

// Decodes into Rows (one scan line after another, 3 bytes a pixel); false on
// a fatal error. No C++ object with a destructor lives in this frame.
bool DecodeRgb(const unsigned char* data, unsigned long size, unsigned char* (*grow)(void*, int, int), void* sink)
{
    jpeg_decompress_struct info;
    JumpingError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOnError;
    err.mgr.emit_message = Silent;
    if (setjmp(err.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    unsigned char* pixels = grow(sink, int(info.output_width), int(info.output_height));
    if (!pixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const unsigned stride = info.output_width * 3;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + std::size_t(info.output_scanline) * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

struct RgbSink {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};

unsigned char* GrowSink(void* p, int width, int height)
{
    auto* sink = static_cast<RgbSink*>(p);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return nullptr;
    sink->width = width;
    sink->height = height;
    sink->bytes.resize(qsizetype(width) * height * 3);
    return reinterpret_cast<unsigned char*>(sink->bytes.data());
}

bool EncodeRgb(const unsigned char* rgb, int width, int height, int quality, unsigned char** out,
               unsigned long* outSize)
{
    jpeg_compress_struct info;
    JumpingError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOnError;
    err.mgr.emit_message = Silent;
    if (setjmp(err.back)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb) + std::size_t(info.next_scanline) * width * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& jpeg)
{
    if (jpeg.isEmpty())
        return {};
    RgbSink sink;
    if (!DecodeRgb(reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()),
                   GrowSink, &sink))
        return {};
    QImage image(sink.width, sink.height, QImage::Format_RGB888);
    for (int y = 0; y < sink.height; ++y)
        std::copy_n(sink.bytes.constData() + qsizetype(y) * sink.width * 3, sink.width * 3,
                    reinterpret_cast<char*>(image.scanLine(y)));
    return image;
}

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray packed;
    packed.reserve(qsizetype(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y)
        packed.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), qsizetype(rgb.width()) * 3);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok = EncodeRgb(reinterpret_cast<const unsigned char*>(packed.constData()), rgb.width(), rgb.height(),
                              std::clamp(quality, 1, 100), &out, &outSize);
    QByteArray bytes;
    if (ok && out)
        bytes = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    return bytes;
}

} // namespace korvane
