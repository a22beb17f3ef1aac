#include "toolkit/x11/X11Windows.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

// Xlib last: its macros (None, True, Bool, Status...) must not reach the
// project's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace stipplewave::x11 {

// --- pixel formats -----------------------------------------------------------

namespace {

std::uint32_t channelBits(std::uint8_t value, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) {
        ++shift;
    }
    int width = 0;
    while (shift + width < 32 && ((mask >> (shift + width)) & 1u) != 0) {
        ++width;
    }
    // A wider channel repeats the value's top bits, so that full intensity
    // stays full intensity; a narrower one keeps the top bits.
    std::uint32_t scaled = 0;
    for (int filled = 0; filled < width;) {
        const int take = std::min(8, width - filled);
        scaled = (scaled << take) | (static_cast<std::uint32_t>(value) >> (8 - take));
        filled += take;
    }
    return (scaled << shift) & mask;
}

}  // namespace

std::uint32_t pixelValue(const PixelFormat& format, PixelColor color) {
    return channelBits(platform::redOf(color), format.redMask) | channelBits(platform::greenOf(color), format.greenMask) |
           channelBits(platform::blueOf(color), format.blueMask) | format.fillBits;
}

void packPixel(const PixelFormat& format, PixelColor color, std::uint8_t* out) {
    const std::uint32_t value = pixelValue(format, color);
    const int bytes = format.bitsPerPixel / 8;
    for (int i = 0; i < bytes; ++i) {
        const int shift = format.mostSignificantByteFirst ? 8 * (bytes - 1 - i) : 8 * i;
        out[i] = static_cast<std::uint8_t>((value >> shift) & 0xFFu);
    }
}

// --- the error handler ---------------------------------------------------------

namespace {

// The connections whose errors are swallowed, and the handler that was in
// place before ours (installed while at least one connection is open).
struct ErrorRoute {
    std::mutex lock;
    std::vector<std::pair<Display*, std::atomic<int>*>> ours;
    XErrorHandler previous = nullptr;
};

// Never destroyed: window systems that are static objects themselves close
// their connections at exit, in whatever order exit takes them.
ErrorRoute& errorRoute() {
    static ErrorRoute* const route = new ErrorRoute;
    return *route;
}

int swallowOurErrors(Display* display, XErrorEvent* error) {
    XErrorHandler chained = nullptr;
    {
        ErrorRoute& route = errorRoute();
        std::lock_guard<std::mutex> hold(route.lock);
        for (const auto& entry : route.ours) {
            if (entry.first == display) {
                entry.second->fetch_add(1, std::memory_order_relaxed);
                return 0;
            }
        }
        chained = route.previous;
    }
    return chained != nullptr ? chained(display, error) : 0;
}

void routeErrors(Display* display, std::atomic<int>* counter) {
    ErrorRoute& route = errorRoute();
    std::lock_guard<std::mutex> hold(route.lock);
    if (route.ours.empty()) {
        route.previous = XSetErrorHandler(swallowOurErrors);
    }
    route.ours.emplace_back(display, counter);
}

// Puts our handler back on top if someone replaced it since (a host that
// installs its own after ours), passing other connections' errors to theirs.
void keepRoutingErrors() {
    ErrorRoute& route = errorRoute();
    std::lock_guard<std::mutex> hold(route.lock);
    if (route.ours.empty()) {
        return;
    }
    const XErrorHandler current = XSetErrorHandler(swallowOurErrors);
    if (current != swallowOurErrors) {
        route.previous = current;
    }
}

void stopRoutingErrors(Display* display) {
    ErrorRoute& route = errorRoute();
    std::lock_guard<std::mutex> hold(route.lock);
    route.ours.erase(std::remove_if(route.ours.begin(), route.ours.end(),
                                    [display](const auto& entry) { return entry.first == display; }),
                     route.ours.end());
    if (route.ours.empty()) {
        // Put the earlier handler back, unless someone replaced ours since:
        // then theirs stays.
        const XErrorHandler current = XSetErrorHandler(route.previous);
        if (current != swallowOurErrors) {
            XSetErrorHandler(current);
        }
        route.previous = nullptr;
    }
}

}  // namespace

// --- shared window state -----------------------------------------------------------

// What a child window and the surfaces borrowed on it share: the X
// resources and the pixels. Surfaces may put pixels after the window object
// has gone, so this outlives it as long as one of them holds it.
struct X11Backing {
    X11WindowSystem* system = nullptr;  // null once the window system is gone
    Display* display = nullptr;
    ::Window window = 0;
    ::Window root = 0;
    bool alive = false;  // the X window exists as far as we know
    GC gc = nullptr;
    XImage* image = nullptr;
    Colormap ownColormap = 0;
    PixelFormat format;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::shared_ptr<raster::PixelBuffer> pixels = std::make_shared<raster::PixelBuffer>();
    std::vector<PixelColor> shown;  // what the window shows now

