// BMP decoding through stb_image, kept in a file of its own because the
// decoder's implementation is compiled here.
#include <cstdlib>

#include "toolkit/raster/BitmapResources.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_THREAD_LOCALS
#define STBI_ASSERT(x) ((void)0)
#include <stb_image.h>

namespace stipplewave::raster {

bool decodeBmp(const std::uint8_t* data, std::size_t size, std::int32_t& width, std::int32_t& height,
               std::vector<platform::PixelColor>& pixels) {
    width = 0;
    height = 0;
    pixels.clear();
    if (data == nullptr || size == 0 || size > 0x7FFFFFFF) {
        return false;
    }
    int w = 0;
    int h = 0;
    int channels = 0;
    stbi_uc* decoded = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 3);
    if (decoded == nullptr) {
        return false;
    }
    pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = platform::pixelColor(decoded[3 * i], decoded[3 * i + 1], decoded[3 * i + 2]);
    }
    stbi_image_free(decoded);
    width = w;
    height = h;
    return true;
}

}  // namespace stipplewave::raster
