// The step mixer's editor end to end on headless services: its layout, what
// it shows, clicks and drags reaching the effect and the host, host changes
// and random flips shown at the next idle, and opening and closing in any
// order.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "editor/StepMixerEditor.h"
#include "engine/StepMixerEdit.h"
#include "host/Module.h"
#include "tests/editor/EditorRig.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Frame.h"
#include "toolkit/raster/Headless.h"
#include "toolkit/raster/RasterGraphics.h"

namespace stipplewave::test {
namespace {

struct Sent {
    std::int32_t opcode;
    std::int32_t index;
    float opt;
};

std::vector<Sent>& sent() {
    static std::vector<Sent> log;
    return log;
}

VstIntPtr stepHost(AEffect*, std::int32_t opcode, std::int32_t index, VstIntPtr, void*, float opt) {
    sent().push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::vector<Sent> sentWith(std::int32_t opcode) {
    std::vector<Sent> matching;
    for (const Sent& s : sent()) {
        if (s.opcode == opcode) {
            matching.push_back(s);
        }
    }
    return matching;
}

constexpr PixelColor kOffCentre = platform::pixelColor(32, 0, 96);
constexpr PixelColor kOnCentre = platform::pixelColor(2, 114, 204);

// The button rectangles, tag by tag, as the layout places them.
const Rect kButtonRects[32] = {
    {13, 14, 27, 21},     {29, 14, 43, 22},     {45, 14, 59, 23},     {61, 14, 75, 24},     {77, 14, 91, 25},
    {93, 14, 107, 26},    {109, 14, 123, 28},   {125, 14, 139, 30},   {141, 14, 155, 33},   {157, 14, 171, 36},
    {173, 14, 187, 39},   {189, 14, 203, 44},   {205, 14, 219, 49},   {221, 14, 235, 56},   {237, 14, 251, 66},
    {253, 14, 267, 86},   {12, 113, 26, 185},   {28, 133, 42, 185},   {44, 143, 58, 185},   {60, 150, 74, 185},
    {76, 155, 90, 185},   {92, 160, 106, 185},  {108, 163, 122, 185}, {124, 166, 138, 185}, {140, 169, 154, 185},
    {156, 171, 170, 185}, {172, 173, 186, 185}, {188, 174, 202, 185}, {204, 175, 218, 185}, {220, 176, 234, 185},
    {236, 177, 250, 185}, {252, 178, 266, 185},
};

Point centreOf(const Rect& r) { return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

class StepMixerEditorTest : public ::testing::Test {
protected:
    StepMixerEditorTest()
        : windows(raster), use(platform::Services{&raster, &pointer, &clock, &windows}) {
        sent().clear();
        effect = std::make_unique<StepMixerEdit>(stepHost);
        editor = static_cast<StepMixerEditor*>(effect->getEditor());
    }

    AEffect* record() { return effect->getRecord(); }
    VstIntPtr dispatch(std::int32_t opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return record()->dispatcher(record(), opcode, 0, value, ptr, 0.0f);
    }
    // Opens in the host's window and lets the window paint, as a shown
    // window does, then idles twice: the first update pass after the first
    // paint is a full draw, which keeps every view's dirty state, so the
    // second is the one that leaves the new controls clean.
    raster::HeadlessChildWindow& openAndPaint() {
        EXPECT_EQ(dispatch(effEditOpen, 0, hostWindow), 1);
        raster::HeadlessChildWindow* window = windows.newestWindow();
        EXPECT_NE(window, nullptr);
        window->sendPaint();
        dispatch(effEditIdle);
        dispatch(effEditIdle);
        return *window;
    }
    PixelColor pixelAt(raster::HeadlessChildWindow& window, Point p) {
        return windowPixels(window).at(p.h, p.v);
    }
    std::vector<bool> dirtyButtons() {
        std::vector<bool> dirty;
        for (std::int32_t tag = 0; tag < 32; ++tag) {
            dirty.push_back(editor->stepButton(tag)->isDirty());
        }
        return dirty;
    }

    raster::RasterGraphics raster;
    ScriptedPointer pointer;
    raster::ScriptedClock clock{5000};
    raster::HeadlessWindowSystem windows;
    platform::ScopedServices use;
    std::unique_ptr<StepMixerEdit> effect;
    StepMixerEditor* editor = nullptr;
    void* const hostWindow = reinterpret_cast<void*>(std::uintptr_t{0x7001});
};

TEST_F(StepMixerEditorTest, TheRectangleComesFromTheBackgroundBeforeAnyOpen) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 199);
    EXPECT_EQ(rect->right, 278);
    EXPECT_EQ(record()->flags, effFlagsCanReplacing | effFlagsHasEditor);
    EXPECT_EQ(record()->uniqueID, 0x54564B31);
}

TEST_F(StepMixerEditorTest, OpenBuildsTheThirtyFourControlsWhereTheLayoutPutsThem) {
    ASSERT_EQ(dispatch(effEditOpen, 0, hostWindow), 1);
    Frame* frame = editor->getFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getViewCount(), 34);
    for (std::int32_t tag = 0; tag < 32; ++tag) {
        OnOffButton* button = editor->stepButton(tag);
        ASSERT_NE(button, nullptr) << tag;
        EXPECT_EQ(button->getSize(), kButtonRects[tag]) << "tag " << tag;
        EXPECT_EQ(button->getTag(), tag);
        EXPECT_TRUE(button->isTransparent());
        EXPECT_EQ(frame->getView(tag), button) << "buttons come first, in tag order";
        EXPECT_EQ(button->getBackground()->getRefCount(), 2) << "the editor's and the button's";
    }
    ParamDisplay* display = editor->getTempoDisplay();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->getSize(), Rect(233, 142, 263, 156));
    EXPECT_EQ(display->getFontIndex(), 6);
    EXPECT_FALSE(display->isTransparent());
    EXPECT_EQ(frame->getView(32), display);
    HorizontalSlider* slider = editor->getRandomizeSlider();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->getSize(), Rect(26, 104, 270, 133));
    EXPECT_EQ(slider->getTag(), 33);
    EXPECT_EQ(slider->getStyle(), DragInverted);
    EXPECT_TRUE(slider->isTransparent());
    EXPECT_EQ(frame->getView(33), slider);
    EXPECT_EQ(editor->getBackgroundBitmap()->getRefCount(), 2) << "the editor's and the frame's";
    raster::HeadlessChildWindow* window = windows.newestWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getParent(), hostWindow);
    EXPECT_EQ(window->getWidth(), 278);
    EXPECT_EQ(window->getHeight(), 199);
}

