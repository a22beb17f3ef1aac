// The module's bitmap resources as the raster backend reads them: the BMP
// files embedded at build time (Linux), or the module's own bitmap
// resources (Windows), decoded into pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/Platform.h"

namespace stipplewave::raster {

// The BMP file of resource `number`; false when the module has none.
bool readBitmapResource(std::int32_t number, std::vector<std::uint8_t>& bmpFile);

// Pixels of a BMP file, row by row from the top; false when it is not one.
bool decodeBmp(const std::uint8_t* data, std::size_t size, std::int32_t& width, std::int32_t& height,
               std::vector<platform::PixelColor>& pixels);

// A BMP file in memory as the embedding step lists it.
struct EmbeddedBitmap {
    std::int32_t number;
    const std::uint8_t* data;
    std::size_t size;
};

// The table made at build time from resources/*.bmp (Linux builds).
extern const EmbeddedBitmap embeddedBitmaps[];
extern const std::size_t embeddedBitmapCount;

}  // namespace stipplewave::raster
