// The Windows window system under real USER32: a host window made here, the
// frame class and child windows made by the window system, real paint,
// button and destroy messages.
#include <gtest/gtest.h>

#include <ole2.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/toolkit/ProbeView.h"
#include "tests/toolkit/RecordingListener.h"
#include "toolkit/Frame.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Graphics.h"
#include "toolkit/win32/Win32Windows.h"

namespace stipplewave::test {
namespace {

using platform::PixelColor;

constexpr std::int32_t childWidth = 278;
constexpr std::int32_t childHeight = 199;

HWND makeHostWindow() {
    static const bool registered = [] {
        WNDCLASSA description{};
        description.lpfnWndProc = DefWindowProcA;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = "StipplewaveTestHost";
        return RegisterClassA(&description) != 0;
    }();
    if (!registered) {
        return nullptr;
    }
    return CreateWindowExA(0, "StipplewaveTestHost", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 420, 320,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Everything queued for this thread, including the paints of fresh windows.
void dispatchAllMessages() {
    MSG message{};
    for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        DispatchMessageA(&message);
    }
}

// What the user-data slot of the watched window holds at the moment the
// window hears of its destruction.
HWND watchedWindow;
std::vector<LONG_PTR> slotAtDestroy;

LRESULT CALLBACK recordSlotAtDestroy(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && call->hwnd == watchedWindow && call->message == WM_DESTROY) {
        slotAtDestroy.push_back(GetWindowLongPtrA(call->hwnd, GWLP_USERDATA));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND handleOf(const platform::ChildWindow& window) { return static_cast<HWND>(window.nativeHandle()); }

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = makeHostWindow();
        ASSERT_NE(host, nullptr) << "the test's host window could not be made";
    }
    void TearDown() override {
        if (IsWindow(host)) {
            DestroyWindow(host);
        }
        dispatchAllMessages();
    }

    std::unique_ptr<platform::ChildWindow> makeChild(RecordingListener& to) {
        return windows.createChildWindow(host, childWidth, childHeight, to);
    }

    win32::Win32WindowSystem windows;
    RecordingListener listener;
    HWND host = nullptr;
};

TEST(DefaultServices, UseTheWin32WindowSystem) {
    EXPECT_EQ(platform::defaultServices().windows, &win32::sharedWindowSystem());
}

TEST_F(Win32WindowTest, TheClassIsRegisteredOnceForTwoWindowsAndUnregisteredWithTheLast) {
    ASSERT_EQ(win32::frameClassState().useCount, 0);
    EXPECT_FALSE(win32::frameClassState().registered);

    auto first = makeChild(listener);
    ASSERT_NE(first, nullptr);
    const win32::FrameClassState afterFirst = win32::frameClassState();
    EXPECT_EQ(afterFirst.useCount, 1);
    EXPECT_TRUE(afterFirst.registered);

    // Named for the program's own instance: no plug-in module is loaded here.
    EXPECT_EQ(afterFirst.name, frameClassName(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr))));
    char className[64] = {};
    GetClassNameA(handleOf(*first), className, sizeof className);
    EXPECT_EQ(std::string(className), afterFirst.name);

    WNDCLASSA description{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), afterFirst.name.c_str(), &description));
    EXPECT_EQ(description.style, static_cast<UINT>(CS_GLOBALCLASS));
    EXPECT_EQ(description.cbClsExtra, 0);
    EXPECT_EQ(description.cbWndExtra, 0);
    EXPECT_EQ(description.hIcon, nullptr);
    EXPECT_EQ(description.lpszMenuName, nullptr);
    EXPECT_EQ(description.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(description.hbrBackground, GetSysColorBrush(COLOR_BTNFACE));

    RecordingListener other;
    auto second = makeChild(other);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(win32::frameClassState().useCount, 2);

    first.reset();
    EXPECT_EQ(win32::frameClassState().useCount, 1);
    EXPECT_TRUE(win32::frameClassState().registered);

    second.reset();
    EXPECT_EQ(win32::frameClassState().useCount, 0);
    EXPECT_FALSE(win32::frameClassState().registered);
}

TEST_F(Win32WindowTest, TheChildIsAVisibleChildAtTheHostsTopLeftWithTheGivenSize) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    HWND window = handleOf(*child);
    ASSERT_TRUE(IsWindow(window));

    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetParent(window), host);
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Window");

    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, childWidth);
    EXPECT_EQ(client.bottom - client.top, childHeight);

    POINT hostOrigin{0, 0};
    ClientToScreen(host, &hostOrigin);
    const Point origin = child->screenOrigin();
    EXPECT_EQ(origin.h, hostOrigin.x);
    EXPECT_EQ(origin.v, hostOrigin.y);
}