    X11Backing() = default;
    X11Backing(const X11Backing&) = delete;
    X11Backing& operator=(const X11Backing&) = delete;
    ~X11Backing() { release(); }

    bool canPut() const { return alive && display != nullptr && image != nullptr; }

    void put(Rect area) {
        area.left = std::max(area.left, 0);
        area.top = std::max(area.top, 0);
        area.right = std::min(area.right, width);
        area.bottom = std::min(area.bottom, height);
        if (!canPut() || area.width() <= 0 || area.height() <= 0) {
            return;
        }
        const int bytesPerPixel = format.bitsPerPixel / 8;
        for (std::int32_t y = area.top; y < area.bottom; ++y) {
            auto* row = reinterpret_cast<std::uint8_t*>(image->data) + static_cast<std::size_t>(y) * image->bytes_per_line;
            for (std::int32_t x = area.left; x < area.right; ++x) {
                const PixelColor color = pixels->at(x, y);
                packPixel(format, color, row + static_cast<std::size_t>(x) * bytesPerPixel);
                shown[static_cast<std::size_t>(y) * width + x] = color;
            }
        }
        XPutImage(display, window, gc, image, area.left, area.top, area.left, area.top,
                  static_cast<unsigned int>(area.width()), static_cast<unsigned int>(area.height()));
        XFlush(display);
    }

    // Only the smallest rectangle that holds every changed pixel.
    void putChanges() {
        if (!canPut()) {
            return;
        }
        Rect changed(width, height, 0, 0);
        const std::size_t rowLength = static_cast<std::size_t>(width);
        for (std::int32_t y = 0; y < height; ++y) {
            const PixelColor* now = &pixels->pixels[static_cast<std::size_t>(y) * rowLength];
            const PixelColor* before = &shown[static_cast<std::size_t>(y) * rowLength];
            if (std::memcmp(now, before, rowLength * sizeof(PixelColor)) == 0) {
                continue;
            }
            std::int32_t first = 0;
            while (now[first] == before[first]) {
                ++first;
            }
            std::int32_t last = width - 1;
            while (now[last] == before[last]) {
                --last;
            }
            changed = Rect(std::min(changed.left, first), std::min(changed.top, y), std::max(changed.right, last + 1),
                           y + 1);
        }
        put(changed);
    }

    void release() {
        if (display != nullptr) {
            if (alive) {
                XDestroyWindow(display, window);
            }
            if (gc != nullptr) {
                XFreeGC(display, gc);
            }
            if (ownColormap != 0) {
                XFreeColormap(display, ownColormap);
            }
            XFlush(display);
        }
        if (image != nullptr) {
            XDestroyImage(image);  // frees the pixel data too
        }
        image = nullptr;
        gc = nullptr;
        ownColormap = 0;
        alive = false;
        display = nullptr;
    }
};

// --- child window -------------------------------------------------------------------

X11ChildWindow::X11ChildWindow(X11WindowSystem& owner, std::shared_ptr<X11Backing> shared,
                               platform::WindowListener& to)
    : system(owner), backing(std::move(shared)), listener(to) {
    system.windows.push_back(this);
}

X11ChildWindow::~X11ChildWindow() {
    if (backing->system != nullptr) {
        backing->system->forget(this);
    }
    backing->release();
}

unsigned long X11ChildWindow::windowId() const { return backing->window; }

void* X11ChildWindow::nativeHandle() const {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(backing->window));
}

Point X11ChildWindow::screenOrigin() const {
    if (!backing->alive || backing->display == nullptr) {
        return Point();
    }
    int x = 0;
    int y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(backing->display, backing->window, backing->root, 0, 0, &x, &y, &child)) {
        return Point();
    }
    return Point(x, y);
}

std::unique_ptr<platform::Surface> X11ChildWindow::borrowSurface() {
    if (!backing->canPut()) {
        return nullptr;
    }
    auto surface = system.graphics.surfaceOver(backing->pixels);
    std::shared_ptr<X11Backing> putter = backing;
    surface->setReleaseAction([putter] { putter->putChanges(); });
    return surface;
}

// --- input ---------------------------------------------------------------------------

