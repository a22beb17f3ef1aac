// Text on every backend that can draw it: where it lands, what it covers,
// what colour it has. Glyph shapes are the fonts' business and not tested.
#include "tests/toolkit/TestPlatform.h"

namespace stipplewave::test {
namespace {

constexpr Color background{10, 20, 30, 0};
constexpr Color textColor{250, 240, 0, 0};
constexpr Color boxColor{0, 0, 250, 0};
constexpr PixelColor bg = platform::pixelColor(background);
constexpr PixelColor ink = platform::pixelColor(textColor);
constexpr PixelColor box = platform::pixelColor(boxColor);
constexpr std::int32_t width = 120;
constexpr std::int32_t height = 60;

struct Changes {
    int count = 0;
    Rect bounds{width, height, -1, -1};  // inclusive
    bool hasInk = false;
    int boxPixels = 0;
    bool outside(const Rect& r) const {
        return count > 0 && (bounds.left < r.left || bounds.top < r.top || bounds.right >= r.right ||
                             bounds.bottom >= r.bottom);
    }
};

Changes changes(const Pixels& p) {
    Changes c;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const PixelColor v = p.at(x, y);
            if (v == bg) {
                continue;
            }
            ++c.count;
            c.bounds = Rect(std::min(c.bounds.left, x), std::min(c.bounds.top, y), std::max(c.bounds.right, x),
                            std::max(c.bounds.bottom, y));
            c.hasInk = c.hasInk || v == ink;
            c.boxPixels += v == box ? 1 : 0;
        }
    }
    return c;
}

class TextScenario : public BackendTest {
protected:
    void SetUp() override {
        if (!hasText()) {
            GTEST_SKIP() << GetParam().name << " has no fonts on this target";
        }
    }

    Pixels text(const char* s, const Rect& r, bool opaque, std::int32_t alignment, std::int32_t font = 1,
                std::int32_t size = 0) {
        auto c = canvas(width, height, background);
        c->setFont(font, size);
        c->setTextColor(textColor);
        c->setFillColor(boxColor);
        c->drawText(s, r, opaque, alignment);
        return read(*c);
    }
};

struct Placement {
    const char* name;
    std::int32_t alignment;
    Rect r;
};

const Placement placements[] = {
    {"left", LeftAlignment, {10, 10, 110, 50}},      {"centre", CentreAlignment, {10, 10, 110, 50}},
    {"right", RightAlignment, {10, 10, 110, 50}},    {"other_values_are_left", 5, {10, 10, 110, 50}},
    {"clipped_small_box", CentreAlignment, {20, 20, 27, 26}}, {"clipped_at_the_right", LeftAlignment, {90, 5, 100, 55}},
};

TEST_P(TextScenario, TextStaysInsideItsRectangleInItsColour) {
    for (const Placement& p : placements) {
        SCOPED_TRACE(p.name);
        Rect allowed = p.r;
        if (p.alignment != CentreAlignment && p.alignment != RightAlignment) {
            allowed.left += 1;
        }
        const Changes c = changes(text("WHg", p.r, false, p.alignment));
        EXPECT_GT(c.count, 0);
        EXPECT_FALSE(c.outside(allowed)) << c.bounds.left << "," << c.bounds.top << "," << c.bounds.right << ","
                                         << c.bounds.bottom;
        EXPECT_TRUE(c.hasInk);
    }
}

TEST_P(TextScenario, AlignmentPlacesTheLineLeftCentredOrRight) {
    const Rect r(10, 10, 110, 50);
    const Changes left = changes(text("H", r, false, LeftAlignment));
    const Changes centre = changes(text("H", r, false, CentreAlignment));
    const Changes right = changes(text("H", r, false, RightAlignment));
    EXPECT_LE(left.bounds.left - (r.left + 1), 3);
    EXPECT_LE(std::abs((centre.bounds.left + centre.bounds.right + 1) / 2 - (r.left + r.right) / 2), 3);
    EXPECT_LE((r.right - 1) - right.bounds.right, 3);
    for (const Changes* c : {&left, &centre, &right}) {
        const int middle = (c->bounds.top + c->bounds.bottom + 1) / 2;
        EXPECT_LE(std::abs(middle - (r.top + r.bottom) / 2), 3) << "vertically centred";
    }
}

TEST_P(TextScenario, LeftAlignmentStartsOnePixelInFromTheLeftEdge) {
    const Rect r(10, 10, 110, 50);
    auto c = canvas(width, height, background);
    c->setFont(1, 0);
    c->setTextColor(textColor);
    c->getSurface()->drawText("H", Rect(r.left + 1, r.top, r.right, r.bottom), platform::TextAlignment::Left);
    const Pixels unaligned = read(*c);
    EXPECT_EQ(differences(text("H", r, false, LeftAlignment), unaligned), "");
    EXPECT_EQ(differences(text("H", r, false, 5), unaligned), "");
    EXPECT_EQ(differences(text("H", r, false, -1), unaligned), "");
}

