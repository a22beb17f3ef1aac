// The raster backend's view of a Windows module's bitmap resources: the
// stored bitmap is a BMP file without its 14-byte file header.
#include <windows.h>

#include <cstring>

#include "host/Module.h"
#include "toolkit/raster/BitmapResources.h"

namespace stipplewave::raster {

namespace {

HMODULE resourceModule() {
    void* instance = moduleInstance();
    return instance != nullptr ? static_cast<HMODULE>(instance) : GetModuleHandleA(nullptr);
}

void putLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

bool readBitmapResource(std::int32_t number, std::vector<std::uint8_t>& bmpFile) {
    bmpFile.clear();
    HMODULE module = resourceModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(number & 0xFFFF), MAKEINTRESOURCEA(2));
    if (found == nullptr) {
        return false;
    }
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size < sizeof(BITMAPINFOHEADER)) {
        return false;
    }
    BITMAPINFOHEADER info;
    std::memcpy(&info, bytes, sizeof info);
    std::uint32_t paletteEntries = info.biClrUsed;
    if (paletteEntries == 0 && info.biBitCount <= 8) {
        paletteEntries = 1u << info.biBitCount;
    }
    std::uint32_t masks = info.biCompression == BI_BITFIELDS ? 12u : 0u;
    const std::uint32_t header = 14;
    bmpFile.resize(header + size);
    bmpFile[0] = 'B';
    bmpFile[1] = 'M';
    putLittleEndian(&bmpFile[2], header + size, 4);
    putLittleEndian(&bmpFile[10], header + info.biSize + masks + 4 * paletteEntries, 4);
    std::memcpy(bmpFile.data() + header, bytes, size);
    return true;
}

}  // namespace stipplewave::raster
