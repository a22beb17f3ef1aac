// stipplewave-artwork: draws the editor's pictures.
//
//   stipplewave-artwork write DIR        writes DIR/128.bmp .. DIR/162.bmp
//   stipplewave-artwork preview OUT.png  the editor as the module's bitmaps
//                                        show it: every button off (left
//                                        panel) and on (right panel), twice
//                                        the size
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/artwork/Artwork.h"
#include "tools/artwork/Preview.h"

namespace {

int writePictures(const std::string& directory) {
    for (const auto& picture : stipplewave::artwork::drawArtwork()) {
        const std::string path = directory + "/" + std::to_string(picture.number) + ".bmp";
        const std::vector<std::uint8_t> bytes = stipplewave::artwork::encodeBmp(picture);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (std::fclose(file) != 0 || !written) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "write") == 0) {
        return writePictures(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "preview") == 0) {
        if (!stipplewave::artwork::writePreview(argv[2])) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "usage: %s write DIR | preview OUT.png\n", argv[0]);
    return 2;
}
