// Headless services: a window that is only pixels in memory, an input state
// and a clock that a test (or a tool) sets by hand, and the system's
// steady clock. With raster graphics they make a complete platform that
// needs no display.
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

}  // namespace stipplewave::raster
