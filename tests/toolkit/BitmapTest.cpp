// Bitmaps: plain and transparent drawing of blocks of a picture on every
// backend, the reference count, the cached mask and pictures that do not
// exist.
#include "tests/toolkit/TestPlatform.h"
#include "toolkit/Bitmap.h"

namespace stipplewave {

// Reaches the reference count directly, to test the states that holders
// cannot produce through retain and release.
struct BitmapTestAccess {
    static void setRefCount(Bitmap& bitmap, std::int32_t count) { bitmap.refCount = count; }
};

namespace test {
namespace {

constexpr PixelColor white = platform::pixelColor(255, 255, 255);
constexpr PixelColor nearWhite = platform::pixelColor(255, 255, 254);
constexpr std::int32_t stacked = 1000;   // 14 x 28, two states
constexpr std::int32_t keyed = 1001;     // 5 x 3 with white and near-white
constexpr std::int32_t allWhite = 1002;  // 4 x 4
constexpr std::int32_t missing = 1999;

PixelColor stackedPixel(int x, int y) {
    return platform::pixelColor(static_cast<std::uint8_t>(x * 17), static_cast<std::uint8_t>(y * 9),
                                y < 14 ? 40 : 160);
}

const PixelColor keyedPixels[15] = {
    white, nearWhite, platform::pixelColor(254, 255, 255), platform::pixelColor(255, 254, 255),
    platform::pixelColor(1, 2, 3),
    platform::pixelColor(90, 0, 0), white, platform::pixelColor(0, 90, 0), white, platform::pixelColor(0, 0, 90),
    white, white, white, white, platform::pixelColor(0, 0, 0)};

class BitmapScenario : public BackendTest {
protected:
    void SetUp() override {
        std::vector<PixelColor> pixels;
        for (int y = 0; y < 28; ++y) {
            for (int x = 0; x < 14; ++x) {
                pixels.push_back(stackedPixel(x, y));
            }
        }
        graphics.addPicture(stacked, 14, 28, pixels);
        graphics.addPicture(keyed, 5, 3, std::vector<PixelColor>(std::begin(keyedPixels), std::end(keyedPixels)));
        graphics.addPicture(allWhite, 4, 4, std::vector<PixelColor>(16, white));
    }

