#include "toolkit/raster/Headless.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace stipplewave::raster {

HeadlessWindow::HeadlessWindow(RasterGraphics& rasterGraphics, std::int32_t width, std::int32_t height,
                               Point at)
    : graphics(rasterGraphics), buffer(std::make_shared<PixelBuffer>()), origin(at) {
    buffer->resize(width, height, 0);
}

std::unique_ptr<platform::Surface> HeadlessWindow::borrowSurface() { return graphics.surfaceOver(buffer); }

HeadlessChildWindow::HeadlessChildWindow(HeadlessWindowSystem& owner, RasterGraphics& rasterGraphics,
                                         void* parentWindow, std::int32_t w, std::int32_t h,
                                         platform::WindowListener& windowListener)
    : system(owner),
      pixelWindow(rasterGraphics, w, h),
      listener(windowListener),
      parent(parentWindow),
      width(w),
      height(h) {
    system.live.push_back(this);
}

HeadlessChildWindow::~HeadlessChildWindow() { system.forget(this); }

std::unique_ptr<platform::Surface> HeadlessChildWindow::borrowSurface() {
    return destroyed ? nullptr : pixelWindow.borrowSurface();
}

// The listener may delete this window while it handles a report, so
// nothing here touches the window after the call.
bool HeadlessChildWindow::sendPaint() {
    if (destroyed) {
        return false;
    }
    std::unique_ptr<platform::Surface> surface = pixelWindow.borrowSurface();
    if (surface == nullptr) {
        return false;
    }
    paintPending = false;
    listener.windowPaint(*this, *surface);
    return true;
}

bool HeadlessChildWindow::sendButtonDown(Point where) {
    if (destroyed) {
        return false;
    }
    listener.windowButtonDown(*this, where);
    return true;
}

void HeadlessChildWindow::destroyFromOutside() {
    if (destroyed) {
        return;
    }
    destroyed = true;
    paintPending = false;
    listener.windowDestroyed(*this);
}

HeadlessWindowSystem::HeadlessWindowSystem(RasterGraphics& rasterGraphics) : graphics(rasterGraphics) {}

HeadlessWindowSystem::~HeadlessWindowSystem() = default;

std::unique_ptr<platform::ChildWindow> HeadlessWindowSystem::createChildWindow(void* parent, std::int32_t width,
                                                                               std::int32_t height,
                                                                               platform::WindowListener& listener) {
    if (refuseWindows || parent == nullptr || width < 1 || height < 1) {
        return nullptr;
    }
    ++windowsMade;
    return std::make_unique<HeadlessChildWindow>(*this, graphics, parent, width, height, listener);
}

HeadlessChildWindow* HeadlessWindowSystem::firstPendingPaint() const {
    for (HeadlessChildWindow* window : live) {
        if (window->isPaintPending() && !window->isDestroyed()) {
            return window;
        }
    }
    return nullptr;
}

void HeadlessWindowSystem::dispatchOnePendingPaint() {
    ++paintDispatches;
    if (HeadlessChildWindow* window = firstPendingPaint()) {
        window->sendPaint();
    }
}

// A window deleted during another one's paint has left the list by then,
// and a paint asked for again during a paint waits for the next pass.
void HeadlessWindowSystem::processPendingEvents() {
    ++eventPasses;
    std::vector<HeadlessChildWindow*> pending;
    for (HeadlessChildWindow* window : live) {
        if (window->isPaintPending()) {
            pending.push_back(window);
        }
    }
    for (HeadlessChildWindow* window : pending) {
        if (std::find(live.begin(), live.end(), window) != live.end()) {
            window->sendPaint();
        }
    }
}

void HeadlessWindowSystem::forget(HeadlessChildWindow* window) {
    live.erase(std::remove(live.begin(), live.end(), window), live.end());
}

bool ScriptedInput::isDown(platform::InputKey key) const {
    const int index = static_cast<int>(key);
    return index >= 0 && index < keyCount && down[index];
}

void ScriptedInput::setDown(platform::InputKey key, bool isHeld) {
    const int index = static_cast<int>(key);
    if (index >= 0 && index < keyCount) {
        down[index] = isHeld;
    }
}

void ScriptedInput::liftAll() {
    for (bool& held : down) {
        held = false;
    }
}

void ScriptedClock::sleep(std::uint32_t milliseconds) {
    slept.push_back(milliseconds);
    tick += milliseconds;
}

std::uint32_t SystemClock::tickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(milliseconds));
}

void SystemClock::sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

platform::InputState& sharedHeadlessInput() {
    static ScriptedInput nothingHeld;
    return nothingHeld;
}

platform::Clock& sharedSystemClock() {
    static SystemClock clock;
    return clock;
}

HeadlessWindowSystem& sharedHeadlessWindows() {
    static HeadlessWindowSystem windows(sharedGraphics());
    return windows;
}

}  // namespace stipplewave::raster
