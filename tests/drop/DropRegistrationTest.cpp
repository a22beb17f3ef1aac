// The frame's window and OLE's drag-and-drop registration under real USER32
// and OLE: a frame registers a drop target when it makes its window and
// revokes it when it goes, the editor's OLE bracket comes first, and the
// registration holds the only reference to the target.
#include <gtest/gtest.h>

#include <objbase.h>
#include <ole2.h>
#include <windows.h>

#include <memory>

#include "tests/drop/TestDataObject.h"
#include "tests/editor/EditorRig.h"
#include "toolkit/DropTarget.h"
#include "toolkit/Frame.h"
#include "toolkit/Platform.h"
#include "toolkit/raster/Headless.h"
#include "toolkit/win32/Win32Windows.h"

namespace stipplewave::test {
namespace {

constexpr Rect editorArea{0, 0, 278, 199};
constexpr int hostLeft = 40;
constexpr int hostTop = 30;

HWND makeHostWindow() {
    static const bool registered = [] {
        WNDCLASSA description{};
        description.lpfnWndProc = DefWindowProcA;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = "StipplewaveDropTestHost";
        return RegisterClassA(&description) != 0;
    }();
    if (!registered) {
        return nullptr;
    }
    return CreateWindowExA(0, "StipplewaveDropTestHost", "Host", WS_POPUP | WS_VISIBLE, hostLeft, hostTop, 420, 320,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void dispatchAllMessages() {
    MSG message{};
    for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        DispatchMessageA(&message);
    }
}

HWND handleOf(const Frame& frame) {
    return frame.getWindow() != nullptr ? static_cast<HWND>(frame.getWindow()->nativeHandle()) : nullptr;
}

bool oleInitialisedOnThisThread() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    return CoGetApartmentType(&type, &qualifier) == S_OK;
}

// Makes targets whose destruction is counted.
class CountingRegistrar final : public win32::Win32DropRegistrar {
public:
    int made = 0;
    int destructions = 0;
    CountingDropTarget* newest = nullptr;

protected:
    DropTarget* makeDropTarget(Frame& frame) override {
        ++made;
        newest = new CountingDropTarget(&frame, destructions);
        return newest;
    }
};

// Puts a registrar in place for one test.
class ScopedRegistrar {
public:
    explicit ScopedRegistrar(DropRegistrar* registrar) : previous(setDropRegistrar(registrar)) {}
    ~ScopedRegistrar() { setDropRegistrar(previous); }
    ScopedRegistrar(const ScopedRegistrar&) = delete;
    ScopedRegistrar& operator=(const ScopedRegistrar&) = delete;

private:
    DropRegistrar* previous;
};

// A target of the test's own, to ask OLE whether a window is registered:
// registering it answers DRAGDROP_E_ALREADYREGISTERED while one is.
class Probe {
public:
    Probe() : target(new CountingDropTarget(nullptr, destructions)) { target->AddRef(); }
    ~Probe() { target->Release(); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    HRESULT registerOn(HWND window) {
        const HRESULT result = RegisterDragDrop(window, target);
        if (result == S_OK) {
            RevokeDragDrop(window);
        }
        return result;
    }

    int destructions = 0;
    CountingDropTarget* target;
};

class DropRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(dropRegistrar(), defaultDropRegistrar()) << "a registrar was left installed";
        win32::sharedWindowSystem().beginEditorUse();
        host = makeHostWindow();
        ASSERT_NE(host, nullptr);
    }
    void TearDown() override {
        if (IsWindow(host)) {
            DestroyWindow(host);
        }
        dispatchAllMessages();
        win32::sharedWindowSystem().endEditorUse();
    }

