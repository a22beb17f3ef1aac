// What the editor and view tests share: an effect whose host callback
// records the requests it gets, an editor that counts its refreshes and
// opens a frame like a concrete editor does, an input state that follows a
// script while a control polls it, views that log what reaches them, and a
// rig that puts headless services (raster pixels, scripted input, scripted
// clock, headless windows) in place for one test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/GuiEditor.h"
#include "host/HostEffectEx.h"
#include "tests/toolkit/TestPlatform.h"
#include "toolkit/Frame.h"
#include "toolkit/raster/Headless.h"
#include "toolkit/raster/RasterGraphics.h"

namespace stipplewave::test {

struct HostRequest {
    std::int32_t opcode;
    std::int32_t index;
};

// The host side of one test: what the effect asked of it, what it answers,
// and an optional action run when the effect asks for idle time (a host
// that sends editor opcodes back from inside its idle service).
struct HostLog {
    std::vector<HostRequest> requests;
    VstIntPtr answer = 1;
    std::function<void(AEffect*)> onIdle;

    int count(std::int32_t opcode) const;
};

// The log the callback writes to; tests of one program run one at a time.
HostLog& hostLog();

VstIntPtr recordingHost(AEffect* effect, std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                        float opt);

class TestEffect : public HostEffectEx {
public:
    TestEffect() : HostEffectEx(recordingHost, 1, 35) {}
    void process(float**, float**, std::int32_t) override {}
};

// An effect without the extended layer (no begin/end-edit services).
class BareEffect : public HostEffect {
public:
    BareEffect() : HostEffect(recordingHost, 1, 35) {}
    void process(float**, float**, std::int32_t) override {}
};

// Opens a frame of `size` in the parent it is given and closes it the way
// the step mixer's editor does: views out without releasing, then deleted.
class TestEditor : public GuiEditor {
public:
    explicit TestEditor(HostEffect* effect, Rect size = Rect(0, 0, 278, 199));
    ~TestEditor() override;

    std::int32_t open(void* parent) override;
    void close() override;
    void update() override;

    // Adds a view to the open frame; the editor deletes it at close.
    void addView(View* view);

    int updates = 0;
    // Run at the start of each update.
    std::function<void()> onUpdate;

private:
    Rect frameSize;
    std::vector<View*> owned;
};

// Mouse buttons and keys as `buttonState` bits, and the cursor, one step of
// a script at a time. Each cursor read moves to the next step (the last one
// stays), so in a drag loop the pass after a position read sees that
// step's buttons and position.
class ScriptedPointer final : public platform::InputState {
public:
    struct Step {
        std::int32_t buttons;
        Point cursor;
    };

    void hold(std::int32_t buttons, Point cursor = Point()) { play({{buttons, cursor}}); }
    void play(std::vector<Step> script);
    // After this many reads of the left button, it reads up whatever the
    // script says (a release faster than the loop polls); -1 never.
    void releaseLeftAfterReads(int reads) { leftReadsLeft = reads; }

    bool isDown(platform::InputKey key) const override;
    Point cursorPosition() const override;

    std::size_t stepsTaken() const { return current; }

private:
    std::vector<Step> steps{{0, Point()}};
    mutable std::size_t current = 0;
    mutable int leftReadsLeft = -1;
};

// Headless services for one test, with test pictures on top of raster
// graphics.
class HeadlessRig : public ::testing::Test {
protected:
    HeadlessRig();
    ~HeadlessRig() override;

    // A picture of one colour under a resource number; returns a new Bitmap
    // (one reference, the caller's).
    Bitmap* solidBitmap(std::int32_t number, std::int32_t width, std::int32_t height, PixelColor color);
    // A picture with a top half of one colour and a bottom half of another.
    Bitmap* stackedBitmap(std::int32_t number, std::int32_t width, std::int32_t height, PixelColor top,
                          PixelColor bottom);
    Bitmap* pictureBitmap(std::int32_t number, std::int32_t width, std::int32_t height,
                          std::vector<PixelColor> pixels);

    raster::RasterGraphics raster;
    TestGraphics graphics;
    ScriptedPointer pointer;
    raster::ScriptedClock clock{1000};
    raster::HeadlessWindowSystem windows;
    platform::ScopedServices use;
    // Any non-null value stands for the host's window.
    void* const hostWindow = reinterpret_cast<void*>(std::uintptr_t{0x5150});
};

// The window's pixels, for checks.
Pixels windowPixels(const raster::HeadlessChildWindow& window);

}  // namespace stipplewave::test
