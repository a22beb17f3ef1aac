// What the toolkit tests share: the backends a program can run its pixel
// scenarios on, a graphics wrapper that adds test pictures, counts what is
// made and refuses to make things on request, and pixel read-back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "toolkit/DrawContext.h"
#include "toolkit/Platform.h"
#include "toolkit/raster/Headless.h"

namespace stipplewave::test {

using platform::PixelColor;

struct Backend {
    std::string name;
    platform::Graphics* graphics;
    bool hasText;  // whether this backend can draw text on this target
};

// The raster backend everywhere, the win32 backend on Windows.
const std::vector<Backend>& backends();
std::string backendName(const ::testing::TestParamInfo<Backend>& info);
inline void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }

// Forwards everything to a backend, with extras for tests: pictures made
// from pixel tables under their own resource numbers, counts of masks and
// live images, and refusals to make any kind of object.
class TestGraphics final : public platform::Graphics {
public:
    explicit TestGraphics(platform::Graphics& inner) : backend(inner) {}

    void addPicture(std::int32_t number, std::int32_t width, std::int32_t height, std::vector<PixelColor> pixels);

    bool refusePens = false;
    bool refuseBrushes = false;
    bool refuseFonts = false;
    bool refuseSurfaces = false;
    bool refuseMasks = false;

    int masksMade = 0;
    int liveImages = 0;
    std::vector<platform::FontDescription> fontsAsked;

    std::unique_ptr<platform::Pen> makePen(PixelColor color, std::int32_t width) override;
    std::unique_ptr<platform::Brush> makeBrush(PixelColor color) override;
    std::unique_ptr<platform::Font> makeFont(const platform::FontDescription& description) override;
    std::unique_ptr<platform::Surface> makeOffscreenSurface(platform::Window* like, std::int32_t width,
                                                            std::int32_t height) override;
    std::unique_ptr<platform::Image> loadImage(std::int32_t resourceNumber) override;
    std::unique_ptr<platform::Image> makeImage(std::int32_t width, std::int32_t height,
                                               const PixelColor* pixels) override;
    void drawImage(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                   Point src) override;
    std::unique_ptr<platform::Mask> makeMask(platform::Surface& like, const platform::Image& image,
                                             PixelColor key) override;
    void drawImageMasked(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                         const platform::Mask& mask, Point src) override;

private:
    class CountedImage;
    std::unique_ptr<platform::Image> counted(std::unique_ptr<platform::Image> image);
    static const platform::Image& unwrap(const platform::Image& image);

    platform::Graphics& backend;
    struct Picture {
        std::int32_t width;
        std::int32_t height;
        std::vector<PixelColor> pixels;
    };
    std::map<std::int32_t, Picture> pictures;
};

// Pixels read back from a surface.
struct Pixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<PixelColor> values;

    PixelColor at(std::int32_t x, std::int32_t y) const {
        return values[static_cast<std::size_t>(y * width + x)];
    }
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && values == other.values;
    }
};

Pixels readAll(platform::Surface* surface, std::int32_t width, std::int32_t height);

// The pixels that differ from `expected(x, y)`, described for a failure
// message (at most a few); empty when all agree.
std::string mismatches(const Pixels& actual, const std::function<PixelColor(std::int32_t, std::int32_t)>& expected);
// The pixels where two images differ, described likewise.
std::string differences(const Pixels& a, const Pixels& b);

std::string describe(PixelColor color);

// A test that runs once per backend with that backend's graphics (wrapped
// in TestGraphics) and a scripted input state in use.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    BackendTest()
        : graphics(*GetParam().graphics),
          use(platform::Services{&graphics, &input, &clock}) {}

    // A canvas of the given size filled with a colour, as an offscreen context.
    std::unique_ptr<OffscreenContext> canvas(std::int32_t width, std::int32_t height, Color fill);
    Pixels read(const OffscreenContext& context) const {
        return readAll(context.getSurface(), context.getWidth(), context.getHeight());
    }
    bool hasText() const { return GetParam().hasText; }

    TestGraphics graphics;
    raster::ScriptedInput input;
    raster::ScriptedClock clock;
    platform::ScopedServices use;
};

}  // namespace stipplewave::test
