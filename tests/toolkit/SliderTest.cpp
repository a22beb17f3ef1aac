// The horizontal slider: where the handle is drawn (the editor's randomise
// slider as the main case), the drag loop with its edit brackets, fine
// tuning and reset, presses on and off the handle, and the configurations
// and values that have no sensible travel or position.
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/editor/EditorRig.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Controls.h"
#include "toolkit/DrawContext.h"

namespace stipplewave::test {
namespace {

using Step = ScriptedPointer::Step;

const PixelColor grooveColour = platform::pixelColor(40, 40, 160);
const PixelColor handleColour = platform::pixelColor(10, 200, 30);
const PixelColor windowColour = 0;  // a new headless window is black

// The editor's randomise slider: rectangle (26, 104, 270, 133), travel 25 to
// 235, a 34 x 26 handle (picture 130) over a groove picture (129), offset
// (0, 0), DragInverted, handle offset (1, 0), drawn transparently.
const Rect sliderRect(26, 104, 270, 133);
constexpr std::int32_t sliderTag = 34;

class ValueLog : public ControlListener {
public:
    // Redraws the control the way the editor does, so the drag shows.
    void valueChanged(DrawContext& context, Control* control) override {
        values.push_back(control->getValue());
        control->update(context);
    }
    std::vector<float> values;
};

class SliderTest : public HeadlessRig {
protected:
    SliderTest() : effect(new TestEffect), editor(new TestEditor(effect)) {
        handle = solidBitmap(130, 34, 26, handleColour);
        groove = solidBitmap(129, 244, 29, grooveColour);
    }
    ~SliderTest() override {
        delete effect;  // and with it the editor, its frame and its views
        handle->release();
        groove->release();
    }

    // A slider in the open editor's frame, as the editor adds it.
    HorizontalSlider* addSlider(float value, std::int32_t travelStart = 25, std::int32_t travelEnd = 235,
                                std::int32_t style = DragInverted) {
        if (editor->getFrame() == nullptr) {
            editor->open(hostWindow);
        }
        auto* slider = new HorizontalSlider(sliderRect, &log, sliderTag, travelStart, travelEnd, handle, groove,
                                            Point(0, 0), style);
        slider->setHandleOffset(Point(1, 0));
        slider->setValue(value);
        slider->setTransparent(true);
        editor->addView(slider);
        return slider;
    }

    raster::HeadlessChildWindow& window() { return *windows.newestWindow(); }

    // Presses at `where` with the script's first step held, and runs the
    // drag on a context over the frame's window, as a press would.
    void press(HorizontalSlider& slider, Point where, std::vector<Step> script) {
        pointer.play(std::move(script));
        auto surface = window().borrowSurface();
        DrawContext context(surface.get(), &window());
        slider.mouse(context, where);
    }

    int requests(std::int32_t opcode) const { return hostLog().count(opcode); }

    // The opcodes of begin-edit, end-edit, in the order the host saw them.
    std::vector<std::int32_t> editBrackets() const {
        std::vector<std::int32_t> seen;
        for (const HostRequest& r : hostLog().requests) {
            if (r.opcode == audioMasterBeginEdit || r.opcode == audioMasterEndEdit) {
                seen.push_back(r.opcode);
                EXPECT_EQ(r.index, sliderTag);
            }
        }
        return seen;
    }

