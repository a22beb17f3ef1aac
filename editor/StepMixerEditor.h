// StepMixerEditor: the step mixer's editor. A 278 x 199 picture with 32
// step buttons (one per switch), a read-out of the tempo and a slider for
// the randomise amount. Every value it shows is read back from the effect.
//
// Threading: the host may set parameters on any thread, the audio thread
// included, while the user-interface thread opens, idles and closes the
// editor. Controls are touched only on the user-interface thread (the one
// that opened the editor); a parameter change that arrives on another
// thread only requests a refresh (a single relaxed store), and the next
// idle rereads every value. `uiThread` and `isOpen` are atomics so that
// the other threads can tell whether to do even that.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "editor/GuiEditor.h"
#include "toolkit/Controls.h"

namespace stipplewave {

class Bitmap;

// Writes the tempo parameter as whole beats per minute, "%3d", cut rather
// than rounded ("119" for the stored 0.48, "120" for 0.48000002).
void formatTempo(float value, char* text);

class StepMixerEditor : public GuiEditor, public ControlListener {
public:
    static constexpr std::int32_t kNumStepButtons = 32;

    explicit StepMixerEditor(HostEffect* effect);
    ~StepMixerEditor() override;

    std::int32_t open(void* parent) override;
    void close() override;
    void update() override;
    void setParameter(std::int32_t index, float value) override;
    void valueChanged(DrawContext& context, Control* control) override;

    // Read-outs for tests and tools.
    OnOffButton* stepButton(std::int32_t tag) const;
    ParamDisplay* getTempoDisplay() const { return tempoDisplay; }
    HorizontalSlider* getRandomizeSlider() const { return randomizeSlider; }
    Bitmap* getBackgroundBitmap() const { return backgroundBitmap; }

private:
    bool onUserInterfaceThread() const;
    void makeBitmaps();
    void makeStepButtons();
    void makeTempoDisplay();
    void makeRandomizeSlider();
    void releaseBitmaps();
    Control* controlFor(std::int32_t index) const;

    HorizontalSlider* randomizeSlider = nullptr;
    ParamDisplay* tempoDisplay = nullptr;
    OnOffButton* stepButtons[kNumStepButtons] = {};
    Bitmap* backgroundBitmap = nullptr;
    Bitmap* sliderBackgroundBitmap = nullptr;
    Bitmap* sliderHandleBitmap = nullptr;
    Bitmap* stepBitmaps[kNumStepButtons] = {};

    std::atomic<std::thread::id> uiThread{};
    std::atomic<bool> isOpen{false};
};

}  // namespace stipplewave
