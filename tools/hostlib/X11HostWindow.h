// A top-level X11 window that plays the host's window for an effect's
// editor: the editor makes its own child window inside it. Used by the
// snapshot and edit commands and by tests of the editor on a real X server.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vsthost {

class X11HostWindow {
public:
    // Null, with `error` set, when no X display can be opened.
    static std::unique_ptr<X11HostWindow> open(std::int32_t width, std::int32_t height, const std::string& title,
                                               std::string& error);
    ~X11HostWindow();
    X11HostWindow(const X11HostWindow&) = delete;
    X11HostWindow& operator=(const X11HostWindow&) = delete;

    // The X11 window id as hosts pass it to effEditOpen.
    void* handle() const;
    // Serves this window's events without waiting; false once the user
    // closed it.
    bool serviceEvents();
    // Waits until the window is mapped (shown), at most `milliseconds`.
    bool waitUntilMapped(int milliseconds);
    // The window's pixels as shown (children included), row by row, each
    // red + 256 * green + 65536 * blue; false when they cannot be read.
    bool readPixels(std::vector<std::uint32_t>& out);
    std::int32_t width() const { return windowWidth; }
    std::int32_t height() const { return windowHeight; }

private:
    X11HostWindow() = default;
    struct Connection;
    std::unique_ptr<Connection> x;
    std::int32_t windowWidth = 0;
    std::int32_t windowHeight = 0;
    bool closed = false;
    bool mapped = false;
};

}  // namespace vsthost
