// Views and the frame: reference counts, the view list and its growth, hit
// testing and drops from the top, full draws and update passes, idle before
// and after the first paint, the child window's reports, the host's edit
// brackets, the cursor relative to the window, and the drop registration.
#include <memory>
#include <string>
#include <vector>

#include "tests/editor/EditorRig.h"
#include "toolkit/Bitmap.h"
#include "toolkit/DrawContext.h"
#include "toolkit/Frame.h"

namespace stipplewave::test {
namespace {

// A view that logs its draws, presses and drop offers, and its deletion.
struct ViewLog {
    std::vector<std::string> events;
    int deleted = 0;
    int draws(const std::string& name) const {
        int n = 0;
        for (const std::string& e : events) {
            n += e == "draw " + name ? 1 : 0;
        }
        return n;
    }
};

class LoggingView : public View {
public:
    LoggingView(ViewLog& viewLog, std::string viewName, const Rect& area, bool takesDrops = false)
        : View(area), log(viewLog), name(std::move(viewName)), acceptsDrops(takesDrops) {}
    ~LoggingView() override { ++log.deleted; }

    void draw(DrawContext& context) override {
        log.events.push_back("draw " + name);
        lastButtons = context.buttonState();
    }
    void mouse(DrawContext& context, Point& where) override {
        log.events.push_back("mouse " + name);
        pressedAt = where;
        lastButtons = context.buttonState();
    }
    bool acceptDrop(char**, std::int32_t, DropKind, Point&) override {
        log.events.push_back("drop " + name);
        return acceptsDrops;
    }

    ViewLog& log;
    std::string name;
    bool acceptsDrops;
    Point pressedAt{-1, -1};
    std::int32_t lastButtons = -1;
};

using FrameTest = HeadlessRig;

TEST(FrameClassName, IsPluginAndEightLowerCaseHexDigitsOfTheLow32Bits) {
    struct Case {
        std::uintptr_t instance;
        const char* name;
    };
    const Case cases[] = {
        {0x1A2B3C, "Plugin001a2b3c"},
        {0, "Plugin00000000"},
        {0xFFFFFFFFu, "Pluginffffffff"},
        {0x10000000u, "Plugin10000000"},
        // On 64-bit targets only the low 32 bits count; on 32-bit ones the
        // cast leaves exactly those bits.
        {static_cast<std::uintptr_t>(0x1234567890ABCDEFull), "Plugin90abcdef"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frameClassName(c.instance), c.name) << std::hex << c.instance;
    }
}

TEST_F(FrameTest, PressesReachOnlyTheTopmostEnabledViewThatContainsThem) {
    ViewLog log;
    Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    auto* lower = new LoggingView(log, "lower", Rect(10, 10, 50, 50));
    auto* upper = new LoggingView(log, "upper", Rect(40, 40, 80, 80));
    auto* disabled = new LoggingView(log, "disabled", Rect(0, 0, 100, 100));
    disabled->setMouseEnabled(false);
    ASSERT_TRUE(frame.addView(lower));
    ASSERT_TRUE(frame.addView(upper));
    ASSERT_TRUE(frame.addView(disabled));

    struct Case {
        Point where;
        const char* reaches;  // "" for none
    };
    const Case cases[] = {
        {{45, 45}, "upper"},  // the overlap goes to the view added later
        {{50, 50}, "upper"},  {{20, 20}, "lower"}, {{10, 10}, "lower"},  // top-left corner is inside
        {{80, 80}, "upper"},                                          // right and bottom edges are inside
        {{80, 40}, "upper"},  {{40, 80}, "upper"}, {{81, 80}, ""},     {{80, 81}, ""},
        {{9, 20}, ""},        {{5, 5}, ""},         // only the disabled view is there
        {{39, 45}, "lower"},  {{45, 51}, "upper"},
    };
    DrawContext context(nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "press at (" << c.where.h << "," << c.where.v << ")");
        log.events.clear();
        Point where = c.where;
        frame.mouse(context, where);
        if (std::string(c.reaches).empty()) {
            EXPECT_TRUE(log.events.empty());
        } else {
            ASSERT_EQ(log.events.size(), 1u);
            EXPECT_EQ(log.events[0], std::string("mouse ") + c.reaches);
        }
    }