TEST_F(StepMixerEditorTest, AfterOpenTheButtonsShowTheDefaultPattern) {
    raster::HeadlessChildWindow& window = openAndPaint();
    for (std::int32_t tag = 0; tag < 32; ++tag) {
        const bool on = (tag >= 4 && tag <= 7) || (tag >= 12 && tag <= 15) || (tag >= 16 && tag <= 19) ||
                        (tag >= 24 && tag <= 27);
        EXPECT_EQ(pixelAt(window, centreOf(kButtonRects[tag])), on ? kOnCentre : kOffCentre) << "tag " << tag;
    }
}

TEST_F(StepMixerEditorTest, TheDisplayShowsTheTempoAndTheSliderSitsAtTheRightEnd) {
    openAndPaint();
    char text[256];
    formatTempo(editor->getTempoDisplay()->getValue(), text);
    EXPECT_STREQ(text, "119");
    EXPECT_EQ(editor->getRandomizeSlider()->getValue(), 0.0f);
    // Value 0 with DragInverted alone draws at fraction 1: the travel's end
    // (210 pixels) from the control's left edge plus the handle offset.
    EXPECT_EQ(editor->getRandomizeSlider()->getLastHandleLeft(), 26 + 210 + 1);
}

TEST_F(StepMixerEditorTest, AClickOnAStepButtonReachesTheEffectAndTheHostAndRedrawsAtOnce) {
    raster::HeadlessChildWindow& window = openAndPaint();
    const Point centre = centreOf(kButtonRects[5]);
    ASSERT_EQ(pixelAt(window, centre), kOnCentre);
    pointer.hold(1, centre);
    sent().clear();
    ASSERT_TRUE(window.sendButtonDown(centre));
    EXPECT_EQ(effect->getParameter(5), 0.0f);
    const std::vector<Sent> automated = sentWith(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, 5);
    EXPECT_EQ(automated[0].opt, 0.0f);
    EXPECT_EQ(pixelAt(window, centre), kOffCentre) << "the button draws itself on the press";
    const Pixels before = windowPixels(window);
    dispatch(effEditIdle);
    EXPECT_EQ(windowPixels(window), before) << "the idle after the click has nothing left to draw";
}