namespace {

struct PointerState {
    Point root;
    unsigned int mask = 0;
};

// Where the pointer is on the root window, and which buttons and modifiers
// are held, right now; nothing held without a display.
PointerState queryPointer(Display* display) {
    PointerState state;
    if (display == nullptr) {
        return state;
    }
    ::Window root = 0;
    ::Window child = 0;
    int windowX = 0;
    int windowY = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &state.root.h, &state.root.v, &windowX,
                  &windowY, &state.mask);
    return state;
}

}  // namespace

bool X11Input::isDown(platform::InputKey key) const {
    unsigned int button = 0;
    unsigned int mask = 0;
    switch (key) {
    case platform::InputKey::LeftButton:
        button = Button1;
        mask = Button1Mask;
        break;
    case platform::InputKey::MiddleButton:
        button = Button2;
        mask = Button2Mask;
        break;
    case platform::InputKey::RightButton:
        button = Button3;
        mask = Button3Mask;
        break;
    case platform::InputKey::Shift:
        mask = ShiftMask;
        break;
    case platform::InputKey::Control:
        mask = ControlMask;
        break;
    case platform::InputKey::Alt:
        mask = Mod1Mask;
        break;
    }
    if (button != 0 && windows.delivery != nullptr) {
        return windows.pressedButtonHeld(button);
    }
    return (queryPointer(windows.display()).mask & mask) != 0;
}

Point X11Input::cursorPosition() const { return queryPointer(windows.display()).root; }

// --- window system ---------------------------------------------------------------------

struct X11WindowSystem::Connection {
    std::string name;
    bool named = false;
    bool tried = false;
    Display* display = nullptr;
    std::atomic<int> errors{0};
};

// The press being reported to a listener. A click that was over before its
// press is reported (the release already queued at the first question)
// is replayed: the button reads as held for as long as it really was. A
// press that is still going on reads as the live state, and as released as
// soon as its release is in the queue.
struct X11WindowSystem::Delivery {
    unsigned int button = 0;
    Time pressTime = 0;
    bool answered = false;
    bool replay = false;
    std::uint32_t lasted = 0;  // milliseconds, when replaying
    std::chrono::steady_clock::time_point firstAnswer;
    Delivery* outer = nullptr;
};

X11WindowSystem::X11WindowSystem(raster::RasterGraphics& rasterGraphics, const char* displayName)
    : graphics(rasterGraphics), connection(std::make_unique<Connection>()), pointer(*this) {
    if (displayName != nullptr) {
        connection->name = displayName;
        connection->named = true;
    }
}

X11WindowSystem::~X11WindowSystem() {
    for (X11ChildWindow* window : windows) {
        window->backing->release();
        window->backing->system = nullptr;
    }
    windows.clear();
    if (connection->display != nullptr) {
        // Errors that come out while closing are still ours.
        XCloseDisplay(connection->display);
        stopRoutingErrors(connection->display);
        connection->display = nullptr;
    }
}

bool X11WindowSystem::available() {
    if (!connection->tried) {
        connection->tried = true;
        Display* opened = XOpenDisplay(connection->named ? connection->name.c_str() : nullptr);
        if (opened != nullptr) {
            routeErrors(opened, &connection->errors);
            connection->display = opened;
        }
    }
    return connection->display != nullptr;
}

Display* X11WindowSystem::display() {
    available();
    return connection->display;
}

int X11WindowSystem::swallowedErrors() const { return connection->errors.load(std::memory_order_relaxed); }

namespace {

bool isDirectColour(const Visual* visual, int depth) {
    return visual != nullptr && visual->c_class == TrueColor && depth >= 24 && depth <= 32;
}

std::uint32_t depthBits(int depth) { return depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1u; }

}  // namespace

