// PNG encoding through stb_image_write, whose implementation is compiled here.
#include "toolkit/raster/PngWriter.h"

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace stipplewave::raster {

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool encodePng(std::int32_t width, std::int32_t height, const std::vector<platform::PixelColor>& pixels,
               std::vector<std::uint8_t>& png) {
    png.clear();
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return false;
    }
    std::vector<std::uint8_t> rgb(pixels.size() * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgb[3 * i] = platform::redOf(pixels[i]);
        rgb[3 * i + 1] = platform::greenOf(pixels[i]);
        rgb[3 * i + 2] = platform::blueOf(pixels[i]);
    }
    if (stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb.data(), width * 3) == 0) {
        png.clear();
        return false;
    }
    return true;
}

bool writePng(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<platform::PixelColor>& pixels) {
    std::vector<std::uint8_t> png;
    if (!encodePng(width, height, pixels, png)) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace stipplewave::raster