TEST_F(StepMixerEditorTest, ASliderDragIsBracketedByBeginAndEndEdit) {
    raster::HeadlessChildWindow& window = openAndPaint();
    const Point start(120, 118);
    pointer.play({{1, start}, {1, Point(140, 118)}, {1, Point(60, 118)}, {0, Point(60, 118)}});
    sent().clear();
    ASSERT_TRUE(window.sendButtonDown(start));
    std::vector<std::int32_t> order;
    for (const Sent& s : sent()) {
        if (s.opcode == audioMasterBeginEdit || s.opcode == audioMasterEndEdit || s.opcode == audioMasterAutomate) {
            order.push_back(s.opcode);
            EXPECT_EQ(s.index, 33);
        }
    }
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order.front(), audioMasterBeginEdit);
    EXPECT_EQ(order.back(), audioMasterEndEdit);
    EXPECT_EQ(sentWith(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(sentWith(audioMasterEndEdit).size(), 1u);
    // Dragging to the left raises the value (value 1 sits at the left end).
    EXPECT_GT(effect->getParameter(33), 0.5f);
    EXPECT_EQ(sentWith(audioMasterAutomate).back().opt, effect->getParameter(33));
}

TEST_F(StepMixerEditorTest, RandomFlipsAreShownAtTheNextIdleAndNothingElseIsRedrawn) {
    raster::HeadlessChildWindow& window = openAndPaint();
    // What the audio thread does at a bar boundary: write switches straight
    // into the effect and ask the editor to refresh, once per flip.
    for (std::int32_t tag : {0, 9, 20}) {
        effect->StepMixer::setParameter(tag, effect->getParameter(tag) == 0.0f ? 1.0f : 0.0f);
        editor->postUpdate();
    }
    editor->update();
    const std::vector<bool> dirty = dirtyButtons();
    for (std::int32_t tag = 0; tag < 32; ++tag) {
        EXPECT_EQ(dirty[static_cast<std::size_t>(tag)], tag == 0 || tag == 9 || tag == 20) << "tag " << tag;
    }
    EXPECT_FALSE(editor->getTempoDisplay()->isDirty());
    EXPECT_FALSE(editor->getRandomizeSlider()->isDirty());
    dispatch(effEditIdle);
    EXPECT_EQ(pixelAt(window, centreOf(kButtonRects[0])), kOnCentre);
    EXPECT_EQ(pixelAt(window, centreOf(kButtonRects[9])), kOnCentre);
    EXPECT_EQ(pixelAt(window, centreOf(kButtonRects[20])), kOnCentre);
    for (bool d : dirtyButtons()) {
        EXPECT_FALSE(d);
    }
    const Pixels after = windowPixels(window);
    dispatch(effEditIdle);
    EXPECT_EQ(windowPixels(window), after);
}

TEST_F(StepMixerEditorTest, AnIdleWithNothingChangedDrawsNothing) {
    openAndPaint();
    dispatch(effEditIdle);
    for (bool d : dirtyButtons()) {
        EXPECT_FALSE(d);
    }
    EXPECT_FALSE(editor->isUpdatePending());
    EXPECT_FALSE(editor->getTempoDisplay()->isDirty());
    EXPECT_FALSE(editor->getRandomizeSlider()->isDirty());
}

TEST_F(StepMixerEditorTest, HostChangesWhileClosedShowAtTheNextOpen) {
    record()->setParameter(record(), 0, 1.0f);
    EXPECT_FALSE(editor->isUpdatePending()) << "a closed editor requests no refresh";
    raster::HeadlessChildWindow& window = openAndPaint();
    EXPECT_EQ(pixelAt(window, centreOf(kButtonRects[0])), kOnCentre);
}

TEST_F(StepMixerEditorTest, HostChangesWhileOpenSetTheControlAndRequestARefresh) {
    openAndPaint();
    record()->setParameter(record(), 1, 1.0f);
    EXPECT_EQ(editor->stepButton(1)->getValue(), 1.0f);
    EXPECT_TRUE(editor->isUpdatePending());
    dispatch(effEditIdle);
    for (std::int32_t index : {34, 35, -1}) {
        std::vector<float> before;
        for (std::int32_t tag = 0; tag < 32; ++tag) {
            before.push_back(editor->stepButton(tag)->getValue());
        }
        record()->setParameter(record(), index, 0.0f);
        EXPECT_TRUE(editor->isUpdatePending()) << index;
        for (std::int32_t tag = 0; tag < 32; ++tag) {
            EXPECT_EQ(editor->stepButton(tag)->getValue(), before[static_cast<std::size_t>(tag)]);
        }
        dispatch(effEditIdle);
    }
}

TEST_F(StepMixerEditorTest, OpenCloseOpenRebuildsAndCloseFreesTheStepBitmaps) {
    ASSERT_EQ(dispatch(effEditOpen, 0, hostWindow), 1);
    Bitmap* firstPicture = editor->stepButton(3)->getBackground();
    EXPECT_EQ(firstPicture->getRefCount(), 2);
    dispatch(effEditClose);
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->stepButton(3), nullptr);
    EXPECT_EQ(editor->getBackgroundBitmap()->getRefCount(), 1) << "only the editor holds the background";
    EXPECT_TRUE(windows.windows().empty());
    ASSERT_EQ(dispatch(effEditOpen, 0, hostWindow), 1);
    EXPECT_EQ(editor->getFrame()->getViewCount(), 34);
    EXPECT_EQ(editor->stepButton(3)->getSize(), kButtonRects[3]);
    EXPECT_EQ(editor->stepButton(3)->getBackground()->getRefCount(), 2);
    dispatch(effEditClose);
}

