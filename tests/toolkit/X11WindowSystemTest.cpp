// The X11 window system against a real X server: an Xvfb started by this
// program (the tests skip with a message when none can be started), a host
// window made on a connection of the test's own, and real input injected
// through the XTest extension.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/toolkit/ProbeView.h"
#include "tests/toolkit/RecordingListener.h"
#include "toolkit/Platform.h"
#include "toolkit/raster/RasterGraphics.h"
#include "toolkit/x11/X11Windows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stipplewave::test {
namespace {

using platform::InputKey;
using platform::PixelColor;
using x11::PixelFormat;

// --- the X server ------------------------------------------------------------

// One Xvfb for the whole program, on a display number it picks itself. It
// must not reset when its last client goes (between two tests): while it
// resets it refuses connections.
class VirtualServer : public ::testing::Environment {
public:
    static const std::string& name() { return displayName; }

    void SetUp() override {
        int ready[2];
        if (pipe(ready) != 0) {
            why = "no pipe";
            return;
        }
        const std::string fd = std::to_string(ready[1]);
        server = fork();
        if (server == 0) {
            // Ends with this program even if it crashes; keeps none of its
            // output open.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int nothing = open("/dev/null", O_RDWR);
            dup2(nothing, 0);
            dup2(nothing, 1);
            dup2(nothing, 2);
            close(ready[0]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        if (server < 0) {
            close(ready[0]);
            server = 0;
            why = "no process for Xvfb";
            return;
        }
        std::atexit(stopServer);
        std::string number;
        pollfd waiting{ready[0], POLLIN, 0};
        while (poll(&waiting, 1, 10000) > 0) {
            char c = 0;
            if (read(ready[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            number += c;
        }
        close(ready[0]);
        if (number.empty()) {
            why = "Xvfb did not start or report a display (package xvfb)";
            return;
        }
        displayName = ":" + number;
    }

    static std::string why;

private:
    // The server stops at the program's exit, after the connections that
    // static objects keep (the process's shared window system) are closed:
    // those objects are made after this handler is registered.
    static void stopServer() {
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }

    static std::string displayName;
    static pid_t server;
};

std::string VirtualServer::displayName;
std::string VirtualServer::why;
pid_t VirtualServer::server = 0;

const auto* const server = ::testing::AddGlobalTestEnvironment(new VirtualServer);

// --- helpers --------------------------------------------------------------------

constexpr std::int32_t childWidth = 278;
constexpr std::int32_t childHeight = 199;
constexpr Point hostOrigin(50, 60);

std::uint8_t channelOf(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) {
        ++shift;
    }
    return static_cast<std::uint8_t>((pixel & mask) >> shift);
}

// What the X server has in a window, as colours.
struct WindowPixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<PixelColor> values;
    PixelColor at(std::int32_t x, std::int32_t y) const { return values[static_cast<std::size_t>(y * width + x)]; }
};

WindowPixels readWindow(Display* display, ::Window window) {
    WindowPixels read;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) {
        return read;
    }
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned int>(attributes.width),
                              static_cast<unsigned int>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return read;
    }
    read.width = attributes.width;
    read.height = attributes.height;
    for (int y = 0; y < read.height; ++y) {
        for (int x = 0; x < read.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            read.values.push_back(platform::pixelColor(channelOf(pixel, attributes.visual->red_mask),
                                                       channelOf(pixel, attributes.visual->green_mask),
                                                       channelOf(pixel, attributes.visual->blue_mask)));
        }
    }
    XDestroyImage(image);
    return read;
}

::Window idOf(const platform::ChildWindow& window) {
    return static_cast<::Window>(reinterpret_cast<std::uintptr_t>(window.nativeHandle()));
}

void* asParent(::Window window) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

void fill(platform::Surface& surface, const Rect& area, PixelColor color) {
    auto brush = raster::sharedGraphics().makeBrush(color);
    ASSERT_NE(brush, nullptr);
    surface.selectBrush(*brush);
    surface.fillRect(area);
}

// --- fixture ----------------------------------------------------------------------

class X11WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (VirtualServer::name().empty()) {
            GTEST_SKIP() << "no X server for the window tests: " << VirtualServer::why;
        }
        host = XOpenDisplay(VirtualServer::name().c_str());
        ASSERT_NE(host, nullptr);
        parent = makeHostWindow(hostOrigin);
        windows = std::make_unique<x11::X11WindowSystem>(raster::sharedGraphics(), VirtualServer::name().c_str());
    }

