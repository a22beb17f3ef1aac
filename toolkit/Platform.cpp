#include "toolkit/Platform.h"

#include "toolkit/Frame.h"

#if defined(_WIN32)
#include "toolkit/win32/Win32Graphics.h"
#include "toolkit/win32/Win32Windows.h"
#else
#include "toolkit/raster/Headless.h"
#include "toolkit/raster/RasterGraphics.h"
#include "toolkit/x11/X11Windows.h"
#endif

namespace stipplewave::platform {

namespace {

Services& current() {
    static Services chosen = defaultServices();
    return chosen;
}

}  // namespace

Services defaultServices() {
#if defined(_WIN32)
    return Services{&win32::sharedGraphics(), &win32::sharedInput(), &win32::sharedClock(),
                    &win32::sharedWindowSystem()};
#else
    // The X server's windows and pointer when a display can be opened,
    // else a machine without a display.
    x11::X11WindowSystem& x11Windows = x11::sharedWindowSystem();
    if (x11Windows.available()) {
        return Services{&raster::sharedGraphics(), &x11Windows.input(), &raster::sharedSystemClock(), &x11Windows};
    }
    return Services{&raster::sharedGraphics(), &raster::sharedHeadlessInput(), &raster::sharedSystemClock(),
                    &raster::sharedHeadlessWindows()};
#endif
}

const Services& services() { return current(); }

Services setServices(const Services& replacement) {
    Services& chosen = current();
    const Services previous = chosen;
    if (replacement.graphics != nullptr) {
        chosen.graphics = replacement.graphics;
    }
    if (replacement.input != nullptr) {
        chosen.input = replacement.input;
    }
    if (replacement.clock != nullptr) {
        chosen.clock = replacement.clock;
    }
    if (replacement.windows != nullptr) {
        chosen.windows = replacement.windows;
    }
    return previous;
}

}  // namespace stipplewave::platform

#if !defined(_WIN32)
namespace stipplewave {

// Linux has no drop target: no registration without XDND.
DropRegistrar* defaultDropRegistrar() { return nullptr; }

}  // namespace stipplewave
#endif
