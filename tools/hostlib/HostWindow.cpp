#include "tools/hostlib/HostWindow.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "tools/hostlib/X11HostWindow.h"
#endif

namespace vsthost {

namespace {

#if defined(_WIN32)
class Win32HostWindow final : public HostWindow {
public:
    explicit Win32HostWindow(HWND made) : window(made) {}
    ~Win32HostWindow() override { DestroyWindow(window); }
    void* handle() const override { return window; }
    bool serviceEvents() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return IsWindow(window) != FALSE;
    }

private:
    HWND window;
};
#else
class X11Window final : public HostWindow {
public:
    explicit X11Window(std::unique_ptr<X11HostWindow> made) : window(std::move(made)) {}
    void* handle() const override { return window->handle(); }
    bool serviceEvents() override { return window->serviceEvents(); }

private:
    std::unique_ptr<X11HostWindow> window;
};
#endif

}  // namespace

std::unique_ptr<HostWindow> HostWindow::open(std::int32_t width, std::int32_t height, std::string& error) {
#if defined(_WIN32)
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "StipplewaveHostWindow";
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExA(0, "StipplewaveHostWindow", "stipplewave-host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        error = "cannot create a host window (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    return std::make_unique<Win32HostWindow>(window);
#else
    std::unique_ptr<X11HostWindow> window = X11HostWindow::open(width, height, "stipplewave-host", error);
    if (!window) {
        return nullptr;
    }
    window->waitUntilMapped(2000);
    return std::make_unique<X11Window>(std::move(window));
#endif
}

}  // namespace vsthost