    void TearDown() override {
        windows.reset();
        if (host != nullptr) {
            XCloseDisplay(host);
        }
    }

    ::Window makeHostWindow(Point at) {
        const ::Window made = XCreateSimpleWindow(host, DefaultRootWindow(host), at.h, at.v, 400, 300, 0, 0,
                                                  WhitePixel(host, DefaultScreen(host)));
        XMapWindow(host, made);
        XSync(host, False);
        return made;
    }

    std::unique_ptr<platform::ChildWindow> makeChild(RecordingListener& to, ::Window in = 0) {
        return windows->createChildWindow(asParent(in != 0 ? in : parent), childWidth, childHeight, to);
    }

    // Serves the window system's events until `done` or five seconds.
    template <typename Done>
    bool serveUntil(Done done) {
        for (int i = 0; i < 500; ++i) {
            windows->processPendingEvents();
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Serves what the server has sent so far: after the test's own
    // connection has been synchronised, every event its requests caused.
    void serveNow() {
        XSync(windows->display(), False);
        windows->processPendingEvents();
    }

    void movePointer(Point screen) {
        XTestFakeMotionEvent(host, -1, screen.h, screen.v, CurrentTime);
        XSync(host, False);
    }
    void button(unsigned int which, bool down) {
        XTestFakeButtonEvent(host, which, down ? True : False, CurrentTime);
        XSync(host, False);
    }
    void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(host, XKeysymToKeycode(host, symbol), down ? True : False, CurrentTime);
        XSync(host, False);
    }

    Display* host = nullptr;
    ::Window parent = 0;
    std::unique_ptr<x11::X11WindowSystem> windows;
    RecordingListener listener;
};

// First: the choice is made by the process's first look at its services,
// and this opens the process's shared connection for good.
TEST(X11DefaultServices, UseTheX11WindowSystemAndInputWhenADisplayCanBeOpened) {
    if (VirtualServer::name().empty()) {
        GTEST_SKIP() << "no X server: " << VirtualServer::why;
    }
    setenv("DISPLAY", VirtualServer::name().c_str(), 1);
    const platform::Services chosen = platform::defaultServices();
    EXPECT_EQ(chosen.windows, &x11::sharedWindowSystem());
    EXPECT_EQ(chosen.input, &x11::sharedWindowSystem().input());
}

// --- pixel formats -------------------------------------------------------------------

TEST(X11PixelFormat, PacksColoursForTheVisualsMasksDepthAndByteOrder) {
    const PixelColor colour = platform::pixelColor(0x12, 0x34, 0x56);
    const struct {
        const char* what;
        PixelFormat format;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"24-bit depth, 32 bits per pixel, LSB first", {0xFF0000, 0xFF00, 0xFF, 0, 32, false}, {0x56, 0x34, 0x12, 0x00}},
        {"the same, MSB first", {0xFF0000, 0xFF00, 0xFF, 0, 32, true}, {0x00, 0x12, 0x34, 0x56}},
        {"32-bit depth with alpha, which stays opaque", {0xFF0000, 0xFF00, 0xFF, 0xFF000000, 32, false},
         {0x56, 0x34, 0x12, 0xFF}},
        {"blue in the high byte", {0xFF, 0xFF00, 0xFF0000, 0, 32, false}, {0x12, 0x34, 0x56, 0x00}},
        {"packed 24 bits per pixel, LSB first", {0xFF0000, 0xFF00, 0xFF, 0, 24, false}, {0x56, 0x34, 0x12}},
        {"packed 24 bits per pixel, MSB first", {0xFF0000, 0xFF00, 0xFF, 0, 24, true}, {0x12, 0x34, 0x56}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> out(c.bytes.size(), 0xEE);
        x11::packPixel(c.format, colour, out.data());
        EXPECT_EQ(out, c.bytes) << c.what;
    }
}

TEST(X11PixelFormat, WideChannelsKeepFullIntensityAndNarrowOnesKeepTheTopBits) {
    const PixelFormat tenBits{0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, 32, false};
    EXPECT_EQ(x11::pixelValue(tenBits, platform::pixelColor(255, 255, 255)), 0xFFFFFFFFu);
    EXPECT_EQ(x11::pixelValue(tenBits, platform::pixelColor(0, 0, 0)), 0xC0000000u);
    EXPECT_EQ(x11::pixelValue(tenBits, platform::pixelColor(0x80, 0, 0)), 0xC0000000u | (0x202u << 20));
    const PixelFormat fiveSixFive{0xF800, 0x7E0, 0x1F, 0, 32, false};
    EXPECT_EQ(x11::pixelValue(fiveSixFive, platform::pixelColor(255, 255, 255)), 0xFFFFu);
    EXPECT_EQ(x11::pixelValue(fiveSixFive, platform::pixelColor(0x84, 0x41, 0x0F)), (0x10u << 11) | (0x10u << 5) | 0x1u);
}

// --- windows ------------------------------------------------------------------------

TEST_F(X11WindowTest, TheChildIsAMappedChildAtTheHostsTopLeftWithTheGivenSize) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);

    ::Window root = 0;
    ::Window parentOfChild = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(host, idOf(*child), &root, &parentOfChild, &children, &count));
    if (children != nullptr) {
        XFree(children);
    }
    EXPECT_EQ(parentOfChild, parent);

    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(host, idOf(*child), &attributes));
    EXPECT_EQ(attributes.x, 0);
    EXPECT_EQ(attributes.y, 0);
    EXPECT_EQ(attributes.width, childWidth);
    EXPECT_EQ(attributes.height, childHeight);
    EXPECT_EQ(attributes.map_state, IsViewable);
    const long wanted = ExposureMask | ButtonPressMask | StructureNotifyMask;
    EXPECT_EQ(attributes.all_event_masks & wanted, wanted);

    EXPECT_EQ(child->screenOrigin(), hostOrigin);
}