TEST_F(StepMixerEditorTest, EditorOpcodesInAnyOrderAreSafe) {
    dispatch(effEditIdle);
    dispatch(effEditClose);
    dispatch(effEditClose);
    EXPECT_EQ(editor->getBackgroundBitmap()->getRefCount(), 1);
    ASSERT_EQ(dispatch(effEditOpen, 0, hostWindow), 1);
    ASSERT_EQ(dispatch(effEditOpen, 0, hostWindow), 1);
    EXPECT_EQ(windows.windows().size(), 1u) << "a second open replaces the first frame";
    EXPECT_EQ(editor->getBackgroundBitmap()->getRefCount(), 2);
    EXPECT_EQ(record()->dispatcher(record(), effEditKeyDown, 'a', 0, nullptr, 0.0f), -1);
    EXPECT_EQ(record()->dispatcher(record(), effSetEditKnobMode, 0, 2, nullptr, 0.0f), 1);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, &rect), 1);
    dispatch(effEditIdle);
    dispatch(effEditClose);
    dispatch(effEditIdle);
    EXPECT_TRUE(windows.windows().empty());
}

TEST_F(StepMixerEditorTest, OpenWithoutAParentBuildsEverythingWithoutAWindow) {
    ASSERT_EQ(dispatch(effEditOpen, 0, nullptr), 1);
    EXPECT_EQ(editor->getFrame()->getViewCount(), 34);
    EXPECT_TRUE(windows.windows().empty());
    dispatch(effEditIdle);
    dispatch(effEditClose);
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST_F(StepMixerEditorTest, TheHostWindowGoingFirstIsSurvived) {
    raster::HeadlessChildWindow& window = openAndPaint();
    window.destroyFromOutside();
    dispatch(effEditIdle);
    record()->setParameter(record(), 2, 1.0f);
    dispatch(effEditIdle);
    dispatch(effEditClose);
    EXPECT_EQ(editor->getFrame(), nullptr);
}

// Parameter changes on another thread while the user-interface thread opens,
// idles and closes: the other thread only ever requests refreshes.
TEST_F(StepMixerEditorTest, ParameterChangesFromAnotherThreadWhileOpeningAndClosing) {
    std::atomic<bool> stop{false};
    std::thread automation([&] {
        float value = 0.0f;
        while (!stop.load()) {
            for (std::int32_t index = -1; index <= 35; ++index) {
                record()->setParameter(record(), index, value);
            }
            value = value == 0.0f ? 1.0f : 0.0f;
        }
    });
    for (int round = 0; round < 30; ++round) {
        dispatch(effEditOpen, 0, hostWindow);
        if (raster::HeadlessChildWindow* window = windows.newestWindow()) {
            window->sendPaint();
        }
        dispatch(effEditIdle);
        dispatch(effEditIdle);
        dispatch(effEditClose);
    }
    stop.store(true);
    automation.join();
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST(FormatTempo, WholeBeatsPerMinuteCutTowardZero) {
    std::uint32_t bits = 0x3EF5C290u;  // 0.48000002, 120 BPM from a host
    float fromHost = 0.0f;
    std::memcpy(&fromHost, &bits, sizeof fromHost);
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.0f, "  0"},
        {0.1f, " 25"},
        {0.5f, "125"},
        {1.0f, "250"},
        {0.48f, "119"},
        {fromHost, "120"},
        {4.0f, "1000"},
        {-0.1f, "-25"},
        {std::numeric_limits<float>::quiet_NaN(), "  0"},
        {std::numeric_limits<float>::infinity(), "2147483647"},
        {-std::numeric_limits<float>::infinity(), "-2147483648"},
        {1e30f, "2147483647"},
    };
    for (const auto& c : cases) {
        char text[256];
        std::memset(text, 'x', sizeof text);
        formatTempo(c.value, text);
        EXPECT_STREQ(text, c.text) << c.value;
    }
}

