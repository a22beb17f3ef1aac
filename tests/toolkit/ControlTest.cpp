// The control base (value-based dirtiness, clamping, background references,
// idle processing through the frame's editor) and the two-state button.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "tests/editor/EditorRig.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Controls.h"
#include "toolkit/DrawContext.h"

namespace stipplewave::test {
namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();
const float infinity = std::numeric_limits<float>::infinity();

// The smallest concrete control: it only counts its draws.
class PlainControl : public Control {
public:
    explicit PlainControl(Bitmap* picture = nullptr) : Control(Rect(0, 0, 4, 4), nullptr, 5, picture) {}
    void draw(DrawContext&) override {
        ++draws;
        setDirty(false);
    }
    int draws = 0;
};

struct Change {
    Control* control;
    float value;
};

class RecordingListener : public ControlListener {
public:
    void valueChanged(DrawContext&, Control* control) override { changes.push_back({control, control->getValue()}); }
    std::vector<Change> changes;
};

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

using ControlTest = HeadlessRig;

TEST_F(ControlTest, ANewControlIsDirtyUntilDrawnAndAgainWhenItsValueChanges) {
    PlainControl control;
    EXPECT_EQ(control.getValue(), 0.0f);
    EXPECT_EQ(control.getDrawnValue(), 1.0f);
    EXPECT_EQ(control.getResetValue(), 0.5f);
    EXPECT_EQ(control.getMinimum(), 0.0f);
    EXPECT_EQ(control.getMaximum(), 1.0f);
    EXPECT_EQ(control.getTag(), 5);
    EXPECT_TRUE(control.isMouseEnabled());
    EXPECT_FALSE(control.isTransparent());
    EXPECT_TRUE(control.isDirty());

    DrawContext context(nullptr, nullptr);
    control.update(context);
    EXPECT_EQ(control.draws, 1);
    EXPECT_FALSE(control.isDirty());
    control.setValue(0.0f);
    EXPECT_FALSE(control.isDirty());
    control.setValue(0.25f);
    EXPECT_TRUE(control.isDirty());
    control.update(context);
    EXPECT_EQ(control.draws, 2);
    control.update(context);
    EXPECT_EQ(control.draws, 2);
}

TEST_F(ControlTest, DirtinessComparesValuesWithNaNCountingAsEqual) {
    struct Case {
        float value;
        float drawnValue;
        bool flag;
        bool dirty;
    };
    const Case cases[] = {
        {0.5f, 0.5f, false, false}, {0.5f, 0.25f, false, true}, {0.5f, 0.5f, true, true},
        {nan, 0.5f, false, false},  {0.5f, nan, false, false},  {nan, nan, false, false},
        {nan, 0.5f, true, true},    {-0.0f, 0.0f, false, false}, {infinity, 1.0f, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value << " drawn " << c.drawnValue << " flag " << c.flag);
        PlainControl control;
        control.setValue(c.value);
        control.setDirty(false);
        control.setDrawnValue(c.drawnValue);
        if (c.flag) {
            control.View::setDirty(true);
        }
        EXPECT_EQ(control.isDirty(), c.dirty);
    }
}

TEST_F(ControlTest, SetDirtyOnMakesTheDrawnValueDifferFromTheValue) {
    struct Case {
        float value;
        float drawnValue;
    };
    const Case cases[] = {
        {-1.0f, 0.0f},      // exactly -1: 0
        {0.5f, -1.0f},      {0.0f, -1.0f}, {-0.0f, -1.0f}, {1.0f, -1.0f},
        {std::nextafter(-1.0f, 0.0f), -1.0f},  // not bit for bit -1
        {nan, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        PlainControl control;
        control.setValue(c.value);
        control.setDirty(false);
        EXPECT_TRUE(sameBits(control.getDrawnValue(), c.value));
        control.setDirty(true);
        EXPECT_TRUE(sameBits(control.getDrawnValue(), c.drawnValue)) << control.getDrawnValue();
        EXPECT_TRUE(control.isDirty());
    }
}

TEST_F(ControlTest, ClampingTestsTheUpperBoundFirst) {
    struct Case {
        float minimum;
        float maximum;
        float value;
        float clamped;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 1.5f, 1.0f},  {0.0f, 1.0f, -0.2f, 0.0f}, {0.0f, 1.0f, 0.3f, 0.3f},
        {0.0f, 1.0f, 1.0f, 1.0f},  {0.0f, 1.0f, infinity, 1.0f}, {0.0f, 1.0f, -infinity, 0.0f},
        // a range upside down: above the maximum wins, else below the minimum
        {1.0f, 0.0f, 2.0f, 0.0f},  {1.0f, 0.0f, 0.5f, 0.0f},   {1.0f, 0.0f, -1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value << " in " << c.minimum << ".." << c.maximum);
        PlainControl control;
        control.setMinimum(c.minimum);
        control.setMaximum(c.maximum);
        control.setValue(c.value);
        control.clampValue();
        EXPECT_EQ(control.getValue(), c.clamped);
    }
    PlainControl control;
    control.setValue(nan);
    control.clampValue();
    EXPECT_TRUE(std::isnan(control.getValue()));
}

TEST_F(ControlTest, TheBackgroundIsHeldByReference) {
    Bitmap* first = solidBitmap(910, 2, 2, 0);
    Bitmap* second = solidBitmap(911, 2, 2, 0);
    {
        PlainControl control(first);
        EXPECT_EQ(first->getRefCount(), 2);
        control.setBackground(first);
        EXPECT_EQ(first->getRefCount(), 2);
        control.setBackground(second);
        EXPECT_EQ(first->getRefCount(), 1);
        EXPECT_EQ(second->getRefCount(), 2);
        EXPECT_EQ(control.getBackground(), second);
        control.setBackground(nullptr);
        EXPECT_EQ(second->getRefCount(), 1);
        control.setBackground(first);
    }
    EXPECT_EQ(first->getRefCount(), 1);
    first->release();
    second->release();
}

TEST_F(ControlTest, RunIdleReachesTheEditorOnlyThroughAFrame) {
    auto* effect = new TestEffect;
    auto* editor = new GuiEditor(effect);
    clock.advance(500);

    PlainControl loose;
    loose.runIdle();
    Frame noEditor(Rect(0, 0, 10, 10), nullptr, nullptr);
    auto* orphan = new PlainControl;
    noEditor.addView(orphan);
    orphan->runIdle();
    EXPECT_TRUE(clock.sleeps().empty());
    EXPECT_EQ(hostLog().count(audioMasterIdle), 0);

    Frame frame(Rect(0, 0, 10, 10), nullptr, editor);
    auto* control = new PlainControl;
    frame.addView(control);
    control->runIdle();
    EXPECT_EQ(hostLog().count(audioMasterIdle), 1);
    EXPECT_EQ(editor->getLastIdleTicks(), clock.tickCount());
    delete effect;
}

// --- OnOffButton ----------------------------------------------------------------

const PixelColor offColour = platform::pixelColor(30, 60, 90);
const PixelColor onColour = platform::pixelColor(200, 20, 40);
const PixelColor paperColour = platform::pixelColor(5, 5, 5);

class ButtonTest : public HeadlessRig {
protected:
    ButtonTest() {
        picture = stackedBitmap(920, 6, 8, offColour, onColour);
        button = std::make_unique<OnOffButton>(Rect(2, 1, 8, 5), &listener, 12, picture);
        picture->release();
        canvas = std::make_unique<OffscreenContext>(nullptr, 10, 7, Color{5, 5, 5, 0});
    }