TEST_F(X11WindowTest, AnExposePaintsAndWhatThePaintDrewIsOnTheWindow) {
    const PixelColor red = platform::pixelColor(200, 20, 30);
    listener.onPaint = [&](platform::Window&, platform::Surface& surface) { fill(surface, Rect(10, 10, 60, 40), red); };
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(serveUntil([&] { return !listener.painted.empty(); })) << "no Expose reached the listener";
    EXPECT_EQ(listener.painted[0], child.get());

    XSync(windows->display(), False);
    const WindowPixels shown = readWindow(host, idOf(*child));
    ASSERT_EQ(shown.width, childWidth);
    EXPECT_EQ(shown.at(10, 10), red);
    EXPECT_EQ(shown.at(59, 39), red);
    EXPECT_EQ(shown.at(60, 40), x11::buttonFaceColor) << "a paint starts from the button face";
    EXPECT_EQ(shown.at(0, 0), x11::buttonFaceColor);
    EXPECT_EQ(shown.at(childWidth - 1, childHeight - 1), x11::buttonFaceColor);
}

TEST_F(X11WindowTest, ABorrowedSurfacePutsWhatWasDrawnOnTheWindowWhenItEnds) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(serveUntil([&] { return !listener.painted.empty(); }));

    const PixelColor blue = platform::pixelColor(10, 40, 220);
    {
        auto surface = child->borrowSurface();
        ASSERT_NE(surface, nullptr);
        fill(*surface, Rect(100, 50, 120, 70), blue);
        XSync(windows->display(), False);
        EXPECT_EQ(readWindow(host, idOf(*child)).at(110, 60), x11::buttonFaceColor) << "shown before it ended";
    }
    XSync(windows->display(), False);
    const WindowPixels shown = readWindow(host, idOf(*child));
    EXPECT_EQ(shown.at(100, 50), blue);
    EXPECT_EQ(shown.at(119, 69), blue);
    EXPECT_EQ(shown.at(120, 70), x11::buttonFaceColor);
}

TEST_F(X11WindowTest, OnePaintDispatchHandlesOneExposeOfOneWindow) {
    const ::Window secondHost = makeHostWindow(Point(200, 100));
    RecordingListener other;
    auto first = makeChild(listener);
    auto second = makeChild(other, secondHost);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // Both windows' Exposes are queued by now: creation waits for the server.
    windows->dispatchOnePendingPaint();
    EXPECT_EQ(listener.painted.size() + other.painted.size(), 1u);
    windows->dispatchOnePendingPaint();
    EXPECT_EQ(listener.painted.size(), 1u);
    EXPECT_EQ(other.painted.size(), 1u);
    windows->dispatchOnePendingPaint();
    windows->processPendingEvents();
    EXPECT_EQ(listener.painted.size() + other.painted.size(), 2u) << "the series were taken whole";
}

