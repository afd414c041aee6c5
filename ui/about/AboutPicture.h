#pragma once

// The About box's picture as JPEG bytes, built into the program from
// ui/about/AboutPicture.jpg (drawn by ui/about/MakeAboutPicture.cpp).

#include <cstddef>

namespace korvane {

extern const unsigned char AboutPictureJpeg[];
extern const std::size_t AboutPictureJpegSize;

} // namespace korvane
