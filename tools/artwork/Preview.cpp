#include "tools/artwork/Preview.h"

#include <vector>

#include "toolkit/Bitmap.h"
#include "toolkit/DrawContext.h"
#include "toolkit/raster/Headless.h"
#include "toolkit/raster/PngWriter.h"
#include "toolkit/raster/RasterGraphics.h"
#include "tools/artwork/Artwork.h"

namespace stipplewave::artwork {

namespace {

constexpr std::int32_t editorWidth = 278;
constexpr std::int32_t editorHeight = 199;
constexpr std::int32_t gap = 8;
constexpr std::int32_t scale = 2;

void drawEditor(DrawContext& context, bool stepsOn, float sliderValue, const char* tempo) {
    Bitmap* background = new Bitmap(128);
    background->draw(context, Rect(0, 0, background->getWidth(), background->getHeight()), Point(0, 0));
    background->release();
    for (std::int32_t tag = 0; tag < 32; ++tag) {
        Bitmap* step = new Bitmap(131 + tag);
        const Rect r = stepButtonRect(tag);
        step->drawTransparent(context, r, Point(0, stepsOn ? step->getHeight() / 2 : 0));
        step->release();
    }
    // The slider as it composes itself: groove, then handle, offscreen.
    Bitmap* groove = new Bitmap(129);
    Bitmap* handle = new Bitmap(130);
    {
        OffscreenContext offscreen(nullptr, sliderRect.width(), sliderRect.height(), BlackColor);
        groove->drawTransparent(offscreen, Rect(0, 0, sliderRect.width(), sliderRect.height()), Point(0, 0));
        const std::int32_t left = static_cast<std::int32_t>((235 - 25) * (1.0f - sliderValue)) + 1;
        handle->drawTransparent(offscreen, Rect(left, 0, left + 34, 26), Point(0, 0));
        offscreen.copyTo(context, sliderRect, Point(0, 0));
    }
    groove->release();
    handle->release();
    // The tempo read-out: white centred text in a black box.
    context.setFillColor(BlackColor);
    context.fillRect(tempoRect);
    context.setLineColor(BlackColor);
    context.outlineRect(tempoRect);
    context.setFont(6, 0);
    context.setTextColor(WhiteColor);
    context.drawText(tempo, tempoRect, false, CentreAlignment);
}

}  // namespace

bool writePreview(const std::string& path) {
    raster::RasterGraphics graphics;
    raster::ScriptedInput input;
    platform::ScopedServices use(platform::Services{&graphics, &input, nullptr});
    const std::int32_t width = 2 * editorWidth + gap;
    auto canvas = graphics.makeOffscreenSurface(nullptr, width, editorHeight);
    if (!canvas) {
        return false;
    }
    {
        DrawContext whole(canvas.get(), nullptr);
        whole.setFillColor(Color{24, 24, 28, 0});
        whole.fillRect(Rect(-1, -1, width, editorHeight));
    }
    auto off = graphics.makeOffscreenSurface(nullptr, editorWidth, editorHeight);
    auto on = graphics.makeOffscreenSurface(nullptr, editorWidth, editorHeight);
    {
        DrawContext offContext(off.get(), nullptr);
        drawEditor(offContext, false, 0.0f, "119");
        DrawContext onContext(on.get(), nullptr);
        drawEditor(onContext, true, 0.65f, "128");
    }
    canvas->copyFrom(*off, Rect(0, 0, editorWidth, editorHeight), Point(0, 0));
    canvas->copyFrom(*on, Rect(editorWidth + gap, 0, width, editorHeight), Point(0, 0));
    std::vector<platform::PixelColor> pixels;
    if (!canvas->readPixels(Rect(0, 0, width, editorHeight), pixels)) {
        return false;
    }
    std::vector<platform::PixelColor> scaled(pixels.size() * scale * scale);
    for (std::int32_t y = 0; y < editorHeight * scale; ++y) {
        for (std::int32_t x = 0; x < width * scale; ++x) {
            scaled[static_cast<std::size_t>(y * width * scale + x)] =
                pixels[static_cast<std::size_t>((y / scale) * width + x / scale)];
        }
    }
    return raster::writePng(path, width * scale, editorHeight * scale, scaled);
}

}  // namespace stipplewave::artwork