TEST_F(X11WindowTest, ASecondChildInTheSameHostCoversTheFirstAndUncoversItWhenDeleted) {
    auto first = makeChild(listener);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(serveUntil([&] { return !listener.painted.empty(); }));
    RecordingListener other;
    auto second = makeChild(other);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(serveUntil([&] { return !other.painted.empty(); }));

    const std::size_t before = listener.painted.size();
    second.reset();
    EXPECT_TRUE(serveUntil([&] { return listener.painted.size() > before; }));
    EXPECT_TRUE(other.destroyed.empty());
}

// --- input -----------------------------------------------------------------------------

TEST_F(X11WindowTest, PressesOfTheThreeButtonsReachTheListenerAtTheirPoint) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    const struct {
        unsigned int button;
        Point where;
        bool reported;
    } presses[] = {
        {Button1, Point(30, 40), true},  {Button2, Point(0, 0), true},    {Button3, Point(277, 198), true},
        {4, Point(5, 6), false},         {5, Point(7, 8), false},  // wheel steps are not presses
    };
    for (const auto& press : presses) {
        listener.presses.clear();
        movePointer(Point(hostOrigin.h + press.where.h, hostOrigin.v + press.where.v));
        button(press.button, true);
        button(press.button, false);
        serveNow();
        if (press.reported) {
            ASSERT_EQ(listener.presses.size(), 1u) << "button " << press.button;
            EXPECT_EQ(listener.presses[0].where, press.where) << "button " << press.button;
            EXPECT_EQ(listener.presses[0].window, child.get());
        } else {
            EXPECT_TRUE(listener.presses.empty()) << "button " << press.button;
        }
    }
}

TEST_F(X11WindowTest, AClickThatIsOverBeforeItIsReportedStillReadsAsHeldAtFirst) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    std::vector<bool> held;
    listener.onButtonDown = [&](platform::Window&, Point) {
        for (int i = 0; i < 1000; ++i) {
            held.push_back(windows->input().isDown(InputKey::LeftButton));
            if (!held.back()) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    movePointer(Point(hostOrigin.h + 12, hostOrigin.v + 13));
    button(Button1, true);
    button(Button1, false);
    ASSERT_TRUE(serveUntil([&] { return !listener.presses.empty(); }));

    ASSERT_GE(held.size(), 2u);
    EXPECT_TRUE(held.front()) << "the button that was pressed reads as held at the first question";
    EXPECT_FALSE(held.back()) << "and as released once the click's length has passed";
    EXPECT_FALSE(windows->input().isDown(InputKey::LeftButton)) << "the live state once the press is reported";
}

TEST_F(X11WindowTest, ADragPolledDuringThePressFollowsThePointerUntilTheRelease) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    const Point start(hostOrigin.h + 20, hostOrigin.v + 100);
    std::vector<Point> cursor;
    int polls = 0;
    listener.onButtonDown = [&](platform::Window&, Point) {
        platform::InputState& input = windows->input();
        while (polls < 200 && input.isDown(InputKey::LeftButton)) {
            cursor.push_back(input.cursorPosition());
            if (polls < 4) {
                movePointer(Point(start.h + 10 * (polls + 1), start.v));
            } else if (polls == 4) {
                button(Button1, false);
            }
            ++polls;
        }
    };
    movePointer(start);
    button(Button1, true);
    ASSERT_TRUE(serveUntil([&] { return !listener.presses.empty(); }));

    EXPECT_EQ(listener.presses[0].where, Point(20, 100));
    EXPECT_LT(polls, 200) << "the drag did not end with the release";
    ASSERT_GE(cursor.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cursor[static_cast<std::size_t>(i)], Point(start.h + 10 * i, start.v)) << "poll " << i;
    }
}

