#include "toolkit/Frame.h"

#include <cstdio>
#include <new>

#include "editor/GuiEditor.h"
#include "host/HostEffectEx.h"
#include "toolkit/Bitmap.h"
#include "toolkit/DrawContext.h"

namespace stipplewave {

std::string frameClassName(std::uintptr_t moduleInstance) {
    char name[24];
    std::snprintf(name, sizeof name, "Plugin%08x", static_cast<unsigned>(static_cast<std::uint32_t>(moduleInstance)));
    return name;
}

// --- View --------------------------------------------------------------------

View::View(const Rect& viewSize) : size(viewSize) {}

View::~View() = default;

void View::draw(DrawContext&) {}
void View::mouse(DrawContext&, Point&) {}

void View::update(DrawContext& context) {
    if (isDirty()) {
        draw(context);
        setDirty(false);
    }
}

bool View::acceptDrop(char**, std::int32_t, DropKind, Point&) { return false; }
bool View::isDirty() const { return dirty; }
void View::setDirty(bool on) { dirty = on; }
void View::setMouseEnabled(bool on) { mouseEnabled = on; }
bool View::isMouseEnabled() const { return mouseEnabled; }
void View::setTransparent(bool on) { transparent = on; }
bool View::isTransparent() const { return transparent; }

void View::release() {
    if (refCount <= 0) {
        return;
    }
    if (--refCount == 0) {
        delete this;
    }
}

void View::retain() { ++refCount; }

// --- drop registration ---------------------------------------------------------

namespace {

DropRegistrar*& installedRegistrar() {
    static DropRegistrar* registrar = defaultDropRegistrar();
    return registrar;
}

}  // namespace

DropRegistrar* setDropRegistrar(DropRegistrar* registrar) {
    DropRegistrar* previous = installedRegistrar();
    installedRegistrar() = registrar;
    return previous;
}

DropRegistrar* dropRegistrar() { return installedRegistrar(); }

// --- Frame -------------------------------------------------------------------

Frame::Frame(const Rect& frameSize, void* parent, GuiEditor* owner)
    : View(frameSize), editor(owner), parentWindow(parent) {
    createWindow(parentWindow);
}

Frame::~Frame() {
    setDropActive(false);
    removeAllViews(true);
    if (background != nullptr) {
        background->release();
        background = nullptr;
    }
    // The child window stops its reports before the native window goes.
    window.reset();
}

bool Frame::createWindow(void* parent) {
    platform::WindowSystem* windows = platform::services().windows;
    if (parent == nullptr || windows == nullptr || window != nullptr) {
        return false;
    }
    window = windows->createChildWindow(parent, size.width(), size.height(), *this);
    if (window == nullptr) {
        return false;
    }
    setDropActive(true);
    return true;
}

bool Frame::setDropActive(bool on) {
    if (!dropActive && !on) {
        return true;
    }
    if (window == nullptr) {
        return false;
    }
    DropRegistrar* registrar = dropRegistrar();
    if (on) {
        if (registrar != nullptr) {
            registrar->registerDropTarget(*this, *window);
        }
        dropActive = true;
    } else {
        if (registrar != nullptr) {
            registrar->revokeDropTarget(*window);
        }
        dropActive = false;
    }
    return true;
}

void Frame::draw(DrawContext& context) {
    firstDrawPending = false;
    if (background != nullptr) {
        background->draw(context, Rect(0, 0, background->getWidth(), background->getHeight()), Point(0, 0));
    }
    for (std::int32_t i = 0; i < viewCount; ++i) {
        View* view = views[i];
        const bool wasDirty = view->isDirty();
        view->draw(context);
        view->setDirty(wasDirty);
    }
}

void Frame::update(DrawContext& context) {
    if (!windowOpen) {
        return;
    }
    if (isDirty()) {
        draw(context);
        setDirty(false);
        return;
    }
    for (std::int32_t i = 0; i < viewCount; ++i) {
        views[i]->update(context);
    }
}

void Frame::mouse(DrawContext& context, Point& where) {
    for (std::int32_t i = viewCount - 1; i >= 0; --i) {
        View* view = views[i];
        if (view->isMouseEnabled() && rectContains(view->getSize(), where)) {
            view->mouse(context, where);
            return;
        }
    }
}

bool Frame::acceptDrop(char** items, std::int32_t count, DropKind kind, Point& where) {
    for (std::int32_t i = viewCount - 1; i >= 0; --i) {
        View* view = views[i];
        if (view->isMouseEnabled() && rectContains(view->getSize(), where) &&
            view->acceptDrop(items, count, kind, where)) {
            return true;
        }
    }
    return false;
}

bool Frame::growViewList() {
    const std::int32_t capacity = viewCapacity + viewCapacityStep;
    View** grown = new (std::nothrow) View*[static_cast<std::size_t>(capacity)];
    if (grown == nullptr) {
        return false;
    }
    for (std::int32_t i = 0; i < viewCount; ++i) {
        grown[i] = views[i];
    }
    delete[] views;
    views = grown;
    viewCapacity = capacity;
    return true;
}

bool Frame::addView(View* view) {
    if (view == nullptr) {
        return false;
    }
    if (viewCount == viewCapacity && !growViewList()) {
        return false;
    }
    views[viewCount++] = view;
    view->parentFrame = this;
    return true;
}

bool Frame::removeView(View* view, bool releaseIt) {
    for (std::int32_t i = 0; i < viewCount; ++i) {
        if (views[i] != view) {
            continue;
        }
        for (std::int32_t j = i + 1; j < viewCount; ++j) {
            views[j - 1] = views[j];
        }
        --viewCount;
        if (releaseIt) {
            view->release();
        }
        break;
    }
    return true;
}

bool Frame::removeAllViews(bool releaseIt) {
    // The list is emptied before the views go, so that a view's destructor
    // never sees itself still listed.
    View** listed = views;
    const std::int32_t count = viewCount;
    views = nullptr;
    viewCount = 0;
    viewCapacity = 0;
    if (releaseIt) {
        for (std::int32_t i = 0; i < count; ++i) {
            listed[i]->release();
        }
    }
    delete[] listed;
    return true;
}

View* Frame::getView(std::int32_t index) const {
    return index >= 0 && index < viewCount ? views[index] : nullptr;
}

void Frame::setBackground(Bitmap* bitmap) {
    holdBitmap(background, bitmap);
}

void Frame::idle() {
    if (!windowOpen || firstDrawPending || window == nullptr) {
        return;
    }
    std::unique_ptr<platform::Surface> surface = window->borrowSurface();
    if (surface == nullptr) {
        return;
    }
    DrawContext context(surface.get(), window.get());
    update(context);
}

void Frame::beginEdit(std::int32_t index) {
    auto* effect = editor != nullptr ? dynamic_cast<HostEffectEx*>(editor->getEffect()) : nullptr;
    if (effect != nullptr) {
        effect->hostBeginEdit(index);
    }
}

bool Frame::endEdit(std::int32_t index) {
    auto* effect = editor != nullptr ? dynamic_cast<HostEffectEx*>(editor->getEffect()) : nullptr;
    return effect != nullptr && effect->hostEndEdit(index);
}

bool Frame::currentMousePosition(Point& out) const {
    const platform::InputState* input = platform::services().input;
    Point at = input != nullptr ? input->cursorPosition() : Point();
    if (window != nullptr) {
        const Point origin = window->screenOrigin();
        at = Point(at.h - origin.h, at.v - origin.v);
    }
    out = at;
    return true;
}

void Frame::windowPaint(platform::Window& paintedWindow, platform::Surface& surface) {
    DrawContext context(&surface, &paintedWindow);
    draw(context);
}

void Frame::windowButtonDown(platform::Window& pressedWindow, Point where) {
    std::unique_ptr<platform::Surface> surface = pressedWindow.borrowSurface();
    if (surface == nullptr) {
        return;
    }
    DrawContext context(surface.get(), &pressedWindow);
    mouse(context, where);
}

// The drop registration goes while the window still exists: revoking it
// on a dead window at the frame's destruction would fail and leave the
// platform holding the drop target.
void Frame::windowDestroyed(platform::Window&) {
    setDropActive(false);
    windowOpen = false;
    parentWindow = nullptr;
}

}  // namespace stipplewave
