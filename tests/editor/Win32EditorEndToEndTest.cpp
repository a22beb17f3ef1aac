// The built module's editor under Windows' own window manager (Wine here):
// a host window, the editor opened inside it through the dispatcher, real
// mouse input synthesized with SendInput, and the host's idle calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>

#include "tests/editor/EndToEndGestures.h"
#include "tools/hostlib/Effect.h"
#include "tools/hostlib/HostWindow.h"

namespace vsthost {
namespace {

using namespace stipplewave;

constexpr COLORREF kOffCentre = RGB(32, 0, 96);
constexpr COLORREF kOnCentre = RGB(2, 114, 204);

// Real mouse input, in the editor window's coordinates.
class Hand {
public:
    explicit Hand(HWND editorWindow) : editor(editorWindow) {}
    void moveTo(int x, int y) {
        POINT p{x, y};
        ClientToScreen(editor, &p);
        SetCursorPos(p.x, p.y);
    }
    void button(bool down) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        SendInput(1, &input, sizeof input);
    }

private:
    HWND editor;
};

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
        window = HostWindow::open(rect->right, rect->bottom, error);
        ASSERT_TRUE(window) << error;
        const auto hostWindow = static_cast<HWND>(window->handle());
        // Other programs' windows on the same desktop must not come between
        // the synthesized pointer and the editor.
        SetWindowPos(hostWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ASSERT_EQ(effect->dispatch(effEditOpen, 0, 0, hostWindow), 1);
        editorWindow = GetWindow(hostWindow, GW_CHILD);
        ASSERT_NE(editorWindow, nullptr) << "the editor makes its child window at once";
        hand = std::make_unique<Hand>(editorWindow);
        idleFor(300);
    }
    void TearDown() override {
        if (effect && window) {
            effect->dispatch(effEditClose);
        }
    }

    // A host's loop: its messages, and the editor's idle about 60 times a
    // second.
    void idleFor(int milliseconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            window->serviceEvents();
            effect->dispatch(effEditIdle);
            Sleep(15);
        } while (std::chrono::steady_clock::now() < until);
    }
    // Whether a press at (x, y) of the editor would reach the editor's window.
    ::testing::AssertionResult editorIsUnder(int x, int y) {
        POINT p{x, y};
        ClientToScreen(editorWindow, &p);
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
    std::unique_ptr<HostWindow> window;
    HWND editorWindow = nullptr;
    std::unique_ptr<Hand> hand;
};

TEST_F(Win32EditorTest, TheEditorShowsTheEffectsValues) {
    EXPECT_EQ(pixelAt(20, 17), kOffCentre) << "step 1 left is off";
    EXPECT_EQ(pixelAt(100, 20), kOnCentre) << "step 6 left is on";
    EXPECT_EQ(pixelAt(19, 149), kOnCentre) << "step 1 right is on";
}

TEST_F(Win32EditorTest, AClickOnStepSixTurnsItOffAndTellsTheHost) {
    host.clearRequests();
    ASSERT_TRUE(editorIsUnder(100, 20));
    clickStepSix(host, *hand, [this](int milliseconds) { idleFor(milliseconds); });
    expectStepSixTurnedOff(host, *effect);
    EXPECT_EQ(pixelAt(100, 20), kOffCentre);
}

TEST_F(Win32EditorTest, ASliderDragSendsBeginAutomationAndEndEdit) {
    host.clearRequests();
    ASSERT_TRUE(editorIsUnder(250, 118));
    dragRandomizeSliderLeft(host, *hand, [this](int milliseconds) { idleFor(milliseconds); });
    expectRandomizeDragBracketed(host, *effect);
}

}  // namespace
}  // namespace vsthost
