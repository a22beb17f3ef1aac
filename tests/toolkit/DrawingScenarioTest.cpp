// Lines, outlines, fills and block copies, pixel for pixel, on every
// backend of the program's target.
#include <cstdlib>
#include <functional>
#include <iterator>

#include "tests/toolkit/TestPlatform.h"

namespace stipplewave::test {
namespace {

constexpr Color background{10, 20, 30, 0};
constexpr Color lineColor{200, 40, 40, 0};
constexpr Color fillColor{40, 200, 60, 0};
constexpr PixelColor bg = platform::pixelColor(background);
constexpr PixelColor ink = platform::pixelColor(lineColor);
constexpr PixelColor paint = platform::pixelColor(fillColor);

class DrawingScenario : public BackendTest {};

TEST_P(DrawingScenario, NewCanvasHasEveryPixelInItsBackgroundColour) {
    auto c = canvas(17, 9, background);
    EXPECT_EQ(mismatches(read(*c), [](int, int) { return bg; }), "");
}

// --- lines -------------------------------------------------------------------

struct LineCase {
    const char* name;
    Point from;
    Point to;
};

// Axis-parallel and diagonal lines have only one right answer: one pixel per
// step from the start towards the end, the end left out.
const LineCase exactLines[] = {
    {"right", {5, 10}, {15, 10}},        {"left", {15, 12}, {5, 12}},
    {"down", {7, 5}, {7, 20}},           {"up", {9, 20}, {9, 5}},
    {"down_right", {5, 5}, {15, 15}},    {"down_left", {15, 5}, {5, 15}},
    {"up_right", {5, 30}, {15, 20}},     {"up_left", {15, 30}, {5, 20}},
    {"one_pixel", {3, 3}, {4, 3}},       {"zero_length", {10, 10}, {10, 10}},
    {"enters_from_left", {-5, 8}, {6, 8}}, {"leaves_right", {30, 6}, {50, 6}},
    {"leaves_bottom", {2, 35}, {2, 60}},  {"diagonal_off_corner", {36, 36}, {44, 44}},
};

bool onExactLine(const LineCase& line, int x, int y) {
    const int dx = line.to.h - line.from.h;
    const int dy = line.to.v - line.from.v;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i) {
        const int px = line.from.h + (dx == 0 ? 0 : (dx > 0 ? i : -i));
        const int py = line.from.v + (dy == 0 ? 0 : (dy > 0 ? i : -i));
        if (px == x && py == y) {
            return true;
        }
    }
    return false;
}

TEST_P(DrawingScenario, AxisAndDiagonalLinesPaintFromTheStartUpToButNotIncludingTheEnd) {
    for (const LineCase& line : exactLines) {
        SCOPED_TRACE(line.name);
        auto c = canvas(40, 40, background);
        c->setLineColor(lineColor);
        c->moveTo(line.from);
        c->lineTo(line.to);
        EXPECT_EQ(mismatches(read(*c), [&](int x, int y) { return onExactLine(line, x, y) ? ink : bg; }), "");
    }
}

// Lines of every other slope: one pixel per step along the major axis,
// never further than half a pixel from the ideal line, end left out.
const LineCase slopedLines[] = {
    {"octant_1", {2, 2}, {32, 9}},   {"octant_2", {2, 2}, {9, 32}},   {"octant_3", {32, 2}, {25, 32}},
    {"octant_4", {32, 2}, {2, 9}},   {"octant_5", {32, 32}, {2, 25}}, {"octant_6", {32, 32}, {25, 2}},
    {"octant_7", {2, 32}, {9, 2}},   {"octant_8", {2, 32}, {32, 25}}, {"tie_right_down", {2, 2}, {12, 3}},
    {"tie_left_up", {12, 3}, {2, 2}}, {"tie_right_up", {2, 3}, {12, 2}}, {"tie_left_down", {12, 2}, {2, 3}},
    {"tie_down_right", {3, 2}, {4, 12}}, {"tie_up_left", {4, 12}, {3, 2}}, {"tie_down_left", {4, 2}, {3, 12}},
    {"tie_up_right", {3, 12}, {4, 2}}, {"shallow_long", {1, 20}, {38, 27}}, {"steep_long", {20, 1}, {13, 38}},
};

TEST_P(DrawingScenario, SlopedLinesStayWithinHalfAPixelAndLeaveTheEndOut) {
    for (const LineCase& line : slopedLines) {
        SCOPED_TRACE(line.name);
        auto c = canvas(40, 40, background);
        c->setLineColor(lineColor);
        c->moveTo(line.from);
        c->lineTo(line.to);
        const Pixels p = read(*c);
        const int dx = line.to.h - line.from.h;
        const int dy = line.to.v - line.from.v;
        const bool xMajor = std::abs(dx) > std::abs(dy);
        int painted = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                if (p.at(x, y) == bg) {
                    continue;
                }
                ++painted;
                EXPECT_EQ(p.at(x, y), ink);
                const double along = xMajor ? double(x - line.from.h) / dx : double(y - line.from.v) / dy;
                EXPECT_GE(along, 0.0) << x << "," << y;
                EXPECT_LT(along, 1.0) << x << "," << y;
                const double ideal = xMajor ? line.from.v + along * dy : line.from.h + along * dx;
                EXPECT_LE(std::abs((xMajor ? y : x) - ideal), 0.5 + 1e-9) << x << "," << y;
            }
        }
        EXPECT_EQ(painted, std::max(std::abs(dx), std::abs(dy)));
        EXPECT_NE(p.at(line.from.h, line.from.v), bg);
        EXPECT_EQ(p.at(line.to.h, line.to.v), bg);
    }
}