    // With the upper view disabled, a press in the overlap falls through.
    upper->setMouseEnabled(false);
    log.events.clear();
    Point where(45, 45);
    frame.mouse(context, where);
    EXPECT_EQ(log.events, (std::vector<std::string>{"mouse lower"}));
}

TEST_F(FrameTest, DropsAreOfferedFromTheTopUntilAViewTakesThem) {
    ViewLog log;
    Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    frame.addView(new LoggingView(log, "taker", Rect(0, 0, 60, 60), true));
    frame.addView(new LoggingView(log, "decliner", Rect(20, 20, 80, 80), false));
    auto* disabled = new LoggingView(log, "disabled", Rect(0, 0, 100, 100), true);
    disabled->setMouseEnabled(false);
    frame.addView(disabled);
    char text[] = "dropped";
    char* items[] = {text};

    Point overlap(30, 30);
    EXPECT_TRUE(frame.acceptDrop(items, 1, DropText, overlap));
    EXPECT_EQ(log.events, (std::vector<std::string>{"drop decliner", "drop taker"}));

    log.events.clear();
    Point declinerOnly(70, 70);
    EXPECT_FALSE(frame.acceptDrop(items, 1, DropFileNames, declinerOnly));
    EXPECT_EQ(log.events, (std::vector<std::string>{"drop decliner"}));

    log.events.clear();
    Point nobody(95, 95);
    EXPECT_FALSE(frame.acceptDrop(items, 1, DropText, nobody));
    EXPECT_TRUE(log.events.empty());
}

TEST_F(FrameTest, TheListGrowsTenEntriesAtATime) {
    struct Case {
        int views;
        std::int32_t capacity;
    };
    const Case cases[] = {{0, 0}, {1, 10}, {10, 10}, {11, 20}, {20, 20}, {21, 30}, {34, 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.views);
        ViewLog log;
        Frame frame(Rect(0, 0, 10, 10), nullptr, nullptr);
        std::vector<View*> added;
        std::vector<std::int32_t> capacities;
        for (int i = 0; i < c.views; ++i) {
            added.push_back(new LoggingView(log, std::to_string(i), Rect()));
            ASSERT_TRUE(frame.addView(added.back()));
            if (capacities.empty() || capacities.back() != frame.getViewCapacity()) {
                capacities.push_back(frame.getViewCapacity());
            }
        }
        EXPECT_EQ(frame.getViewCount(), c.views);
        EXPECT_EQ(frame.getViewCapacity(), c.capacity);
        // One enlargement per ten views: 34 views take four.
        EXPECT_EQ(capacities.size(), static_cast<std::size_t>((c.views + 9) / 10));
        for (int i = 0; i < c.views; ++i) {
            EXPECT_EQ(frame.getView(i), added[static_cast<std::size_t>(i)]);
            EXPECT_EQ(added[static_cast<std::size_t>(i)]->getParentFrame(), &frame);
        }
    }
}

TEST_F(FrameTest, RemovingViewsKeepsTheOrderAndReleasesOnlyWhenAsked) {
    ViewLog log;
    Frame frame(Rect(0, 0, 10, 10), nullptr, nullptr);
    LoggingView* v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = new LoggingView(log, std::to_string(i), Rect());
        frame.addView(v[i]);
    }
    v[1]->retain();  // a second holder, so that the view outlives its release

    EXPECT_TRUE(frame.removeView(v[1], true));
    EXPECT_EQ(v[1]->getRefCount(), 1);
    EXPECT_EQ(log.deleted, 0);
    ASSERT_EQ(frame.getViewCount(), 3);
    EXPECT_EQ(frame.getView(0), v[0]);
    EXPECT_EQ(frame.getView(1), v[2]);
    EXPECT_EQ(frame.getView(2), v[3]);

    // A view that is not in the list: true, nothing changes.
    EXPECT_TRUE(frame.removeView(v[1], true));
    EXPECT_EQ(frame.getViewCount(), 3);
    EXPECT_EQ(v[1]->getRefCount(), 1);

    EXPECT_TRUE(frame.removeView(v[3], false));
    EXPECT_EQ(v[3]->getRefCount(), 1);
    EXPECT_EQ(frame.getViewCount(), 2);

    EXPECT_TRUE(frame.removeAllViews(true));
    EXPECT_EQ(log.deleted, 2);  // v[0] and v[2]
    EXPECT_EQ(frame.getViewCount(), 0);
    EXPECT_EQ(frame.getViewCapacity(), 0);

