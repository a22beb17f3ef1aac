#include "toolkit/raster/RasterGraphics.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "toolkit/raster/BitmapResources.h"
#include "toolkit/raster/FontEngine.h"

namespace stipplewave::raster {

namespace {

constexpr std::int64_t maxPixels = std::int64_t{1} << 26;

class RasterPen final : public platform::Pen {
public:
    RasterPen(PixelColor c, std::int32_t w) : color(c), width(w) {}
    PixelColor color;
    std::int32_t width;
};

class RasterBrush final : public platform::Brush {
public:
    explicit RasterBrush(PixelColor c) : color(c) {}
    PixelColor color;
};

class RasterFont final : public platform::Font {
public:
    explicit RasterFont(std::shared_ptr<const GlyphFont> f) : face(std::move(f)) {}
    std::shared_ptr<const GlyphFont> face;
};

class RasterImage final : public platform::Image {
public:
    bool describe(std::int32_t& w, std::int32_t& h) const override {
        w = width;
        h = height;
        return true;
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<PixelColor> pixels;

    std::size_t index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
};

class RasterMask final : public platform::Mask {
public:
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> keyed;  // 1 where the image has the key colour
};

Rect intersect(const Rect& a, const Rect& b) {
    return Rect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom));
}

bool isEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

// A block copy of dest's size, from the corner `src` of a source of
// sourceWidth x sourceHeight pixels to dest's corner in `target`: calls
// copy(targetX, targetY, sourceX, sourceY) for each pixel that lies within
// both. The bounds are worked out once, in 64 bits, so that no coordinate
// of a far-off rectangle overflows.
template <class Copy>
void forEachPixelOfCopy(const Rect& dest, Point src, std::int32_t sourceWidth, std::int32_t sourceHeight,
                        const PixelBuffer& target, Copy copy) {
    const std::int64_t firstColumn = std::max({std::int64_t{0}, -std::int64_t{src.h}, -std::int64_t{dest.left}});
    const std::int64_t endColumn =
        std::min({std::int64_t{dest.right} - dest.left, std::int64_t{sourceWidth} - src.h,
                  std::int64_t{target.width} - dest.left});
    const std::int64_t firstRow = std::max({std::int64_t{0}, -std::int64_t{src.v}, -std::int64_t{dest.top}});
    const std::int64_t endRow = std::min({std::int64_t{dest.bottom} - dest.top, std::int64_t{sourceHeight} - src.v,
                                          std::int64_t{target.height} - dest.top});
    for (std::int64_t j = firstRow; j < endRow; ++j) {
        for (std::int64_t i = firstColumn; i < endColumn; ++i) {
            copy(static_cast<std::int32_t>(dest.left + i), static_cast<std::int32_t>(dest.top + j),
                 static_cast<std::int32_t>(src.h + i), static_cast<std::int32_t>(src.v + j));
        }
    }
}

// Windows-1252, the 8-bit character set the toolkit's text is written in.
std::uint32_t decodeCharacter(unsigned char c) {
    static const std::uint16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (c >= 0x80 && c < 0xA0) {
        return high[c - 0x80];
    }
    return c;
}

std::uint8_t blendChannel(std::uint8_t under, std::uint8_t over, std::uint8_t coverage) {
    const int mixed = under * (255 - coverage) + over * coverage;
    return static_cast<std::uint8_t>((mixed + 127) / 255);
}

PixelColor blend(PixelColor under, PixelColor over, std::uint8_t coverage) {
    if (coverage == 255) {
        return over;
    }
    return platform::pixelColor(blendChannel(platform::redOf(under), platform::redOf(over), coverage),
                                blendChannel(platform::greenOf(under), platform::greenOf(over), coverage),
                                blendChannel(platform::blueOf(under), platform::blueOf(over), coverage));
}

}  // namespace

bool PixelBuffer::resize(std::int32_t w, std::int32_t h, PixelColor fill) {
    if (w < 0 || h < 0 || std::int64_t{w} * std::int64_t{h} > maxPixels) {
        width = 0;
        height = 0;
        pixels.clear();
        return false;
    }
    try {
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
    } catch (const std::bad_alloc&) {
        width = 0;
        height = 0;
        pixels.clear();
        return false;
    }
    width = w;
    height = h;
    return true;
}

// --- surface ---------------------------------------------------------------

