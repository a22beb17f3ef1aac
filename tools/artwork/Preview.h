// A picture of the editor made from the module's own bitmaps, drawn through
// the toolkit the way the editor draws them: background, step buttons with
// the key colour left out, the slider composed offscreen, the tempo box.
#pragma once

#include <string>

namespace stipplewave::artwork {

// Off panel and on panel side by side, scaled twice; false when the PNG
// cannot be written.
bool writePreview(const std::string& path);

}  // namespace stipplewave::artwork
