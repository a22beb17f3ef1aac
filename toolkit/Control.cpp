#include <cstring>

#include "editor/GuiEditor.h"
#include "host/Numeric.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Controls.h"

namespace stipplewave {

namespace {

bool isMinusOne(float x) {
    static const float minusOne = -1.0f;
    return std::memcmp(&x, &minusOne, sizeof x) == 0;
}

}  // namespace

// --- Control -------------------------------------------------------------------

Control::Control(const Rect& controlSize, ControlListener* controlListener, std::int32_t controlTag,
                 Bitmap* controlBackground)
    : View(controlSize), listener(controlListener), tag(controlTag), background(controlBackground) {
    transparent = false;
    mouseEnabled = true;
    if (background != nullptr) {
        background->retain();
    }
}

Control::~Control() {
    if (background != nullptr) {
        background->release();
    }
}

// Ordered comparisons are false for NaN, so a NaN on either side counts as
// "the same" here.
bool Control::isDirty() const { return value < drawnValue || value > drawnValue || dirty; }

void Control::setDirty(bool on) {
    dirty = on;
    if (!on) {
        drawnValue = value;
    } else {
        drawnValue = isMinusOne(value) ? 0.0f : -1.0f;
    }
}

void Control::runIdle() {
    GuiEditor* editor = parentFrame != nullptr ? parentFrame->getEditor() : nullptr;
    if (editor != nullptr) {
        editor->runIdle();
    }
}

void Control::setValue(float newValue) { value = newValue; }
float Control::getValue() const { return value; }
void Control::setMinimum(float newMinimum) { minimum = newMinimum; }
float Control::getMinimum() const { return minimum; }
void Control::setMaximum(float newMaximum) { maximum = newMaximum; }
float Control::getMaximum() const { return maximum; }
void Control::setDrawnValue(float newDrawnValue) { drawnValue = newDrawnValue; }
float Control::getDrawnValue() const { return drawnValue; }
void Control::setResetValue(float newResetValue) { resetValue = newResetValue; }
float Control::getResetValue() const { return resetValue; }
void Control::setTag(std::int32_t newTag) { tag = newTag; }

void Control::setBackground(Bitmap* bitmap) {
    holdBitmap(background, bitmap);
}

Bitmap* Control::getBackground() const { return background; }

void Control::clampValue() {
    if (value > maximum) {
        value = maximum;
    } else if (value < minimum) {
        value = minimum;
    }
}

void Control::notifyListener(DrawContext& context) {
    if (listener != nullptr) {
        listener->valueChanged(context, this);
    }
}

// --- OnOffButton ---------------------------------------------------------------

OnOffButton::OnOffButton(const Rect& buttonSize, ControlListener* buttonListener, std::int32_t buttonTag,
                         Bitmap* buttonBackground)
    : Control(buttonSize, buttonListener, buttonTag, buttonBackground) {}

OnOffButton::~OnOffButton() = default;

void OnOffButton::draw(DrawContext& context) {
    if (background != nullptr) {
        const bool on = value != 0.0f;
        const Point source(0, on ? background->getHeight() / 2 : 0);
        if (transparent) {
            background->drawTransparent(context, size, source);
        } else {
            background->draw(context, size, source);
        }
    }
    setDirty(false);
}

// The toggle truncates through truncateToInt32, so NaN counts as off and
// values beyond the integer range as on.
void OnOffButton::mouse(DrawContext& context, Point&) {
    if (!mouseEnabled || (context.buttonState() & LeftButtonBit) == 0) {
        return;
    }
    value = truncateToInt32(static_cast<double>(value)) != 0 ? 0.0f : 1.0f;
    draw(context);
    notifyListener(context);
}

}  // namespace stipplewave
