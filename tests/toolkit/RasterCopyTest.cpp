// The raster backend's block copies where the block runs past the source or
// the target: only the pixels that lie within both are copied, the rest of
// the target stays as it was, and no coordinate arithmetic overflows however
// far off the rectangles are.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/raster/RasterGraphics.h"

namespace stipplewave::test {
namespace {

using platform::PixelColor;
using raster::PixelBuffer;
using raster::RasterGraphics;

constexpr std::int32_t sourceWidth = 8;
constexpr std::int32_t sourceHeight = 6;
constexpr std::int32_t targetWidth = 20;
constexpr std::int32_t targetHeight = 16;
constexpr PixelColor targetFill = platform::pixelColor(1, 2, 3);
constexpr PixelColor key = platform::pixelColor(255, 255, 255);

// Every source pixel differs; every third one is the key colour.
PixelColor sourcePixel(std::int32_t x, std::int32_t y) {
    if ((x + y) % 3 == 0) {
        return key;
    }
    return platform::pixelColor(static_cast<std::uint8_t>(10 + x), static_cast<std::uint8_t>(50 + y), 7);
}

std::vector<PixelColor> sourcePixels() {
    std::vector<PixelColor> pixels;
    for (std::int32_t y = 0; y < sourceHeight; ++y) {
        for (std::int32_t x = 0; x < sourceWidth; ++x) {
            pixels.push_back(sourcePixel(x, y));
        }
    }
    return pixels;
}

struct ClippedCase {
    const char* name;
    Rect dest;
    Point src;
};

const ClippedCase clippedCases[] = {
    {"source_starts_left_and_above", {2, 3, 10, 9}, {-3, -2}},
    {"source_ends_right_and_below", {2, 3, 12, 11}, {4, 3}},
    {"target_starts_left_and_above", {-3, -2, 5, 4}, {0, 0}},
    {"target_ends_right_and_below", {16, 13, 24, 19}, {0, 0}},
    {"both_sides_clipped", {-2, 12, 10, 20}, {-1, 2}},
    {"far_left_source", {0, 0, 8, 6}, {INT_MIN, INT_MIN}},
    {"far_right_source", {0, 0, 8, 6}, {INT_MAX - 2, INT_MAX - 2}},
    {"far_off_target", {INT_MAX - 4, INT_MAX - 4, INT_MAX, INT_MAX}, {0, 0}},
    {"widest_block", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}},
};

// The literal rule, pixel by pixel in 64 bits.
PixelColor expectedAt(const ClippedCase& c, std::int32_t x, std::int32_t y, bool leaveKeyOut) {
    const bool inBlock = x >= c.dest.left && x < c.dest.right && y >= c.dest.top && y < c.dest.bottom;
    const std::int64_t sx = std::int64_t{c.src.h} + x - c.dest.left;
    const std::int64_t sy = std::int64_t{c.src.v} + y - c.dest.top;
    if (!inBlock || sx < 0 || sy < 0 || sx >= sourceWidth || sy >= sourceHeight) {
        return targetFill;
    }
    const PixelColor p = sourcePixel(static_cast<std::int32_t>(sx), static_cast<std::int32_t>(sy));
    return leaveKeyOut && p == key ? targetFill : p;
}

void expectOnlyTheOverlapCopied(const PixelBuffer& target, const ClippedCase& c, bool leaveKeyOut) {
    int wrong = 0;
    for (std::int32_t y = 0; y < targetHeight; ++y) {
        for (std::int32_t x = 0; x < targetWidth; ++x) {
            if (target.at(x, y) != expectedAt(c, x, y, leaveKeyOut) && ++wrong <= 3) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

class RasterClippedCopy : public ::testing::Test {
protected:
    std::shared_ptr<PixelBuffer> freshTarget() {
        auto buffer = std::make_shared<PixelBuffer>();
        EXPECT_TRUE(buffer->resize(targetWidth, targetHeight, targetFill));
        return buffer;
    }

    RasterGraphics graphics;
};

TEST_F(RasterClippedCopy, SurfaceCopiesTakeOnlyPixelsWithinBothSurfaces) {
    auto sourceBuffer = std::make_shared<PixelBuffer>();
    ASSERT_TRUE(sourceBuffer->resize(sourceWidth, sourceHeight, 0));
    sourceBuffer->pixels = sourcePixels();
    auto source = graphics.surfaceOver(sourceBuffer);
    for (const ClippedCase& c : clippedCases) {
        SCOPED_TRACE(c.name);
        auto target = freshTarget();
        graphics.surfaceOver(target)->copyFrom(*source, c.dest, c.src);
        expectOnlyTheOverlapCopied(*target, c, false);
    }
}

TEST_F(RasterClippedCopy, PictureDrawsTakeOnlyPixelsWithinPictureAndSurface) {
    const std::vector<PixelColor> pixels = sourcePixels();
    auto image = graphics.makeImage(sourceWidth, sourceHeight, pixels.data());
    ASSERT_TRUE(image);
    for (const ClippedCase& c : clippedCases) {
        SCOPED_TRACE(c.name);
        auto target = freshTarget();
        auto surface = graphics.surfaceOver(target);
        graphics.drawImage(*surface, c.dest, *image, c.src);
        expectOnlyTheOverlapCopied(*target, c, false);
    }
}

TEST_F(RasterClippedCopy, MaskedDrawsTakeOnlyUnkeyedPixelsWithinPictureAndSurface) {
    const std::vector<PixelColor> pixels = sourcePixels();
    auto image = graphics.makeImage(sourceWidth, sourceHeight, pixels.data());
    ASSERT_TRUE(image);
    for (const ClippedCase& c : clippedCases) {
        SCOPED_TRACE(c.name);
        auto target = freshTarget();
        auto surface = graphics.surfaceOver(target);
        auto mask = graphics.makeMask(*surface, *image, key);
        ASSERT_TRUE(mask);
        graphics.drawImageMasked(*surface, c.dest, *image, *mask, c.src);
        expectOnlyTheOverlapCopied(*target, c, true);
    }
}

}  // namespace
}  // namespace stipplewave::test
