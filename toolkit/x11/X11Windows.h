// The X11 window system for Linux hosts: the frame's child window inside
// the host's X11 window, drawn in memory by the raster backend and put on
// the window with XPutImage, and the pointer and modifier state of the same
// display.
//
// The host passes its window id; the window system makes a child window of
// it on a display connection of its own (opened on first use from DISPLAY),
// and services that connection only when asked: `processPendingEvents` on
// the editor's idle calls, `dispatchOnePendingPaint` during mouse tracking.
// Nothing here ever waits for an event.
//
// Errors: an X error on one of these connections (a host that destroys its
// window before closing the editor makes every later request on our child
// window fail) is counted and swallowed instead of reaching Xlib's default
// handler, which would end the process; errors of other connections go to
// the handler that was in place before.
//
// Threading: one window system, its windows and its input state are used
// by one thread at a time: the thread on which the host sends the editor
// calls (open, idle, close). Every editor of the process shares the default
// window system, so the host is assumed to make all editor calls of the
// process on that same thread, as hosts do; that thread need not be the
// process's main thread. No Xlib call is made from any other thread, so the
// connection needs no XInitThreads. The error handler's table of
// connections is locked, since Xlib may call the handler from any thread
// that has an error on any connection.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/Platform.h"
#include "toolkit/raster/RasterGraphics.h"

struct _XDisplay;

namespace stipplewave::x11 {

using platform::PixelColor;

// How a TrueColor visual's pixels are laid out in a ZPixmap image.
struct PixelFormat {
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    // Bits of the visual's depth outside the three colour masks (the alpha
    // of a 32-bit visual): set in every pixel, so the window is opaque.
    std::uint32_t fillBits = 0;
    int bitsPerPixel = 32;  // 24 or 32
    bool mostSignificantByteFirst = false;
};

// The pixel value of a colour in a format.
std::uint32_t pixelValue(const PixelFormat& format, PixelColor color);
// Writes the colour's pixel as bitsPerPixel / 8 bytes in the format's order.
void packPixel(const PixelFormat& format, PixelColor color, std::uint8_t* out);

// What the window shows where nothing has been drawn yet, and what a paint
// starts from: the usual button-face grey.
constexpr PixelColor buttonFaceColor = platform::pixelColor(240, 240, 240);

class X11WindowSystem;
struct X11Backing;

class X11ChildWindow final : public platform::ChildWindow {
public:
    X11ChildWindow(X11WindowSystem& system, std::shared_ptr<X11Backing> backing,
                   platform::WindowListener& listener);
    // Stops all reports, destroys the X window unless it is gone already.
    ~X11ChildWindow() override;
    X11ChildWindow(const X11ChildWindow&) = delete;
    X11ChildWindow& operator=(const X11ChildWindow&) = delete;

    Point screenOrigin() const override;
    // A raster surface over the window's pixels that puts what was drawn on
    // the window when it ends; null once the window was destroyed.
    std::unique_ptr<platform::Surface> borrowSurface() override;
    // The X11 window id.
    void* nativeHandle() const override;

    unsigned long windowId() const;

private:
    friend class X11WindowSystem;
    X11WindowSystem& system;
    std::shared_ptr<X11Backing> backing;
    platform::WindowListener& listener;
};

// The pointer and the held buttons and modifier keys of the window system's
// display: Button1 left, Button2 middle, Button3 right, Shift, Control and
// Mod1 (Alt).
//
// Presses reach the listener at the next idle call, up to tens of
// milliseconds after they happened, when a short click may be over. So
// while a press is being reported, its button reads as held at the first
// question; a click whose release was already queued then is replayed (the
// button reads as held for as long as it really was), and a press that is
// still going on reads as the live state, released as soon as its release
// is queued. The controls see the click they were sent, and a drag ends
// with the real release.
class X11Input final : public platform::InputState {
public:
    explicit X11Input(X11WindowSystem& system) : windows(system) {}
    bool isDown(platform::InputKey key) const override;
    // In root window coordinates; (0, 0) without a display.
    Point cursorPosition() const override;

private:
    X11WindowSystem& windows;
};

class X11WindowSystem final : public platform::WindowSystem {
public:
    // `displayName` null: the DISPLAY of the environment. Draws with
    // `graphics`, whose pens, brushes and fonts the editor must use.
    explicit X11WindowSystem(raster::RasterGraphics& graphics, const char* displayName = nullptr);
    // Child windows must be deleted first; any left then stop touching the
    // display.
    ~X11WindowSystem() override;
    X11WindowSystem(const X11WindowSystem&) = delete;
    X11WindowSystem& operator=(const X11WindowSystem&) = delete;

    // `parent` holds the host's X11 window id. Null without a display,
    // without a usable parent, or without a 24- or 32-bit TrueColor visual.
    std::unique_ptr<platform::ChildWindow> createChildWindow(void* parent, std::int32_t width,
                                                             std::int32_t height,
                                                             platform::WindowListener& listener) override;
    // At most one pending Expose of this display's child windows (with the
    // rest of that window's series).
    void dispatchOnePendingPaint() override;
    // Every event already pending on the display, without waiting; while a
    // press is being reported, only paints and destructions (a press is
    // never reported inside another).
    void processPendingEvents() override;
    void beginEditorUse() override {}
    void endEditorUse() override {}

    // Whether the display can be had (opening it on the first call).
    bool available();
    X11Input& input() { return pointer; }
    // The connection, or null; for tests.
    _XDisplay* display();
    // X errors of this connection that were swallowed so far.
    int swallowedErrors() const;

private:
    friend class X11ChildWindow;
    friend class X11Input;
    struct Delivery;
    struct Connection;

    void forget(X11ChildWindow* window);
    X11ChildWindow* find(unsigned long windowId) const;
    void handle(void* event);
    void paint(X11ChildWindow& window);
    void buttonPress(X11ChildWindow& window, const void* event);
    void destroyed(X11ChildWindow& window);
    bool pressedButtonHeld(unsigned int button);

    raster::RasterGraphics& graphics;
    std::unique_ptr<Connection> connection;
    std::vector<X11ChildWindow*> windows;
    Delivery* delivery = nullptr;
    X11Input pointer;
};

// The window system of this process, on the environment's display.
X11WindowSystem& sharedWindowSystem();

}  // namespace stipplewave::x11
