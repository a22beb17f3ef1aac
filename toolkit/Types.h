// The toolkit's value records: rectangles, points and colours. Plain data,
// copied by value everywhere.
#pragma once

#include <cstdint>

namespace stipplewave {

// Pixels, y growing downwards. Width is right - left, height bottom - top.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
        : left(l), top(t), right(r), bottom(b) {}

    constexpr std::int32_t width() const { return right - left; }
    constexpr std::int32_t height() const { return bottom - top; }
};

struct Point {
    std::int32_t h = 0;
    std::int32_t v = 0;

    constexpr Point() = default;
    constexpr Point(std::int32_t horizontal, std::int32_t vertical) : h(horizontal), v(vertical) {}
};

constexpr bool operator==(Point a, Point b) { return a.h == b.h && a.v == b.v; }
constexpr bool operator!=(Point a, Point b) { return !(a == b); }
constexpr bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The toolkit's hit test: inclusive on all four sides, so a point on the
// right or bottom edge is inside.
constexpr bool rectContains(const Rect& r, Point p) {
    return r.left <= p.h && p.h <= r.right && r.top <= p.v && p.v <= r.bottom;
}

// Only red, green and blue are ever drawn; `reserved` travels with the
// colour but never reaches a surface.
struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t reserved = 0;
};

constexpr bool sameDrawnColor(Color a, Color b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace stipplewave
