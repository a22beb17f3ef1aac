// The built module's editor on a real X server, driven as a user drives it:
// a host window, the editor opened inside it through the dispatcher, real
// presses and drags injected with XTest, and the host's idle calls.
// Run under xvfb-run (see CMakeLists.txt).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tests/editor/EndToEndGestures.h"
#include "tools/hostlib/Effect.h"
#include "tools/hostlib/X11HostWindow.h"

namespace vsthost {
namespace {

using namespace stipplewave;

constexpr std::uint32_t kOffCentre = 32u | (0u << 8) | (96u << 16);
constexpr std::uint32_t kOnCentre = 2u | (114u << 8) | (204u << 16);

// Injects pointer input on a connection of its own, in the host window's
// coordinates.
class Pointer {
public:
    explicit Pointer(Window target) : display(XOpenDisplay(nullptr)), window(target) {}
    ~Pointer() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
    bool usable() const {
        int event = 0, error = 0, major = 0, minor = 0;
        return display != nullptr && XTestQueryExtension(display, &event, &error, &major, &minor);
    }
    void moveTo(int x, int y) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
        XSync(display, False);
    }
    void button(bool down) {
        XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
        XSync(display, False);
    }

private:
    Display* display;
    Window window;
};

class X11EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = PluginModule::load(STIPPLEWAVE_MODULE_PATH, error);
        ASSERT_TRUE(module) << error;
        effect = Effect::open(host, *module, error);
        ASSERT_TRUE(effect) << error;
        ERect* rect = nullptr;
        ASSERT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 1);
        window = X11HostWindow::open(rect->right, rect->bottom, "editor test", error);
        if (!window) {
            GTEST_SKIP() << error;
        }
        window->waitUntilMapped(2000);
        ASSERT_EQ(effect->dispatch(effEditOpen, 0, 0, window->handle()), 1);
        idleFor(300);
        pointer = std::make_unique<Pointer>(static_cast<Window>(reinterpret_cast<std::uintptr_t>(window->handle())));
        if (!pointer->usable()) {
            GTEST_SKIP() << "the X server has no XTest extension";
        }
    }
    void TearDown() override {
        if (effect && window) {
            effect->dispatch(effEditClose);
        }
    }

    void idleFor(int milliseconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            window->serviceEvents();
            effect->dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        } while (std::chrono::steady_clock::now() < until);
    }
    std::uint32_t pixelAt(int x, int y) {
        std::vector<std::uint32_t> pixels;
        EXPECT_TRUE(window->readPixels(pixels));
        return pixels.empty() ? 0 : pixels[static_cast<std::size_t>(y * window->width() + x)];
    }

    TestHost host;
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<Effect> effect;
    std::unique_ptr<X11HostWindow> window;
    std::unique_ptr<Pointer> pointer;
};

TEST_F(X11EditorTest, TheEditorShowsTheEffectsValues) {
    EXPECT_EQ(pixelAt(20, 17), kOffCentre) << "step 1 left is off";
    EXPECT_EQ(pixelAt(100, 20), kOnCentre) << "step 6 left is on";
    EXPECT_EQ(pixelAt(19, 149), kOnCentre) << "step 1 right is on";
}

TEST_F(X11EditorTest, AClickOnStepSixTurnsItOffAndTellsTheHost) {
    host.clearRequests();
    clickStepSix(host, *pointer, [this](int milliseconds) { idleFor(milliseconds); });
    expectStepSixTurnedOff(host, *effect);
    EXPECT_EQ(pixelAt(100, 20), kOffCentre);
}

TEST_F(X11EditorTest, ASliderDragSendsBeginAutomationAndEndEdit) {
    host.clearRequests();
    dragRandomizeSliderLeft(host, *pointer, [this](int milliseconds) { idleFor(milliseconds); });
    expectRandomizeDragBracketed(host, *effect);
}

}  // namespace
}  // namespace vsthost