TEST_F(X11WindowTest, WhileAPressIsReportedEventsAreServedButAnotherPressWaitsForItsEnd) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(serveUntil([&] { return !listener.painted.empty(); }));
    std::size_t pressesInside = 0;
    std::size_t paintsInside = 0;
    listener.onButtonDown = [&](platform::Window&, Point where) {
        if (where != Point(10, 10)) {
            return;
        }
        // A control tracking the mouse serves the window as it goes.
        const std::size_t paintsBefore = listener.painted.size();
        XClearArea(host, idOf(*child), 0, 0, 5, 5, True);  // an Expose
        button(Button1, false);
        movePointer(Point(hostOrigin.h + 70, hostOrigin.v + 80));
        button(Button3, true);
        button(Button3, false);
        serveNow();
        pressesInside = listener.presses.size();
        paintsInside = listener.painted.size() - paintsBefore;
    };
    movePointer(Point(hostOrigin.h + 10, hostOrigin.v + 10));
    button(Button1, true);
    ASSERT_TRUE(serveUntil([&] { return listener.presses.size() >= 2; }));

    EXPECT_EQ(paintsInside, 1u);
    EXPECT_EQ(pressesInside, 1u) << "a press was reported inside another";
    ASSERT_EQ(listener.presses.size(), 2u);
    EXPECT_EQ(listener.presses[1].where, Point(70, 80));
}

TEST_F(X11WindowTest, TheInputStateReadsTheHeldButtonsAndModifiersAndThePointer) {
    // Away from every window of ours, so that nothing is a press to report.
    const Point away(600, 450);
    movePointer(away);
    platform::InputState& input = windows->input();
    EXPECT_EQ(input.cursorPosition(), away);

    const InputKey all[] = {InputKey::LeftButton, InputKey::MiddleButton, InputKey::RightButton,
                            InputKey::Shift,      InputKey::Control,      InputKey::Alt};
    const struct {
        InputKey key;
        unsigned int button;
        KeySym symbol;
    } cases[] = {
        {InputKey::LeftButton, Button1, 0},  {InputKey::MiddleButton, Button2, 0}, {InputKey::RightButton, Button3, 0},
        {InputKey::Shift, 0, XK_Shift_L},    {InputKey::Control, 0, XK_Control_L}, {InputKey::Alt, 0, XK_Alt_L},
    };
    for (const auto& c : cases) {
        const auto press = [&](bool down) { c.button != 0 ? button(c.button, down) : key(c.symbol, down); };
        press(true);
        for (InputKey other : all) {
            EXPECT_EQ(input.isDown(other), other == c.key)
                << "holding " << static_cast<int>(c.key) << ", asking " << static_cast<int>(other);
        }
        press(false);
        EXPECT_FALSE(input.isDown(c.key)) << static_cast<int>(c.key);
    }
    movePointer(Point(away.h - 30, away.v - 20));
    EXPECT_EQ(input.cursorPosition(), Point(away.h - 30, away.v - 20));
}

// --- the frame on X11 ------------------------------------------------------------------

TEST_F(X11WindowTest, TheFramePaintsRedrawsAtIdleTakesAQuickClickAndOutlivesItsWindow) {
    platform::ScopedServices use(
        platform::Services{&raster::sharedGraphics(), &windows->input(), nullptr, windows.get()});
    Frame frame(Rect(0, 0, childWidth, childHeight), asParent(parent), nullptr);
    ASSERT_NE(frame.getWindow(), nullptr);
    auto* view = new ProbeView(Rect(20, 30, 80, 70), Color{30, 200, 60, 0});
    ASSERT_TRUE(frame.addView(view));
    const ::Window shownOn = idOf(*frame.getWindow());

    ASSERT_TRUE(serveUntil([&] { return !frame.isFirstDrawPending(); })) << "the frame was never painted";
    XSync(windows->display(), False);
    WindowPixels shown = readWindow(host, shownOn);
    EXPECT_EQ(shown.at(21, 31), platform::pixelColor(view->fill));
    EXPECT_EQ(shown.at(79, 69), platform::pixelColor(view->fill));
    EXPECT_EQ(shown.at(20, 30), x11::buttonFaceColor) << "a fill leaves the rectangle's border";

    // An idle pass draws the dirty view on a borrowed surface.
    view->fill = Color{200, 40, 160, 0};
    view->setDirty(true);
    frame.idle();
    XSync(windows->display(), False);
    shown = readWindow(host, shownOn);
    EXPECT_EQ(shown.at(50, 50), platform::pixelColor(view->fill));

    // A click that is over before the idle call that reports it.
    movePointer(Point(hostOrigin.h + 40, hostOrigin.v + 50));
    button(Button1, true);
    button(Button1, false);
    ASSERT_TRUE(serveUntil([&] { return !view->presses.empty(); }));
    EXPECT_EQ(view->presses[0].where, Point(40, 50));
    EXPECT_EQ(view->presses[0].buttons, LeftButtonBit);
    EXPECT_EQ(view->presses[0].pointer, Point(40, 50));

    // The host destroys its window before the editor closes.
    XDestroyWindow(host, parent);
    XSync(host, False);
    ASSERT_TRUE(serveUntil([&] { return !frame.isWindowOpen(); }));
    const int draws = view->draws;
    view->setDirty(true);
    frame.idle();
    EXPECT_EQ(view->draws, draws);
}

