// The platform contract: everything the toolkit needs from the system it
// runs on, and nothing else. The toolkit's classes (DrawContext, Bitmap and
// the views built on them) are written once against these interfaces; each
// backend lives in a folder of its own:
//
//   toolkit/win32/   Windows GDI and USER surfaces, resources, input, time,
//                    and the frame's window class and child windows
//   toolkit/raster/  software surfaces of 32-bit pixels (any target), text
//                    through FreeType where it is available, headless
//                    windows, input and time that tests can script
//   toolkit/x11/     child windows of a Linux host's X11 window that show
//                    raster pixels, and the pointer state of that display
//
// Windows are reached through `Window`: its place on the screen and a
// surface over its pixels (win32: an HWND and GetDC; headless: pixels in
// memory). The frame's own child window joins the contract as a window
// system that makes a child `Window` of the host's native window and tells
// a listener of paint requests (with the surface to draw on), button
// presses (in client pixels) and the window's destruction, and that
// dispatches a pending paint during mouse tracking. The X11 backend puts
// raster surfaces on an X11 child window the same way: its `borrowSurface`
// hands out a raster surface over the window's backing pixels, which it
// puts on the window when the surface ends, and it brings its own
// `InputState` (pointer and modifier state of its display).
//
// Threading: every object here is used on the user-interface thread only.
// The current `Services` are process-wide and plain (not atomic): they are
// chosen once before any toolkit object is made, or swapped by a test while
// nothing else draws.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/Types.h"

namespace stipplewave::platform {

// A colour as surfaces take it: red + 256 * green + 65536 * blue.
using PixelColor = std::uint32_t;

constexpr PixelColor pixelColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<PixelColor>(red) | (static_cast<PixelColor>(green) << 8) |
           (static_cast<PixelColor>(blue) << 16);
}
constexpr PixelColor pixelColor(Color c) { return pixelColor(c.red, c.green, c.blue); }
constexpr std::uint8_t redOf(PixelColor p) { return static_cast<std::uint8_t>(p & 0xFF); }
constexpr std::uint8_t greenOf(PixelColor p) { return static_cast<std::uint8_t>((p >> 8) & 0xFF); }
constexpr std::uint8_t blueOf(PixelColor p) { return static_cast<std::uint8_t>((p >> 16) & 0xFF); }

enum class BackgroundMode { Transparent, Opaque };
enum class TextAlignment { Left, Centre, Right };
enum class FontFamily { Swiss, Decorative };
enum class FontPitch { Default, Variable };

struct FontDescription {
    const char* face = "";
    std::int32_t height = 0;  // height of the characters (not of the cell), pixels
    std::int32_t weight = 400;
    FontFamily family = FontFamily::Swiss;
    FontPitch pitch = FontPitch::Variable;
};

// Drawing objects. Their owner deletes them; a surface never owns what is
// selected into it, so an object is deleted only after something else has
// been selected in its place.
class Pen {
public:
    virtual ~Pen() = default;
};

class Brush {
public:
    virtual ~Brush() = default;
};

class Font {
public:
    virtual ~Font() = default;
};

// A picture in the display's pixel format.
class Image {
public:
    virtual ~Image() = default;
    // The image's size in pixels; false when the platform cannot say.
    virtual bool describe(std::int32_t& width, std::int32_t& height) const = 0;
};

// One bit per pixel of an image: set where the image has the key colour.
class Mask {
public:
    virtual ~Mask() = default;
};

// What a surface had selected when a context took it over.
class Selection {
public:
    virtual ~Selection() = default;
};

// A place to draw: a window's pixels or a memory picture. Destroying a
// surface gives a borrowed one back or deletes a memory one with its picture.
class Surface {
public:
    virtual ~Surface() = default;

    virtual std::unique_ptr<Selection> saveSelection() = 0;
    virtual void restoreSelection(const Selection& selection) = 0;
    virtual void selectPen(const Pen& pen) = 0;
    virtual void selectBrush(const Brush& brush) = 0;
    virtual void selectFont(const Font& font) = 0;

    virtual void setTextColor(PixelColor color) = 0;
    virtual void setBackgroundColor(PixelColor color) = 0;
    virtual void setBackgroundMode(BackgroundMode mode) = 0;

    // One-pixel lines: the start point is painted, the end point is not.
    virtual void moveTo(Point p) = 0;
    virtual void lineTo(Point p) = 0;
    // Paints left <= x < right, top <= y < bottom with the selected brush
    // and no outline.
    virtual void fillRect(const Rect& r) = 0;
    // One line of text in the selected font and text colour, vertically
    // centred in r and clipped to it; with an opaque background mode the
    // cells behind the characters take the background colour.
    virtual void drawText(const char* text, const Rect& r, TextAlignment alignment) = 0;
    // Copies the block of dest's size whose top-left corner is src in
    // source to dest's top-left corner here.
    virtual void copyFrom(Surface& source, const Rect& dest, Point src) = 0;
    // The pixels of an area, row by row; false when they cannot be read.
    virtual bool readPixels(const Rect& area, std::vector<PixelColor>& out) = 0;
};