    // The colour the button's square shows, or paper when nothing was drawn.
    PixelColor shown() {
        const Pixels pixels = readAll(canvas->getSurface(), 10, 7);
        const PixelColor inside = pixels.at(2, 1);
        const std::string uniform = mismatches(pixels, [&](std::int32_t x, std::int32_t y) {
            return x >= 2 && x < 8 && y >= 1 && y < 5 ? inside : paperColour;
        });
        EXPECT_EQ(uniform, "");
        return inside;
    }

    Bitmap* picture;
    RecordingListener listener;
    std::unique_ptr<OnOffButton> button;
    std::unique_ptr<OffscreenContext> canvas;
};

TEST_F(ButtonTest, AnyNonZeroValueShowsTheLowerPicture) {
    struct Case {
        float value;
        PixelColor colour;
    };
    const Case cases[] = {{0.0f, offColour}, {-0.0f, offColour}, {1.0f, onColour},
                          {0.5f, onColour},  {nan, onColour},    {-3.0f, onColour}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        button->setValue(c.value);
        button->draw(*canvas);
        EXPECT_EQ(describe(shown()), describe(c.colour));
        EXPECT_FALSE(button->isDirty());
    }
}

TEST_F(ButtonTest, ALeftPressTogglesDrawsAtOnceAndTellsTheListener) {
    struct Case {
        float before;
        float after;
    };
    const Case cases[] = {
        {0.0f, 1.0f},  {0.5f, 1.0f},  {0.99f, 1.0f}, {-0.5f, 1.0f}, {1.0f, 0.0f},     {2.0f, 0.0f},
        {-1.0f, 0.0f}, {nan, 1.0f},   {1e30f, 0.0f}, {-1e30f, 0.0f}, {infinity, 0.0f}, {-infinity, 0.0f},
        {3e9f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        listener.changes.clear();
        button->setValue(c.before);
        for (std::int32_t extra : {std::int32_t{0}, ShiftKeyBit | ControlKeyBit | AltKeyBit, std::int32_t{RightButtonBit}}) {
            button->setValue(c.before);
            listener.changes.clear();
            pointer.hold(LeftButtonBit | extra);
            Point where(3, 2);
            button->mouse(*canvas, where);
            EXPECT_EQ(button->getValue(), c.after);
            ASSERT_EQ(listener.changes.size(), 1u);
            EXPECT_EQ(listener.changes[0].control, button.get());
            EXPECT_EQ(listener.changes[0].value, c.after);
            EXPECT_FALSE(button->isDirty()) << "drawn at once";
            EXPECT_EQ(describe(shown()), describe(c.after != 0.0f ? onColour : offColour));
        }
    }
}

TEST_F(ButtonTest, OtherButtonsAndDisabledButtonsDoNothing) {
    struct Case {
        std::int32_t buttons;
        bool enabled;
    };
    const Case cases[] = {
        {RightButtonBit, true},         {MiddleButtonBit, true}, {RightButtonBit | ShiftKeyBit, true},
        {ControlKeyBit, true},          {0, true},               {LeftButtonBit, false},
        {LeftButtonBit | RightButtonBit, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "buttons " << c.buttons << " enabled " << c.enabled);
        button->setValue(0.0f);
        button->setMouseEnabled(c.enabled);
        pointer.hold(c.buttons);
        Point where(3, 2);
        button->mouse(*canvas, where);
        EXPECT_EQ(button->getValue(), 0.0f);
        EXPECT_TRUE(listener.changes.empty());
        EXPECT_EQ(describe(shown()), describe(paperColour));
        EXPECT_TRUE(button->isDirty());
    }
}

TEST_F(ButtonTest, TransparentButtonsLeaveTheKeyColourOut) {
    Bitmap* keyed = stackedBitmap(921, 6, 8, platform::pixelColor(255, 255, 255), onColour);
    OnOffButton see(Rect(2, 1, 8, 5), &listener, 1, keyed);
    keyed->release();
    see.setTransparent(true);
    see.setValue(0.0f);
    see.draw(*canvas);
    EXPECT_EQ(describe(shown()), describe(paperColour));
    see.setValue(1.0f);
    see.draw(*canvas);
    EXPECT_EQ(describe(shown()), describe(onColour));
}

TEST_F(ButtonTest, AButtonWithoutPictureOrListenerStillToggles) {
    OnOffButton blank(Rect(2, 1, 8, 5), &listener, 1, nullptr);
    pointer.hold(LeftButtonBit);
    Point where(3, 2);
    blank.mouse(*canvas, where);
    EXPECT_EQ(blank.getValue(), 1.0f);
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(describe(shown()), describe(paperColour));

    OnOffButton deaf(Rect(2, 1, 8, 5), nullptr, 1, picture);
    deaf.mouse(*canvas, where);
    EXPECT_EQ(deaf.getValue(), 1.0f);
    EXPECT_EQ(describe(shown()), describe(onColour));
}

}  // namespace
}  // namespace stipplewave::test