TEST_P(DrawingScenario, ConnectedLinesPaintEveryCornerOnce) {
    auto c = canvas(20, 20, background);
    c->setLineColor(lineColor);
    c->moveTo(Point(3, 3));
    c->lineTo(Point(12, 3));
    c->lineTo(Point(12, 9));
    EXPECT_EQ(mismatches(read(*c),
                         [](int x, int y) {
                             return (y == 3 && x >= 3 && x <= 11) || (x == 12 && y >= 3 && y <= 8) ? ink : bg;
                         }),
              "");
}

// --- outlines and fills --------------------------------------------------------

const Rect boxes[] = {{2, 3, 9, 8}, {0, 0, 1, 1}, {1, 1, 13, 2}, {4, 2, 5, 12}, {6, 6, 18, 17}};

bool onBorder(const Rect& r, int x, int y) {
    const bool inside = x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
    return inside && (x == r.left || x == r.right || y == r.top || y == r.bottom);
}

bool inInterior(const Rect& r, int x, int y) {
    return x > r.left && x < r.right && y > r.top && y < r.bottom;
}

TEST_P(DrawingScenario, OutlinePaintsExactlyTheBorderOfTheInclusiveRectangle) {
    for (const Rect& r : boxes) {
        SCOPED_TRACE(::testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
        auto c = canvas(20, 20, background);
        c->setLineColor(lineColor);
        c->outlineRect(r);
        EXPECT_EQ(mismatches(read(*c), [&](int x, int y) { return onBorder(r, x, y) ? ink : bg; }), "");
    }
}

TEST_P(DrawingScenario, FillPaintsExactlyTheInsideOfThatBorder) {
    for (const Rect& r : boxes) {
        SCOPED_TRACE(::testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
        auto c = canvas(20, 20, background);
        c->setFillColor(fillColor);
        c->fillRect(r);
        EXPECT_EQ(mismatches(read(*c), [&](int x, int y) { return inInterior(r, x, y) ? paint : bg; }), "");
    }
}

TEST_P(DrawingScenario, OutlineThenFillCoverTheInclusiveRectangleWithoutOverlap) {
    for (const Rect& r : boxes) {
        SCOPED_TRACE(::testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
        for (const bool fillFirst : {false, true}) {
            auto c = canvas(20, 20, background);
            c->setLineColor(lineColor);
            c->setFillColor(fillColor);
            if (fillFirst) {
                c->fillRect(r);
                c->outlineRect(r);
            } else {
                c->outlineRect(r);
                c->fillRect(r);
            }
            EXPECT_EQ(mismatches(read(*c),
                                 [&](int x, int y) {
                                     return onBorder(r, x, y) ? ink : (inInterior(r, x, y) ? paint : bg);
                                 }),
                      "");
        }
    }
}

TEST_P(DrawingScenario, OutlineLeavesTheCurrentPositionAtTheTopLeftCorner) {
    auto c = canvas(20, 20, background);
    c->setLineColor(lineColor);
    c->outlineRect(Rect(5, 5, 10, 10));
    c->setLineColor(fillColor);
    c->lineTo(Point(2, 5));
    const Pixels p = read(*c);
    EXPECT_EQ(p.at(5, 5), paint);
    EXPECT_EQ(p.at(4, 5), paint);
    EXPECT_EQ(p.at(3, 5), paint);
    EXPECT_EQ(p.at(2, 5), bg);
}

const Rect emptyFills[] = {{5, 5, 6, 20}, {5, 5, 20, 6}, {5, 5, 5, 20}, {5, 5, 20, 5}, {5, 5, 6, 6}, {12, 12, 4, 4}};

TEST_P(DrawingScenario, FillOfARectangleOnePixelWideOrHighOrLessPaintsNothing) {
    for (const Rect& r : emptyFills) {
        SCOPED_TRACE(::testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
        auto c = canvas(24, 24, background);
        c->setFillColor(fillColor);
        c->fillRect(r);
        EXPECT_EQ(mismatches(read(*c), [](int, int) { return bg; }), "");
    }
}

// --- contexts ----------------------------------------------------------------------

TEST_P(DrawingScenario, AFreshContextDrawsLinesInWhiteAndFillsInBlack) {
    auto c = canvas(12, 12, background);
    {
        DrawContext fresh(c->getSurface(), nullptr);
        fresh.moveTo(Point(1, 1));
        fresh.lineTo(Point(6, 1));
        fresh.fillRect(Rect(2, 3, 8, 9));
    }
    EXPECT_EQ(mismatches(read(*c),
                         [](int x, int y) {
                             if (y == 1 && x >= 1 && x <= 5) {
                                 return platform::pixelColor(WhiteColor);
                             }
                             return inInterior(Rect(2, 3, 8, 9), x, y) ? platform::pixelColor(BlackColor) : bg;
                         }),
              "");
}

TEST_P(DrawingScenario, AContextGivesTheSurfaceItsOwnSelectionBackAtTheEnd) {
    auto c = canvas(12, 12, background);
    c->setLineColor(lineColor);
    c->setFillColor(fillColor);
    {
        DrawContext inner(c->getSurface(), nullptr);
        inner.setLineColor(GreenColor);
        inner.setFillColor(BlueColor);
    }
    c->getSurface()->moveTo(Point(0, 0));
    c->getSurface()->lineTo(Point(4, 0));
    c->getSurface()->fillRect(Rect(2, 2, 5, 5));
    const Pixels p = read(*c);
    EXPECT_EQ(p.at(0, 0), ink);
    EXPECT_EQ(p.at(3, 3), paint);
}

struct ColourOperation {
    const char* name;
    void (*draw)(DrawContext& context, Color color);
};

const ColourOperation colourOperations[] = {
    {"line",
     [](DrawContext& c, Color color) {
         c.setLineColor(color);
         c.moveTo(Point(1, 1));
         c.lineTo(Point(9, 7));
     }},
    {"outline",
     [](DrawContext& c, Color color) {
         c.setLineColor(color);
         c.outlineRect(Rect(2, 2, 9, 9));
     }},
    {"fill",
     [](DrawContext& c, Color color) {
         c.setFillColor(color);
         c.fillRect(Rect(1, 1, 10, 8));
     }},
};

TEST_P(DrawingScenario, ColoursThatDifferOnlyInTheFourthByteDrawTheSame) {
    for (const ColourOperation& operation : colourOperations) {
        SCOPED_TRACE(operation.name);
        auto plain = canvas(12, 12, background);
        auto marked = canvas(12, 12, background);
        operation.draw(*plain, Color{90, 160, 230, 0});
        operation.draw(*marked, Color{90, 160, 230, 201});
        const Pixels a = read(*plain);
        EXPECT_NE(mismatches(a, [](int, int) { return bg; }), "") << "the operation drew nothing";
        EXPECT_EQ(differences(a, read(*marked)), "");
    }
}

// --- block copies ----------------------------------------------------------------------

struct CopyCase {
    const char* name;
    Rect dest;
    Point src;
};

const CopyCase copies[] = {
    {"whole", {0, 0, 12, 10}, {0, 0}},
    {"inner_block", {4, 6, 12, 11}, {2, 3}},
    {"one_pixel", {20, 20, 21, 21}, {11, 9}},
    {"to_the_edge", {22, 25, 30, 30}, {0, 0}},
    {"empty", {5, 5, 5, 9}, {0, 0}},
};

TEST_P(DrawingScenario, CopyToPutsTheSourceBlockAtTheDestinationPixelForPixel) {
    auto source = canvas(12, 10, background);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            source->setLineColor(Color{static_cast<std::uint8_t>(20 * x), static_cast<std::uint8_t>(25 * y), 99, 0});
            source->moveTo(Point(x, y));
            source->lineTo(Point(x + 1, y));
        }
    }
    const Pixels s = read(*source);
    for (const CopyCase& copy : copies) {
        SCOPED_TRACE(copy.name);
        auto target = canvas(30, 30, background);
        source->copyTo(*target, copy.dest, copy.src);
        EXPECT_EQ(mismatches(read(*target),
                             [&](int x, int y) {
                                 const bool inBlock = x >= copy.dest.left && x < copy.dest.right &&
                                                      y >= copy.dest.top && y < copy.dest.bottom;
                                 return inBlock ? s.at(copy.src.h + x - copy.dest.left, copy.src.v + y - copy.dest.top)
                                                : bg;
                             }),
                  "");
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, DrawingScenario, ::testing::ValuesIn(backends()), backendName);

#if defined(_WIN32)
// Where a program has more than one backend, each line of every slope and
// each outline and fill must come out the same on all of them.
Pixels drawOn(const Backend& backend, const std::function<void(DrawContext&)>& scene) {
    TestGraphics wrapped(*backend.graphics);
    raster::ScriptedInput input;
    platform::ScopedServices use(platform::Services{&wrapped, &input, nullptr});
    OffscreenContext c(nullptr, 40, 40, background);
    scene(c);
    return readAll(c.getSurface(), 40, 40);
}

void expectSameOnEveryBackend(const std::function<void(DrawContext&)>& scene) {
    const Pixels first = drawOn(backends().front(), scene);
    for (std::size_t i = 1; i < backends().size(); ++i) {
        SCOPED_TRACE(backends()[i].name);
        EXPECT_EQ(differences(drawOn(backends()[i], scene), first), "");
    }
}

TEST(CrossBackend, LinesOfEverySlopeArePaintedAlike) {
    std::vector<LineCase> all(std::begin(exactLines), std::end(exactLines));
    all.insert(all.end(), std::begin(slopedLines), std::end(slopedLines));
    for (int i = 0; i < 40; ++i) {
        // A fan of lines from the centre to every point of a square ring.
        const int t = i * 2;
        all.push_back(LineCase{"fan", Point(20, 20), Point(t < 40 ? t : 39, t < 40 ? 0 : t - 40)});
        all.push_back(LineCase{"fan", Point(20, 20), Point(t < 40 ? 39 - t : 0, t < 40 ? 39 : 79 - t)});
    }
    for (const LineCase& line : all) {
        SCOPED_TRACE(::testing::Message() << line.name << " " << line.from.h << "," << line.from.v << " -> "
                                          << line.to.h << "," << line.to.v);
        expectSameOnEveryBackend([&line](DrawContext& c) {
            c.setLineColor(lineColor);
            c.moveTo(line.from);
            c.lineTo(line.to);
        });
    }
}

TEST(CrossBackend, OutlinesAndFillsArePaintedAlike) {
    for (const Rect& r : boxes) {
        expectSameOnEveryBackend([&r](DrawContext& c) {
            c.setLineColor(lineColor);
            c.setFillColor(fillColor);
            c.outlineRect(r);
            c.fillRect(Rect(r.left + 20, r.top + 20, r.right + 20, r.bottom + 20));
        });
    }
}
#endif

}  // namespace
}  // namespace stipplewave::test