    v[1]->release();
    v[3]->release();
    EXPECT_EQ(log.deleted, 4);
}

TEST_F(FrameTest, ReferenceCountsDeleteAtTheLastRelease) {
    ViewLog log;
    auto* view = new LoggingView(log, "v", Rect());
    EXPECT_EQ(view->getRefCount(), 1);
    view->retain();
    view->release();
    EXPECT_EQ(log.deleted, 0);
    view->release();
    EXPECT_EQ(log.deleted, 1);
}

TEST_F(FrameTest, DestroyingTheFrameReleasesItsViewsAndBackground) {
    ViewLog log;
    Bitmap* background = solidBitmap(900, 10, 10, platform::pixelColor(1, 2, 3));
    auto* kept = new LoggingView(log, "kept", Rect());
    kept->retain();
    {
        Frame frame(Rect(0, 0, 10, 10), nullptr, nullptr);
        frame.setBackground(background);
        EXPECT_EQ(background->getRefCount(), 2);
        frame.setBackground(background);  // the same one again: unchanged
        EXPECT_EQ(background->getRefCount(), 2);
        frame.addView(kept);
        frame.addView(new LoggingView(log, "gone", Rect()));
    }
    EXPECT_EQ(background->getRefCount(), 1);
    EXPECT_EQ(log.deleted, 1);
    EXPECT_EQ(kept->getRefCount(), 1);
    kept->release();
    background->release();
}

TEST_F(FrameTest, AFullDrawPaintsBackgroundAndEveryViewAndKeepsDirtyStates) {
    ViewLog log;
    Frame frame(Rect(0, 0, 8, 6), nullptr, nullptr);
    const PixelColor paper = platform::pixelColor(200, 100, 50);
    Bitmap* background = solidBitmap(901, 8, 6, paper);
    frame.setBackground(background);
    background->release();
    auto* clean = new LoggingView(log, "clean", Rect());
    auto* dirty = new LoggingView(log, "dirty", Rect());
    clean->setDirty(false);
    frame.addView(clean);
    frame.addView(dirty);
    EXPECT_TRUE(frame.isFirstDrawPending());

    auto canvas = std::make_unique<OffscreenContext>(nullptr, 8, 6, BlackColor);
    frame.draw(*canvas);

    EXPECT_FALSE(frame.isFirstDrawPending());
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw clean", "draw dirty"}));
    EXPECT_FALSE(clean->isDirty());
    EXPECT_TRUE(dirty->isDirty());
    EXPECT_EQ(mismatches(readAll(canvas->getSurface(), 8, 6), [&](std::int32_t, std::int32_t) { return paper; }), "");
}

