// The Windows backend: device contexts with GDI pens, brushes and fonts,
// single-line DrawTextA, BitBlt block copies, bitmaps loaded with
// LoadBitmapA from the module's resources and drawn transparently by the
// mask method, the live button and key state, and GetTickCount/Sleep.
//
// Threading: GDI objects and device contexts are used on the
// user-interface thread that made them.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/Platform.h"

namespace stipplewave::win32 {

using platform::PixelColor;

// A device context as a surface. What happens to the context when the
// surface ends depends on where it came from.
class Win32Surface final : public platform::Surface {
public:
    enum class Ending {
        Keep,           // someone else ends it (a paint context)
        ReleaseWindow,  // ReleaseDC to its window
        DeleteMemory,   // DeleteDC, then the picture it holds
    };

    Win32Surface(HDC dc, Ending ending, HWND window = nullptr, HBITMAP picture = nullptr);
    ~Win32Surface() override;
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    std::unique_ptr<platform::Selection> saveSelection() override;
    void restoreSelection(const platform::Selection& selection) override;
    void selectPen(const platform::Pen& pen) override;
    void selectBrush(const platform::Brush& brush) override;
    void selectFont(const platform::Font& font) override;
    void setTextColor(PixelColor color) override;
    void setBackgroundColor(PixelColor color) override;
    void setBackgroundMode(platform::BackgroundMode mode) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void fillRect(const Rect& r) override;
    void drawText(const char* text, const Rect& r, platform::TextAlignment alignment) override;
    void copyFrom(platform::Surface& source, const Rect& dest, Point src) override;
    bool readPixels(const Rect& area, std::vector<PixelColor>& out) override;

    HDC handle() const { return dc; }

private:
    HDC dc;
    Ending ending;
    HWND window;
    HBITMAP picture;
    HGDIOBJ pictureReplaced = nullptr;
};

// A window made elsewhere (the frame's child window, a test's window).
class Win32Window final : public platform::Window {
public:
    explicit Win32Window(HWND window) : hwnd(window) {}
    Point screenOrigin() const override;
    std::unique_ptr<platform::Surface> borrowSurface() override;
    HWND handle() const { return hwnd; }

private:
    HWND hwnd;
};

class Win32Graphics final : public platform::Graphics {
public:
    std::unique_ptr<platform::Pen> makePen(PixelColor color, std::int32_t width) override;
    std::unique_ptr<platform::Brush> makeBrush(PixelColor color) override;
    std::unique_ptr<platform::Font> makeFont(const platform::FontDescription& description) override;
    std::unique_ptr<platform::Surface> makeOffscreenSurface(platform::Window* like, std::int32_t width,
                                                            std::int32_t height) override;
    std::unique_ptr<platform::Image> loadImage(std::int32_t resourceNumber) override;
    std::unique_ptr<platform::Image> makeImage(std::int32_t width, std::int32_t height,
                                               const PixelColor* pixels) override;
    void drawImage(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                   Point src) override;
    std::unique_ptr<platform::Mask> makeMask(platform::Surface& like, const platform::Image& image,
                                             PixelColor key) override;
    void drawImageMasked(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                         const platform::Mask& mask, Point src) override;
};

class Win32Input final : public platform::InputState {
public:
    bool isDown(platform::InputKey key) const override;
    Point cursorPosition() const override;
};

class Win32Clock final : public platform::Clock {
public:
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t milliseconds) override;
};

Win32Graphics& sharedGraphics();
Win32Input& sharedInput();
Win32Clock& sharedClock();

// The module that holds the bitmap resources: the plug-in's own instance,
// or the program itself when the code runs outside the plug-in (tests).
HINSTANCE resourceInstance();

}  // namespace stipplewave::win32