std::unique_ptr<platform::ChildWindow> X11WindowSystem::createChildWindow(void* parent, std::int32_t width,
                                                                          std::int32_t height,
                                                                          platform::WindowListener& listener) {
    const auto parentId = static_cast<::Window>(reinterpret_cast<std::uintptr_t>(parent));
    if (parentId == 0 || width <= 0 || height <= 0 || !available()) {
        return nullptr;
    }
    Display* d = connection->display;
    keepRoutingErrors();
    const int errorsBefore = swallowedErrors();

    XWindowAttributes parentAttributes{};
    if (!XGetWindowAttributes(d, parentId, &parentAttributes)) {
        return nullptr;
    }
    auto backing = std::make_shared<X11Backing>();
    Visual* visual = parentAttributes.visual;
    int depth = parentAttributes.depth;
    const bool parentsVisual = isDirectColour(visual, depth);
    if (!parentsVisual) {
        XVisualInfo found{};
        if (!XMatchVisualInfo(d, XScreenNumberOfScreen(parentAttributes.screen), 24, TrueColor, &found)) {
            return nullptr;
        }
        visual = found.visual;
        depth = 24;
    }
    if (!backing->pixels->resize(width, height, buttonFaceColor)) {
        return nullptr;
    }
    backing->image = XCreateImage(d, visual, static_cast<unsigned int>(depth), ZPixmap, 0, nullptr,
                                  static_cast<unsigned int>(width), static_cast<unsigned int>(height), 32, 0);
    if (backing->image == nullptr) {
        return nullptr;
    }
    backing->image->data =
        static_cast<char*>(std::calloc(static_cast<std::size_t>(backing->image->bytes_per_line), static_cast<std::size_t>(height)));
    if (backing->image->data == nullptr ||
        (backing->image->bits_per_pixel != 24 && backing->image->bits_per_pixel != 32)) {
        return nullptr;
    }
    PixelFormat& format = backing->format;
    format.redMask = static_cast<std::uint32_t>(visual->red_mask);
    format.greenMask = static_cast<std::uint32_t>(visual->green_mask);
    format.blueMask = static_cast<std::uint32_t>(visual->blue_mask);
    format.fillBits = depthBits(depth) & ~(format.redMask | format.greenMask | format.blueMask);
    format.bitsPerPixel = backing->image->bits_per_pixel;
    format.mostSignificantByteFirst = backing->image->byte_order == MSBFirst;

    backing->display = d;
    backing->root = parentAttributes.root;
    backing->width = width;
    backing->height = height;
    backing->shown.assign(backing->pixels->pixels.size(), buttonFaceColor);

    XSetWindowAttributes attributes{};
    unsigned long valueMask = CWBackPixel | CWBorderPixel | CWEventMask;
    attributes.background_pixel = pixelValue(format, buttonFaceColor);
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    if (!parentsVisual) {
        backing->ownColormap = XCreateColormap(d, parentAttributes.root, visual, AllocNone);
        attributes.colormap = backing->ownColormap;
        valueMask |= CWColormap;
    }
    backing->window = XCreateWindow(d, parentId, 0, 0, static_cast<unsigned int>(width),
                                    static_cast<unsigned int>(height), 0, depth, InputOutput, visual, valueMask,
                                    &attributes);
    backing->alive = true;
    backing->gc = XCreateGC(d, backing->window, 0, nullptr);
    XMapWindow(d, backing->window);
    // Creation errors (a parent that went away meanwhile, one that cannot
    // hold this visual) come back here; the backing then cleans up.
    XSync(d, False);
    if (swallowedErrors() != errorsBefore) {
        return nullptr;
    }
    backing->system = this;
    return std::make_unique<X11ChildWindow>(*this, std::move(backing), listener);
}

void X11WindowSystem::forget(X11ChildWindow* window) {
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

X11ChildWindow* X11WindowSystem::find(unsigned long windowId) const {
    for (X11ChildWindow* window : windows) {
        if (window->backing->window == windowId && window->backing->alive) {
            return window;
        }
    }
    return nullptr;
}

namespace {

Bool isExposeOf(Display*, XEvent* event, XPointer system) {
    if (event->type != Expose) {
        return False;
    }
    const auto* windows = reinterpret_cast<const std::vector<X11ChildWindow*>*>(system);
    for (const X11ChildWindow* window : *windows) {
        if (window->windowId() == event->xexpose.window) {
            return True;
        }
    }
    return False;
}

}  // namespace

void X11WindowSystem::dispatchOnePendingPaint() {
    Display* d = connection->display;
    if (d == nullptr) {
        return;
    }
    XEvent event{};
    if (!XCheckIfEvent(d, &event, isExposeOf, reinterpret_cast<XPointer>(&windows))) {
        return;
    }
    // The whole series (and any later one) is one repaint of everything.
    const ::Window id = event.xexpose.window;
    while (XCheckTypedWindowEvent(d, id, Expose, &event)) {
    }
    if (X11ChildWindow* window = find(id)) {
        paint(*window);
    }
}

namespace {

Bool isPaintOrDestruction(Display*, XEvent* event, XPointer) {
    return event->type == Expose || event->type == DestroyNotify ? True : False;
}

}  // namespace

void X11WindowSystem::processPendingEvents() {
    Display* d = connection->display;
    if (d == nullptr) {
        return;
    }
    if (delivery != nullptr) {
        // A press is being reported and its control may be tracking the
        // mouse (calling the editor's idle as it goes): paints and
        // destructions are served, while later presses wait in the queue
        // until this one is over, in their order.
        XEvent event{};
        for (int handled = 0; handled < 10000 && XCheckIfEvent(d, &event, isPaintOrDestruction, nullptr);
             ++handled) {
            handle(&event);
        }
        return;
    }
    // Bounded, so that a flood of events cannot keep the idle call forever.
    for (int handled = 0; handled < 10000 && XPending(d) > 0; ++handled) {
        XEvent event{};
        XNextEvent(d, &event);
        handle(&event);
    }
}

void X11WindowSystem::handle(void* raw) {
    const XEvent& event = *static_cast<XEvent*>(raw);
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0) {
            if (X11ChildWindow* window = find(event.xexpose.window)) {
                paint(*window);
            }
        }
        break;
    case ButtonPress:
        if (event.xbutton.button >= Button1 && event.xbutton.button <= Button3) {
            if (X11ChildWindow* window = find(event.xbutton.window)) {
                buttonPress(*window, &event.xbutton);
            }
        }
        break;
    case DestroyNotify:
        if (X11ChildWindow* window = find(event.xdestroywindow.window)) {
            destroyed(*window);
        }
        break;
    default:
        break;
    }
}