    HWND host = nullptr;
    Probe probe;
};

TEST(DefaultDropRegistrar, IsOlesOnWindows) {
    EXPECT_EQ(defaultDropRegistrar(), &win32::sharedDropRegistrar());
    EXPECT_EQ(dropRegistrar(), defaultDropRegistrar());
}

TEST_F(DropRegistrationTest, AFramesWindowIsRegisteredFromItsCreationToItsDestruction) {
    auto frame = std::make_unique<Frame>(editorArea, host, nullptr);
    const HWND window = handleOf(*frame);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(frame->isDropActive());
    EXPECT_EQ(probe.registerOn(window), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(probe.target->getReferenceCount(), 1) << "a refused registration keeps no reference";

    frame.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(RevokeDragDrop(window), DRAGDROP_E_INVALIDHWND);
}

TEST_F(DropRegistrationTest, SetDropActiveRevokesAndRegistersAgain) {
    Frame frame(editorArea, host, nullptr);
    const HWND window = handleOf(frame);
    ASSERT_NE(window, nullptr);

    EXPECT_TRUE(frame.setDropActive(false));
    EXPECT_FALSE(frame.isDropActive());
    EXPECT_EQ(probe.registerOn(window), S_OK) << "the window is still registered";

    EXPECT_TRUE(frame.setDropActive(true));
    EXPECT_EQ(probe.registerOn(window), DRAGDROP_E_ALREADYREGISTERED);
}

TEST_F(DropRegistrationTest, TheRegistrationHoldsTheOnlyReferenceToTheFramesTarget) {
    CountingRegistrar registrar;
    ScopedRegistrar use(&registrar);
    {
        Frame frame(editorArea, host, nullptr);
        ASSERT_EQ(registrar.made, 1);
        EXPECT_EQ(registrar.newest->getFrame(), &frame);
        EXPECT_EQ(registrar.newest->getReferenceCount(), 1);
        EXPECT_EQ(registrar.destructions, 0);
    }
    EXPECT_EQ(registrar.destructions, 1) << "revoking gave the target back";
}

TEST_F(DropRegistrationTest, TheHostDestroyingItsWindowFirstGivesTheTargetBackAtOnce) {
    CountingRegistrar registrar;
    ScopedRegistrar use(&registrar);
    Frame frame(editorArea, host, nullptr);
    ASSERT_EQ(registrar.made, 1);

    DestroyWindow(host);
    EXPECT_FALSE(frame.isWindowOpen());
    EXPECT_FALSE(frame.isDropActive());
    EXPECT_EQ(registrar.destructions, 1);
}

TEST_F(DropRegistrationTest, ARefusedRegistrationDestroysItsTargetAtOnce) {
    CountingRegistrar registrar;
    ScopedRegistrar use(&registrar);
    Frame frame(editorArea, host, nullptr);
    ASSERT_NE(frame.getWindow(), nullptr);

    registrar.registerDropTarget(frame, *frame.getWindow());  // the window already has one
    EXPECT_EQ(registrar.made, 2);
    EXPECT_EQ(registrar.destructions, 1);
    EXPECT_EQ(probe.registerOn(handleOf(frame)), DRAGDROP_E_ALREADYREGISTERED) << "the first one stays";
}

TEST_F(DropRegistrationTest, WindowsOfAnotherWindowSystemAreNotRegistered) {
    raster::RasterGraphics graphics;
    raster::HeadlessWindowSystem headless(graphics);
    platform::ScopedServices services(platform::Services{nullptr, nullptr, nullptr, &headless});
    CountingRegistrar registrar;
    ScopedRegistrar use(&registrar);

    Frame frame(editorArea, host, nullptr);
    ASSERT_NE(frame.getWindow(), nullptr);
    EXPECT_TRUE(frame.isDropActive());
    EXPECT_EQ(registrar.made, 0);
}

TEST_F(DropRegistrationTest, ADropReportsTheCursorRelativeToTheFramesWindow) {
    raster::ScriptedInput input;
    platform::ScopedServices services(platform::Services{nullptr, &input, nullptr, nullptr});
    Frame frame(editorArea, host, nullptr);
    ASSERT_NE(frame.getWindow(), nullptr);
    auto* recorder = new DropRecorder(editorArea);
    ASSERT_TRUE(frame.addView(recorder));

    RECT placed{};
    ASSERT_TRUE(GetWindowRect(handleOf(frame), &placed));
    EXPECT_EQ(placed.left, hostLeft);
    input.moveCursor(Point(placed.left + 25, placed.top + 35));

    int destructions = 0;
    auto* target = new CountingDropTarget(&frame, destructions);
    target->AddRef();
    TestDataObject data;
    data.offerText("here");
    DWORD effect = 0;
    EXPECT_EQ(target->Drop(&data, 0, POINTL{placed.left + 1, placed.top + 1}, &effect), S_OK);
    target->Release();
    ASSERT_EQ(recorder->offered.size(), 1u);
    EXPECT_EQ(recorder->offered[0].where, Point(25, 35));
}

// The editor initialises OLE when it is made, before any open makes a
// frame, and ends it when it goes. (Under Wine a visible window of the
// thread holds COM too, until it is destroyed: the host window is made
// after the editor and destroyed before the last look.)
TEST(DropRegistrationInTheEditor, FollowsTheEditorsOleBracket) {
    ASSERT_FALSE(oleInitialisedOnThisThread());
    {
        TestEffect effect;  // owns the editor
        auto* editor = new TestEditor(&effect, editorArea);
        EXPECT_TRUE(oleInitialisedOnThisThread());
        HWND host = makeHostWindow();
        ASSERT_NE(host, nullptr);
        editor->open(host);
        ASSERT_NE(editor->getFrame(), nullptr);
        const HWND window = handleOf(*editor->getFrame());
        ASSERT_NE(window, nullptr);
        {
            Probe probe;
            EXPECT_EQ(probe.registerOn(window), DRAGDROP_E_ALREADYREGISTERED);
        }
        editor->close();
        EXPECT_FALSE(IsWindow(window));
        DestroyWindow(host);
        dispatchAllMessages();
    }
    EXPECT_FALSE(oleInitialisedOnThisThread());
}

}  // namespace
}  // namespace stipplewave::test