// --- destruction and errors ----------------------------------------------------------------

TEST_F(X11WindowTest, DestroyingTheHostTellsTheListenerAndALaterDeleteEndsQuietly) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    XDestroyWindow(host, parent);
    XSync(host, False);
    ASSERT_TRUE(serveUntil([&] { return !listener.destroyed.empty(); }));
    EXPECT_EQ(listener.destroyed.size(), 1u);
    EXPECT_EQ(listener.destroyed[0], child.get());
    EXPECT_EQ(child->borrowSurface(), nullptr);
    EXPECT_EQ(child->screenOrigin(), Point());

    const int errorsBefore = windows->swallowedErrors();
    child.reset();
    XSync(windows->display(), False);
    EXPECT_EQ(windows->swallowedErrors(), errorsBefore) << "the dead window was touched";
    EXPECT_EQ(listener.destroyed.size(), 1u);
}

TEST_F(X11WindowTest, WorkOnAWindowTheHostDestroyedUnnoticedFailsQuietly) {
    auto child = makeChild(listener);
    ASSERT_NE(child, nullptr);
    XDestroyWindow(host, parent);
    XSync(host, False);

    // The destruction is not served yet: every request on the window fails.
    child->screenOrigin();
    {
        auto surface = child->borrowSurface();
        ASSERT_NE(surface, nullptr);
        fill(*surface, Rect(0, 0, 10, 10), platform::pixelColor(1, 2, 3));
    }
    child.reset();
    XSync(windows->display(), False);
    EXPECT_GT(windows->swallowedErrors(), 0);

    windows->processPendingEvents();
    EXPECT_TRUE(listener.destroyed.empty()) << "a deleted window reports nothing";
}

int foreignErrors = 0;
int countForeignError(Display*, XErrorEvent*) {
    ++foreignErrors;
    return 0;
}

TEST_F(X11WindowTest, OnlyErrorsOfOurOwnConnectionAreSwallowed) {
    // A handler of the host's, installed over whatever was there.
    foreignErrors = 0;
    XSetErrorHandler(countForeignError);

    EXPECT_EQ(windows->createChildWindow(asParent(0x7FFFFFF), childWidth, childHeight, listener), nullptr)
        << "a window id that names no window";
    EXPECT_GT(windows->swallowedErrors(), 0);
    EXPECT_EQ(foreignErrors, 0);

    XWindowAttributes unused{};
    EXPECT_FALSE(XGetWindowAttributes(host, 0x7FFFFFF, &unused));
    EXPECT_EQ(foreignErrors, 1) << "the host's error went to the host's handler";

    windows.reset();
    XGetWindowAttributes(host, 0x7FFFFFF, &unused);
    EXPECT_EQ(foreignErrors, 2) << "the host's handler is in place after the last connection closed";
    XSetErrorHandler(nullptr);
}

TEST(X11WithoutDisplay, MakesNoWindowAndReportsNothingHeld) {
    x11::X11WindowSystem windows(raster::sharedGraphics(), ":4095");
    RecordingListener listener;
    EXPECT_FALSE(windows.available());
    EXPECT_EQ(windows.createChildWindow(asParent(1), childWidth, childHeight, listener), nullptr);
    windows.processPendingEvents();
    windows.dispatchOnePendingPaint();
    EXPECT_FALSE(windows.input().isDown(InputKey::LeftButton));
    EXPECT_EQ(windows.input().cursorPosition(), Point());
}

TEST_F(X11WindowTest, NoChildForAnEmptyParentOrSize) {
    EXPECT_EQ(windows->createChildWindow(nullptr, childWidth, childHeight, listener), nullptr);
    EXPECT_EQ(windows->createChildWindow(asParent(parent), 0, childHeight, listener), nullptr);
    EXPECT_EQ(windows->createChildWindow(asParent(parent), childWidth, -1, listener), nullptr);
}

}  // namespace
}  // namespace stipplewave::test
