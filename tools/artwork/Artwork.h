// The editor's 35 pictures, drawn from scratch: the background (128), the
// randomise slider's groove (129) and handle (130), and the 32 stacked
// step-button pictures (131 to 162). Deterministic: the same program on the
// same fonts draws the same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/Platform.h"
#include "toolkit/Types.h"

namespace stipplewave::artwork {

struct Picture {
    std::int32_t number = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<platform::PixelColor> pixels;  // row by row from the top
};

inline constexpr std::int32_t firstPicture = 128;
inline constexpr std::int32_t pictureCount = 35;

inline constexpr Color fieldColor{32, 0, 96, 0};
inline constexpr Color stepOnColor{2, 114, 204, 0};

// Where each step button sits on the background; tag 0..31.
Rect stepButtonRect(std::int32_t tag);
// Where the slider and the tempo read-out sit.
inline constexpr Rect sliderRect{26, 104, 270, 133};
inline constexpr Rect tempoRect{233, 142, 263, 156};

// All 35 pictures, in resource order.
std::vector<Picture> drawArtwork();

// A 24-bit uncompressed BMP file of the picture.
std::vector<std::uint8_t> encodeBmp(const Picture& picture);

}  // namespace stipplewave::artwork
