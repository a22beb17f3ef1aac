#include <algorithm>
#include <limits>

#include "host/Numeric.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Controls.h"

namespace stipplewave {

namespace {

std::int32_t saturate(std::int64_t x) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(x, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

HorizontalSlider::HorizontalSlider(const Rect& sliderSize, ControlListener* sliderListener, std::int32_t sliderTag,
                                   std::int32_t start, std::int32_t end, Bitmap* handleBitmap,
                                   Bitmap* sliderBackground, const Point& offset, std::int32_t sliderStyle)
    : Control(sliderSize, sliderListener, sliderTag, sliderBackground),
      backgroundOffset(offset),
      handle(handleBitmap),
      handleWidth(handleBitmap != nullptr ? handleBitmap->getWidth() : 1),
      handleHeight(handleBitmap != nullptr ? handleBitmap->getHeight() : 1),
      travelStart(start),
      travelEnd(end),
      style(sliderStyle),
      handleLeftLimit(saturate(std::int64_t{start} - sliderSize.left)),
      handleRightLimit(saturate(std::int64_t{end} + handleWidth - sliderSize.left)),
      width(sliderSize.right - sliderSize.left),
      height(sliderSize.bottom - sliderSize.top) {
    if (handle != nullptr) {
        handle->retain();
    }
}

HorizontalSlider::~HorizontalSlider() {
    if (handle != nullptr) {
        handle->release();
    }
}

// Beyond the usual rules (the left edge no further left than the left
// limit, the right edge cut at the right limit), a handle pushed past the
// right limit altogether (values far outside 0..1, or no travel) gets an
// empty rectangle at that limit instead of an inverted one.
Rect HorizontalSlider::handleRect() const {
    const double t = (style & DrawDirect) != 0 ? static_cast<double>(value) : 1.0 - static_cast<double>(value);
    const double travel = static_cast<double>(std::int64_t{travelEnd} - travelStart);
    std::int64_t left = std::int64_t{truncateToInt32(travel * t)} + handleOffset.h;
    if (left < handleLeftLimit) {
        left = handleLeftLimit;
    }
    left = std::min<std::int64_t>(left, std::max(handleLeftLimit, handleRightLimit));
    std::int64_t right = left + handleWidth;
    if (right > handleRightLimit) {
        right = handleRightLimit;
    }
    right = std::max(right, left);
    const std::int32_t top = handleOffset.v;
    return Rect(static_cast<std::int32_t>(left), top, static_cast<std::int32_t>(right),
                saturate(std::int64_t{top} + handleHeight));
}

void HorizontalSlider::draw(DrawContext& context) {
    const Rect handleArea = handleRect();
    {
        OffscreenContext offscreen(parentFrame, width, height, BlackColor);
        if (background != nullptr) {
            const Rect whole(0, 0, width, height);
            if (transparent) {
                background->drawTransparent(offscreen, whole, backgroundOffset);
            } else {
                background->draw(offscreen, whole, backgroundOffset);
            }
        }
        if (handle != nullptr) {
            if (handleTransparent) {
                handle->drawTransparent(offscreen, handleArea, Point(0, 0));
            } else {
                handle->draw(offscreen, handleArea, Point(0, 0));
            }
        }
        offscreen.copyTo(context, size, Point(0, 0));
    }
    lastHandleLeft = saturate(std::int64_t{size.left} + handleArea.left);
    handleDrawn = true;
    setDirty(false);
}

std::int32_t HorizontalSlider::getLastHandleLeft() const {
    if (handleDrawn) {
        return lastHandleLeft;
    }
    return saturate(std::int64_t{size.left} + handleRect().left);
}

// Both ends included; the vertical test ignores the handle offset.
bool HorizontalSlider::pressIsOnHandle(Point where) const {
    const std::int64_t left = getLastHandleLeft();
    return where.h >= left && where.h <= left + handleWidth && where.v >= size.top &&
           where.v <= std::int64_t{size.top} + handleHeight;
}

void HorizontalSlider::mouse(DrawContext& context, Point& where) {
    if (!mouseEnabled) {
        return;
    }
    const std::int32_t buttons = context.buttonState();
    if (buttons == (LeftButtonBit | ControlKeyBit)) {
        resetToResetValue(context);
        return;
    }
    if ((buttons & LeftButtonBit) == 0) {
        return;
    }
    std::int32_t grip = 0;
    if (jumpToClick) {
        grip = saturate(std::int64_t{travelStart} + handleWidth / 2 - 1);
    } else {
        if (!pressIsOnHandle(where)) {
            return;
        }
        grip = saturate(std::int64_t{travelStart} + where.h - getLastHandleLeft());
    }
    trackDrag(context, where, grip, buttons);
}

// No clamping and no edit brackets: a reset is one step, not a gesture.
void HorizontalSlider::resetToResetValue(DrawContext& context) {
    value = getResetValue();
    if (isDirty()) {
        notifyListener(context);
    }
}

// The pointer's fraction of the travel, measured from the grip. Without
// travel (travelEnd not beyond travelStart) the pointer has no fraction.
float HorizontalSlider::pointerValue(std::int32_t x, std::int32_t grip) const {
    const float range = static_cast<float>(std::int64_t{travelEnd} - travelStart);
    const float p = static_cast<float>(std::int64_t{x} - grip) / range;
    return (style & DragInverted) != 0 ? 1 - p : p;
}

// Polls the live button state until the left button is up. While Shift is
// held the value moves only a fraction of the pointer's way from an anchor,
// which follows the value while Shift is up and freezes when Shift goes
// down or the held set changes with Shift down. Without travel the value is
// not moved by the pointer at all, only kept in range.
void HorizontalSlider::trackDrag(DrawContext& context, Point& where, std::int32_t grip, std::int32_t pressed) {
    const bool hasTravel = travelEnd > travelStart;
    std::int32_t held = pressed;
    float anchor = value;
    if (parentFrame != nullptr) {
        parentFrame->beginEdit(tag);
    }
    for (std::int32_t buttons = context.buttonState(); (buttons & LeftButtonBit) != 0;
         buttons = context.buttonState()) {
        const bool fine = (buttons & ShiftKeyBit) != 0;
        if (buttons != held && fine) {
            anchor = value;
            held = buttons;
        } else if (!fine) {
            anchor = value;
        }
        if (hasTravel) {
            value = pointerValue(where.h, grip);
            if (fine) {
                value = anchor + (value - anchor) / fineTuneDivisor;
            }
        }
        clampValue();
        if (isDirty()) {
            notifyListener(context);
        }
        context.mousePosition(where);
        runIdle();
    }
    if (parentFrame != nullptr) {
        parentFrame->endEdit(tag);
    }
}

void HorizontalSlider::setHandleTransparent(bool on) { handleTransparent = on; }
void HorizontalSlider::setJumpToClick(bool on) { jumpToClick = on; }
bool HorizontalSlider::getJumpToClick() const { return jumpToClick; }
void HorizontalSlider::setHandleOffset(Point offset) { handleOffset = offset; }

void HorizontalSlider::setHandle(Bitmap* bitmap) {
    holdBitmap(handle, bitmap);
}

Bitmap* HorizontalSlider::getHandle() const { return handle; }
void HorizontalSlider::setFineTuneDivisor(float divisor) { fineTuneDivisor = divisor; }
float HorizontalSlider::getFineTuneDivisor() const { return fineTuneDivisor; }

}  // namespace stipplewave