class RasterSurface::SavedSelection final : public platform::Selection {
public:
    PenState pen;
    BrushState brush;
    std::shared_ptr<const GlyphFont> font;
    bool fontChosen = false;
};

RasterSurface::RasterSurface(std::shared_ptr<PixelBuffer> buffer, FontEngine* fontEngine)
    : pixels(std::move(buffer)), fonts(fontEngine) {
    if (!pixels) {
        pixels = std::make_shared<PixelBuffer>();
    }
}

RasterSurface::~RasterSurface() {
    if (releaseAction) {
        releaseAction();
    }
}

std::unique_ptr<platform::Selection> RasterSurface::saveSelection() {
    auto saved = std::make_unique<SavedSelection>();
    saved->pen = pen;
    saved->brush = brush;
    saved->font = font;
    saved->fontChosen = fontChosen;
    return saved;
}

void RasterSurface::restoreSelection(const platform::Selection& selection) {
    const auto* saved = dynamic_cast<const SavedSelection*>(&selection);
    if (saved == nullptr) {
        return;
    }
    pen = saved->pen;
    brush = saved->brush;
    font = saved->font;
    fontChosen = saved->fontChosen;
}

void RasterSurface::selectPen(const platform::Pen& selected) {
    if (const auto* p = dynamic_cast<const RasterPen*>(&selected)) {
        pen = PenState{p->color, p->width, true};
    }
}

void RasterSurface::selectBrush(const platform::Brush& selected) {
    if (const auto* b = dynamic_cast<const RasterBrush*>(&selected)) {
        brush = BrushState{b->color, true};
    }
}

void RasterSurface::selectFont(const platform::Font& selected) {
    if (const auto* f = dynamic_cast<const RasterFont*>(&selected)) {
        font = f->face;
        fontChosen = true;
    }
}

void RasterSurface::setTextColor(PixelColor color) { textColor = color; }
void RasterSurface::setBackgroundColor(PixelColor color) { backgroundColor = color; }
void RasterSurface::setBackgroundMode(platform::BackgroundMode mode) { backgroundMode = mode; }

void RasterSurface::moveTo(Point p) { position = p; }

void RasterSurface::plot(std::int32_t x, std::int32_t y, PixelColor color) {
    if (pen.width <= 1) {
        if (pixels->contains(x, y)) {
            pixels->at(x, y) = color;
        }
        return;
    }
    const std::int32_t start = -(pen.width / 2);
    fillClipped(Rect(x + start, y + start, x + start + pen.width, y + start + pen.width),
                Rect(0, 0, pixels->width, pixels->height), color);
}

// Bresenham steps along the major axis from the start point up to, not
// including, the end point. Where the ideal line passes exactly half-way
// between two pixels, lines whose minor axis runs towards smaller
// coordinates take the step early; the others take it late.
void RasterSurface::lineTo(Point to) {
    const Point from = position;
    position = to;
    if (!pen.visible) {
        return;
    }
    const std::int64_t dx = std::int64_t{to.h} - from.h;
    const std::int64_t dy = std::int64_t{to.v} - from.v;
    const std::int64_t adx = std::llabs(dx);
    const std::int64_t ady = std::llabs(dy);
    const bool xMajor = adx > ady;
    const std::int64_t major = xMajor ? adx : ady;
    const std::int64_t minor = xMajor ? ady : adx;
    const bool minorFalls = xMajor ? dy < 0 : dx < 0;
    const std::int64_t bias = minorFalls ? 1 : 0;
    const std::int32_t stepX = dx < 0 ? -1 : 1;
    const std::int32_t stepY = dy < 0 ? -1 : 1;
    std::int64_t error = 2 * minor - major;
    std::int32_t x = from.h;
    std::int32_t y = from.v;
    for (std::int64_t i = 0; i < major; ++i) {
        plot(x, y, pen.color);
        if (error + bias > 0) {
            if (xMajor) {
                y += stepY;
            } else {
                x += stepX;
            }
            error += 2 * minor - 2 * major;
        } else {
            error += 2 * minor;
        }
        if (xMajor) {
            x += stepX;
        } else {
            y += stepY;
        }
    }
}

void RasterSurface::fillClipped(const Rect& area, const Rect& clip, PixelColor color) {
    const Rect r = intersect(intersect(area, clip), Rect(0, 0, pixels->width, pixels->height));
    if (isEmpty(r)) {
        return;
    }
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        for (std::int32_t x = r.left; x < r.right; ++x) {
            pixels->at(x, y) = color;
        }
    }
}

