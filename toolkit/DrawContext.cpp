#include "toolkit/DrawContext.h"

#include "toolkit/Frame.h"

namespace stipplewave {

namespace {

platform::Graphics* graphics() { return platform::services().graphics; }

}  // namespace

platform::FontDescription fontDescription(std::int32_t index, std::int32_t size) {
    if (index < 0 || index >= fontCount) {
        index = 0;
    }
    const FontEntry& entry = fontTable[index];
    return platform::FontDescription{entry.face, size != 0 ? size : entry.size, entry.weight, entry.family,
                                     entry.pitch};
}

DrawContext::DrawContext(platform::Surface* drawSurface, platform::Window* drawWindow)
    : surface(drawSurface), window(drawWindow) {
    if (surface != nullptr) {
        prior = surface->saveSelection();
        surface->setBackgroundMode(platform::BackgroundMode::Transparent);
    }
    if (window != nullptr) {
        windowOrigin = window->screenOrigin();
    }
    if (surface != nullptr) {
        setLineColor(lineColor);
        setFillColor(fillColor);
        setTextColor(textColor);
    }
}

// The surface gets its own objects back before ours are deleted, so that
// nothing deleted is still selected.
DrawContext::~DrawContext() {
    if (surface != nullptr && prior != nullptr) {
        surface->restoreSelection(*prior);
    }
}

void DrawContext::moveTo(Point p) {
    if (surface != nullptr) {
        surface->moveTo(p);
    }
}

void DrawContext::lineTo(Point p) {
    if (surface != nullptr) {
        surface->lineTo(p);
    }
}

void DrawContext::outlineRect(const Rect& r) {
    moveTo(Point(r.left, r.top));
    lineTo(Point(r.right, r.top));
    lineTo(Point(r.right, r.bottom));
    lineTo(Point(r.left, r.bottom));
    lineTo(Point(r.left, r.top));
}

void DrawContext::fillRect(const Rect& r) {
    if (surface != nullptr) {
        surface->fillRect(Rect(r.left + 1, r.top + 1, r.right, r.bottom));
    }
}

// A pen, brush or font that cannot be made leaves the previous one
// selected and in use.
void DrawContext::setLineColor(Color c) {
    lineColor = c;
    if (surface == nullptr || graphics() == nullptr) {
        return;
    }
    auto made = graphics()->makePen(platform::pixelColor(c), lineWidth);
    if (made) {
        surface->selectPen(*made);
        pen = std::move(made);
    }
}

void DrawContext::setFillColor(Color c) {
    fillColor = c;
    if (surface == nullptr) {
        return;
    }
    surface->setBackgroundColor(platform::pixelColor(c));
    if (graphics() == nullptr) {
        return;
    }
    auto made = graphics()->makeBrush(platform::pixelColor(c));
    if (made) {
        surface->selectBrush(*made);
        brush = std::move(made);
    }
}

void DrawContext::setTextColor(Color c) {
    textColor = c;
    if (surface != nullptr) {
        surface->setTextColor(platform::pixelColor(c));
    }
}

void DrawContext::setFont(std::int32_t index, std::int32_t size) {
    if (surface == nullptr || graphics() == nullptr) {
        return;
    }
    auto made = graphics()->makeFont(fontDescription(index, size));
    if (made) {
        surface->selectFont(*made);
        font = std::move(made);
    }
}

void DrawContext::drawText(const char* text, const Rect& r, bool opaque, std::int32_t alignment) {
    if (surface == nullptr || text == nullptr) {
        return;
    }
    surface->setBackgroundMode(opaque ? platform::BackgroundMode::Opaque : platform::BackgroundMode::Transparent);
    Rect area = r;
    platform::TextAlignment placement = platform::TextAlignment::Left;
    if (alignment == CentreAlignment) {
        placement = platform::TextAlignment::Centre;
    } else if (alignment == RightAlignment) {
        placement = platform::TextAlignment::Right;
    } else {
        area.left += 1;
    }
    surface->drawText(text, area, placement);
    surface->setBackgroundMode(platform::BackgroundMode::Transparent);
}

std::int32_t DrawContext::buttonState() const {
    const platform::InputState* input = platform::services().input;
    if (input == nullptr) {
        return 0;
    }
    struct KeyBit {
        platform::InputKey key;
        std::int32_t bit;
    };
    static constexpr KeyBit keys[] = {
        {platform::InputKey::LeftButton, LeftButtonBit}, {platform::InputKey::MiddleButton, MiddleButtonBit},
        {platform::InputKey::RightButton, RightButtonBit}, {platform::InputKey::Shift, ShiftKeyBit},
        {platform::InputKey::Control, ControlKeyBit},     {platform::InputKey::Alt, AltKeyBit},
    };
    std::int32_t state = 0;
    for (const KeyBit& k : keys) {
        if (input->isDown(k.key)) {
            state |= k.bit;
        }
    }
    return state;
}

void DrawContext::mousePosition(Point& out) const {
    const platform::InputState* input = platform::services().input;
    const Point screen = input != nullptr ? input->cursorPosition() : Point();
    out = Point(screen.h - windowOrigin.h, screen.v - windowOrigin.v);
}

OffscreenContext::OffscreenContext(platform::Window* likeWindow, std::int32_t w, std::int32_t h, Color background)
    : DrawContext(nullptr, nullptr), width(w), height(h), backgroundColor(background) {
    if (graphics() != nullptr) {
        picture = graphics()->makeOffscreenSurface(likeWindow, width, height);
    }
    if (!picture) {
        return;
    }
    surface = picture.get();
    setFillColor(background);
    setLineColor(background);
    fillRect(Rect(0, 0, width, height));
    outlineRect(Rect(0, 0, width, height));
}

namespace {

platform::Window* windowOf(const Frame* frame) {
    if (frame == nullptr || !frame->isWindowOpen()) {
        return nullptr;
    }
    return frame->getWindow();
}

}  // namespace

OffscreenContext::OffscreenContext(const Frame* frame, std::int32_t w, std::int32_t h, Color background)
    : OffscreenContext(windowOf(frame), w, h, background) {}

// The picture goes first; the pen, brush and font that were selected into
// it are deleted afterwards by the DrawContext part.
OffscreenContext::~OffscreenContext() {
    surface = nullptr;
    picture.reset();
}

void OffscreenContext::copyTo(DrawContext& destination, Rect r, Point src) {
    if (surface == nullptr || destination.getSurface() == nullptr) {
        return;
    }
    destination.getSurface()->copyFrom(*surface, r, src);
}

}  // namespace stipplewave
