// Headless services: a window that is only pixels in memory, a window
// system whose child windows are such windows and whose events a test (or
// a tool) sends by hand, an input state and a clock that are set by hand,
// and the system's steady clock. With raster graphics they make a complete
// platform that needs no display.
//
// Threading: each object is used on one thread; the scripted ones are set
// and read by the same test.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/Platform.h"
#include "toolkit/raster/RasterGraphics.h"

namespace stipplewave::raster {

// A window of a given size at a given place on an imaginary screen; the
// surfaces borrowed on it share its pixels.
class HeadlessWindow final : public platform::Window {
public:
    HeadlessWindow(RasterGraphics& graphics, std::int32_t width, std::int32_t height, Point origin = Point());

    Point screenOrigin() const override { return origin; }
    std::unique_ptr<platform::Surface> borrowSurface() override;

    void moveTo(Point newOrigin) { origin = newOrigin; }
    const PixelBuffer& pixels() const { return *buffer; }
    std::int32_t surfacesOut() const { return static_cast<std::int32_t>(buffer.use_count()) - 1; }

private:
    RasterGraphics& graphics;
    std::shared_ptr<PixelBuffer> buffer;
    Point origin;
};

class HeadlessWindowSystem;

// A child window that is pixels in memory. Nothing happens to it by itself:
// paints, presses and its destruction from outside are sent by hand (or by
// the window system's pending-paint dispatch), each reported to the
// listener as a real window would.
class HeadlessChildWindow final : public platform::ChildWindow {
public:
    HeadlessChildWindow(HeadlessWindowSystem& system, RasterGraphics& graphics, void* parent, std::int32_t width,
                        std::int32_t height, platform::WindowListener& listener);
    // Leaves the window system's list; no report reaches the listener after.
    ~HeadlessChildWindow() override;
    HeadlessChildWindow(const HeadlessChildWindow&) = delete;
    HeadlessChildWindow& operator=(const HeadlessChildWindow&) = delete;

    Point screenOrigin() const override { return pixelWindow.screenOrigin(); }
    // Null once the window was destroyed from outside.
    std::unique_ptr<platform::Surface> borrowSurface() override;
    void* nativeHandle() const override { return const_cast<HeadlessChildWindow*>(this); }

    // Reports a paint with a surface over the pixels; false (nothing sent)
    // once destroyed. Clears the pending paint.
    bool sendPaint();
    // Reports a button press at `where` (client pixels); false once destroyed.
    bool sendButtonDown(Point where);
    // The parent went away: the pixels go and the listener is told, once.
    void destroyFromOutside();

    void setPaintPending(bool pending) { paintPending = pending; }
    bool isPaintPending() const { return paintPending; }
    bool isDestroyed() const { return destroyed; }
    void* getParent() const { return parent; }
    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }
    void moveTo(Point screenPosition) { pixelWindow.moveTo(screenPosition); }
    const PixelBuffer& pixels() const { return pixelWindow.pixels(); }
    std::int32_t surfacesOut() const { return pixelWindow.surfacesOut(); }

private:
    HeadlessWindowSystem& system;
    HeadlessWindow pixelWindow;
    platform::WindowListener& listener;
    void* parent;
    std::int32_t width;
    std::int32_t height;
    // A new window has its whole area to paint, as a shown window has.
    bool paintPending = true;
    bool destroyed = false;
};

// Makes HeadlessChildWindows and counts what the editor asks of it.
class HeadlessWindowSystem final : public platform::WindowSystem {
public:
    explicit HeadlessWindowSystem(RasterGraphics& graphics);
    ~HeadlessWindowSystem() override;
    HeadlessWindowSystem(const HeadlessWindowSystem&) = delete;
    HeadlessWindowSystem& operator=(const HeadlessWindowSystem&) = delete;

    // Null when refusing windows, for a null parent, or a size below 1 x 1.
    std::unique_ptr<platform::ChildWindow> createChildWindow(void* parent, std::int32_t width, std::int32_t height,
                                                             platform::WindowListener& listener) override;
    // Paints the oldest live window that has a paint pending, if any.
    void dispatchOnePendingPaint() override;
    // Paints every live window that has a paint pending.
    void processPendingEvents() override;
    void beginEditorUse() override { ++editorUsesBegun; }
    void endEditorUse() override { ++editorUsesEnded; }

    // The live windows, oldest first.
    const std::vector<HeadlessChildWindow*>& windows() const { return live; }
    HeadlessChildWindow* newestWindow() const { return live.empty() ? nullptr : live.back(); }

    bool refuseWindows = false;
    int windowsMade = 0;
    int paintDispatches = 0;
    int eventPasses = 0;
    int editorUsesBegun = 0;
    int editorUsesEnded = 0;

private:
    friend class HeadlessChildWindow;
    void forget(HeadlessChildWindow* window);
    HeadlessChildWindow* firstPendingPaint() const;

    RasterGraphics& graphics;
    std::vector<HeadlessChildWindow*> live;
};

// Buttons and keys are up and the cursor stays where it is put until a
// script says otherwise.
class ScriptedInput final : public platform::InputState {
public:
    bool isDown(platform::InputKey key) const override;
    Point cursorPosition() const override { return cursor; }

    void press(platform::InputKey key) { setDown(key, true); }
    void lift(platform::InputKey key) { setDown(key, false); }
    void setDown(platform::InputKey key, bool down);
    void liftAll();
    void moveCursor(Point screenPosition) { cursor = screenPosition; }

private:
    static constexpr int keyCount = 6;
    bool down[keyCount] = {};
    Point cursor;
};

// Time stands still except when set, advanced, or slept through: a sleep
// advances the tick by its length and is recorded.
class ScriptedClock final : public platform::Clock {
public:
    explicit ScriptedClock(std::uint32_t start = 0) : tick(start) {}

    std::uint32_t tickCount() override { return tick; }
    void sleep(std::uint32_t milliseconds) override;

    void set(std::uint32_t now) { tick = now; }
    void advance(std::uint32_t milliseconds) { tick += milliseconds; }
    const std::vector<std::uint32_t>& sleeps() const { return slept; }

private:
    std::uint32_t tick;
    std::vector<std::uint32_t> slept;
};

// Milliseconds of the system's steady clock, wrapping at 2^32.
class SystemClock final : public platform::Clock {
public:
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t milliseconds) override;
};

// The input of a machine without a pointer: nothing is ever held.
platform::InputState& sharedHeadlessInput();
platform::Clock& sharedSystemClock();
// The window system of a machine without a display (Linux's default).
HeadlessWindowSystem& sharedHeadlessWindows();

}  // namespace stipplewave::raster
