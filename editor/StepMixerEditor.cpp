#include "editor/StepMixerEditor.h"

#include <cstdio>
#include <new>

#include "host/HostEffect.h"
#include "host/Numeric.h"
#include "toolkit/Bitmap.h"
#include "toolkit/DrawContext.h"
#include "toolkit/Frame.h"

namespace stipplewave {

namespace {

constexpr std::int32_t kBackgroundId = 128;
constexpr std::int32_t kSliderBackgroundId = 129;
constexpr std::int32_t kSliderHandleId = 130;
constexpr std::int32_t kFirstStepBitmapId = 131;
constexpr std::int32_t kTempoParam = 32;
constexpr std::int32_t kRandomizeParam = 33;
constexpr std::int32_t kLastParam = 34;

// The buttons are as wide as their pictures and half as high (two states
// stacked). The left-input row hangs from y 14, the right-input row stands
// on y 185.
Rect stepButtonRect(std::int32_t tag, const Bitmap& picture) {
    const std::int32_t height = picture.getHeight() / 2;
    if (tag < 16) {
        const std::int32_t left = 13 + 16 * tag;
        return Rect(left, 14, left + 14, 14 + height);
    }
    const std::int32_t left = 12 + 16 * (tag - 16);
    return Rect(left, 185 - height, left + 14, 185);
}

const Rect kTempoDisplayRect(233, 142, 263, 156);
const Rect kRandomizeSliderRect(26, 104, 270, 133);
constexpr std::int32_t kSliderTravelStart = 25;
constexpr std::int32_t kSliderTravelEnd = 235;
constexpr std::int32_t kTempoFontIndex = 6;

}  // namespace

// Whole beats per minute: the product is taken in double precision and cut
// toward zero. NaN shows as 0 and values beyond the integer range saturate
// at its ends, where a plain conversion would be undefined.
void formatTempo(float value, char* text) {
    const std::int32_t bpm = truncateToInt32(static_cast<double>(value) * 250.0);
    std::snprintf(text, 256, "%3d", bpm);
}

StepMixerEditor::StepMixerEditor(HostEffect* owner) : GuiEditor(owner) {
    backgroundBitmap = new (std::nothrow) Bitmap(kBackgroundId);
    if (backgroundBitmap != nullptr) {
        rect.top = 0;
        rect.left = 0;
        rect.bottom = static_cast<std::int16_t>(backgroundBitmap->getHeight());
        rect.right = static_cast<std::int16_t>(backgroundBitmap->getWidth());
    }
}

StepMixerEditor::~StepMixerEditor() {
    close();
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->release();
        backgroundBitmap = nullptr;
    }
}

