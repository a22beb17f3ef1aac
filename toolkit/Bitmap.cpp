#include "toolkit/Bitmap.h"

#include "toolkit/DrawContext.h"

namespace stipplewave {

Bitmap::Bitmap(std::int32_t id) : resourceId(id) {
    platform::Graphics* graphics = platform::services().graphics;
    if (graphics == nullptr) {
        return;
    }
    image = graphics->loadImage(id & 0xFFFF);
    std::int32_t w = 0;
    std::int32_t h = 0;
    if (image && image->describe(w, h)) {
        width = w;
        height = h;
    }
}

Bitmap::~Bitmap() = default;

void Bitmap::retain() { ++refCount; }

void holdBitmap(Bitmap*& held, Bitmap* next) {
    if (next != nullptr) {
        next->retain();
    }
    if (held != nullptr) {
        held->release();
    }
    held = next;
}

void Bitmap::release() {
    if (refCount <= 0) {
        return;
    }
    --refCount;
    if (refCount == 0) {
        delete this;
    }
}

void Bitmap::draw(DrawContext& context, const Rect& dest, Point src) {
    platform::Graphics* graphics = platform::services().graphics;
    if (!image || graphics == nullptr || context.getSurface() == nullptr) {
        return;
    }
    graphics->drawImage(*context.getSurface(), dest, *image, src);
}

void Bitmap::drawTransparent(DrawContext& context, const Rect& dest, Point src) {
    platform::Graphics* graphics = platform::services().graphics;
    if (!image || graphics == nullptr || context.getSurface() == nullptr) {
        return;
    }
    if (!mask) {
        mask = graphics->makeMask(*context.getSurface(), *image, platform::pixelColor(TransparentColor));
        if (!mask) {
            return;
        }
    }
    graphics->drawImageMasked(*context.getSurface(), dest, *image, *mask, src);
}

}  // namespace stipplewave
