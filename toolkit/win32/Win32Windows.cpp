#include "toolkit/win32/Win32Windows.h"

#include <ole2.h>

#include "toolkit/Frame.h"
#include "toolkit/win32/Win32Graphics.h"

namespace stipplewave::win32 {

namespace {

// The ChildWindow object of a window, beside the listener in the user-data
// slot.
constexpr const char* ownerProperty = "StipplewaveChildWindow";

// The class is shared by every child window of the module; the name and
// instance it was registered under are kept so that it is unregistered
// under the same ones. A window deleted while it is being destroyed (from
// its own WM_DESTROY) still counts for the system, so the class cannot go
// with it: its unregistration waits for the next use of the class, or for
// the module's unloading, since the system keeps a DLL's classes (and their
// window procedure) after the DLL is gone.
struct FrameClass {
    std::int32_t useCount = 0;
    std::string name;
    HINSTANCE instance = nullptr;
    bool unregisterPending = false;

    FrameClass() = default;
    FrameClass(const FrameClass&) = delete;
    FrameClass& operator=(const FrameClass&) = delete;
    ~FrameClass() {
        if (useCount == 0) {
            unregisterNow();
        }
    }

    void unregisterNow() {
        if (!name.empty()) {
            unregisterPending = UnregisterClassA(name.c_str(), instance) == 0 &&
                                GetLastError() != ERROR_CLASS_DOES_NOT_EXIST;
        }
    }
};

FrameClass& frameClass() {
    static FrameClass shared;
    return shared;
}

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void registerFrameClass() {
    FrameClass& shared = frameClass();
    if (++shared.useCount != 1) {
        return;
    }
    if (shared.unregisterPending) {
        shared.unregisterNow();
    }
    shared.instance = resourceInstance();
    shared.name = frameClassName(reinterpret_cast<std::uintptr_t>(shared.instance));
    WNDCLASSA description{};
    description.style = CS_GLOBALCLASS;
    description.lpfnWndProc = FrameWindowProc;
    description.cbClsExtra = 0;
    description.cbWndExtra = 0;
    description.hInstance = shared.instance;
    description.hIcon = nullptr;
    description.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    description.lpszMenuName = nullptr;
    description.lpszClassName = shared.name.c_str();
    // A failure shows as a window that cannot be made.
    RegisterClassA(&description);
}

void unregisterFrameClass() {
    FrameClass& shared = frameClass();
    if (shared.useCount <= 0) {
        return;
    }
    if (--shared.useCount == 0) {
        shared.unregisterNow();
    }
}

platform::WindowListener* attachedListener(HWND window) {
    return reinterpret_cast<platform::WindowListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    platform::WindowListener* listener = attachedListener(window);
    auto* owner = static_cast<Win32ChildWindow*>(GetPropA(window, ownerProperty));
    if (listener != nullptr && owner != nullptr) {
        switch (message) {
        case WM_PAINT:
            if (GetUpdateRect(window, nullptr, FALSE)) {
                owner->paint(*listener);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            owner->buttonDown(*listener, lParam);
            return 0;
        case WM_DESTROY:
            owner->destroyed(*listener);
            break;
        default:
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

FrameClassState frameClassState() {
    const FrameClass& shared = frameClass();
    FrameClassState state;
    state.useCount = shared.useCount;
    const HINSTANCE instance = shared.useCount > 0 ? shared.instance : resourceInstance();
    state.name = shared.useCount > 0 ? shared.name : frameClassName(reinterpret_cast<std::uintptr_t>(instance));
    WNDCLASSA found{};
    state.registered = GetClassInfoA(instance, state.name.c_str(), &found) != 0;
    return state;
}

// --- child window ----------------------------------------------------------

Win32ChildWindow::Win32ChildWindow(HWND window, platform::WindowListener& listener) : hwnd(window) {
    SetPropA(hwnd, ownerProperty, this);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&listener));
}

Win32ChildWindow::~Win32ChildWindow() {
    if (deletedDuringReport != nullptr) {
        *deletedDuringReport = true;
    }
    if (hwnd != nullptr && !dying) {
        // Detached first, so the destruction reaches no listener.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        RemovePropA(hwnd, ownerProperty);
        DestroyWindow(hwnd);
    }
    unregisterFrameClass();
}

Point Win32ChildWindow::screenOrigin() const {
    if (hwnd == nullptr) {
        return Point();
    }
    return Win32Window(hwnd).screenOrigin();
}

std::unique_ptr<platform::Surface> Win32ChildWindow::borrowSurface() {
    if (hwnd == nullptr || dying) {
        return nullptr;
    }
    return Win32Window(hwnd).borrowSurface();
}

void Win32ChildWindow::paint(platform::WindowListener& listener) {
    // Locals only after the listener ran: it may delete this object.
    const HWND window = hwnd;
    PAINTSTRUCT painting{};
    HDC dc = BeginPaint(window, &painting);
    if (dc != nullptr) {
        Win32Surface surface(dc, Win32Surface::Ending::Keep, window);
        listener.windowPaint(*this, surface);
    }
    EndPaint(window, &painting);
}

void Win32ChildWindow::buttonDown(platform::WindowListener& listener, LPARAM position) {
    const auto bits = static_cast<std::uintptr_t>(position);
    const Point where(static_cast<std::int32_t>(bits & 0xFFFF), static_cast<std::int32_t>((bits >> 16) & 0xFFFF));
    listener.windowButtonDown(*this, where);
}

void Win32ChildWindow::destroyed(platform::WindowListener& listener) {
    // Nothing reaches us after this message. The handle stays readable while
    // the listener hears of the destruction: the window still exists during
    // WM_DESTROY, so what was registered on it (a drop target) can be taken
    // off. After that the handle is dead and may be reused by another
    // window, so it is forgotten, unless the listener deleted this object.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    RemovePropA(hwnd, ownerProperty);
    bool deleted = false;
    deletedDuringReport = &deleted;
    dying = true;
    listener.windowDestroyed(*this);
    if (!deleted) {
        deletedDuringReport = nullptr;
        dying = false;
        hwnd = nullptr;
    }
}

// --- window system -----------------------------------------------------------

std::unique_ptr<platform::ChildWindow> Win32WindowSystem::createChildWindow(void* parent, std::int32_t width,
                                                                            std::int32_t height,
                                                                            platform::WindowListener& listener) {
    if (parent == nullptr) {
        return nullptr;
    }
    registerFrameClass();
    const FrameClass& shared = frameClass();
    HWND window = CreateWindowExA(0, shared.name.c_str(), "Window", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                                  static_cast<HWND>(parent), nullptr, shared.instance, nullptr);
    if (window == nullptr) {
        // No window holds the class: give the use back so that the class
        // does not outlive the module.
        unregisterFrameClass();
        return nullptr;
    }
    return std::make_unique<Win32ChildWindow>(window, listener);
}

void Win32WindowSystem::dispatchOnePendingPaint() {
    MSG message{};
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

void Win32WindowSystem::beginEditorUse() {
    // Only the frame's drag-and-drop needs OLE; a failure shows there.
    OleInitialize(nullptr);
}

void Win32WindowSystem::endEditorUse() { OleUninitialize(); }

Win32WindowSystem& sharedWindowSystem() {
    static Win32WindowSystem windows;
    return windows;
}

}  // namespace stipplewave::win32
