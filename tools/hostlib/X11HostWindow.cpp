#include "tools/hostlib/X11HostWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace vsthost {

struct X11HostWindow::Connection {
    Display* display = nullptr;
    Window window = 0;
    Atom deleteWindow = 0;
};

std::unique_ptr<X11HostWindow> X11HostWindow::open(std::int32_t width, std::int32_t height, const std::string& title,
                                                   std::string& error) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        error = "cannot open the X display (is DISPLAY set? without a screen, run under xvfb-run -a)";
        return nullptr;
    }
    std::unique_ptr<X11HostWindow> host(new X11HostWindow);
    host->x = std::make_unique<Connection>();
    host->x->display = display;
    host->windowWidth = width > 0 ? width : 1;
    host->windowHeight = height > 0 ? height : 1;
    const int screen = DefaultScreen(display);
    host->x->window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                          static_cast<unsigned>(host->windowWidth),
                                          static_cast<unsigned>(host->windowHeight), 0, BlackPixel(display, screen),
                                          BlackPixel(display, screen));
    XStoreName(display, host->x->window, title.c_str());
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = host->windowWidth;
    hints.min_height = hints.max_height = host->windowHeight;
    XSetWMNormalHints(display, host->x->window, &hints);
    host->x->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, host->x->window, &host->x->deleteWindow, 1);
    XSelectInput(display, host->x->window, StructureNotifyMask);
    XMapWindow(display, host->x->window);
    XFlush(display);
    return host;
}

X11HostWindow::~X11HostWindow() {
    if (x && x->display != nullptr) {
        if (!closed) {
            XDestroyWindow(x->display, x->window);
        }
        XCloseDisplay(x->display);
    }
}

void* X11HostWindow::handle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(x->window)); }

bool X11HostWindow::serviceEvents() {
    while (!closed && XPending(x->display) > 0) {
        XEvent event;
        XNextEvent(x->display, &event);
        if (event.type == MapNotify && event.xmap.window == x->window) {
            mapped = true;
        } else if (event.type == ClientMessage &&
                   static_cast<Atom>(event.xclient.data.l[0]) == x->deleteWindow) {
            closed = true;
        } else if (event.type == DestroyNotify && event.xdestroywindow.window == x->window) {
            closed = true;
        }
    }
    return !closed;
}

bool X11HostWindow::waitUntilMapped(int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!mapped && serviceEvents() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return mapped;
}

bool X11HostWindow::readPixels(std::vector<std::uint32_t>& out) {
    XSync(x->display, False);
    XImage* image = XGetImage(x->display, x->window, 0, 0, static_cast<unsigned>(windowWidth),
                              static_cast<unsigned>(windowHeight), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (mask == 0) {
            return 0u;
        }
        int shift = 0;
        while (((mask >> shift) & 1u) == 0) {
            ++shift;
        }
        const unsigned long bits = mask >> shift;
        const unsigned long value = (pixel >> shift) & bits;
        return static_cast<std::uint32_t>(bits == 0xFF ? value : value * 255u / bits);
    };
    out.assign(static_cast<std::size_t>(windowWidth) * static_cast<std::size_t>(windowHeight), 0);
    for (std::int32_t y = 0; y < windowHeight; ++y) {
        for (std::int32_t xPos = 0; xPos < windowWidth; ++xPos) {
            const unsigned long pixel = XGetPixel(image, xPos, y);
            out[static_cast<std::size_t>(y * windowWidth + xPos)] = channel(pixel, image->red_mask) |
                                                                  (channel(pixel, image->green_mask) << 8) |
                                                                  (channel(pixel, image->blue_mask) << 16);
        }
    }
    XDestroyImage(image);
    return true;
}

}  // namespace vsthost
