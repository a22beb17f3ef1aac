// The editor base that runs a frame: its rectangle, open and the first
// refresh, the order of idle's work, the editor use of the window system,
// and runIdle's pacing on the wrapping millisecond clock.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/editor/EditorRig.h"
#include "toolkit/DrawContext.h"
#include "toolkit/Frame.h"

namespace stipplewave::test {
namespace {

class CountingView : public View {
public:
    explicit CountingView(int& drawCount) : View(Rect(0, 0, 10, 10)), draws(drawCount) {}
    void draw(DrawContext&) override { ++draws; }
    int& draws;
};

class GuiEditorTest : public HeadlessRig {
protected:
    GuiEditorTest() : effect(new TestEffect) {}
    ~GuiEditorTest() override { delete effect; }

    TestEffect* effect;
};

TEST_F(GuiEditorTest, TheRectangleIsTheSameRecordInEveryState) {
    auto* editor = new TestEditor(effect, Rect(0, 0, 278, 199));
    ERect* first = nullptr;
    EXPECT_EQ(editor->getRect(&first), 1);
    ASSERT_EQ(first, &editor->getEditorRect());
    EXPECT_EQ(first->right, 278);
    EXPECT_EQ(first->bottom, 199);
    editor->open(hostWindow);
    ERect* second = nullptr;
    EXPECT_EQ(editor->getRect(&second), 1);
    editor->close();
    ERect* third = nullptr;
    EXPECT_EQ(editor->getRect(&third), 1);
    EXPECT_EQ(second, first);
    EXPECT_EQ(third, first);
}

TEST_F(GuiEditorTest, OpenAnswersZeroAndLeavesARefreshPending) {
    auto* editor = new GuiEditor(effect);
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_EQ(editor->open(hostWindow), 0);
    EXPECT_EQ(editor->getParentWindow(), hostWindow);
    EXPECT_TRUE(editor->isUpdatePending());
    editor->idle();
    EXPECT_FALSE(editor->isUpdatePending());
}

TEST_F(GuiEditorTest, RefreshRequestsMergeIntoOneUpdateAtTheNextIdle) {
    auto* editor = new TestEditor(effect);
    editor->open(hostWindow);
    editor->postUpdate();
    editor->setParameter(3, 0.5f);
    editor->postUpdate();
    editor->idle();
    EXPECT_EQ(editor->updates, 1);
    editor->idle();
    EXPECT_EQ(editor->updates, 1);
    editor->setParameter(0, 1.0f);
    editor->idle();
    EXPECT_EQ(editor->updates, 2);
}

TEST_F(GuiEditorTest, TheFlagIsClearedBeforeUpdateRuns) {
    auto* editor = new TestEditor(effect);
    std::vector<bool> pendingDuringUpdate;
    editor->onUpdate = [&] {
        pendingDuringUpdate.push_back(editor->isUpdatePending());
        if (pendingDuringUpdate.size() == 1) {
            editor->postUpdate();  // a request that arrives during the refresh waits for the next idle
        }
    };
    editor->open(hostWindow);
    editor->idle();
    EXPECT_TRUE(editor->isUpdatePending());
    editor->idle();
    EXPECT_EQ(pendingDuringUpdate, (std::vector<bool>{false, false}));
    EXPECT_FALSE(editor->isUpdatePending());
}

TEST_F(GuiEditorTest, KeysAreNotTakenAndEveryKnobModeIsAccepted) {
    auto* editor = new GuiEditor(effect);
    EditorBase base(nullptr);
    for (int key : {0, 1, 13, 27, 255}) {
        KeyCode code{key, static_cast<std::uint8_t>(key), 0};
        EXPECT_EQ(editor->keyDown(code), -1);
        EXPECT_EQ(editor->keyUp(code), -1);
    }
    for (VstIntPtr mode : {0, 1, 2, -1, 1000}) {
        EXPECT_EQ(editor->setKnobMode(mode), 1);
        EXPECT_EQ(base.setKnobMode(mode), 0);
    }
}

TEST_F(GuiEditorTest, TheEditorUseOfTheWindowSystemBracketsTheEditorsLife) {
    auto* editor = new GuiEditor(effect);
    EXPECT_EQ(windows.editorUsesBegun, 1);
    EXPECT_EQ(windows.editorUsesEnded, 0);
    {
        // Services swapped in between: the end still goes to the same system.
        raster::HeadlessWindowSystem other(raster);
        platform::ScopedServices swap(platform::Services{nullptr, nullptr, nullptr, &other});
        effect->setEditor(nullptr);
        delete editor;
        EXPECT_EQ(other.editorUsesEnded, 0);
    }
    EXPECT_EQ(windows.editorUsesEnded, 1);
}

TEST_F(GuiEditorTest, IdleHandlesTheWindowsEventsThenTheRefreshThenTheRedraw) {
    auto* editor = new TestEditor(effect);
    int draws = 0;
    std::vector<std::string> order;
    editor->onUpdate = [&] {
        order.push_back("update after " + std::to_string(windows.eventPasses) + " event passes and " +
                        std::to_string(draws) + " draws");
    };
    editor->idle();  // closed: no window events are asked for
    EXPECT_EQ(windows.eventPasses, 0);

    editor->open(hostWindow);
    editor->addView(new CountingView(draws));
    editor->idle();
    // The new window's first paint came with the events (one full draw),
    // then the refresh, then the frame's first update pass (another full draw).
    EXPECT_EQ(order, (std::vector<std::string>{"update after 1 event passes and 1 draws"}));
    EXPECT_EQ(draws, 2);
    EXPECT_FALSE(editor->getFrame()->isFirstDrawPending());
}

TEST_F(GuiEditorTest, AnIdleFromInsideTheHostsIdleTouchesNothing) {
    auto* editor = new TestEditor(effect);
    int draws = 0;
    editor->open(hostWindow);
    editor->addView(new CountingView(draws));
    editor->idle();
    editor->idle();
    const int drawsBefore = draws;
    const int passesBefore = windows.eventPasses;

    struct Seen {
        bool inIdle = false;
        bool pendingAfter = false;
        int updates = 0;
        int draws = 0;
        int eventPasses = 0;
    } seen;
    hostLog().onIdle = [&](AEffect* record) {
        seen.inIdle = editor->isInIdle();
        editor->postUpdate();
        editor->getFrame()->getView(0)->setDirty(true);
        HostEffect::fromRecord(record)->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
        seen.pendingAfter = editor->isUpdatePending();
        seen.updates = editor->updates;
        seen.draws = draws;
        seen.eventPasses = windows.eventPasses;
    };
    const int updatesBefore = editor->updates;
    clock.advance(500);
    editor->runIdle();

    EXPECT_EQ(hostLog().count(audioMasterIdle), 1);
    EXPECT_TRUE(seen.inIdle);
    EXPECT_TRUE(seen.pendingAfter);
    EXPECT_EQ(seen.updates, updatesBefore);
    EXPECT_EQ(seen.draws, drawsBefore);
    EXPECT_EQ(seen.eventPasses, passesBefore + 1);  // only runIdle's own idle
    EXPECT_FALSE(editor->isInIdle());

    // The next idle from outside does the work that was held back.
    editor->idle();
    EXPECT_EQ(editor->updates, updatesBefore + 1);
    EXPECT_EQ(draws, drawsBefore + 1);
}

struct PacingCase {
    const char* name;
    std::uint32_t lastPass;  // the clock when the editor was made
    std::uint32_t now;
    bool sleeps;
    bool fullPass;
    std::uint32_t lastIdleTicks;  // afterwards
};

const PacingCase pacingCases[] = {
    {"30 ms after", 1000, 1030, true, false, 1000},
    {"39 ms after", 1000, 1039, true, false, 1000},
    {"40 ms after", 1000, 1040, true, true, 1050},
    {"60 ms after", 1000, 1060, true, true, 1070},
    {"99 ms after", 1000, 1099, true, true, 1109},
    {"100 ms after", 1000, 1100, false, true, 1100},
    {"150 ms after", 1000, 1150, false, true, 1150},
    {"same tick", 1000, 1000, true, false, 1000},
    // Across the wrap the elapsed time decides, as anywhere else.
    {"5 ms after, last pass + 100 wraps", 0xFFFFFFF0u, 0xFFFFFFF5u, true, false, 0xFFFFFFF0u},
    {"32 ms after, clock wrapped", 0xFFFFFFF0u, 0x10u, true, false, 0xFFFFFFF0u},
    {"48 ms after, clock wrapped", 0xFFFFFFF0u, 0x20u, true, true, 0x2Au},
    {"112 ms after, clock wrapped", 0xFFFFFFF0u, 0x60u, false, true, 0x60u},
    {"96 ms after, the sleep wraps the clock", 0xFFFFFF9Au, 0xFFFFFFFAu, true, true, 0x4u},
    {"288 ms after, clock wrapped, sums not", 0xFFFFFF00u, 0x20u, false, true, 0x20u},
};

TEST_F(GuiEditorTest, RunIdlePacesItselfOnTheMillisecondClock) {
    for (const PacingCase& c : pacingCases) {
        SCOPED_TRACE(c.name);
        hostLog().requests.clear();
        clock.set(c.lastPass);
        auto* editor = new TestEditor(effect);
        ASSERT_EQ(editor->getLastIdleTicks(), c.lastPass);
        editor->open(hostWindow);
        raster::HeadlessChildWindow* window = windows.newestWindow();
        window->sendPaint();
        // A paint request that arrives after idle has handled the window's
        // events: only the full pass's dispatch takes it.
        editor->onUpdate = [window] { window->setPaintPending(true); };
        clock.set(c.now);
        const std::size_t sleepsBefore = clock.sleeps().size();
        const int dispatchesBefore = windows.paintDispatches;

        editor->runIdle();

        EXPECT_EQ(editor->updates, 1) << "runIdle always idles first";
        EXPECT_EQ(clock.sleeps().size() - sleepsBefore, c.sleeps ? 1u : 0u);
        if (c.sleeps) {
            EXPECT_EQ(clock.sleeps().back(), 10u);
        }
        EXPECT_EQ(windows.paintDispatches - dispatchesBefore, c.fullPass ? 1 : 0);
        EXPECT_EQ(window->isPaintPending(), !c.fullPass);
        EXPECT_EQ(hostLog().count(audioMasterIdle), c.fullPass ? 1 : 0);
        EXPECT_EQ(editor->getLastIdleTicks(), c.lastIdleTicks);
        effect->setEditor(nullptr);
        delete editor;
    }
}

TEST_F(GuiEditorTest, ALoopOfRunIdleTurnsEveryTenAndServesEveryFiftyMilliseconds) {
    for (std::uint32_t start : {1000u, 0xFFFFFFE0u}) {
        SCOPED_TRACE(start);
        clock.set(start);
        auto* editor = new TestEditor(effect);
        editor->open(hostWindow);
        std::vector<std::uint32_t> fullPasses;
        hostLog().onIdle = [&](AEffect*) { fullPasses.push_back(editor->getLastIdleTicks()); };
        for (int pass = 0; pass < 20; ++pass) {
            editor->runIdle();
        }
        // Each call sleeps 10 ms; a call from 40 ms after the last full
        // pass on is full, and records its start plus 10.
        EXPECT_EQ(fullPasses, (std::vector<std::uint32_t>{start + 50u, start + 100u, start + 150u, start + 200u}));
        EXPECT_EQ(clock.tickCount(), start + 200u);
        hostLog().onIdle = nullptr;
        effect->setEditor(nullptr);
        delete editor;
    }
}

TEST_F(GuiEditorTest, RunIdleWithoutAnEffectStillPaces) {
    GuiEditor editor(nullptr);
    clock.advance(200);
    editor.runIdle();
    EXPECT_EQ(editor.getLastIdleTicks(), clock.tickCount());
    EXPECT_TRUE(hostLog().requests.empty());
}

}  // namespace
}  // namespace stipplewave::test
