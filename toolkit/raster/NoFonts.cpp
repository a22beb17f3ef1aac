// The font engine of builds without FreeType: it has no fonts, so raster
// text draws nothing there.
#include "toolkit/raster/FontEngine.h"

namespace stipplewave::raster {

namespace {

class NoFontEngine final : public FontEngine {
public:
    std::shared_ptr<const GlyphFont> font(const platform::FontDescription&) override { return nullptr; }
    std::shared_ptr<const GlyphFont> surfaceDefaultFont() override { return nullptr; }
};

}  // namespace

std::unique_ptr<FontEngine> makeSystemFontEngine() { return std::make_unique<NoFontEngine>(); }

}  // namespace stipplewave::raster
