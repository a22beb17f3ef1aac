// The parameter display: which formatter writes the text, the setters that
// mark it dirty, and the pixels of its box, edges, shadow and text.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/editor/EditorRig.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Controls.h"
#include "toolkit/DrawContext.h"

namespace stipplewave::test {
namespace {

struct FormatterCalls {
    int text = 0;
    int context = 0;
    void* contextSeen = nullptr;
    float valueSeen = 0.0f;
};

FormatterCalls calls;

void textFormatter(float value, char* text) {
    ++calls.text;
    calls.valueSeen = value;
    std::strcpy(text, "by text");
}

void contextFormatter(float value, char* text, void* context) {
    ++calls.context;
    calls.valueSeen = value;
    calls.contextSeen = context;
    std::strcpy(text, "by context");
}

void silentFormatter(float, char*) { ++calls.text; }

// Fills the whole buffer without a terminator.
void overflowingFormatter(float, char* text) { std::memset(text, 'x', ParamDisplay::textCapacity); }

std::string textOf(const ParamDisplay& display) {
    char text[ParamDisplay::textCapacity];
    std::memset(text, '?', sizeof text);
    display.formatText(text);
    return text;
}

class DisplayTest : public HeadlessRig {
protected:
    DisplayTest() { calls = FormatterCalls{}; }
};

TEST_F(DisplayTest, WithoutAFormatterTheValueIsWrittenWithTwoDecimals) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {{0.5f, "0.50"},      {1.0f, "1.00"},   {120.0f, "120.00"}, {-1.0f, "-1.00"},
                          {0.0f, "0.00"},      {0.126f, "0.13"}, {1234.5f, "1234.50"}};
    for (const Case& c : cases) {
        ParamDisplay display(Rect(0, 0, 10, 10), nullptr, 0);
        display.setValue(c.value);
        EXPECT_EQ(textOf(display), c.text);
    }
}

TEST_F(DisplayTest, TheContextFormatterWinsOverTheTextFormatter) {
    int owner = 0;
    ParamDisplay display(Rect(0, 0, 10, 10), nullptr, 0);
    display.setValue(0.25f);
    display.setTextFormatter(textFormatter);
    EXPECT_EQ(textOf(display), "by text");
    EXPECT_EQ(calls.valueSeen, 0.25f);

    display.setContextFormatter(contextFormatter, &owner);
    calls = FormatterCalls{};
    EXPECT_EQ(textOf(display), "by context");
    DrawContext context(nullptr, nullptr);
    display.draw(context);
    EXPECT_EQ(calls.context, 2);
    EXPECT_EQ(calls.text, 0);
    EXPECT_EQ(calls.contextSeen, &owner);

    display.setContextFormatter(nullptr, nullptr);
    EXPECT_EQ(textOf(display), "by text");
    display.setTextFormatter(nullptr);
    EXPECT_EQ(textOf(display), "0.25");
}

TEST_F(DisplayTest, AFormatterThatWritesNothingLeavesAnEmptyTextAndOneThatOverrunsIsCut) {
    ParamDisplay display(Rect(0, 0, 10, 10), nullptr, 0);
    display.setTextFormatter(silentFormatter);
    EXPECT_EQ(textOf(display), "");
    display.setTextFormatter(overflowingFormatter);
    EXPECT_EQ(textOf(display), std::string(ParamDisplay::textCapacity - 1, 'x'));
}

TEST_F(DisplayTest, ComparingSettersMarkTheDisplayDirtyOnlyForAVisibleChange) {
    struct Case {
        const char* name;
        void (*change)(ParamDisplay&);
        bool dirty;
    };
    const Case cases[] = {
        {"same font", [](ParamDisplay& d) { d.setFontIndex(3); }, false},
        {"other font", [](ParamDisplay& d) { d.setFontIndex(6); }, true},
        {"text colour, fourth byte only", [](ParamDisplay& d) { d.setTextColor(Color{255, 255, 255, 9}); }, false},
        {"text colour", [](ParamDisplay& d) { d.setTextColor(Color{255, 255, 254, 0}); }, true},
        {"back colour, fourth byte only", [](ParamDisplay& d) { d.setBackColor(Color{0, 0, 0, 1}); }, false},
        {"back colour", [](ParamDisplay& d) { d.setBackColor(Color{0, 1, 0, 0}); }, true},
        {"border colour, same", [](ParamDisplay& d) { d.setBorderColor(BlackColor); }, false},
        {"border colour", [](ParamDisplay& d) { d.setBorderColor(WhiteColor); }, true},
        {"shadow colour, fourth byte only", [](ParamDisplay& d) { d.setShadowColor(Color{255, 0, 0, 255}); }, false},
        {"shadow colour", [](ParamDisplay& d) { d.setShadowColor(Color{254, 0, 0, 0}); }, true},
        {"same alignment", [](ParamDisplay& d) { d.setTextAlignment(1); }, false},
        {"other alignment", [](ParamDisplay& d) { d.setTextAlignment(2); }, true},
        {"same style", [](ParamDisplay& d) { d.setStyle(0); }, false},
        {"other style", [](ParamDisplay& d) { d.setStyle(HideText); }, true},
        {"background offset", [](ParamDisplay& d) { d.setBackgroundOffset(Point(3, 4)); }, false},
        {"text formatter", [](ParamDisplay& d) { d.setTextFormatter(textFormatter); }, false},
        {"context formatter", [](ParamDisplay& d) { d.setContextFormatter(contextFormatter, nullptr); }, false},
        {"text transparency", [](ParamDisplay& d) { d.setTextTransparent(false); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamDisplay display(Rect(0, 0, 10, 10), nullptr, 0);
        DrawContext context(nullptr, nullptr);
        display.draw(context);
        ASSERT_FALSE(display.isDirty());
        c.change(display);
        EXPECT_EQ(display.isDirty(), c.dirty);
    }
    ParamDisplay display(Rect(0, 0, 10, 10), nullptr, 0);
    display.setTextColor(Color{255, 255, 255, 9});
    EXPECT_EQ(display.getTextColor().reserved, 9) << "all four bytes are stored";
    EXPECT_EQ(display.getListener(), nullptr);
    EXPECT_EQ(display.getTag(), 0);
}

// --- pixels -----------------------------------------------------------------------

const PixelColor paper = platform::pixelColor(90, 90, 90);
const PixelColor back = platform::pixelColor(0, 0, 200);
const PixelColor border = platform::pixelColor(0, 180, 0);
const Rect box(4, 3, 44, 20);  // inclusive: 41 x 18 pixels

// Runs once per backend of the target: raster everywhere, win32 on Windows
// (where only win32 can draw text).
class DisplayPixelTest : public ::testing::TestWithParam<Backend> {
protected:
    DisplayPixelTest()
        : graphics(*GetParam().graphics),
          use(platform::Services{&graphics, nullptr, nullptr, nullptr}),
          canvas(std::make_unique<OffscreenContext>(nullptr, 52, 26, Color{90, 90, 90, 0})) {}

    std::unique_ptr<ParamDisplay> display(std::int32_t style, Bitmap* background = nullptr) {
        auto made = std::make_unique<ParamDisplay>(box, background, style);
        made->setBackColor(Color{0, 0, 200, 0});
        made->setBorderColor(Color{0, 180, 0, 0});
        made->setTextColor(Color{250, 250, 0, 0});
        made->setShadowColor(Color{230, 0, 0, 0});
        return made;
    }
    Pixels pixels() const { return readAll(canvas->getSurface(), 52, 26); }
    bool hasText() const { return GetParam().hasText; }
    int count(PixelColor colour) const {
        int n = 0;
        for (PixelColor p : pixels().values) {
            n += p == colour ? 1 : 0;
        }
        return n;
    }

    TestGraphics graphics;
    platform::ScopedServices use;
    std::unique_ptr<OffscreenContext> canvas;
};

INSTANTIATE_TEST_SUITE_P(Backends, DisplayPixelTest, ::testing::ValuesIn(backends()), backendName);

bool onRing(std::int32_t x, std::int32_t y) {
    return rectContains(box, Point(x, y)) &&
           (x == box.left || x == box.right || y == box.top || y == box.bottom);
}

TEST_P(DisplayPixelTest, BoxesAndEdgesPaintTheRectangleAsTheStyleSays) {
    enum Edge { Border, Inset, Outset, None };
    struct Case {
        const char* name;
        std::int32_t style;
        bool transparent;
        bool filled;
        Edge edges;
    };
    const Case cases[] = {
        {"plain box", HideText, false, true, Border},
        {"inset", HideText | InsetEdges, false, true, Inset},
        {"outset", HideText | OutsetEdges, false, true, Outset},
        {"both: inset decides", HideText | InsetEdges | OutsetEdges, false, true, Inset},
        {"transparent", HideText, true, false, None},
        {"transparent with inset edges", HideText | InsetEdges, true, false, Inset},
        {"transparent with outset edges", HideText | OutsetEdges, true, false, Outset},
        {"skip drawing", SkipDrawing | InsetEdges, false, false, None},
        {"hidden text, shadow too", HideText | ShadowedText, false, true, Border},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        canvas = std::make_unique<OffscreenContext>(nullptr, 52, 26, Color{90, 90, 90, 0});
        auto d = display(c.style);
        d->setTransparent(c.transparent);
        d->draw(*canvas);
        EXPECT_FALSE(d->isDirty());
        EXPECT_EQ(mismatches(pixels(),
                             [&](std::int32_t x, std::int32_t y) {
                                 if (!rectContains(box, Point(x, y))) {
                                     return paper;
                                 }
                                 if (!onRing(x, y)) {
                                     return c.filled ? back : paper;
                                 }
                                 // top row and left column first; the rest of the ring second
                                 const bool first = x == box.left || y == box.top;
                                 switch (c.edges) {
                                     case Border: return border;
                                     case Inset: return first ? back : border;
                                     case Outset: return first ? border : back;
                                     case None: return c.filled ? back : paper;
                                 }
                                 return paper;
                             }),
                  "");
    }
}

TEST_P(DisplayPixelTest, ABackgroundPictureIsDrawnFromItsOffsetAndSkipDrawingDrawsNothing) {
    std::vector<PixelColor> picture;
    for (std::int32_t y = 0; y < 30; ++y) {
        for (std::int32_t x = 0; x < 60; ++x) {
            picture.push_back(platform::pixelColor(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7));
        }
    }
    graphics.addPicture(940, 60, 30, picture);
    Bitmap* bitmap = new Bitmap(940);
    for (bool skip : {false, true}) {
        SCOPED_TRACE(skip ? "SkipDrawing" : "drawn");
        canvas = std::make_unique<OffscreenContext>(nullptr, 52, 26, Color{90, 90, 90, 0});
        auto d = display(HideText | (skip ? SkipDrawing : 0), bitmap);
        d->setBackgroundOffset(Point(5, 2));
        d->draw(*canvas);
        EXPECT_FALSE(d->isDirty());
        // The picture covers the rectangle's area without its right column
        // and bottom row (a block copy of the rectangle's size).
        EXPECT_EQ(mismatches(pixels(),
                             [&](std::int32_t x, std::int32_t y) {
                                 if (skip || x < box.left || x >= box.right || y < box.top || y >= box.bottom) {
                                     return paper;
                                 }
                                 return platform::pixelColor(static_cast<std::uint8_t>(x - box.left + 5),
                                                             static_cast<std::uint8_t>(y - box.top + 2), 7);
                             }),
                  "");
    }
    bitmap->release();
}

// What a display with the test colours should show, drawn step by step
// with a context of its own: the box with its border, then an optional
// shadow and text.
Pixels expectedBox(const char* shadowText, const char* text) {
    OffscreenContext expected(nullptr, 52, 26, Color{90, 90, 90, 0});
    expected.setFillColor(Color{0, 0, 200, 0});
    expected.fillRect(box);
    expected.setLineColor(Color{0, 180, 0, 0});
    expected.outlineRect(box);
    expected.setFont(3, 0);
    if (shadowText != nullptr) {
        expected.setTextColor(Color{230, 0, 0, 0});
        expected.drawText(shadowText, Rect(box.left + 1, box.top + 1, box.right + 1, box.bottom + 1), false,
                          CentreAlignment);
    }
    if (text != nullptr) {
        expected.setTextColor(Color{250, 250, 0, 0});
        expected.drawText(text, box, false, CentreAlignment);
    }
    return readAll(expected.getSurface(), 52, 26);
}

TEST_P(DisplayPixelTest, TheDefaultTextIsTheValueWithTwoDecimalsCentredInTheBox) {
    if (!hasText()) {
        GTEST_SKIP() << "no font engine on this target";
    }
    auto d = display(0);
    d->setValue(0.5f);
    d->draw(*canvas);
    EXPECT_NE(differences(pixels(), expectedBox(nullptr, nullptr)), "") << "some text was drawn";
    EXPECT_EQ(differences(pixels(), expectedBox(nullptr, "0.50")), "");
}

TEST_P(DisplayPixelTest, ShadowedTextDrawsTheShadowFirstOnePixelDownAndRight) {
    if (!hasText()) {
        GTEST_SKIP() << "no font engine on this target";
    }
    auto shadowed = display(ShadowedText);
    shadowed->setValue(0.5f);
    shadowed->draw(*canvas);
    EXPECT_NE(differences(pixels(), expectedBox(nullptr, "0.50")), "") << "the shadow shows";
    EXPECT_EQ(differences(pixels(), expectedBox("0.50", "0.50")), "");

    canvas = std::make_unique<OffscreenContext>(nullptr, 52, 26, Color{90, 90, 90, 0});
    auto hidden = display(ShadowedText | HideText);
    hidden->setValue(0.5f);
    hidden->draw(*canvas);
    EXPECT_EQ(differences(pixels(), expectedBox(nullptr, nullptr)), "");
}

TEST_P(DisplayPixelTest, OpaqueTextFillsBehindItsCharactersWithTheContextsFillColour) {
    if (!hasText()) {
        GTEST_SKIP() << "no font engine on this target";
    }
    const PixelColor contextFill = platform::pixelColor(1, 2, 3);
    auto d = display(0);
    d->setValue(0.5f);
    d->setTextTransparent(false);
    EXPECT_FALSE(d->getTextTransparent());
    canvas->setFillColor(Color{1, 2, 3, 0});  // the box's fill colour replaces it before the text
    d->draw(*canvas);
    EXPECT_EQ(count(contextFill), 0);
    EXPECT_NE(differences(pixels(), expectedBox(nullptr, nullptr)), "");

    auto see = display(0);
    see->setTransparent(true);
    see->setValue(0.5f);
    see->setTextTransparent(false);
    canvas = std::make_unique<OffscreenContext>(nullptr, 52, 26, Color{90, 90, 90, 0});
    canvas->setFillColor(Color{1, 2, 3, 0});
    see->draw(*canvas);
    EXPECT_GT(count(contextFill), 0) << "no box, so the context's own fill colour shows behind the text";

    auto clear = display(0);
    clear->setTransparent(true);
    clear->setValue(0.5f);
    canvas = std::make_unique<OffscreenContext>(nullptr, 52, 26, Color{90, 90, 90, 0});
    canvas->setFillColor(Color{1, 2, 3, 0});
    clear->draw(*canvas);
    EXPECT_EQ(count(contextFill), 0) << "transparent text paints only its glyphs";
}

}  // namespace
}  // namespace stipplewave::test