void RasterSurface::fillRect(const Rect& r) {
    if (brush.visible) {
        fillClipped(r, r, brush.color);
    }
}

const GlyphFont* RasterSurface::currentFont() {
    if (!fontChosen && !font && fonts != nullptr) {
        font = fonts->surfaceDefaultFont();
    }
    return font.get();
}

void RasterSurface::drawText(const char* text, const Rect& r, platform::TextAlignment alignment) {
    const GlyphFont* face = currentFont();
    if (text == nullptr || face == nullptr) {
        return;
    }
    std::int32_t textWidth = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (const Glyph* g = face->glyph(decodeCharacter(static_cast<unsigned char>(*c)))) {
            textWidth += g->advance;
        }
    }
    const std::int32_t lineHeight = face->ascent() + face->descent();
    std::int32_t x = r.left;
    if (alignment == platform::TextAlignment::Centre) {
        x = (r.left + r.right - textWidth) / 2;
    } else if (alignment == platform::TextAlignment::Right) {
        x = r.right - textWidth;
    }
    const std::int32_t y = r.top + r.height() / 2 - lineHeight / 2;
    if (backgroundMode == platform::BackgroundMode::Opaque) {
        fillClipped(Rect(x, y, x + textWidth, y + lineHeight), r, backgroundColor);
    }
    const Rect clip = intersect(r, Rect(0, 0, pixels->width, pixels->height));
    const std::int32_t baseline = y + face->ascent();
    for (const char* c = text; *c != '\0'; ++c) {
        const Glyph* g = face->glyph(decodeCharacter(static_cast<unsigned char>(*c)));
        if (g == nullptr) {
            continue;
        }
        for (std::int32_t row = 0; row < g->height; ++row) {
            const std::int32_t py = baseline - g->top + row;
            if (py < clip.top || py >= clip.bottom) {
                continue;
            }
            for (std::int32_t column = 0; column < g->width; ++column) {
                const std::int32_t px = x + g->left + column;
                const std::uint8_t coverage =
                    g->coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(g->width) +
                                static_cast<std::size_t>(column)];
                if (coverage == 0 || px < clip.left || px >= clip.right) {
                    continue;
                }
                PixelColor& target = pixels->at(px, py);
                target = blend(target, textColor, coverage);
            }
        }
        x += g->advance;
    }
}

void RasterSurface::copyFrom(platform::Surface& source, const Rect& dest, Point src) {
    auto* from = dynamic_cast<RasterSurface*>(&source);
    if (from == nullptr || isEmpty(dest)) {
        return;
    }
    const PixelBuffer& in = *from->pixels;
    // A copy within one buffer reads everything before it writes.
    const PixelBuffer snapshot = from->pixels == pixels ? in : PixelBuffer{};
    const PixelBuffer& reading = from->pixels == pixels ? snapshot : in;
    PixelBuffer& out = *pixels;
    forEachPixelOfCopy(dest, src, reading.width, reading.height, out,
                       [&](std::int32_t tx, std::int32_t ty, std::int32_t sx, std::int32_t sy) {
                           out.at(tx, ty) = reading.at(sx, sy);
                       });
}

bool RasterSurface::readPixels(const Rect& area, std::vector<PixelColor>& out) {
    out.clear();
    if (area.left < 0 || area.top < 0 || area.right > pixels->width || area.bottom > pixels->height ||
        area.width() < 0 || area.height() < 0) {
        return false;
    }
    out.reserve(static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height()));
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        for (std::int32_t x = area.left; x < area.right; ++x) {
            out.push_back(pixels->at(x, y));
        }
    }
    return true;
}

// --- graphics --------------------------------------------------------------

RasterGraphics::RasterGraphics() : RasterGraphics(makeSystemFontEngine()) {}

RasterGraphics::RasterGraphics(std::unique_ptr<FontEngine> fontEngine) : fonts(std::move(fontEngine)) {}

RasterGraphics::~RasterGraphics() = default;

bool RasterGraphics::hasFonts() const {
    return fonts != nullptr && fonts->font(platform::FontDescription{"Arial", 12, 400,
                                                                     platform::FontFamily::Swiss,
                                                                     platform::FontPitch::Variable}) != nullptr;
}