namespace {

// Looks through the queue, without taking anything out of it, for the
// window's destruction: a host that destroyed its window has destroyed ours
// with it, and the events before that news must not touch it.
Bool noteDestruction(Display*, XEvent* event, XPointer argument) {
    auto* search = reinterpret_cast<std::pair<::Window, bool>*>(argument);
    if (event->type == DestroyNotify && event->xdestroywindow.window == search->first) {
        search->second = true;
    }
    return False;
}

bool destructionQueued(Display* display, ::Window window) {
    std::pair<::Window, bool> search(window, false);
    XEvent unused{};
    XCheckIfEvent(display, &unused, noteDestruction, reinterpret_cast<XPointer>(&search));
    return search.second;
}

}  // namespace

void X11WindowSystem::paint(X11ChildWindow& window) {
    if (destructionQueued(connection->display, window.backing->window)) {
        return;
    }
    // The listener may delete the window; what it drew still gets shown
    // unless the X window went with it.
    std::shared_ptr<X11Backing> backing = window.backing;
    platform::WindowListener& listener = window.listener;
    std::fill(backing->pixels->pixels.begin(), backing->pixels->pixels.end(), buttonFaceColor);
    {
        auto surface = graphics.surfaceOver(backing->pixels);
        listener.windowPaint(window, *surface);
    }
    backing->put(Rect(0, 0, backing->width, backing->height));
}

void X11WindowSystem::buttonPress(X11ChildWindow& window, const void* raw) {
    const auto& press = *static_cast<const XButtonEvent*>(raw);
    if (destructionQueued(connection->display, window.backing->window)) {
        return;
    }
    Delivery current;
    current.button = press.button;
    current.pressTime = press.time;
    current.outer = delivery;
    delivery = &current;
    window.listener.windowButtonDown(window, Point(press.x, press.y));
    delivery = current.outer;
}

void X11WindowSystem::destroyed(X11ChildWindow& window) {
    // Never touch the X window again; the object stays until its owner
    // deletes it.
    window.backing->alive = false;
    window.listener.windowDestroyed(window);
}

namespace {

struct ReleaseSearch {
    unsigned int button;
    bool found;
    Time time;
};

// Looks through the queue without taking anything out of it.
Bool noteRelease(Display*, XEvent* event, XPointer argument) {
    auto* search = reinterpret_cast<ReleaseSearch*>(argument);
    if (!search->found && event->type == ButtonRelease && event->xbutton.button == search->button) {
        search->found = true;
        search->time = event->xbutton.time;
    }
    return False;
}

}  // namespace

bool X11WindowSystem::pressedButtonHeld(unsigned int button) {
    Display* d = connection->display;
    const unsigned int mask = Button1Mask << (button - Button1);
    Delivery& current = *delivery;
    if (current.button != button) {
        return (queryPointer(d).mask & mask) != 0;
    }
    ReleaseSearch search{button, false, 0};
    XEvent unused{};
    XCheckIfEvent(d, &unused, noteRelease, reinterpret_cast<XPointer>(&search));
    const auto now = std::chrono::steady_clock::now();
    if (!current.answered) {
        current.answered = true;
        current.firstAnswer = now;
        current.replay = search.found;
        // Server times are 32-bit milliseconds that wrap.
        current.lasted = static_cast<std::uint32_t>(search.time - current.pressTime);
        return true;
    }
    if (current.replay) {
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(now - current.firstAnswer).count();
        return since < static_cast<long long>(current.lasted);
    }
    return !search.found && (queryPointer(d).mask & mask) != 0;
}

X11WindowSystem& sharedWindowSystem() {
    static X11WindowSystem windows(raster::sharedGraphics());
    return windows;
}

}  // namespace stipplewave::x11
