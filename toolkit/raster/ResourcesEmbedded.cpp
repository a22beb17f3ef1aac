// The raster backend's view of the bitmap resources embedded into the
// module at build time.
#include "toolkit/raster/BitmapResources.h"

namespace stipplewave::raster {

bool readBitmapResource(std::int32_t number, std::vector<std::uint8_t>& bmpFile) {
    bmpFile.clear();
    for (std::size_t i = 0; i < embeddedBitmapCount; ++i) {
        if (embeddedBitmaps[i].number == number) {
            bmpFile.assign(embeddedBitmaps[i].data, embeddedBitmaps[i].data + embeddedBitmaps[i].size);
            return true;
        }
    }
    return false;
}

}  // namespace stipplewave::raster