    // A destination whose every pixel is different, so that a pixel left
    // alone can be told from one drawn over.
    std::unique_ptr<OffscreenContext> striped() {
        auto c = canvas(32, 32, Color{30, 30, 30, 0});
        for (int y = 0; y < 32; ++y) {
            c->setLineColor(Color{static_cast<std::uint8_t>(7 * y), 120, static_cast<std::uint8_t>(255 - 7 * y), 0});
            c->moveTo(Point(0, y));
            c->lineTo(Point(32, y));
        }
        for (int x = 0; x < 32; x += 3) {
            c->setLineColor(Color{static_cast<std::uint8_t>(8 * x), 10, 200, 0});
            c->moveTo(Point(x, 0));
            c->lineTo(Point(x, 32));
        }
        return c;
    }
};

struct BlockCase {
    const char* name;
    std::int32_t picture;
    Rect dest;
    Point src;
};

const BlockCase blocks[] = {
    {"upper_half", stacked, {3, 4, 17, 18}, {0, 0}},
    {"lower_half", stacked, {3, 4, 17, 18}, {0, 14}},
    {"whole", stacked, {10, 2, 24, 30}, {0, 0}},
    {"inner_block", stacked, {20, 20, 25, 23}, {6, 17}},
    {"keyed_whole", keyed, {7, 9, 12, 12}, {0, 0}},
    {"keyed_block", keyed, {10, 10, 13, 12}, {2, 1}},
    {"all_white", allWhite, {1, 1, 5, 5}, {0, 0}},
};

PixelColor pictureAt(std::int32_t picture, int x, int y) {
    if (picture == stacked) {
        return stackedPixel(x, y);
    }
    if (picture == keyed) {
        return keyedPixels[y * 5 + x];
    }
    return white;
}

TEST_P(BitmapScenario, DrawCopiesTheRequestedBlockOfThePicture) {
    for (const BlockCase& b : blocks) {
        SCOPED_TRACE(b.name);
        Bitmap* bitmap = new Bitmap(b.picture);
        auto c = striped();
        const Pixels before = read(*c);
        bitmap->draw(*c, b.dest, b.src);
        EXPECT_EQ(mismatches(read(*c),
                             [&](int x, int y) {
                                 const bool in = x >= b.dest.left && x < b.dest.right && y >= b.dest.top &&
                                                 y < b.dest.bottom;
                                 return in ? pictureAt(b.picture, b.src.h + x - b.dest.left, b.src.v + y - b.dest.top)
                                           : before.at(x, y);
                             }),
                  "");
        bitmap->release();
    }
}

TEST_P(BitmapScenario, TransparentDrawLeavesExactlyWhitePixelsOut) {
    for (const BlockCase& b : blocks) {
        SCOPED_TRACE(b.name);
        Bitmap* bitmap = new Bitmap(b.picture);
        auto c = striped();
        const Pixels before = read(*c);
        bitmap->drawTransparent(*c, b.dest, b.src);
        EXPECT_EQ(mismatches(read(*c),
                             [&](int x, int y) {
                                 const bool in = x >= b.dest.left && x < b.dest.right && y >= b.dest.top &&
                                                 y < b.dest.bottom;
                                 if (!in) {
                                     return before.at(x, y);
                                 }
                                 const PixelColor p =
                                     pictureAt(b.picture, b.src.h + x - b.dest.left, b.src.v + y - b.dest.top);
                                 return p == white ? before.at(x, y) : p;
                             }),
                  "");
        bitmap->release();
    }
}

TEST_P(BitmapScenario, TheMaskIsMadeAtTheFirstTransparentDrawAndKept) {
    Bitmap* bitmap = new Bitmap(keyed);
    auto c = striped();
    bitmap->draw(*c, Rect(0, 0, 5, 3), Point(0, 0));
    EXPECT_FALSE(bitmap->hasMask());
    EXPECT_EQ(graphics.masksMade, 0);
    for (int i = 0; i < 3; ++i) {
        bitmap->drawTransparent(*c, Rect(i, i, i + 5, i + 3), Point(0, 0));
    }
    EXPECT_TRUE(bitmap->hasMask());
    EXPECT_EQ(graphics.masksMade, 1);
    bitmap->release();
}

TEST_P(BitmapScenario, OnlyTheLowSixteenBitsOfTheIdNameTheResource) {
    for (const std::int32_t id : {stacked + 0x10000, stacked + 0x7FFF0000, stacked - 65536}) {
        Bitmap* bitmap = new Bitmap(id);
        EXPECT_EQ(bitmap->getResourceId(), id);
        EXPECT_EQ(bitmap->getWidth(), 14) << id;
        EXPECT_EQ(bitmap->getHeight(), 28) << id;
        bitmap->release();
    }
}

TEST_P(BitmapScenario, APictureThatDoesNotExistIsEmptyAndDrawsNothing) {
    for (const std::int32_t id : {missing, 0, -1, 65535, missing + 0x10000}) {
        SCOPED_TRACE(id);
        Bitmap* bitmap = new Bitmap(id);
        EXPECT_EQ(bitmap->getWidth(), 0);
        EXPECT_EQ(bitmap->getHeight(), 0);
        auto c = striped();
        const Pixels before = read(*c);
        bitmap->draw(*c, Rect(0, 0, 10, 10), Point(0, 0));
        bitmap->drawTransparent(*c, Rect(0, 0, 10, 10), Point(0, 0));
        EXPECT_EQ(differences(read(*c), before), "");
        EXPECT_FALSE(bitmap->hasMask());
        bitmap->release();
    }
}

TEST_P(BitmapScenario, AMaskThatCannotBeMadeSkipsTheDrawAndIsTriedAgainNextTime) {
    Bitmap* bitmap = new Bitmap(keyed);
    auto c = striped();
    const Pixels before = read(*c);
    graphics.refuseMasks = true;
    bitmap->drawTransparent(*c, Rect(0, 0, 5, 3), Point(0, 0));
    EXPECT_EQ(differences(read(*c), before), "");
    EXPECT_FALSE(bitmap->hasMask());
    graphics.refuseMasks = false;
    bitmap->drawTransparent(*c, Rect(0, 0, 5, 3), Point(0, 0));
    EXPECT_TRUE(bitmap->hasMask());
    EXPECT_EQ(read(*c).at(4, 0), keyedPixels[4]);
    bitmap->release();
}

TEST_P(BitmapScenario, DrawingWithoutASurfaceDoesNothing) {
    Bitmap* bitmap = new Bitmap(keyed);
    DrawContext nowhere(nullptr, nullptr);
    bitmap->draw(nowhere, Rect(0, 0, 5, 3), Point(0, 0));
    bitmap->drawTransparent(nowhere, Rect(0, 0, 5, 3), Point(0, 0));
    EXPECT_FALSE(bitmap->hasMask());
    bitmap->release();
}

TEST_P(BitmapScenario, ReleaseDestroysAtZero) {
    Bitmap* bitmap = new Bitmap(stacked);
    EXPECT_EQ(bitmap->getRefCount(), 1);
    EXPECT_EQ(graphics.liveImages, 1);
    bitmap->retain();
    EXPECT_EQ(bitmap->getRefCount(), 2);
    bitmap->release();
    EXPECT_EQ(bitmap->getRefCount(), 1);
    EXPECT_EQ(graphics.liveImages, 1);
    bitmap->release();
    EXPECT_EQ(graphics.liveImages, 0);
}

TEST_P(BitmapScenario, ReleaseLeavesACountOfZeroOrLessAlone) {
    Bitmap* bitmap = new Bitmap(stacked);
    for (const std::int32_t count : {0, -3}) {
        BitmapTestAccess::setRefCount(*bitmap, count);
        bitmap->release();
        EXPECT_EQ(bitmap->getRefCount(), count);
        EXPECT_EQ(graphics.liveImages, 1);
    }
    BitmapTestAccess::setRefCount(*bitmap, 1);
    bitmap->release();
    EXPECT_EQ(graphics.liveImages, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, BitmapScenario, ::testing::ValuesIn(backends()), backendName);

}  // namespace
}  // namespace test
}  // namespace stipplewave