    TestEffect* effect;
    TestEditor* editor;
    Bitmap* handle;
    Bitmap* groove;
    ValueLog log;
};

TEST_F(SliderTest, TheEditorsSliderDrawsItsHandleFromTheLeftEndAtOneToTheCutRightEndAtZero) {
    struct Case {
        float value;
        std::int32_t handleLeft;   // frame x of the handle's left edge
        std::int32_t handleRight;  // frame x just past its right edge
    };
    const Case cases[] = {
        {1.0f, 27, 61},    // t = 0: left = 0 + 1
        {0.0f, 237, 269},  // t = 1: left = 210 + 1, right cut from 245 to 243 (control x)
        {0.5f, 132, 166},  // t = 0.5: left = 105 + 1
        {0.25f, 184, 218},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        editor->close();
        HorizontalSlider* slider = addSlider(c.value);
        ASSERT_TRUE(window().sendPaint());
        EXPECT_EQ(slider->getLastHandleLeft(), c.handleLeft);
        EXPECT_TRUE(slider->isDirty()) << "a paint's full draw keeps the dirty state";
        const Pixels pixels = windowPixels(window());
        EXPECT_EQ(mismatches(pixels,
                             [&](std::int32_t x, std::int32_t y) {
                                 if (!rectContains(Rect(26, 104, 269, 132), Point(x, y))) {
                                     return windowColour;
                                 }
                                 const bool onHandle = x >= c.handleLeft && x < c.handleRight && y < 104 + 26;
                                 return onHandle ? handleColour : grooveColour;
                             }),
                  "");
    }
}

TEST_F(SliderTest, TheStyleBitsChooseTheDrawnDirection) {
    struct Case {
        std::int32_t style;
        float value;
        std::int32_t handleLeft;
    };
    const Case cases[] = {
        {DragInverted, 1.0f, 27},         {DragInverted, 0.0f, 237},
        {DrawDirect, 1.0f, 237},          {DrawDirect, 0.0f, 27},
        {0, 1.0f, 27},                    {0, 0.0f, 237},
        {DrawDirect | DragInverted, 1.0f, 237},
        {DrawDirect | DragInverted, 0.2f, 26 + 42 + 1},
    };
    DrawContext context(nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "style " << c.style << " value " << c.value);
        HorizontalSlider* slider = addSlider(c.value, 25, 235, c.style);
        slider->draw(context);
        EXPECT_EQ(slider->getLastHandleLeft(), c.handleLeft);
    }
}

TEST_F(SliderTest, ValuesWithoutAPlaceOnTheTravelStillDrawAtDefinedPlaces) {
    struct Case {
        float value;
        std::int32_t handleLeft;
    };
    const Case cases[] = {
        {std::numeric_limits<float>::quiet_NaN(), 27},  // counts as t = 0
        {1e30f, 25},                                     // far left: held at the left limit
        {-1e30f, 269},                                   // far right: cut away at the right limit
        {std::numeric_limits<float>::infinity(), 25},
        {-std::numeric_limits<float>::infinity(), 269},
        {2.0f, 25},                                      // -210 + 1, held at the left limit
        {-0.5f, 269},                                    // 315 + 1 is past the right limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        editor->close();
        HorizontalSlider* slider = addSlider(c.value);
        ASSERT_TRUE(window().sendPaint());
        EXPECT_EQ(slider->getLastHandleLeft(), c.handleLeft);
        const Pixels pixels = windowPixels(window());
        for (std::int32_t x = 0; x < pixels.width; ++x) {
            const bool handleHere = pixels.at(x, 110) == handleColour;
            if (handleHere) {
                EXPECT_GE(x, c.handleLeft);
                EXPECT_LT(x, 269);
            }
        }
    }
}

struct DragCase {
    const char* name;
    float start;
    Point press;
    std::vector<Step> script;  // the first step is what is held at the press
    std::vector<float> values;  // what the listener saw, pass by pass
};

// jumpToClick: the grip is 25 + 34 / 2 - 1 = 41, so a pointer at x stands
// for p = (x - 41) / 210 and, dragged inverted, for the value 1 - p.
const std::vector<DragCase> dragCases = {
    {"follows the pointer",
     0.8f,
     {146, 110},
     {{LeftButtonBit, {146, 110}}, {LeftButtonBit, {167, 110}}, {LeftButtonBit, {251, 300}}, {0, {251, 300}}},
     {0.5f, 0.4f, 0.0f}},
    {"Shift pressed midway freezes the anchor, released lets the value jump",
     0.8f,
     {146, 110},
     {{LeftButtonBit, {146, 110}},
      {LeftButtonBit, {167, 110}},
      {LeftButtonBit | ShiftKeyBit, {188, 110}},
      {LeftButtonBit | ShiftKeyBit, {251, 110}},
      {LeftButtonBit, {251, 110}},
      {0, {251, 110}}},
     {0.5f, 0.4f, 0.4f + (0.3f - 0.4f) / 10.0f, 0.4f + (0.0f - 0.4f) / 10.0f, 0.0f}},
    {"Shift held from the press moves a tenth of the way from the value at the press",
     0.8f,
     {41, 110},  // stands for 1.0
     {{LeftButtonBit | ShiftKeyBit, {41, 110}}, {LeftButtonBit | ShiftKeyBit, {251, 110}}, {0, {251, 110}}},
     {0.8f + (1.0f - 0.8f) / 10.0f, 0.8f + (0.0f - 0.8f) / 10.0f}},
    {"another key going down under Shift sets a new anchor",
     0.8f,
     {146, 110},
     {{LeftButtonBit | ShiftKeyBit, {146, 110}},
      {LeftButtonBit | ShiftKeyBit | AltKeyBit, {251, 110}},
      {0, {251, 110}}},
     {0.8f + (0.5f - 0.8f) / 10.0f, 0.77f + (0.0f - 0.77f) / 10.0f}},
    {"values beyond the travel are clamped on every pass",
     0.5f,
     {0, 110},
     {{LeftButtonBit, {0, 110}}, {LeftButtonBit, {400, 110}}, {0, {400, 110}}},
     {1.0f, 0.0f}},
    {"a pass that leaves the value as drawn tells nobody",
     0.5f,
     {146, 110},
     {{LeftButtonBit, {146, 110}}, {LeftButtonBit, {146, 110}}, {LeftButtonBit, {167, 110}}, {0, {167, 110}}},
     {0.4f}},
};

TEST_F(SliderTest, DragsFollowThePointerWithFineTuningAndOneEditBracket) {
    for (const DragCase& c : dragCases) {
        SCOPED_TRACE(c.name);
        editor->close();
        hostLog().requests.clear();
        log.values.clear();
        HorizontalSlider* slider = addSlider(c.start);
        window().sendPaint();
        editor->idle();  // draws the slider clean at its start value
        editor->idle();
        ASSERT_FALSE(slider->isDirty());
        const std::size_t sleepsBefore = clock.sleeps().size();

        press(*slider, c.press, c.script);

        ASSERT_EQ(log.values.size(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_FLOAT_EQ(log.values[i], c.values[i]) << "pass " << i + 1;
        }
        EXPECT_EQ(editBrackets(), (std::vector<std::int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
        // One runIdle per pass; each pass that came too early slept 10 ms.
        const std::size_t passes = c.script.size() - 1;
        EXPECT_EQ(clock.sleeps().size() - sleepsBefore, passes);
        EXPECT_FALSE(slider->isDirty()) << "the listener redrew it";
    }
}

TEST_F(SliderTest, TheDragServesTheHostAndPaintsAboutEveryFiftyMilliseconds) {
    HorizontalSlider* slider = addSlider(0.5f);
    window().sendPaint();
    std::vector<Step> script(12, Step{LeftButtonBit, {146, 110}});
    script.push_back({0, {146, 110}});
    clock.advance(1000);  // the last full pass is long ago
    const int dispatchesBefore = windows.paintDispatches;
    press(*slider, Point(146, 110), script);
    // Pass 1 is a full pass at once; after it every pass sleeps 10 ms, and
    // the pass that finds the clock 40 ms on is full again: passes 1, 6, 11.
    EXPECT_EQ(requests(audioMasterIdle), 3);
    EXPECT_EQ(windows.paintDispatches - dispatchesBefore, 3);
    EXPECT_EQ(clock.sleeps().size(), 11u);
}

TEST_F(SliderTest, AReleaseBeforeTheFirstPassStillSendsBothBrackets) {
    HorizontalSlider* slider = addSlider(0.3f);
    pointer.play({{LeftButtonBit, {146, 110}}});
    pointer.releaseLeftAfterReads(1);
    auto surface = window().borrowSurface();
    DrawContext context(surface.get(), &window());
    Point where(146, 110);
    slider->mouse(context, where);
    EXPECT_EQ(editBrackets(), (std::vector<std::int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
    EXPECT_TRUE(log.values.empty());
    EXPECT_EQ(slider->getValue(), 0.3f);
}

TEST_F(SliderTest, AControlClickWithTheLeftButtonAloneResets) {
    struct Case {
        const char* name;
        std::int32_t buttons;
        float start;
        float resetValue;
        std::vector<float> values;
        bool brackets;
    };
    const Case cases[] = {
        {"Control-click", LeftButtonBit | ControlKeyBit, 0.9f, 0.5f, {0.5f}, false},
        {"no clamping", LeftButtonBit | ControlKeyBit, 0.9f, 1.5f, {1.5f}, false},
        {"already there", LeftButtonBit | ControlKeyBit, 0.5f, 0.5f, {}, false},
        {"Control-Shift-click is a fine drag", LeftButtonBit | ControlKeyBit | ShiftKeyBit, 0.9f, 0.5f,
         {0.9f + (0.5f - 0.9f) / 10.0f}, true},
        {"Control-Alt-click is a drag", LeftButtonBit | ControlKeyBit | AltKeyBit, 0.9f, 0.5f, {0.5f}, true},
        {"Control with the right button", RightButtonBit | ControlKeyBit, 0.9f, 0.5f, {}, false},
        {"right button", RightButtonBit, 0.9f, 0.5f, {}, false},
        {"middle button", MiddleButtonBit, 0.9f, 0.5f, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        editor->close();
        hostLog().requests.clear();
        log.values.clear();
        HorizontalSlider* slider = addSlider(c.start);
        slider->setResetValue(c.resetValue);
        DrawContext context(nullptr, nullptr);
        slider->draw(context);
        press(*slider, Point(146, 110), {{c.buttons, {146, 110}}, {0, {146, 110}}});
        ASSERT_EQ(log.values.size(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_FLOAT_EQ(log.values[i], c.values[i]);
        }
        EXPECT_EQ(editBrackets().size(), c.brackets ? 2u : 0u);
    }
}

TEST_F(SliderTest, WithoutJumpToClickOnlyAPressOnTheDrawnHandleDrags) {
    struct Case {
        Point press;
        bool drags;
    };
    // Drawn at value 1: the handle's left edge is at 27, 34 wide, from 104
    // down 26 rows; both ends of each range count.
    const Case cases[] = {
        {{26, 110}, false}, {{27, 110}, true},  {{44, 110}, true},  {{61, 110}, true}, {{62, 110}, false},
        {{40, 104}, true},  {{40, 130}, true},  {{40, 131}, false}, {{40, 103}, false},
    };
    for (bool drawn : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << (drawn ? "drawn" : "never drawn") << ", press at (" << c.press.h
                                              << "," << c.press.v << ")");
            editor->close();
            hostLog().requests.clear();
            log.values.clear();
            HorizontalSlider* slider = addSlider(1.0f);
            slider->setJumpToClick(false);
            EXPECT_FALSE(slider->getJumpToClick());
            if (drawn) {
                DrawContext context(nullptr, nullptr);
                slider->draw(context);
            }
            EXPECT_EQ(slider->getLastHandleLeft(), 27);
            press(*slider, c.press, {{LeftButtonBit, c.press}, {0, c.press}});
            EXPECT_EQ(editBrackets().size(), c.drags ? 2u : 0u);
            if (c.drags) {
                // The grip keeps the pointer's place on the handle, measured
                // from the travel's start: p = (x - (25 + x - 27)) / 210.
                ASSERT_EQ(log.values.size(), 1u);
                EXPECT_FLOAT_EQ(log.values[0], 1.0f - 2.0f / 210.0f);
            } else {
                EXPECT_TRUE(log.values.empty());
                EXPECT_EQ(slider->getValue(), 1.0f);
            }
        }
    }
}

TEST_F(SliderTest, ABeforeTheFirstDrawPressFindsTheHandleWhereTheValuePutsIt) {
    HorizontalSlider* slider = addSlider(0.0f);
    slider->setJumpToClick(false);
    EXPECT_EQ(slider->getLastHandleLeft(), 237);
    press(*slider, Point(30, 110), {{LeftButtonBit, {30, 110}}, {0, {30, 110}}});
    EXPECT_TRUE(editBrackets().empty());
    press(*slider, Point(240, 110), {{LeftButtonBit, {240, 110}}, {0, {240, 110}}});
    EXPECT_EQ(editBrackets().size(), 2u);
}

TEST_F(SliderTest, WithoutTravelThePointerDoesNotMoveTheValue) {
    struct Case {
        const char* name;
        std::int32_t travelStart;
        std::int32_t travelEnd;
        float start;
        std::vector<float> values;
    };
    const Case cases[] = {
        {"no travel", 130, 130, 0.3f, {}},
        {"travel backwards", 235, 25, 0.3f, {}},
        {"backwards, out of range", 235, 25, 1.5f, {1.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        editor->close();
        hostLog().requests.clear();
        log.values.clear();
        HorizontalSlider* slider = addSlider(c.start, c.travelStart, c.travelEnd);
        ASSERT_TRUE(window().sendPaint());
        DrawContext context(nullptr, nullptr);
        slider->draw(context);
        press(*slider, Point(100, 110),
              {{LeftButtonBit, {100, 110}},
               {LeftButtonBit, {200, 110}},
               {LeftButtonBit | ShiftKeyBit, {20, 110}},
               {LeftButtonBit | ShiftKeyBit, {260, 110}},
               {0, {260, 110}}});
        ASSERT_EQ(log.values.size(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_EQ(log.values[i], c.values[i]);
        }
        EXPECT_EQ(slider->getValue(), c.values.empty() ? c.start : c.values.back());
        EXPECT_EQ(editBrackets(), (std::vector<std::int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
    }
}

TEST_F(SliderTest, DisabledSlidersIgnorePresses) {
    HorizontalSlider* slider = addSlider(0.5f);
    slider->setMouseEnabled(false);
    for (std::int32_t buttons : {std::int32_t{LeftButtonBit}, LeftButtonBit | ControlKeyBit}) {
        press(*slider, Point(100, 110), {{buttons, {100, 110}}, {0, {100, 110}}});
    }
    EXPECT_TRUE(log.values.empty());
    EXPECT_TRUE(editBrackets().empty());
    EXPECT_EQ(slider->getValue(), 0.5f);
}

TEST_F(SliderTest, AnotherHandleKeepsTheSizeWorkedOutAtConstruction) {
    HorizontalSlider* slider = addSlider(1.0f);
    Bitmap* narrow = solidBitmap(131, 10, 10, handleColour);
    slider->setHandle(narrow);
    EXPECT_EQ(narrow->getRefCount(), 2);
    EXPECT_EQ(handle->getRefCount(), 1);
    slider->setJumpToClick(false);
    DrawContext context(nullptr, nullptr);
    slider->draw(context);
    press(*slider, Point(61, 130), {{LeftButtonBit, {61, 130}}, {0, {61, 130}}});
    EXPECT_EQ(editBrackets().size(), 2u);
    narrow->release();
}

TEST_F(SliderTest, TheSliderHoldsItsPicturesByReference) {
    {
        HorizontalSlider loose(sliderRect, &log, 1, 25, 235, handle, groove, Point(0, 0), DragInverted);
        EXPECT_EQ(handle->getRefCount(), 2);
        EXPECT_EQ(groove->getRefCount(), 2);
        EXPECT_EQ(loose.getHandle(), handle);
        EXPECT_EQ(loose.getFineTuneDivisor(), 10.0f);
        EXPECT_TRUE(loose.getJumpToClick());
    }
    EXPECT_EQ(handle->getRefCount(), 1);
    EXPECT_EQ(groove->getRefCount(), 1);
}

}  // namespace
}  // namespace stipplewave::test
