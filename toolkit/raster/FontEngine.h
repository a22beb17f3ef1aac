// The raster backend's source of glyphs: fonts resolved by the system's
// font configuration and rendered into coverage maps.
//
// Threading: one engine per RasterGraphics, used on that graphics' thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/Platform.h"

namespace stipplewave::raster {

struct Glyph {
    std::int32_t advance = 0;  // pixels to the next character's origin
    std::int32_t left = 0;     // coverage map's left edge from the origin
    std::int32_t top = 0;      // coverage map's top edge above the baseline
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> coverage;  // 0 empty .. 255 covered, row by row
};

class GlyphFont {
public:
    virtual ~GlyphFont() = default;
    virtual std::int32_t ascent() const = 0;   // pixels above the baseline
    virtual std::int32_t descent() const = 0;  // pixels below it
    // The glyph of a Unicode character; null when the font has nothing for it.
    virtual const Glyph* glyph(std::uint32_t character) const = 0;
};

class FontEngine {
public:
    virtual ~FontEngine() = default;
    // A font for the description; null when none can be had.
    virtual std::shared_ptr<const GlyphFont> font(const platform::FontDescription& description) = 0;
    // The font a surface uses before any is selected.
    virtual std::shared_ptr<const GlyphFont> surfaceDefaultFont() = 0;
};

// FreeType with fontconfig where the build has them, else an engine that
// has no fonts (text then draws nothing).
std::unique_ptr<FontEngine> makeSystemFontEngine();

}  // namespace stipplewave::raster
