#include "tests/toolkit/TestPlatform.h"

#include <cstdio>
#include <sstream>

#include "toolkit/raster/RasterGraphics.h"

#if defined(_WIN32)
#include "toolkit/win32/Win32Graphics.h"
#endif

namespace stipplewave::test {

const std::vector<Backend>& backends() {
    static raster::RasterGraphics rasterGraphics;
    static const std::vector<Backend> list = [] {
        std::vector<Backend> made;
        made.push_back(Backend{"raster", &rasterGraphics, rasterGraphics.hasFonts()});
#if defined(_WIN32)
        made.push_back(Backend{"win32", &win32::sharedGraphics(), true});
#endif
        return made;
    }();
    return list;
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info) { return info.param.name; }

// --- TestGraphics ------------------------------------------------------------

class TestGraphics::CountedImage final : public platform::Image {
public:
    CountedImage(std::unique_ptr<platform::Image> wrapped, int& counter) : inner(std::move(wrapped)), live(counter) {
        ++live;
    }
    ~CountedImage() override { --live; }
    CountedImage(const CountedImage&) = delete;
    CountedImage& operator=(const CountedImage&) = delete;
    bool describe(std::int32_t& width, std::int32_t& height) const override { return inner->describe(width, height); }

    std::unique_ptr<platform::Image> inner;
    int& live;
};

void TestGraphics::addPicture(std::int32_t number, std::int32_t width, std::int32_t height,
                              std::vector<PixelColor> pixels) {
    pictures[number] = Picture{width, height, std::move(pixels)};
}

std::unique_ptr<platform::Image> TestGraphics::counted(std::unique_ptr<platform::Image> image) {
    if (!image) {
        return nullptr;
    }
    return std::make_unique<CountedImage>(std::move(image), liveImages);
}

const platform::Image& TestGraphics::unwrap(const platform::Image& image) {
    const auto* wrapper = dynamic_cast<const CountedImage*>(&image);
    return wrapper != nullptr ? *wrapper->inner : image;
}

std::unique_ptr<platform::Pen> TestGraphics::makePen(PixelColor color, std::int32_t width) {
    return refusePens ? nullptr : backend.makePen(color, width);
}

std::unique_ptr<platform::Brush> TestGraphics::makeBrush(PixelColor color) {
    return refuseBrushes ? nullptr : backend.makeBrush(color);
}

std::unique_ptr<platform::Font> TestGraphics::makeFont(const platform::FontDescription& description) {
    fontsAsked.push_back(description);
    return refuseFonts ? nullptr : backend.makeFont(description);
}

std::unique_ptr<platform::Surface> TestGraphics::makeOffscreenSurface(platform::Window* like, std::int32_t width,
                                                                      std::int32_t height) {
    return refuseSurfaces ? nullptr : backend.makeOffscreenSurface(like, width, height);
}

std::unique_ptr<platform::Image> TestGraphics::loadImage(std::int32_t resourceNumber) {
    auto found = pictures.find(resourceNumber);
    if (found != pictures.end()) {
        return counted(backend.makeImage(found->second.width, found->second.height, found->second.pixels.data()));
    }
    return counted(backend.loadImage(resourceNumber));
}

std::unique_ptr<platform::Image> TestGraphics::makeImage(std::int32_t width, std::int32_t height,
                                                         const PixelColor* pixels) {
    return counted(backend.makeImage(width, height, pixels));
}

void TestGraphics::drawImage(platform::Surface& surface, const Rect& dest, const platform::Image& image, Point src) {
    backend.drawImage(surface, dest, unwrap(image), src);
}

std::unique_ptr<platform::Mask> TestGraphics::makeMask(platform::Surface& like, const platform::Image& image,
                                                       PixelColor key) {
    if (refuseMasks) {
        return nullptr;
    }
    auto mask = backend.makeMask(like, unwrap(image), key);
    if (mask) {
        ++masksMade;
    }
    return mask;
}

void TestGraphics::drawImageMasked(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                                   const platform::Mask& mask, Point src) {
    backend.drawImageMasked(surface, dest, unwrap(image), mask, src);
}

// --- pixels --------------------------------------------------------------------

Pixels readAll(platform::Surface* surface, std::int32_t width, std::int32_t height) {
    Pixels pixels;
    if (surface != nullptr && surface->readPixels(Rect(0, 0, width, height), pixels.values)) {
        pixels.width = width;
        pixels.height = height;
    }
    return pixels;
}

std::string describe(PixelColor color) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", platform::redOf(color), platform::greenOf(color),
                  platform::blueOf(color));
    return text;
}

std::string mismatches(const Pixels& actual, const std::function<PixelColor(std::int32_t, std::int32_t)>& expected) {
    if (actual.values.empty()) {
        return "no pixels could be read";
    }
    std::ostringstream out;
    int count = 0;
    for (std::int32_t y = 0; y < actual.height; ++y) {
        for (std::int32_t x = 0; x < actual.width; ++x) {
            const PixelColor want = expected(x, y);
            if (actual.at(x, y) != want) {
                if (count < 6) {
                    out << " (" << x << "," << y << ") is " << describe(actual.at(x, y)) << " not " << describe(want)
                        << ";";
                }
                ++count;
            }
        }
    }
    if (count > 6) {
        out << " and " << (count - 6) << " more";
    }
    return out.str();
}

std::string differences(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height) {
        return "sizes differ";
    }
    return mismatches(a, [&b](std::int32_t x, std::int32_t y) { return b.at(x, y); });
}

std::unique_ptr<OffscreenContext> BackendTest::canvas(std::int32_t width, std::int32_t height, Color fill) {
    return std::make_unique<OffscreenContext>(nullptr, width, height, fill);
}

}  // namespace stipplewave::test