std::unique_ptr<platform::Pen> RasterGraphics::makePen(PixelColor color, std::int32_t width) {
    return std::make_unique<RasterPen>(color, width);
}

std::unique_ptr<platform::Brush> RasterGraphics::makeBrush(PixelColor color) {
    return std::make_unique<RasterBrush>(color);
}

std::unique_ptr<platform::Font> RasterGraphics::makeFont(const platform::FontDescription& description) {
    if (!fonts) {
        return nullptr;
    }
    auto face = fonts->font(description);
    if (!face) {
        return nullptr;
    }
    return std::make_unique<RasterFont>(std::move(face));
}

std::unique_ptr<platform::Surface> RasterGraphics::makeOffscreenSurface(platform::Window*, std::int32_t width,
                                                                        std::int32_t height) {
    auto buffer = std::make_shared<PixelBuffer>();
    if (!buffer->resize(width, height, 0)) {
        return nullptr;
    }
    return surfaceOver(std::move(buffer));
}

std::unique_ptr<RasterSurface> RasterGraphics::surfaceOver(std::shared_ptr<PixelBuffer> buffer) {
    return std::make_unique<RasterSurface>(std::move(buffer), fonts.get());
}

std::unique_ptr<platform::Image> RasterGraphics::loadImage(std::int32_t resourceNumber) {
    std::vector<std::uint8_t> file;
    if (!readBitmapResource(resourceNumber, file)) {
        return nullptr;
    }
    auto image = std::make_unique<RasterImage>();
    if (!decodeBmp(file.data(), file.size(), image->width, image->height, image->pixels)) {
        return nullptr;
    }
    return image;
}

std::unique_ptr<platform::Image> RasterGraphics::makeImage(std::int32_t width, std::int32_t height,
                                                           const PixelColor* pixels) {
    if (pixels == nullptr || width < 0 || height < 0 || std::int64_t{width} * height > maxPixels) {
        return nullptr;
    }
    auto image = std::make_unique<RasterImage>();
    image->width = width;
    image->height = height;
    image->pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return image;
}

void RasterGraphics::drawImage(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                               Point src) {
    auto* target = dynamic_cast<RasterSurface*>(&surface);
    const auto* picture = dynamic_cast<const RasterImage*>(&image);
    if (target == nullptr || picture == nullptr) {
        return;
    }
    PixelBuffer& out = target->buffer();
    forEachPixelOfCopy(dest, src, picture->width, picture->height, out,
                       [&](std::int32_t tx, std::int32_t ty, std::int32_t sx, std::int32_t sy) {
                           out.at(tx, ty) = picture->pixels[picture->index(sx, sy)];
                       });
}

std::unique_ptr<platform::Mask> RasterGraphics::makeMask(platform::Surface&, const platform::Image& image,
                                                         PixelColor key) {
    const auto* picture = dynamic_cast<const RasterImage*>(&image);
    if (picture == nullptr) {
        return nullptr;
    }
    auto mask = std::make_unique<RasterMask>();
    mask->width = picture->width;
    mask->height = picture->height;
    mask->keyed.resize(picture->pixels.size());
    for (std::size_t i = 0; i < picture->pixels.size(); ++i) {
        mask->keyed[i] = picture->pixels[i] == key ? 1 : 0;
    }
    return mask;
}

void RasterGraphics::drawImageMasked(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                                     const platform::Mask& mask, Point src) {
    auto* target = dynamic_cast<RasterSurface*>(&surface);
    const auto* picture = dynamic_cast<const RasterImage*>(&image);
    const auto* keyed = dynamic_cast<const RasterMask*>(&mask);
    if (target == nullptr || picture == nullptr || keyed == nullptr || keyed->width != picture->width ||
        keyed->height != picture->height) {
        return;
    }
    PixelBuffer& out = target->buffer();
    forEachPixelOfCopy(dest, src, picture->width, picture->height, out,
                       [&](std::int32_t tx, std::int32_t ty, std::int32_t sx, std::int32_t sy) {
                           const std::size_t at = picture->index(sx, sy);
                           if (keyed->keyed[at] == 0) {
                               out.at(tx, ty) = picture->pixels[at];
                           }
                       });
}

RasterGraphics& sharedGraphics() {
    static RasterGraphics graphics;
    return graphics;
}

}  // namespace stipplewave::raster
