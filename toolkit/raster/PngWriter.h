// PNG files of pixels read from a surface: test evidence and snapshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Platform.h"

namespace stipplewave::raster {

// Encodes width x height pixels (row by row from the top) as an 8-bit RGB
// PNG; false (and an empty result) when the sizes do not agree.
bool encodePng(std::int32_t width, std::int32_t height, const std::vector<platform::PixelColor>& pixels,
               std::vector<std::uint8_t>& png);

// As encodePng, written to a file; false when it cannot be written.
bool writePng(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<platform::PixelColor>& pixels);

}  // namespace stipplewave::raster