TEST_F(FrameTest, UpdatePassesDrawEverythingWhileTheFrameIsDirtyThenOnlyDirtyViews) {
    ViewLog log;
    Frame frame(Rect(0, 0, 8, 6), nullptr, nullptr);
    auto* a = new LoggingView(log, "a", Rect());
    auto* b = new LoggingView(log, "b", Rect());
    frame.addView(a);
    frame.addView(b);
    DrawContext context(nullptr, nullptr);

    frame.update(context);  // the frame is dirty from its construction
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw a", "draw b"}));
    EXPECT_FALSE(frame.isDirty());
    EXPECT_TRUE(a->isDirty());  // a full draw leaves the views as they were

    log.events.clear();
    frame.update(context);
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw a", "draw b"}));
    EXPECT_FALSE(a->isDirty());
    EXPECT_FALSE(b->isDirty());

    log.events.clear();
    b->setDirty(true);
    frame.update(context);
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw b"}));

    log.events.clear();
    frame.update(context);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(FrameTest, TheChildWindowIsMadeInTheParentWithTheFramesSize) {
    Frame frame(Rect(0, 0, 278, 199), hostWindow, nullptr);
    ASSERT_NE(frame.getWindow(), nullptr);
    ASSERT_EQ(windows.windows().size(), 1u);
    raster::HeadlessChildWindow* window = windows.newestWindow();
    EXPECT_EQ(window->getParent(), hostWindow);
    EXPECT_EQ(window->getWidth(), 278);
    EXPECT_EQ(window->getHeight(), 199);
    EXPECT_EQ(frame.getParentWindow(), hostWindow);
    EXPECT_TRUE(frame.isWindowOpen());
    EXPECT_TRUE(frame.isDropActive());
    EXPECT_FALSE(frame.createWindow(hostWindow));  // one window per frame
    EXPECT_EQ(windows.windowsMade, 1);
}

TEST_F(FrameTest, IdleWaitsForTheFirstPaintThenRedrawsOnlyDirtyViews) {
    ViewLog log;
    Frame frame(Rect(0, 0, 20, 20), hostWindow, nullptr);
    raster::HeadlessChildWindow* window = windows.newestWindow();
    ASSERT_NE(window, nullptr);
    auto* a = new LoggingView(log, "a", Rect());
    auto* b = new LoggingView(log, "b", Rect());
    frame.addView(a);
    frame.addView(b);

    frame.idle();
    frame.idle();
    EXPECT_TRUE(log.events.empty()) << "idle before the first paint";

    ASSERT_TRUE(window->sendPaint());
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw a", "draw b"}));
    EXPECT_EQ(window->surfacesOut(), 0);

    log.events.clear();
    frame.idle();  // the first update pass is a full draw
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw a", "draw b"}));
    log.events.clear();
    frame.idle();  // the views were dirty from their construction
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw a", "draw b"}));

    log.events.clear();
    frame.idle();
    EXPECT_TRUE(log.events.empty());

    a->setDirty(true);
    frame.idle();
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw a"}));
    EXPECT_EQ(window->surfacesOut(), 0);
}

TEST_F(FrameTest, PressesOnTheWindowReachTheViewWithTheirPositionAndTheLiveButtons) {
    ViewLog log;
    Frame frame(Rect(0, 0, 50, 50), hostWindow, nullptr);
    auto* view = new LoggingView(log, "v", Rect(10, 10, 20, 20));
    frame.addView(view);
    raster::HeadlessChildWindow* window = windows.newestWindow();
    pointer.hold(RightButtonBit | ShiftKeyBit);

    ASSERT_TRUE(window->sendButtonDown(Point(20, 15)));
    EXPECT_EQ(log.events, (std::vector<std::string>{"mouse v"}));
    EXPECT_EQ(view->pressedAt, Point(20, 15));
    EXPECT_EQ(view->lastButtons, RightButtonBit | ShiftKeyBit);
    EXPECT_EQ(window->surfacesOut(), 0);

    log.events.clear();
    window->sendButtonDown(Point(21, 15));
    EXPECT_TRUE(log.events.empty());
}

TEST_F(FrameTest, AWindowDestroyedFromOutsideEndsPaintingQuietly) {
    ViewLog log;
    auto frame = std::make_unique<Frame>(Rect(0, 0, 20, 20), hostWindow, nullptr);
    frame->addView(new LoggingView(log, "v", Rect(0, 0, 5, 5)));
    raster::HeadlessChildWindow* window = windows.newestWindow();
    window->sendPaint();
    log.events.clear();

    window->destroyFromOutside();
    EXPECT_FALSE(frame->isWindowOpen());
    EXPECT_EQ(frame->getParentWindow(), nullptr);

    frame->idle();
    DrawContext context(nullptr, nullptr);
    frame->update(context);
    EXPECT_FALSE(window->sendPaint());
    EXPECT_FALSE(window->sendButtonDown(Point(1, 1)));
    EXPECT_TRUE(log.events.empty());

    frame.reset();
    EXPECT_TRUE(windows.windows().empty());
    EXPECT_EQ(log.deleted, 1);
}

TEST_F(FrameTest, PaintsPendingForAFrameThatIsGoneAreDropped) {
    ViewLog log;
    auto frame = std::make_unique<Frame>(Rect(0, 0, 20, 20), hostWindow, nullptr);
    frame->addView(new LoggingView(log, "v", Rect()));
    ASSERT_TRUE(windows.newestWindow()->isPaintPending()) << "a new window has its area to paint";
    frame.reset();
    windows.dispatchOnePendingPaint();
    windows.processPendingEvents();
    EXPECT_EQ(log.deleted, 1);
    EXPECT_EQ(log.draws("v"), 0);
    EXPECT_EQ(windows.paintDispatches, 1);
    EXPECT_EQ(windows.eventPasses, 1);
}

// A view whose draw deletes another frame, as an editor closing during a
// paint would.
class FrameDeletingView : public View {
public:
    explicit FrameDeletingView(std::unique_ptr<Frame>& doomed) : View(Rect()), victim(doomed) {}
    void draw(DrawContext&) override {
        ++draws;
        victim.reset();
    }
    std::unique_ptr<Frame>& victim;
    int draws = 0;
};

TEST_F(FrameTest, AFrameDeletedWhileAnotherPaintsIsNotPaintedAfterwards) {
    ViewLog log;
    std::unique_ptr<Frame> second;
    Frame first(Rect(0, 0, 20, 20), hostWindow, nullptr);
    auto* deleter = new FrameDeletingView(second);
    first.addView(deleter);
    second = std::make_unique<Frame>(Rect(0, 0, 20, 20), hostWindow, nullptr);
    second->addView(new LoggingView(log, "second", Rect()));
    ASSERT_EQ(windows.windows().size(), 2u);

    windows.processPendingEvents();
    EXPECT_EQ(deleter->draws, 1);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(log.draws("second"), 0);
    EXPECT_EQ(windows.windows().size(), 1u);
}

TEST_F(FrameTest, WithoutAParentOrAWindowTheFrameHasNoWindowAndIdlesQuietly) {
    ViewLog log;
    windows.refuseWindows = true;
    Frame refused(Rect(0, 0, 20, 20), hostWindow, nullptr);
    windows.refuseWindows = false;
    Frame orphan(Rect(0, 0, 20, 20), nullptr, nullptr);

    for (Frame* frame : {&refused, &orphan}) {
        frame->addView(new LoggingView(log, "v", Rect()));
        EXPECT_EQ(frame->getWindow(), nullptr);
        EXPECT_FALSE(frame->isDropActive());
        EXPECT_FALSE(frame->setDropActive(true));
        EXPECT_TRUE(frame->setDropActive(false));
        EXPECT_FALSE(frame->createWindow(nullptr));
        frame->idle();
        // Even once drawn by hand, idle has no window to draw on.
        DrawContext context(nullptr, nullptr);
        frame->draw(context);
        log.events.clear();
        frame->idle();
        EXPECT_TRUE(log.events.empty());
    }
    EXPECT_EQ(windows.windowsMade, 0);
    EXPECT_TRUE(windows.windows().empty());
}

TEST_F(FrameTest, TheCursorIsReadRelativeToTheWindowAtTheTimeOfTheCall) {
    Frame withWindow(Rect(0, 0, 20, 20), hostWindow, nullptr);
    Frame without(Rect(0, 0, 20, 20), nullptr, nullptr);
    raster::HeadlessChildWindow* window = windows.newestWindow();
    window->moveTo(Point(100, 200));
    pointer.hold(0, Point(130, 215));

    Point at;
    EXPECT_TRUE(withWindow.currentMousePosition(at));
    EXPECT_EQ(at, Point(30, 15));
    window->moveTo(Point(120, 210));
    withWindow.currentMousePosition(at);
    EXPECT_EQ(at, Point(10, 5));
    EXPECT_TRUE(without.currentMousePosition(at));
    EXPECT_EQ(at, Point(130, 215));
}

TEST_F(FrameTest, EditBracketsGoToTheHostThroughTheEditorsEffect) {
    auto* effect = new TestEffect;
    auto* editor = new GuiEditor(effect);
    Frame frame(Rect(0, 0, 20, 20), nullptr, editor);
    EXPECT_EQ(frame.getEditor(), editor);

    hostLog().answer = 1;
    frame.beginEdit(34);
    EXPECT_TRUE(frame.endEdit(34));
    hostLog().answer = 0;
    EXPECT_FALSE(frame.endEdit(7));
    ASSERT_EQ(hostLog().requests.size(), 3u);
    EXPECT_EQ(hostLog().requests[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(hostLog().requests[0].index, 34);
    EXPECT_EQ(hostLog().requests[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(hostLog().requests[1].index, 34);
    EXPECT_EQ(hostLog().requests[2].index, 7);
    delete effect;  // the effect deletes its editor
}

TEST_F(FrameTest, EditBracketsWithoutAnEditorOrWithoutTheServicesDoNothing) {
    hostLog().answer = 1;
    Frame lonely(Rect(0, 0, 20, 20), nullptr, nullptr);
    lonely.beginEdit(3);
    EXPECT_FALSE(lonely.endEdit(3));

    auto* bare = new BareEffect;
    auto* editor = new GuiEditor(bare);
    Frame frame(Rect(0, 0, 20, 20), nullptr, editor);
    frame.beginEdit(3);
    EXPECT_FALSE(frame.endEdit(3));
    EXPECT_TRUE(hostLog().requests.empty());
    delete bare;
}

class RecordingRegistrar : public DropRegistrar {
public:
    void registerDropTarget(Frame& frame, platform::ChildWindow& window) override {
        events.push_back("register");
        registeredFrame = &frame;
        registeredWindow = window.nativeHandle();
    }
    void revokeDropTarget(platform::ChildWindow& window) override {
        events.push_back("revoke");
        revokedWindow = window.nativeHandle();
    }
    std::vector<std::string> events;
    Frame* registeredFrame = nullptr;
    void* registeredWindow = nullptr;
    void* revokedWindow = nullptr;
};

TEST_F(FrameTest, TheWindowIsRegisteredForDropsWhileItExists) {
    RecordingRegistrar registrar;
    DropRegistrar* previous = setDropRegistrar(&registrar);
    {
        Frame frame(Rect(0, 0, 20, 20), hostWindow, nullptr);
        void* handle = frame.getWindow()->nativeHandle();
        EXPECT_EQ(registrar.events, (std::vector<std::string>{"register"}));
        EXPECT_EQ(registrar.registeredFrame, &frame);
        EXPECT_EQ(registrar.registeredWindow, handle);

        EXPECT_TRUE(frame.setDropActive(false));
        EXPECT_FALSE(frame.isDropActive());
        EXPECT_TRUE(frame.setDropActive(false));  // nothing registered: no second revoke
        EXPECT_EQ(registrar.events, (std::vector<std::string>{"register", "revoke"}));
        EXPECT_EQ(registrar.revokedWindow, handle);
        EXPECT_TRUE(frame.setDropActive(true));
    }
    EXPECT_EQ(registrar.events, (std::vector<std::string>{"register", "revoke", "register", "revoke"}));
    {
        Frame orphan(Rect(0, 0, 20, 20), nullptr, nullptr);
    }
    EXPECT_EQ(registrar.events.size(), 4u);
    setDropRegistrar(previous);
}

#if !defined(_WIN32)
// Linux has no drop target: frames register nothing unless a registrar is
// installed. (Windows registers with OLE; see tests/drop.)
TEST(DefaultDropRegistrar, IsNoneOnLinux) {
    EXPECT_EQ(defaultDropRegistrar(), nullptr);
    EXPECT_EQ(dropRegistrar(), nullptr);
}
#endif

TEST_F(FrameTest, AWindowDestroyedFromOutsideLosesItsDropRegistrationAtOnce) {
    RecordingRegistrar registrar;
    DropRegistrar* previous = setDropRegistrar(&registrar);
    {
        Frame frame(Rect(0, 0, 20, 20), hostWindow, nullptr);
        void* handle = frame.getWindow()->nativeHandle();
        windows.newestWindow()->destroyFromOutside();
        EXPECT_EQ(registrar.events, (std::vector<std::string>{"register", "revoke"}));
        EXPECT_EQ(registrar.revokedWindow, handle);
        EXPECT_FALSE(frame.isDropActive());
    }
    // Nothing more to revoke when the frame goes.
    EXPECT_EQ(registrar.events, (std::vector<std::string>{"register", "revoke"}));
    setDropRegistrar(previous);
}

TEST_F(FrameTest, OffscreenPicturesForAFrameAreFilledWithTheirBackground) {
    Frame withWindow(Rect(0, 0, 20, 20), hostWindow, nullptr);
    Frame without(Rect(0, 0, 20, 20), nullptr, nullptr);
    const Color fill{9, 8, 7, 0};
    for (const Frame* frame : {static_cast<const Frame*>(&withWindow), static_cast<const Frame*>(&without),
                              static_cast<const Frame*>(nullptr)}) {
        OffscreenContext picture(frame, 5, 3, fill);
        EXPECT_EQ(mismatches(readAll(picture.getSurface(), 5, 3),
                             [&](std::int32_t, std::int32_t) { return platform::pixelColor(fill); }),
                  "");
    }
    windows.newestWindow()->destroyFromOutside();
    OffscreenContext afterDestroy(&withWindow, 2, 2, fill);
    EXPECT_NE(afterDestroy.getSurface(), nullptr);
}

}  // namespace
}  // namespace stipplewave::test