// A window the toolkit draws into.
class Window {
public:
    virtual ~Window() = default;
    // The window's top-left corner in screen coordinates.
    virtual Point screenOrigin() const = 0;
    // A surface over the window's client pixels, given back when destroyed;
    // null when none can be had.
    virtual std::unique_ptr<Surface> borrowSurface() = 0;
};

// Makes drawing objects, surfaces and images, and draws images. Every
// `make`/`load` answers null when the platform cannot make the thing; the
// caller then skips what needed it. Objects of one Graphics are only ever
// given back to the same Graphics and its surfaces.
class Graphics {
public:
    virtual ~Graphics() = default;

    virtual std::unique_ptr<Pen> makePen(PixelColor color, std::int32_t width) = 0;
    virtual std::unique_ptr<Brush> makeBrush(PixelColor color) = 0;
    virtual std::unique_ptr<Font> makeFont(const FontDescription& description) = 0;

    // A memory surface of width x height pixels in the format of `like`'s
    // surface (of the screen when `like` is null). Its pixels start undefined.
    virtual std::unique_ptr<Surface> makeOffscreenSurface(Window* like, std::int32_t width,
                                                          std::int32_t height) = 0;

    // The module's bitmap resource with this number (0 to 65535).
    virtual std::unique_ptr<Image> loadImage(std::int32_t resourceNumber) = 0;
    // A picture from pixels in memory, row by row from the top.
    virtual std::unique_ptr<Image> makeImage(std::int32_t width, std::int32_t height,
                                             const PixelColor* pixels) = 0;

    // Copies the block of the image of dest's size whose top-left corner is
    // src to dest's top-left corner on the surface.
    virtual void drawImage(Surface& surface, const Rect& dest, const Image& image, Point src) = 0;
    virtual std::unique_ptr<Mask> makeMask(Surface& like, const Image& image, PixelColor key) = 0;
    // As drawImage, except where the mask is set: there the surface keeps
    // its pixel.
    virtual void drawImageMasked(Surface& surface, const Rect& dest, const Image& image,
                                 const Mask& mask, Point src) = 0;
};

// What a child window tells its owner (the frame). Called on the thread
// that services the window's events, the user-interface thread.
class WindowListener {
public:
    virtual ~WindowListener() = default;
    // The window has an area to repaint; `surface` is the paint surface,
    // valid for this call only.
    virtual void windowPaint(Window& window, Surface& surface) = 0;
    // A mouse button (any of the three) went down at `where`, in the
    // window's client pixels.
    virtual void windowButtonDown(Window& window, Point where) = 0;
    // The window was destroyed from outside (its parent went away); the
    // Window object stays valid but has no pixels any more.
    virtual void windowDestroyed(Window& window) = 0;
};

// The frame's own window: a visible child of the host's window at (0, 0).
// Deleting it stops all reports to the listener first, then destroys the
// native window (if it still exists).
class ChildWindow : public Window {
public:
    // The native handle (HWND, X11 window id), for the drop target and tests.
    virtual void* nativeHandle() const = 0;
};

// Makes the frame's child windows and services their events.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // A visible child window of the host's window `parent` (HWND on
    // Windows, an X11 window id on Linux), at (0, 0) with the given size,
    // reporting to `listener`. Null when it cannot be made.
    virtual std::unique_ptr<ChildWindow> createChildWindow(void* parent, std::int32_t width, std::int32_t height,
                                                           WindowListener& listener) = 0;
    // Handles at most one pending paint request of this thread's windows
    // (used while a control tracks the mouse).
    virtual void dispatchOnePendingPaint() = 0;
    // Handles every pending event of this system's windows without waiting.
    // Where the platform delivers events itself (Windows' message loop of
    // the host) this does nothing.
    virtual void processPendingEvents() = 0;
    // Brackets an editor's life: OLE's initialisation for the frame's
    // drag-and-drop on Windows; nothing elsewhere.
    virtual void beginEditorUse() = 0;
    virtual void endEditorUse() = 0;
};

enum class InputKey { LeftButton, MiddleButton, RightButton, Shift, Control, Alt };

// The live state of the mouse buttons and modifier keys at the moment of
// the call.
class InputState {
public:
    virtual ~InputState() = default;
    virtual bool isDown(InputKey key) const = 0;
    // The cursor in screen coordinates.
    virtual Point cursorPosition() const = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds, wrapping at 2^32.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
};

struct Services {
    Graphics* graphics = nullptr;
    InputState* input = nullptr;
    Clock* clock = nullptr;
    WindowSystem* windows = nullptr;
};

// The services in use: the target's own until replaced. Windows: win32
// throughout. Linux: raster graphics, with X11 windows and input when a
// display can be opened at the first look, else headless ones.
const Services& services();
// Replaces the services; a null member keeps the current one. Returns the
// services that were in use.
Services setServices(const Services& replacement);

// The target's own services, as `services()` starts with.
Services defaultServices();

// Puts services in place for one scope (a test, a tool run) and the
// previous ones back at its end.
class ScopedServices {
public:
    explicit ScopedServices(const Services& replacement) : previous(setServices(replacement)) {}
    ~ScopedServices() { setServices(previous); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services previous;
};

}  // namespace stipplewave::platform
