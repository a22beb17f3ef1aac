// The editor's 35 pictures as the program's resources hold them: their
// sizes, the colours the editor relies on, and, where a target has two
// backends, the same pixels through both loaders.
#include <fstream>
#include <iterator>

#include "tests/toolkit/TestPlatform.h"
#include "toolkit/Bitmap.h"

#if !defined(_WIN32)
#include "tools/artwork/Artwork.h"
#endif

namespace stipplewave::test {
namespace {

constexpr PixelColor white = platform::pixelColor(255, 255, 255);
constexpr PixelColor field = platform::pixelColor(32, 0, 96);
constexpr PixelColor stepOn = platform::pixelColor(2, 114, 204);

struct Size {
    std::int32_t width;
    std::int32_t height;
};

Size layoutSize(std::int32_t id) {
    static const std::int32_t stepHeights[16] = {14, 16, 18, 20, 22, 24, 28, 32, 38, 44, 50, 60, 70, 84, 104, 144};
    if (id == 128) {
        return {278, 199};
    }
    if (id == 129) {
        return {244, 29};
    }
    if (id == 130) {
        return {34, 26};
    }
    if (id <= 146) {
        return {14, stepHeights[id - 131]};
    }
    return {14, stepHeights[162 - id]};
}

Rect stepRect(std::int32_t tag) {
    if (tag < 16) {
        const Size s = layoutSize(131 + tag);
        return Rect(13 + 16 * tag, 14, 27 + 16 * tag, 14 + s.height / 2);
    }
    const Size s = layoutSize(131 + tag);
    return Rect(12 + 16 * (tag - 16), 185 - s.height / 2, 26 + 16 * (tag - 16), 185);
}

class Artwork : public BackendTest {
protected:
    // The whole picture, drawn plainly onto a canvas of its size.
    Pixels picture(std::int32_t id) {
        Bitmap* bitmap = new Bitmap(id);
        const std::int32_t w = bitmap->getWidth();
        const std::int32_t h = bitmap->getHeight();
        auto c = canvas(w, h, BlackColor);
        bitmap->draw(*c, Rect(0, 0, w, h), Point(0, 0));
        bitmap->release();
        return read(*c);
    }
};

TEST_P(Artwork, EveryPictureLoadsWithTheSizeTheLayoutNeeds) {
    for (std::int32_t id = 128; id <= 162; ++id) {
        Bitmap* bitmap = new Bitmap(id);
        EXPECT_EQ(bitmap->getWidth(), layoutSize(id).width) << id;
        EXPECT_EQ(bitmap->getHeight(), layoutSize(id).height) << id;
        bitmap->release();
    }
}

TEST_P(Artwork, NumbersAroundTheArtworkLoadNothingAndIdsBeyond16BitsWrap) {
    for (const std::int32_t id : {127, 163, 0, 65535}) {
        Bitmap* bitmap = new Bitmap(id);
        EXPECT_EQ(bitmap->getWidth(), 0) << id;
        EXPECT_EQ(bitmap->getHeight(), 0) << id;
        bitmap->release();
    }
    Bitmap* wrapped = new Bitmap(128 + 0x10000);
    EXPECT_EQ(wrapped->getWidth(), 278);
    EXPECT_EQ(wrapped->getHeight(), 199);
    wrapped->release();
}

TEST_P(Artwork, OnlyTheSliderHandleUsesPureWhite) {
    for (std::int32_t id = 128; id <= 162; ++id) {
        const Pixels p = picture(id);
        ASSERT_FALSE(p.values.empty()) << id;
        const auto whites = std::count(p.values.begin(), p.values.end(), white);
        if (id == 130) {
            EXPECT_GT(whites, 0);
        } else {
            EXPECT_EQ(whites, 0) << id;
        }
    }
}

TEST_P(Artwork, TheHandleIsSurroundedByTheKeyColourAndSolidInside) {
    const Pixels p = picture(130);
    for (const Point corner : {Point(0, 0), Point(33, 0), Point(0, 25), Point(33, 25)}) {
        EXPECT_EQ(p.at(corner.h, corner.v), white);
    }
    for (int x = 0; x < p.width; ++x) {
        EXPECT_EQ(p.at(x, 0), white) << x;
        EXPECT_EQ(p.at(x, 25), white) << x;
    }
    for (int y = 4; y < 22; ++y) {
        for (int x = 4; x < 30; ++x) {
            EXPECT_NE(p.at(x, y), white) << x << "," << y;
        }
    }
}

TEST_P(Artwork, EachStepHalfIsCentredOnItsStateColour) {
    for (std::int32_t tag = 0; tag < 32; ++tag) {
        const Pixels p = picture(131 + tag);
        const int half = p.height / 2;
        EXPECT_EQ(describe(p.at(7, half / 2)), describe(field)) << "off half of " << 131 + tag;
        EXPECT_EQ(describe(p.at(7, half + half / 2)), describe(stepOn)) << "on half of " << 131 + tag;
    }
}

// Wherever a button's two states agree, the picture is the background it
// covers, so that the red shapes run on through the buttons.
TEST_P(Artwork, StepPicturesContinueTheBackgroundUnderTheirButtons) {
    const Pixels background = picture(128);
    for (std::int32_t tag = 0; tag < 32; ++tag) {
        const Rect r = stepRect(tag);
        const Pixels p = picture(131 + tag);
        const int half = p.height / 2;
        int face = 0;
        for (int y = 0; y < half; ++y) {
            for (int x = 0; x < p.width; ++x) {
                if (p.at(x, y) != p.at(x, y + half)) {
                    ++face;
                    continue;
                }
                EXPECT_EQ(p.at(x, y), background.at(r.left + x, r.top + y)) << "tag " << tag << " at " << x << ","
                                                                              << y;
            }
        }
        EXPECT_GT(face, p.width * half / 3) << "tag " << tag;
    }
}

TEST_P(Artwork, TheFieldIsDarkBlueAndTheRibbonRed) {
    const Pixels p = picture(128);
    EXPECT_EQ(describe(p.at(27, 16)), describe(field)) << "gap between the first two buttons";
    EXPECT_EQ(describe(p.at(270, 40)), describe(field)) << "right of the last upper button";
    EXPECT_EQ(describe(p.at(2, 150)), describe(field)) << "left of the first lower button";
    for (const Point red : {Point(20, 60), Point(140, 100), Point(250, 130)}) {
        const PixelColor c = p.at(red.h, red.v);
        EXPECT_GT(platform::redOf(c), 150) << red.h << "," << red.v;
        EXPECT_LT(platform::greenOf(c), 70) << red.h << "," << red.v;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, Artwork, ::testing::ValuesIn(backends()), backendName);

#if defined(_WIN32)
// The module's resources read by LoadBitmapA and by the raster backend's
// own decoder come out the same.
TEST(ArtworkAcrossBackends, BothLoadersGiveTheSamePixels) {
    for (std::int32_t id = 128; id <= 162; ++id) {
        std::vector<Pixels> seen;
        for (const Backend& backend : backends()) {
            TestGraphics graphics(*backend.graphics);
            platform::ScopedServices use(platform::Services{&graphics, nullptr, nullptr});
            Bitmap* bitmap = new Bitmap(id);
            OffscreenContext c(nullptr, bitmap->getWidth(), bitmap->getHeight(), BlackColor);
            bitmap->draw(c, Rect(0, 0, bitmap->getWidth(), bitmap->getHeight()), Point(0, 0));
            bitmap->release();
            seen.push_back(readAll(c.getSurface(), c.getWidth(), c.getHeight()));
        }
        for (std::size_t i = 1; i < seen.size(); ++i) {
            EXPECT_EQ(differences(seen[i], seen[0]), "") << id << " on " << backends()[i].name;
        }
    }
}
#else
// The committed pictures are what the generator draws today.
TEST(ArtworkFiles, TheCommittedBitmapsAreTheGeneratorsOutput) {
    for (const artwork::Picture& picture : artwork::drawArtwork()) {
        const std::string path = std::string(STIPPLEWAVE_RESOURCES_DIR) + "/" + std::to_string(picture.number) + ".bmp";
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file.good()) << path;
        const std::vector<std::uint8_t> committed{std::istreambuf_iterator<char>(file),
                                                  std::istreambuf_iterator<char>()};
        EXPECT_TRUE(committed == artwork::encodeBmp(picture))
            << path << " differs from the generator's output: run stipplewave-artwork write resources";
    }
}
#endif

}  // namespace
}  // namespace stipplewave::test
