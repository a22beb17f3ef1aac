// Bitmaps: pictures from the module's bitmap resources, shared between
// their holders by hand-kept reference counts, drawn as plain copies or
// with the key colour (`TransparentColor`) left out.
//
// Threading: bitmaps are made, drawn and released on the user-interface
// thread; the reference count is plain arithmetic.
#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/Platform.h"
#include "toolkit/Types.h"

namespace stipplewave {

class DrawContext;

class Bitmap {
public:
    // Loads the resource named by the low 16 bits of `resourceId`. A
    // resource that cannot be loaded gives a 0 x 0 bitmap that draws
    // nothing. The creator holds the first reference.
    explicit Bitmap(std::int32_t resourceId);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }
    std::int32_t getResourceId() const { return resourceId; }
    std::int32_t getRefCount() const { return refCount; }
    bool hasMask() const { return mask != nullptr; }

    void retain();
    // Drops one reference and destroys the bitmap at the last; a count that
    // is already 0 or less is left alone.
    void release();

    // Copies the block of dest's size whose top-left corner is src in the
    // picture to dest's top-left corner.
    void draw(DrawContext& context, const Rect& dest, Point src);
    // The same block, except that pixels of exactly the key colour leave the
    // destination as it was. The mask is made at the first such draw and
    // kept.
    void drawTransparent(DrawContext& context, const Rect& dest, Point src);

private:
    // Only `release` destroys a bitmap.
    ~Bitmap();
    friend struct BitmapTestAccess;

    std::int32_t resourceId;
    std::int32_t refCount = 1;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::unique_ptr<platform::Image> image;
    std::unique_ptr<platform::Mask> mask;
};

// Makes `held` hold `next` instead (either may be null): the new bitmap is
// retained before the old one is released, so holding the same bitmap again
// keeps it alive.
void holdBitmap(Bitmap*& held, Bitmap* next);

}  // namespace stipplewave