// An effect whose editor cannot be made is refused; the next one is not.
EditorBase* noEditor(StepMixerEdit&) { return nullptr; }

TEST(StepMixerEdit, AnEditorThatCannotBeMadeRefusesOnlyThatEffect) {
    auto newEffect = [](AudioMasterCallback cb) -> HostEffect* { return new StepMixerEdit(cb); };
    StepMixerEdit::EditorMaker previous = StepMixerEdit::setEditorMaker(noEditor);
    EXPECT_EQ(createEffect(stepHost, newEffect), nullptr);
    StepMixerEdit::setEditorMaker(previous);
    AEffect* next = createEffect(stepHost, newEffect);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->flags, effFlagsCanReplacing | effFlagsHasEditor);
    next->dispatcher(next, effClose, 0, 0, nullptr, 0.0f);
}

// The effect echoes every parameter change to its editor, for every index.
class EchoRecorder : public GuiEditor {
public:
    explicit EchoRecorder(HostEffect* owner) : GuiEditor(owner) {}
    void setParameter(std::int32_t index, float value) override { echoes.push_back({index, value}); }
    std::vector<std::pair<std::int32_t, float>> echoes;
};

EditorBase* makeRecorder(StepMixerEdit& effect) { return new EchoRecorder(&effect); }

TEST(StepMixerEdit, EveryParameterChangeIsEchoedToTheEditor) {
    StepMixerEdit::EditorMaker previous = StepMixerEdit::setEditorMaker(makeRecorder);
    StepMixerEdit effect(stepHost);
    StepMixerEdit::setEditorMaker(previous);
    auto* recorder = static_cast<EchoRecorder*>(effect.getEditor());
    effect.setParameter(3, 1.0f);
    effect.setParameter(35, 1.0f);
    EXPECT_EQ(effect.getParameter(3), 1.0f);
    EXPECT_EQ(effect.getParameter(35), 0.0f);
    ASSERT_EQ(recorder->echoes.size(), 2u);
    EXPECT_EQ(recorder->echoes[0], std::make_pair(3, 1.0f));
    EXPECT_EQ(recorder->echoes[1], std::make_pair(35, 1.0f));
}

}  // namespace
}  // namespace stipplewave::test
