// The Windows window system: the frame's child window inside the host's
// window, made from a global window class that is shared by every child
// window of the module and registered only while one of them exists.
//
// The window procedure finds the listener in the window's user-data slot
// (0 when none is attached) and the ChildWindow object in a window property,
// so that the listener is told about the very object it was handed.
//
// Threading: everything here runs on the user-interface thread that makes
// the windows, the thread whose message loop (the host's) delivers their
// messages. The class use count is a plain counter of that thread: all
// editors of one process are assumed to be opened and closed on the same
// user-interface thread, as hosts do.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/Platform.h"

namespace stipplewave::win32 {

// What tests may know about the window class.
struct FrameClassState {
    std::int32_t useCount = 0;  // child windows that hold the class
    bool registered = false;    // whether the system knows the class now
    std::string name;           // the name it has (or would have) for this module
};
FrameClassState frameClassState();

class Win32ChildWindow final : public platform::ChildWindow {
public:
    // Takes over a window made from the frame class, with the listener
    // already in its user-data slot; holds one use of the class.
    Win32ChildWindow(HWND window, platform::WindowListener& listener);
    // Detaches the listener, destroys the window if it still exists and
    // gives the class use back.
    ~Win32ChildWindow() override;
    Win32ChildWindow(const Win32ChildWindow&) = delete;
    Win32ChildWindow& operator=(const Win32ChildWindow&) = delete;

    Point screenOrigin() const override;
    // Null once the window is being destroyed.
    std::unique_ptr<platform::Surface> borrowSurface() override;
    // The HWND; null after the window was destroyed from outside. A drop
    // target is registered on this handle and revoked before this object is
    // deleted, or, when the host destroys its window first, while the
    // listener hears of the destruction: the handle is still valid then.
    void* nativeHandle() const override { return hwnd; }

    // Window procedure entry points.
    void paint(platform::WindowListener& listener);
    void buttonDown(platform::WindowListener& listener, LPARAM position);
    void destroyed(platform::WindowListener& listener);

private:
    HWND hwnd;
    bool dying = false;                     // inside the report of WM_DESTROY
    bool* deletedDuringReport = nullptr;    // tells that report we are gone
};

class Win32WindowSystem final : public platform::WindowSystem {
public:
    std::unique_ptr<platform::ChildWindow> createChildWindow(void* parent, std::int32_t width,
                                                             std::int32_t height,
                                                             platform::WindowListener& listener) override;
    // One WM_PAINT of this thread's queue, for any window.
    void dispatchOnePendingPaint() override;
    // The host's message loop delivers the messages.
    void processPendingEvents() override {}
    void beginEditorUse() override;
    void endEditorUse() override;
};

Win32WindowSystem& sharedWindowSystem();

}  // namespace stipplewave::win32