TEST_F(Win32WindowTest, TheUserDataSlotHoldsTheListenerAndIsClearedBeforeDestruction) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    HWND window = handleOf(*child);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&listener));

    watchedWindow = window;
    slotAtDestroy.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, recordSlotAtDestroy, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    child.reset();
    UnhookWindowsHookEx(hook);

    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(slotAtDestroy.size(), 1u);
    EXPECT_EQ(slotAtDestroy[0], 0);
    EXPECT_TRUE(listener.destroyed.empty()) << "deleting the window is not a destruction from outside";
}

TEST_F(Win32WindowTest, OneInvalidationAndOnePaintDispatchGiveExactlyOnePaint) {
    const PixelColor drawn = platform::pixelColor(30, 160, 90);
    listener.onPaint = [&](platform::Window&, platform::Surface& surface) {
        auto brush = win32::sharedGraphics().makeBrush(drawn);
        ASSERT_NE(brush, nullptr);
        surface.selectBrush(*brush);
        surface.fillRect(Rect(0, 0, childWidth, childHeight));
    };
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    dispatchAllMessages();
    listener.painted.clear();

    InvalidateRect(handleOf(*child), nullptr, FALSE);
    windows.dispatchOnePendingPaint();
    ASSERT_EQ(listener.painted.size(), 1u);
    EXPECT_EQ(listener.painted[0], child.get());

    HDC dc = GetDC(handleOf(*child));
    const COLORREF corner = GetPixel(dc, 0, 0);
    const COLORREF middle = GetPixel(dc, childWidth / 2, childHeight / 2);
    const COLORREF last = GetPixel(dc, childWidth - 1, childHeight - 1);
    ReleaseDC(handleOf(*child), dc);
    EXPECT_EQ(corner, drawn);
    EXPECT_EQ(middle, drawn);
    EXPECT_EQ(last, drawn);

    // Nothing is pending any more, and a paint message with nothing to
    // repaint does not reach the listener.
    windows.dispatchOnePendingPaint();
    SendMessageA(handleOf(*child), WM_PAINT, 0, 0);
    EXPECT_EQ(listener.painted.size(), 1u);
}

TEST_F(Win32WindowTest, ButtonDownMessagesReportThePositionAsTwoUnsigned16BitNumbers) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    HWND window = handleOf(*child);
    const struct {
        UINT message;
        std::uint16_t x;
        std::uint16_t y;
    } presses[] = {
        {WM_LBUTTONDOWN, 10, 20},
        {WM_RBUTTONDOWN, 0, 0},
        {WM_MBUTTONDOWN, childWidth - 1, childHeight - 1},
        {WM_LBUTTONDOWN, 40000, 3},  // would be negative if read as signed
    };
    for (const auto& press : presses) {
        listener.presses.clear();
        const LRESULT result = SendMessageA(window, press.message, 0, MAKELPARAM(press.x, press.y));
        EXPECT_EQ(result, 0);
        ASSERT_EQ(listener.presses.size(), 1u) << "message " << press.message;
        EXPECT_EQ(listener.presses[0].window, child.get());
        EXPECT_EQ(listener.presses[0].where, Point(press.x, press.y)) << "message " << press.message;
    }

    listener.presses.clear();
    for (UINT other : {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDBLCLK}) {
        SendMessageA(window, other, 0, MAKELPARAM(5, 5));
    }
    EXPECT_TRUE(listener.presses.empty());

    // A posted press arrives through the thread's message loop.
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(123, 45));
    dispatchAllMessages();
    ASSERT_EQ(listener.presses.size(), 1u);
    EXPECT_EQ(listener.presses[0].where, Point(123, 45));
}

