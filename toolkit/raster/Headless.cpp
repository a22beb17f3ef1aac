#include "toolkit/raster/Headless.h"

#include <chrono>
#include <thread>

namespace stipplewave::raster {

HeadlessWindow::HeadlessWindow(RasterGraphics& rasterGraphics, std::int32_t width, std::int32_t height,
                               Point at)
    : graphics(rasterGraphics), buffer(std::make_shared<PixelBuffer>()), origin(at) {
    buffer->resize(width, height, 0);
}

std::unique_ptr<platform::Surface> HeadlessWindow::borrowSurface() { return graphics.surfaceOver(buffer); }

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

}  // namespace stipplewave::raster