TEST_P(TextScenario, OpaqueTextFillsTheCellsBehindItWithTheFillColour) {
    const Rect r(10, 4, 110, 56);
    const Pixels p = text("Hg", r, true, CentreAlignment);
    const Changes c = changes(p);
    EXPECT_GT(c.boxPixels, 0);
    EXPECT_TRUE(c.hasInk);
    EXPECT_FALSE(c.outside(r));
    // The cells are one line high and centred: the top and bottom rows of a
    // tall rectangle stay as they were, as do its sides beside short text.
    EXPECT_EQ(mismatches(p, [&](int x, int y) { return y <= r.top + 4 || y >= r.bottom - 4 || x < 30 ? bg : p.at(x, y); }),
              "");
}

TEST_P(TextScenario, TransparentTextPaintsOnlyTheGlyphs) {
    const Changes c = changes(text("Hg", Rect(10, 4, 110, 56), false, CentreAlignment));
    EXPECT_TRUE(c.hasInk);
    EXPECT_EQ(c.boxPixels, 0);
}

TEST_P(TextScenario, BackgroundModeIsTransparentAgainAfterOpaqueText) {
    auto c = canvas(width, height, background);
    c->setFont(1, 0);
    c->setTextColor(textColor);
    c->setFillColor(boxColor);
    c->drawText("Hg", Rect(0, 0, 60, 30), true, CentreAlignment);
    const Pixels before = read(*c);
    EXPECT_GT(changes(before).boxPixels, 0);
    // Text drawn straight on the surface now shows whether it is still opaque.
    c->getSurface()->drawText("Hg", Rect(60, 30, 120, 60), platform::TextAlignment::Centre);
    const Pixels after = read(*c);
    int newBox = 0;
    for (int y = 30; y < height; ++y) {
        for (int x = 60; x < width; ++x) {
            newBox += after.at(x, y) == box ? 1 : 0;
        }
    }
    EXPECT_EQ(newBox, 0);
}

TEST_P(TextScenario, AFreshContextDrawsWhiteTextOnATransparentBackgroundInTheSurfacesFont) {
    auto c = canvas(width, height, background);
    {
        DrawContext fresh(c->getSurface(), nullptr);
        fresh.drawText("Hg", Rect(10, 10, 110, 50), false, CentreAlignment);
    }
    const Pixels p = read(*c);
    int white = 0;
    int black = 0;
    for (PixelColor v : p.values) {
        white += v == platform::pixelColor(WhiteColor) ? 1 : 0;
        black += v == platform::pixelColor(BlackColor) ? 1 : 0;
    }
    EXPECT_GT(white, 0);
    EXPECT_EQ(black, 0);
    EXPECT_TRUE(graphics.fontsAsked.empty()) << "no font is made until setFont";
}

TEST_P(TextScenario, FontIndexOutsideTheTableDrawsAsEntryZero) {
    const Rect r(10, 10, 110, 50);
    const Pixels entryZero = text("Hg", r, false, CentreAlignment, 0, 0);
    EXPECT_EQ(differences(text("Hg", r, false, CentreAlignment, -1, 0), entryZero), "");
    EXPECT_EQ(differences(text("Hg", r, false, CentreAlignment, 8, 0), entryZero), "");
    EXPECT_NE(differences(text("Hg", r, false, CentreAlignment, 1, 0), entryZero), "");
}

TEST_P(TextScenario, ASizeOfZeroMeansTheTablesSize) {
    const Rect r(10, 2, 110, 58);
    const Pixels tableSize = text("Hg", r, false, CentreAlignment, 3, 0);
    EXPECT_EQ(differences(text("Hg", r, false, CentreAlignment, 3, 12), tableSize), "");
    const Changes larger = changes(text("Hg", r, false, CentreAlignment, 3, 20));
    const Changes normal = changes(tableSize);
    EXPECT_GT(larger.bounds.bottom - larger.bounds.top, normal.bounds.bottom - normal.bounds.top);
}

TEST_P(TextScenario, TextColoursThatDifferOnlyInTheFourthByteDrawTheSame) {
    auto plain = canvas(width, height, background);
    auto marked = canvas(width, height, background);
    for (auto* c : {plain.get(), marked.get()}) {
        c->setFont(2, 0);
        c->setFillColor(c == plain.get() ? Color{1, 2, 3, 0} : Color{1, 2, 3, 99});
        c->setTextColor(c == plain.get() ? Color{200, 100, 50, 0} : Color{200, 100, 50, 255});
        c->drawText("Hg", Rect(5, 5, 100, 50), true, LeftAlignment);
    }
    EXPECT_EQ(differences(read(*plain), read(*marked)), "");
}

INSTANTIATE_TEST_SUITE_P(Backends, TextScenario, ::testing::ValuesIn(backends()), backendName);

}  // namespace
}  // namespace stipplewave::test