TEST_F(Win32WindowTest, DestroyingTheHostTellsTheListenerAndALaterDeleteEndsQuietly) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    HWND window = handleOf(*child);
    // While the listener hears of it the window still exists (so a drop
    // target can be revoked), but has no pixels to draw on.
    HWND handleDuringReport = nullptr;
    bool existedDuringReport = false;
    bool surfaceDuringReport = true;
    listener.onDestroyed = [&](platform::Window& destroyed) {
        handleDuringReport = handleOf(static_cast<platform::ChildWindow&>(destroyed));
        existedDuringReport = IsWindow(handleDuringReport) != 0;
        surfaceDuringReport = destroyed.borrowSurface() != nullptr;
    };

    DestroyWindow(host);
    EXPECT_EQ(handleDuringReport, window);
    EXPECT_TRUE(existedDuringReport);
    EXPECT_FALSE(surfaceDuringReport);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(listener.destroyed.size(), 1u);
    EXPECT_EQ(listener.destroyed[0], child.get());
    EXPECT_EQ(child->nativeHandle(), nullptr);
    EXPECT_EQ(child->borrowSurface(), nullptr);
    EXPECT_EQ(win32::frameClassState().useCount, 1) << "the object still holds the class";

    child.reset();
    EXPECT_EQ(listener.destroyed.size(), 1u);
    EXPECT_EQ(win32::frameClassState().useCount, 0);
    EXPECT_FALSE(win32::frameClassState().registered);
}

TEST_F(Win32WindowTest, AListenerMayDeleteTheWindowWhenItHearsOfItsDestruction) {
    std::unique_ptr<platform::ChildWindow> child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    listener.onDestroyed = [&child](platform::Window&) { child.reset(); };

    DestroyWindow(host);
    EXPECT_EQ(listener.destroyed.size(), 1u);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(win32::frameClassState().useCount, 0);

    // The class could not go while its window was being destroyed; the next
    // use of the class takes it away properly.
    host = makeHostWindow();
    ASSERT_NE(host, nullptr);
    RecordingListener later;
    auto next = makeChild(later);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(win32::frameClassState().registered);
    next.reset();
    EXPECT_EQ(win32::frameClassState().useCount, 0);
    EXPECT_FALSE(win32::frameClassState().registered);
}

TEST_F(Win32WindowTest, NoWindowWithoutAUsableParentAndTheClassIsNotKept) {
    EXPECT_EQ(windows.createChildWindow(nullptr, childWidth, childHeight, listener), nullptr);
    EXPECT_EQ(win32::frameClassState().useCount, 0);

    HWND gone = makeHostWindow();
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(windows.createChildWindow(gone, childWidth, childHeight, listener), nullptr);
    EXPECT_EQ(win32::frameClassState().useCount, 0);
    EXPECT_FALSE(win32::frameClassState().registered);
}

TEST_F(Win32WindowTest, TheFramePaintsTakesPressesAndOutlivesItsWindow) {
    platform::ScopedServices use(platform::Services{nullptr, nullptr, nullptr, &windows});
    Frame frame(Rect(0, 0, childWidth, childHeight), host, nullptr);
    ASSERT_NE(frame.getWindow(), nullptr);
    auto* view = new ProbeView(Rect(20, 30, 80, 70), Color{30, 200, 60, 0});
    ASSERT_TRUE(frame.addView(view));
    HWND window = handleOf(*frame.getWindow());

    dispatchAllMessages();
    ASSERT_FALSE(frame.isFirstDrawPending()) << "the frame was never painted";
    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 21, 31), platform::pixelColor(view->fill));
    EXPECT_EQ(GetPixel(dc, 79, 69), platform::pixelColor(view->fill));
    EXPECT_EQ(GetPixel(dc, 20, 30), GetSysColor(COLOR_BTNFACE)) << "a fill leaves the border; the class erased it";
    ReleaseDC(window, dc);

    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 50));
    ASSERT_EQ(view->presses.size(), 1u);
    EXPECT_EQ(view->presses[0].where, Point(40, 50));

    DestroyWindow(host);
    EXPECT_FALSE(frame.isWindowOpen());
    const int draws = view->draws;
    view->setDirty(true);
    frame.idle();
    EXPECT_EQ(view->draws, draws);
}

TEST(Win32EditorUse, BracketsTheThreadsOleInitialisation) {
    win32::Win32WindowSystem windows;
    windows.beginEditorUse();
    // Already initialised on this thread: a nested call says so.
    const HRESULT nested = OleInitialize(nullptr);
    EXPECT_EQ(nested, S_FALSE);
    OleUninitialize();
    windows.endEditorUse();

    const HRESULT fresh = OleInitialize(nullptr);
    EXPECT_EQ(fresh, S_OK) << "the bracket left OLE initialised";
    OleUninitialize();
}

}  // namespace
}  // namespace stipplewave::test
