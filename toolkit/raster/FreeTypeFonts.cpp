// Fonts for raster surfaces: fontconfig turns a face name, weight and
// family into a font file, FreeType renders its glyphs at the requested
// character height, antialiased.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include "toolkit/raster/FontEngine.h"

namespace stipplewave::raster {

namespace {

// FreeType's library handle, kept alive by every face made from it.
struct Library {
    FT_Library handle = nullptr;
    Library() {
        if (FT_Init_FreeType(&handle) != 0) {
            handle = nullptr;
        }
    }
    ~Library() {
        if (handle != nullptr) {
            FT_Done_FreeType(handle);
        }
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

std::int32_t roundedPixels(FT_Pos value) { return static_cast<std::int32_t>((value + 32) >> 6); }

class FreeTypeFont final : public GlyphFont {
public:
    FreeTypeFont(std::shared_ptr<Library> lib, FT_Face opened) : library(std::move(lib)), face(opened) {
        ascentPixels = roundedPixels(face->size->metrics.ascender);
        descentPixels = -roundedPixels(face->size->metrics.descender);
    }
    ~FreeTypeFont() override { FT_Done_Face(face); }
    FreeTypeFont(const FreeTypeFont&) = delete;
    FreeTypeFont& operator=(const FreeTypeFont&) = delete;

    std::int32_t ascent() const override { return ascentPixels; }
    std::int32_t descent() const override { return descentPixels; }

    const Glyph* glyph(std::uint32_t character) const override {
        auto found = cache.find(character);
        if (found != cache.end()) {
            return found->second.advance < 0 ? nullptr : &found->second;
        }
        Glyph& made = cache[character];
        if (!render(character, made)) {
            made = Glyph{};
            made.advance = -1;
            return nullptr;
        }
        return &made;
    }

private:
    bool render(std::uint32_t character, Glyph& out) const {
        const FT_UInt index = FT_Get_Char_Index(face, character);
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
            return false;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        out.advance = roundedPixels(slot->advance.x);
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        out.width = static_cast<std::int32_t>(bitmap.width);
        out.height = static_cast<std::int32_t>(bitmap.rows);
        out.coverage.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);
        for (std::int32_t row = 0; row < out.height; ++row) {
            const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
            for (std::int32_t column = 0; column < out.width; ++column) {
                std::uint8_t value = 0;
                if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                    value = (line[column / 8] & (0x80 >> (column % 8))) != 0 ? 255 : 0;
                } else {
                    value = line[column];
                }
                out.coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(out.width) +
                             static_cast<std::size_t>(column)] = value;
            }
        }
        return true;
    }

    std::shared_ptr<Library> library;
    FT_Face face;
    std::int32_t ascentPixels = 0;
    std::int32_t descentPixels = 0;
    mutable std::unordered_map<std::uint32_t, Glyph> cache;
};

class FreeTypeEngine final : public FontEngine {
public:
    FreeTypeEngine() : library(std::make_shared<Library>()) {}
    ~FreeTypeEngine() override {
        if (config != nullptr) {
            FcConfigDestroy(config);
        }
    }
    FreeTypeEngine(const FreeTypeEngine&) = delete;
    FreeTypeEngine& operator=(const FreeTypeEngine&) = delete;

    std::shared_ptr<const GlyphFont> font(const platform::FontDescription& description) override {
        if (library->handle == nullptr || description.height <= 0 || description.height > 2000) {
            return nullptr;
        }
        const bool bold = description.weight >= 600;
        const std::string face = description.face != nullptr ? description.face : "";
        const auto key = std::make_tuple(face, bold, description.family == platform::FontFamily::Decorative,
                                         description.height);
        auto found = fonts.find(key);
        if (found != fonts.end()) {
            return found->second;
        }
        std::shared_ptr<const GlyphFont> made = open(face, bold, description.family, description.height);
        fonts[key] = made;
        return made;
    }

    std::shared_ptr<const GlyphFont> surfaceDefaultFont() override {
        return font(platform::FontDescription{"sans-serif", 13, 700, platform::FontFamily::Swiss,
                                              platform::FontPitch::Variable});
    }

private:
    bool resolve(const std::string& face, bool bold, platform::FontFamily family, std::string& file, int& index) {
        if (config == nullptr) {
            config = FcInitLoadConfigAndFonts();
            if (config == nullptr) {
                return false;
            }
        }
        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr) {
            return false;
        }
        if (!face.empty()) {
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
        }
        const char* generic = family == platform::FontFamily::Decorative ? "serif" : "sans-serif";
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr) {
            return false;
        }
        FcChar8* path = nullptr;
        int faceIndex = 0;
        const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
        if (found) {
            file = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex) != FcResultMatch) {
                faceIndex = 0;
            }
            index = faceIndex;
        }
        FcPatternDestroy(match);
        return found;
    }

    std::shared_ptr<const GlyphFont> open(const std::string& face, bool bold, platform::FontFamily family,
                                          std::int32_t height) {
        std::string file;
        int index = 0;
        if (!resolve(face, bold, family, file, index)) {
            return nullptr;
        }
        FT_Face opened = nullptr;
        if (FT_New_Face(library->handle, file.c_str(), index, &opened) != 0) {
            return nullptr;
        }
        if (FT_Set_Pixel_Sizes(opened, 0, static_cast<FT_UInt>(height)) != 0) {
            FT_Done_Face(opened);
            return nullptr;
        }
        return std::make_shared<FreeTypeFont>(library, opened);
    }

    std::shared_ptr<Library> library;
    FcConfig* config = nullptr;
    std::map<std::tuple<std::string, bool, bool, std::int32_t>, std::shared_ptr<const GlyphFont>> fonts;
};

}  // namespace

std::unique_ptr<FontEngine> makeSystemFontEngine() { return std::make_unique<FreeTypeEngine>(); }

}  // namespace stipplewave::raster
