// The host's own window for an effect's editor, on whatever window system
// the target has: an X11 top-level window on Linux, a Win32 one on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vsthost {

class HostWindow {
public:
    // Null, with `error` set, when no window can be made (no X display).
    static std::unique_ptr<HostWindow> open(std::int32_t width, std::int32_t height, std::string& error);
    virtual ~HostWindow() = default;
    // What hosts pass to effEditOpen: the X11 window id or the HWND.
    virtual void* handle() const = 0;
    // Serves pending events without waiting; false once the window is gone.
    virtual bool serviceEvents() = 0;
};

}  // namespace vsthost
