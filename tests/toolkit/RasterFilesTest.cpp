// The raster backend's file formats: BMP decoding and PNG encoding.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "toolkit/raster/BitmapResources.h"
#include "toolkit/raster/PngWriter.h"

namespace stipplewave::test {
namespace {

using platform::PixelColor;

std::vector<std::uint8_t> bmp24(int width, int height, const std::vector<PixelColor>& pixels) {
    const int row = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(static_cast<std::size_t>(54 + row * height), 0);
    const auto put = [&file](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const PixelColor p = pixels[static_cast<std::size_t>(y * width + x)];
            const std::size_t at = static_cast<std::size_t>(54 + (height - 1 - y) * row + x * 3);
            file[at] = platform::blueOf(p);
            file[at + 1] = platform::greenOf(p);
            file[at + 2] = platform::redOf(p);
        }
    }
    return file;
}

TEST(BmpDecoding, ReadsA24BitPictureTopRowFirst) {
    const std::vector<PixelColor> pixels = {platform::pixelColor(1, 2, 3), platform::pixelColor(255, 255, 255),
                                            platform::pixelColor(255, 255, 254), platform::pixelColor(9, 8, 7),
                                            platform::pixelColor(0, 0, 0), platform::pixelColor(200, 100, 50)};
    const auto file = bmp24(3, 2, pixels);
    std::int32_t w = 0;
    std::int32_t h = 0;
    std::vector<PixelColor> decoded;
    ASSERT_TRUE(raster::decodeBmp(file.data(), file.size(), w, h, decoded));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(decoded, pixels);
}

TEST(BmpDecoding, RefusesWhatIsNotABmp) {
    const std::vector<std::uint8_t> junk = {'B', 'M', 1, 2, 3, 4, 5};
    const auto whole = bmp24(2, 2, std::vector<PixelColor>(4, 0));
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + 30);
    for (const auto* bytes : {&junk, &cut}) {
        std::int32_t w = 5;
        std::int32_t h = 5;
        std::vector<PixelColor> decoded(3);
        EXPECT_FALSE(raster::decodeBmp(bytes->data(), bytes->size(), w, h, decoded));
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        EXPECT_TRUE(decoded.empty());
    }
    std::int32_t w = 0;
    std::int32_t h = 0;
    std::vector<PixelColor> decoded;
    EXPECT_FALSE(raster::decodeBmp(nullptr, 10, w, h, decoded));
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

TEST(PngWriting, WritesAnRgbPngOfTheGivenSize) {
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(raster::encodePng(5, 3, std::vector<PixelColor>(15, platform::pixelColor(1, 2, 3)), png));
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(png.size(), 33u);
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), png.begin()));
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(bigEndian(png, 16), 5u);
    EXPECT_EQ(bigEndian(png, 20), 3u);
    EXPECT_EQ(png[24], 8);  // bits per channel
    EXPECT_EQ(png[25], 2);  // colour type RGB
}

TEST(PngWriting, RefusesPixelsThatDoNotMatchTheSize) {
    std::vector<std::uint8_t> png{1, 2, 3};
    EXPECT_FALSE(raster::encodePng(5, 3, std::vector<PixelColor>(14, 0), png));
    EXPECT_TRUE(png.empty());
    EXPECT_FALSE(raster::encodePng(0, 3, {}, png));
    EXPECT_FALSE(raster::writePng("/nonexistent-directory/x.png", 1, 1, std::vector<PixelColor>(1, 0)));
}

}  // namespace
}  // namespace stipplewave::test