bool StepMixerEditor::onUserInterfaceThread() const {
    return uiThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

std::int32_t StepMixerEditor::open(void* parent) {
    // Hosts may open twice without closing; one frame at a time.
    if (frame != nullptr) {
        close();
    }
    uiThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    GuiEditor::open(parent);
    makeBitmaps();
    const std::int32_t width = backgroundBitmap != nullptr ? backgroundBitmap->getWidth() : 0;
    const std::int32_t height = backgroundBitmap != nullptr ? backgroundBitmap->getHeight() : 0;
    frame = new (std::nothrow) Frame(Rect(0, 0, width, height), parent, this);
    if (frame == nullptr) {
        releaseBitmaps();
        return 1;
    }
    frame->setBackground(backgroundBitmap);
    makeStepButtons();
    makeTempoDisplay();
    makeRandomizeSlider();
    isOpen.store(true, std::memory_order_relaxed);
    return 1;
}

void StepMixerEditor::makeBitmaps() {
    for (std::int32_t tag = 0; tag < kNumStepButtons; ++tag) {
        if (stepBitmaps[tag] == nullptr) {
            stepBitmaps[tag] = new (std::nothrow) Bitmap(kFirstStepBitmapId + tag);
        }
    }
    if (sliderBackgroundBitmap == nullptr) {
        sliderBackgroundBitmap = new (std::nothrow) Bitmap(kSliderBackgroundId);
    }
    if (sliderHandleBitmap == nullptr) {
        sliderHandleBitmap = new (std::nothrow) Bitmap(kSliderHandleId);
    }
}

void StepMixerEditor::makeStepButtons() {
    for (std::int32_t tag = 0; tag < kNumStepButtons; ++tag) {
        if (stepBitmaps[tag] == nullptr) {
            continue;
        }
        auto* button = new (std::nothrow) OnOffButton(stepButtonRect(tag, *stepBitmaps[tag]), this, tag, stepBitmaps[tag]);
        if (button == nullptr) {
            continue;
        }
        stepButtons[tag] = button;
        button->setValue(effect->getParameter(tag));
        button->setTransparent(true);
        frame->addView(button);
    }
}

void StepMixerEditor::makeTempoDisplay() {
    tempoDisplay = new (std::nothrow) ParamDisplay(kTempoDisplayRect, nullptr, 0);
    if (tempoDisplay == nullptr) {
        return;
    }
    tempoDisplay->setFontIndex(kTempoFontIndex);
    tempoDisplay->setTextColor(WhiteColor);
    tempoDisplay->setBorderColor(BlackColor);
    tempoDisplay->setValue(effect->getParameter(kTempoParam));
    tempoDisplay->setTextFormatter(formatTempo);
    frame->addView(tempoDisplay);
}

void StepMixerEditor::makeRandomizeSlider() {
    const Point backgroundOffset(0, 0);
    randomizeSlider = new (std::nothrow)
        HorizontalSlider(kRandomizeSliderRect, this, kRandomizeParam, kSliderTravelStart, kSliderTravelEnd,
                         sliderHandleBitmap, sliderBackgroundBitmap, backgroundOffset, DragInverted);
    if (randomizeSlider == nullptr) {
        return;
    }
    randomizeSlider->setHandleOffset(Point(1, 0));
    randomizeSlider->setValue(effect->getParameter(kRandomizeParam));
    randomizeSlider->setTransparent(true);
    frame->addView(randomizeSlider);
}

// Controls are taken out of the frame without releasing and deleted here;
// then the frame (its window and its hold on the background) goes; then
// the bitmaps loaded for this opening.
void StepMixerEditor::close() {
    isOpen.store(false, std::memory_order_relaxed);
    auto removeAndDelete = [this](auto*& control) {
        if (control == nullptr) {
            return;
        }
        if (frame != nullptr) {
            frame->removeView(control, false);
        }
        delete control;
        control = nullptr;
    };
    for (OnOffButton*& button : stepButtons) {
        removeAndDelete(button);
    }
    removeAndDelete(tempoDisplay);
    removeAndDelete(randomizeSlider);
    if (frame != nullptr) {
        delete frame;
        frame = nullptr;
    }
    releaseBitmaps();
}

void StepMixerEditor::releaseBitmaps() {
    auto releaseOne = [](Bitmap*& bitmap) {
        if (bitmap != nullptr) {
            bitmap->release();
            bitmap = nullptr;
        }
    };
    for (Bitmap*& bitmap : stepBitmaps) {
        releaseOne(bitmap);
    }
    releaseOne(sliderBackgroundBitmap);
    releaseOne(sliderHandleBitmap);
}

OnOffButton* StepMixerEditor::stepButton(std::int32_t tag) const {
    return tag >= 0 && tag < kNumStepButtons ? stepButtons[tag] : nullptr;
}

Control* StepMixerEditor::controlFor(std::int32_t index) const {
    if (index >= 0 && index < kNumStepButtons) {
        return stepButtons[index];
    }
    if (index == kTempoParam) {
        return tempoDisplay;
    }
    return index == kRandomizeParam ? randomizeSlider : nullptr;
}

void StepMixerEditor::valueChanged(DrawContext& context, Control* control) {
    const std::int32_t tag = control->getTag();
    if (tag < 0 || tag > kLastParam) {
        return;
    }
    effect->setParameterAutomated(tag, control->getValue());
    control->update(context);
}

// The value argument is not used: the control shows what the effect
// stored. Off the user-interface thread only a refresh is requested.
void StepMixerEditor::setParameter(std::int32_t index, float) {
    if (!onUserInterfaceThread()) {
        if (isOpen.load(std::memory_order_relaxed)) {
            postUpdate();
        }
        return;
    }
    if (frame == nullptr) {
        return;
    }
    if (Control* control = controlFor(index)) {
        control->setValue(effect->getParameter(index));
    }
    postUpdate();
}

void StepMixerEditor::update() {
    if (frame == nullptr) {
        return;
    }
    for (std::int32_t index = 0; index <= kRandomizeParam; ++index) {
        if (Control* control = controlFor(index)) {
            control->setValue(effect->getParameter(index));
        }
    }
}

}  // namespace stipplewave
