// Drawing contexts apart from their pixels: the font table, the live
// button and key state, the cursor relative to the window, and what a
// context does when the platform cannot make what it asks for.
#include "tests/toolkit/TestPlatform.h"
#include "toolkit/raster/RasterGraphics.h"

namespace stipplewave::test {
namespace {

using platform::InputKey;

struct FontCase {
    std::int32_t index;
    std::int32_t size;
    const char* face;
    std::int32_t height;
    std::int32_t weight;
    platform::FontFamily family;
    platform::FontPitch pitch;
};

const FontCase fontCases[] = {
    {0, 0, "Arial", 12, 700, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {-1, 0, "Arial", 12, 700, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {8, 0, "Arial", 12, 700, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {1000, 5, "Arial", 5, 700, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {1, 0, "Arial", 18, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {3, 20, "Arial", 20, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {6, 0, "Arial", 9, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {7, 0, "Symbol", 13, 400, platform::FontFamily::Decorative, platform::FontPitch::Default},
};

TEST(FontTable, SetFontAsksForTheTablesDescription) {
    raster::RasterGraphics backend;
    TestGraphics graphics(backend);
    platform::ScopedServices use(platform::Services{&graphics, nullptr, nullptr});
    OffscreenContext c(nullptr, 4, 4, BlackColor);
    for (const FontCase& f : fontCases) {
        SCOPED_TRACE(::testing::Message() << "setFont(" << f.index << ", " << f.size << ")");
        c.setFont(f.index, f.size);
        ASSERT_FALSE(graphics.fontsAsked.empty());
        const platform::FontDescription& asked = graphics.fontsAsked.back();
        EXPECT_STREQ(asked.face, f.face);
        EXPECT_EQ(asked.height, f.height);
        EXPECT_EQ(asked.weight, f.weight);
        EXPECT_EQ(asked.family, f.family);
        EXPECT_EQ(asked.pitch, f.pitch);
    }
}

TEST(FontTable, HasTheEightEntriesInOrder) {
    const std::int32_t sizes[fontCount] = {12, 18, 14, 12, 11, 10, 9, 13};
    for (std::int32_t i = 0; i < fontCount; ++i) {
        EXPECT_EQ(fontTable[i].size, sizes[i]) << i;
        EXPECT_EQ(fontTable[i].weight, i == 0 ? 700 : 400) << i;
        EXPECT_STREQ(fontTable[i].face, i == 7 ? "Symbol" : "Arial") << i;
    }
}

TEST(Colours, TheTenConstantsHaveTheirBytes) {
    struct Named {
        Color color;
        int r, g, b;
    };
    const Named named[] = {{TransparentColor, 255, 255, 255}, {BlackColor, 0, 0, 0},     {WhiteColor, 255, 255, 255},
                           {GreyColor, 127, 127, 127},        {RedColor, 255, 0, 0},     {GreenColor, 0, 255, 0},
                           {BlueColor, 0, 0, 255},            {YellowColor, 255, 255, 0}, {MagentaColor, 255, 0, 255},
                           {CyanColor, 0, 255, 255}};
    for (const Named& n : named) {
        EXPECT_EQ(n.color.red, n.r);
        EXPECT_EQ(n.color.green, n.g);
        EXPECT_EQ(n.color.blue, n.b);
        EXPECT_EQ(n.color.reserved, 0);
    }
    EXPECT_EQ(platform::pixelColor(Color{1, 2, 3, 4}), 1u + 256u * 2u + 65536u * 3u);
}

struct ButtonCase {
    std::vector<InputKey> held;
    std::int32_t expected;
};

const ButtonCase buttonCases[] = {
    {{}, 0},
    {{InputKey::LeftButton}, 1},
    {{InputKey::MiddleButton}, 2},
    {{InputKey::RightButton}, 4},
    {{InputKey::Shift}, 8},
    {{InputKey::Control}, 16},
    {{InputKey::Alt}, 32},
    {{InputKey::LeftButton, InputKey::Control}, 17},
    {{InputKey::LeftButton, InputKey::Control, InputKey::Shift}, 25},
    {{InputKey::LeftButton, InputKey::Shift}, 9},
    {{InputKey::RightButton, InputKey::Alt}, 36},
    {{InputKey::LeftButton, InputKey::MiddleButton, InputKey::RightButton, InputKey::Shift, InputKey::Control,
      InputKey::Alt},
     63},
};

TEST(ButtonState, ReportsTheHeldButtonsAndKeysAsBits) {
    raster::ScriptedInput input;
    platform::ScopedServices use(platform::Services{nullptr, &input, nullptr});
    DrawContext c(nullptr, nullptr);
    for (const ButtonCase& b : buttonCases) {
        input.liftAll();
        for (InputKey key : b.held) {
            input.press(key);
        }
        EXPECT_EQ(c.buttonState(), b.expected);
    }
}

TEST(ButtonState, ReadsTheLiveStateAtEveryCall) {
    raster::ScriptedInput input;
    platform::ScopedServices use(platform::Services{nullptr, &input, nullptr});
    DrawContext c(nullptr, nullptr);
    input.press(InputKey::LeftButton);
    EXPECT_EQ(c.buttonState(), 1);
    input.lift(InputKey::LeftButton);
    EXPECT_EQ(c.buttonState(), 0);
}

TEST(MousePosition, IsRelativeToTheWindowOriginReadWhenTheContextWasMade) {
    raster::RasterGraphics backend;
    raster::ScriptedInput input;
    platform::ScopedServices use(platform::Services{&backend, &input, nullptr});
    raster::HeadlessWindow window(backend, 50, 40, Point(100, 50));
    auto surface = window.borrowSurface();
    DrawContext early(surface.get(), &window);
    EXPECT_EQ(early.getWindowOrigin(), Point(100, 50));
    input.moveCursor(Point(130, 75));
    Point p;
    early.mousePosition(p);
    EXPECT_EQ(p, Point(30, 25));
    window.moveTo(Point(10, 10));
    early.mousePosition(p);
    EXPECT_EQ(p, Point(30, 25)) << "the origin is the one read at construction";
    DrawContext late(surface.get(), &window);
    late.mousePosition(p);
    EXPECT_EQ(p, Point(120, 65));
    input.moveCursor(Point(0, 0));
    late.mousePosition(p);
    EXPECT_EQ(p, Point(-10, -10));
    DrawContext noWindow(surface.get(), nullptr);
    noWindow.mousePosition(p);
    EXPECT_EQ(p, Point(0, 0));
    EXPECT_EQ(noWindow.getWindowOrigin(), Point(0, 0));
}

TEST(HeadlessWindow, SurfacesBorrowedOnItShareItsPixelsAndAreGivenBack) {
    raster::RasterGraphics backend;
    platform::ScopedServices use(platform::Services{&backend, nullptr, nullptr});
    raster::HeadlessWindow window(backend, 8, 6);
    {
        auto surface = window.borrowSurface();
        EXPECT_EQ(window.surfacesOut(), 1);
        DrawContext c(surface.get(), &window);
        c.moveTo(Point(0, 2));
        c.lineTo(Point(8, 2));
    }
    EXPECT_EQ(window.surfacesOut(), 0);
    EXPECT_EQ(window.pixels().at(5, 2), platform::pixelColor(WhiteColor));
    EXPECT_EQ(window.pixels().at(5, 3), platform::pixelColor(BlackColor));
}

TEST(ScriptedClock, SleepAdvancesTheTickAndTheTickWraps) {
    raster::ScriptedClock clock(0xFFFFFFF0u);
    platform::ScopedServices use(platform::Services{nullptr, nullptr, &clock});
    platform::Clock* current = platform::services().clock;
    current->sleep(10);
    EXPECT_EQ(current->tickCount(), 0xFFFFFFFAu);
    current->sleep(10);
    EXPECT_EQ(current->tickCount(), 4u);
    EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{10, 10}));
}

TEST(Services, AScopeReplacesOnlyWhatItNamesAndPutsEverythingBack) {
    const platform::Services before = platform::services();
    raster::ScriptedInput input;
    {
        platform::ScopedServices use(platform::Services{nullptr, &input, nullptr});
        EXPECT_EQ(platform::services().input, &input);
        EXPECT_EQ(platform::services().graphics, before.graphics);
        EXPECT_EQ(platform::services().clock, before.clock);
    }
    EXPECT_EQ(platform::services().input, before.input);
    EXPECT_NE(before.graphics, nullptr);
    EXPECT_NE(before.input, nullptr);
    EXPECT_NE(before.clock, nullptr);
}

// --- what the platform cannot make ------------------------------------------------

class Refusals : public BackendTest {};

TEST_P(Refusals, APenThatCannotBeMadeLeavesThePreviousPenInUse) {
    auto c = canvas(10, 10, BlackColor);
    c->setLineColor(GreenColor);
    graphics.refusePens = true;
    c->setLineColor(BlueColor);
    EXPECT_TRUE(sameDrawnColor(c->getLineColor(), BlueColor));
    c->moveTo(Point(0, 0));
    c->lineTo(Point(5, 0));
    EXPECT_EQ(read(*c).at(2, 0), platform::pixelColor(GreenColor));
}

TEST_P(Refusals, ABrushThatCannotBeMadeLeavesThePreviousBrushInUse) {
    auto c = canvas(10, 10, BlackColor);
    c->setFillColor(RedColor);
    graphics.refuseBrushes = true;
    c->setFillColor(BlueColor);
    EXPECT_TRUE(sameDrawnColor(c->getFillColor(), BlueColor));
    c->fillRect(Rect(0, 0, 9, 9));
    EXPECT_EQ(read(*c).at(4, 4), platform::pixelColor(RedColor));
}

TEST_P(Refusals, AFontThatCannotBeMadeKeepsThePreviousFont) {
    if (!hasText()) {
        GTEST_SKIP() << GetParam().name << " has no fonts on this target";
    }
    const auto draw = [this](bool refuseSecond, bool changeFont) {
        auto c = canvas(60, 30, BlackColor);
        c->setTextColor(WhiteColor);
        c->setFont(2, 0);
        graphics.refuseFonts = refuseSecond;
        if (changeFont) {
            c->setFont(1, 0);
        }
        graphics.refuseFonts = false;
        c->drawText("Hg", Rect(0, 0, 60, 30), true, CentreAlignment);
        return read(*c);
    };
    const Pixels firstFont = draw(false, false);
    EXPECT_EQ(differences(draw(true, true), firstFont), "");
    EXPECT_NE(differences(draw(false, true), firstFont), "") << "the two fonts must differ for this test";
}

TEST_P(Refusals, AnOffscreenPictureThatCannotBeMadeDrawsAndCopiesNothing) {
    auto target = canvas(16, 16, RedColor);
    const Pixels before = read(*target);
    graphics.refuseSurfaces = true;
    OffscreenContext nothing(nullptr, 16, 16, GreenColor);
    EXPECT_EQ(nothing.getSurface(), nullptr);
    nothing.setLineColor(BlueColor);
    nothing.moveTo(Point(0, 0));
    nothing.lineTo(Point(10, 10));
    nothing.outlineRect(Rect(1, 1, 5, 5));
    nothing.fillRect(Rect(1, 1, 5, 5));
    nothing.setFont(2, 0);
    nothing.drawText("x", Rect(0, 0, 16, 16), true, 0);
    nothing.copyTo(*target, Rect(0, 0, 16, 16), Point(0, 0));
    EXPECT_EQ(differences(read(*target), before), "");
    EXPECT_TRUE(graphics.fontsAsked.empty());
}

TEST_P(Refusals, OffscreenPicturesOfImpossibleSizesAreNotMade) {
    for (const Point size : {Point(-1, 10), Point(10, -1)}) {
        OffscreenContext c(nullptr, size.h, size.v, GreenColor);
        EXPECT_EQ(c.getSurface(), nullptr);
        auto target = canvas(4, 4, RedColor);
        c.copyTo(*target, Rect(0, 0, 4, 4), Point(0, 0));
        EXPECT_EQ(read(*target).at(1, 1), platform::pixelColor(RedColor));
    }
}

TEST_P(Refusals, AContextWithoutASurfaceDoesNothingAtAll) {
    DrawContext c(nullptr, nullptr);
    c.setLineColor(RedColor);
    c.setFillColor(RedColor);
    c.setTextColor(RedColor);
    c.setFont(3, 0);
    c.moveTo(Point(1, 1));
    c.lineTo(Point(5, 5));
    c.outlineRect(Rect(0, 0, 3, 3));
    c.fillRect(Rect(0, 0, 3, 3));
    c.drawText("x", Rect(0, 0, 10, 10), true, 1);
    c.drawText(nullptr, Rect(0, 0, 10, 10), true, 1);
    EXPECT_TRUE(graphics.fontsAsked.empty());
    EXPECT_TRUE(sameDrawnColor(c.getLineColor(), RedColor));
}

INSTANTIATE_TEST_SUITE_P(Backends, Refusals, ::testing::ValuesIn(backends()), backendName);

}  // namespace
}  // namespace stipplewave::test
