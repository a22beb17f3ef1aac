// The raster backend: software surfaces of 32-bit pixels with the drawing
// rules of the platform contract (lines without their end point, fills that
// leave out the right column and bottom row, block copies, keyed copies),
// text through the font engine, and images decoded from the module's
// bitmap resources. It needs no display: headless use is the normal case.
//
// Threading: a RasterGraphics and its surfaces belong to one thread (the
// user-interface thread, or a test's thread).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "toolkit/Platform.h"

namespace stipplewave::raster {

using platform::PixelColor;

class FontEngine;
class GlyphFont;

// Pixels shared by a window's backing store and the surfaces borrowed on
// it, row by row from the top.
struct PixelBuffer {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<PixelColor> pixels;

    // False (and an empty buffer) when the size is negative or too large.
    bool resize(std::int32_t w, std::int32_t h, PixelColor fill);
    bool contains(std::int32_t x, std::int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    PixelColor& at(std::int32_t x, std::int32_t y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    PixelColor at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

class RasterSurface final : public platform::Surface {
public:
    RasterSurface(std::shared_ptr<PixelBuffer> buffer, FontEngine* fonts);
    ~RasterSurface() override;

    std::unique_ptr<platform::Selection> saveSelection() override;
    void restoreSelection(const platform::Selection& selection) override;
    void selectPen(const platform::Pen& pen) override;
    void selectBrush(const platform::Brush& brush) override;
    void selectFont(const platform::Font& font) override;
    void setTextColor(PixelColor color) override;
    void setBackgroundColor(PixelColor color) override;
    void setBackgroundMode(platform::BackgroundMode mode) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void fillRect(const Rect& r) override;
    void drawText(const char* text, const Rect& r, platform::TextAlignment alignment) override;
    void copyFrom(platform::Surface& source, const Rect& dest, Point src) override;
    bool readPixels(const Rect& area, std::vector<PixelColor>& out) override;

    PixelBuffer& buffer() { return *pixels; }
    const PixelBuffer& buffer() const { return *pixels; }

    // Runs when the surface ends, after the last drawing: how a window
    // whose pixels live in memory puts what was drawn on the screen.
    void setReleaseAction(std::function<void()> action) { releaseAction = std::move(action); }

private:
    struct PenState {
        PixelColor color = 0;
        std::int32_t width = 1;
        bool visible = true;
    };
    struct BrushState {
        PixelColor color = platform::pixelColor(255, 255, 255);
        bool visible = true;
    };
    class SavedSelection;

    void plot(std::int32_t x, std::int32_t y, PixelColor color);
    void fillClipped(const Rect& area, const Rect& clip, PixelColor color);
    const GlyphFont* currentFont();

    std::shared_ptr<PixelBuffer> pixels;
    FontEngine* fonts;
    PenState pen;
    BrushState brush;
    std::shared_ptr<const GlyphFont> font;
    bool fontChosen = false;
    PixelColor textColor = 0;
    PixelColor backgroundColor = platform::pixelColor(255, 255, 255);
    platform::BackgroundMode backgroundMode = platform::BackgroundMode::Opaque;
    Point position;
    std::function<void()> releaseAction;
};

class RasterGraphics final : public platform::Graphics {
public:
    // Fonts from the system's font engine (none where FreeType is absent).
    RasterGraphics();
    explicit RasterGraphics(std::unique_ptr<FontEngine> fontEngine);
    ~RasterGraphics() override;
    RasterGraphics(const RasterGraphics&) = delete;
    RasterGraphics& operator=(const RasterGraphics&) = delete;

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

    // A surface over pixels that someone else keeps (a window's backing store).
    std::unique_ptr<RasterSurface> surfaceOver(std::shared_ptr<PixelBuffer> buffer);
    // Whether text can be drawn: false without a font engine.
    bool hasFonts() const;

private:
    std::unique_ptr<FontEngine> fonts;
};

// The raster graphics of this process (the default on targets without a
// native backend).
RasterGraphics& sharedGraphics();

}  // namespace stipplewave::raster
