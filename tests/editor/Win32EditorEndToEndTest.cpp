// The built module's editor under Windows' own window manager (Wine here):
// a host window, the editor opened inside it through the dispatcher, real
// mouse input synthesized with SendInput, and the host's idle calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "tests/editor/EndToEndExpectations.h"
#include "tools/hostlib/Effect.h"

namespace vsthost {
namespace {

using namespace stipplewave;

constexpr COLORREF kOffCentre = RGB(32, 0, 96);
constexpr COLORREF kOnCentre = RGB(2, 114, 204);

HWND makeHostWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "StipplewaveTestHost";
        RegisterClassA(&windowClass);
        registered = true;
    }
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, "StipplewaveTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void sendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

class Win32EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = PluginModule::load(STIPPLEWAVE_MODULE_PATH, error);
        ASSERT_TRUE(module) << error;
        effect = Effect::open(host, *module, error);
        ASSERT_TRUE(effect) << error;
        ERect* rect = nullptr;
        ASSERT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 1);
        hostWindow = makeHostWindow(rect->right, rect->bottom);
        ASSERT_NE(hostWindow, nullptr);
        // Other programs' windows on the same desktop must not come between
        // the synthesized pointer and the editor.
        SetWindowPos(hostWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ASSERT_EQ(effect->dispatch(effEditOpen, 0, 0, hostWindow), 1);
        editorWindow = GetWindow(hostWindow, GW_CHILD);
        ASSERT_NE(editorWindow, nullptr) << "the editor makes its child window at once";
        idleFor(300);
    }
    void TearDown() override {
        if (effect) {
            effect->dispatch(effEditClose);
        }
        if (hostWindow != nullptr) {
            DestroyWindow(hostWindow);
        }
    }

    // A host's loop: its messages, and the editor's idle about 60 times a
    // second.
    void idleFor(int milliseconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            effect->dispatch(effEditIdle);
            Sleep(15);
        } while (std::chrono::steady_clock::now() < until);
    }
    POINT onScreen(int x, int y) {
        POINT p{x, y};
        ClientToScreen(editorWindow, &p);
        return p;
    }
    // Puts the cursor on the editor at (x, y) and confirms that a press there
    // would reach the editor's window.
    ::testing::AssertionResult pointAt(int x, int y) {
        const POINT p = onScreen(x, y);
        SetCursorPos(p.x, p.y);
        const HWND under = WindowFromPoint(p);
        if (under != editorWindow) {
            return ::testing::AssertionFailure() << "the window under (" << x << ", " << y << ") is " << under
                                                 << ", not the editor's " << editorWindow;
        }
        return ::testing::AssertionSuccess();
    }
    COLORREF pixelAt(int x, int y) {
        HDC dc = GetDC(editorWindow);
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(editorWindow, dc);
        return color;
    }

    TestHost host;
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<Effect> effect;
    HWND hostWindow = nullptr;
    HWND editorWindow = nullptr;
};

TEST_F(Win32EditorTest, TheEditorShowsTheEffectsValues) {
    EXPECT_EQ(pixelAt(20, 17), kOffCentre) << "step 1 left is off";
    EXPECT_EQ(pixelAt(100, 20), kOnCentre) << "step 6 left is on";
    EXPECT_EQ(pixelAt(19, 149), kOnCentre) << "step 1 right is on";
}

TEST_F(Win32EditorTest, AClickOnStepSixTurnsItOffAndTellsTheHost) {
    host.clearRequests();
    ASSERT_TRUE(pointAt(100, 20));
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    // Hold the button until the press has been handled: under emulation a
    // message can take longer than a quick click lasts.
    for (int waited = 0; waited < 3000 && host.requestsWithOpcode(audioMasterAutomate).empty(); waited += 50) {
        idleFor(50);
    }
    sendMouse(MOUSEEVENTF_LEFTUP);
    idleFor(100);
    expectStepSixTurnedOff(host, *effect);
    EXPECT_EQ(pixelAt(100, 20), kOffCentre);
}

TEST_F(Win32EditorTest, ASliderDragSendsBeginAutomationAndEndEdit) {
    host.clearRequests();
    ASSERT_TRUE(pointAt(250, 118));
    // The user's hand, on its own thread: the slider's drag loop holds the
    // user-interface thread until the button goes up.
    std::atomic<bool> released{false};
    std::thread hand([this, &released] {
        sendMouse(MOUSEEVENTF_LEFTDOWN);
        // Move only once the drag has begun, however slow the machine.
        for (int waited = 0; waited < 3000 && host.requestsWithOpcode(audioMasterBeginEdit).empty(); waited += 20) {
            Sleep(20);
        }
        for (int x = 240; x >= 80; x -= 20) {
            const POINT p = onScreen(x, 118);
            SetCursorPos(p.x, p.y);
            Sleep(40);
        }
        sendMouse(MOUSEEVENTF_LEFTUP);
        released.store(true);
    });
    for (int waited = 0; waited < 10000 && !released.load(); waited += 50) {
        idleFor(50);
    }
    hand.join();
    idleFor(100);
    expectRandomizeDragBracketed(host, *effect);
}

}  // namespace
}  // namespace vsthost
