#include "tests/editor/EditorRig.h"

#include "toolkit/Bitmap.h"
#include "toolkit/DrawContext.h"

namespace stipplewave::test {

int HostLog::count(std::int32_t opcode) const {
    int n = 0;
    for (const HostRequest& r : requests) {
        n += r.opcode == opcode ? 1 : 0;
    }
    return n;
}

HostLog& hostLog() {
    static HostLog log;
    return log;
}

VstIntPtr recordingHost(AEffect* effect, std::int32_t opcode, std::int32_t index, VstIntPtr, void*, float) {
    HostLog& log = hostLog();
    log.requests.push_back({opcode, index});
    if (opcode == audioMasterIdle && log.onIdle) {
        log.onIdle(effect);
    }
    return log.answer;
}

TestEditor::TestEditor(HostEffect* owner, Rect size) : GuiEditor(owner), frameSize(size) {
    rect.top = static_cast<std::int16_t>(size.top);
    rect.left = static_cast<std::int16_t>(size.left);
    rect.bottom = static_cast<std::int16_t>(size.bottom);
    rect.right = static_cast<std::int16_t>(size.right);
}

TestEditor::~TestEditor() {
    if (frame != nullptr) {
        close();
    }
}

std::int32_t TestEditor::open(void* parent) {
    GuiEditor::open(parent);
    if (frame == nullptr) {
        frame = new Frame(frameSize, parent, this);
    }
    return 1;
}

void TestEditor::close() {
    if (frame == nullptr) {
        return;
    }
    for (View* view : owned) {
        frame->removeView(view, false);
    }
    for (View* view : owned) {
        delete view;
    }
    owned.clear();
    delete frame;
    frame = nullptr;
}

void TestEditor::update() {
    if (onUpdate) {
        onUpdate();
    }
    ++updates;
}

void TestEditor::addView(View* view) {
    ASSERT_NE(frame, nullptr);
    frame->addView(view);
    owned.push_back(view);
}

void ScriptedPointer::play(std::vector<Step> script) {
    steps = script.empty() ? std::vector<Step>{{0, Point()}} : std::move(script);
    current = 0;
    leftReadsLeft = -1;
}

bool ScriptedPointer::isDown(platform::InputKey key) const {
    static constexpr std::int32_t bits[] = {LeftButtonBit, MiddleButtonBit, RightButtonBit,
                                            ShiftKeyBit,   ControlKeyBit,   AltKeyBit};
    const auto index = static_cast<std::size_t>(key);
    if (key == platform::InputKey::LeftButton && leftReadsLeft >= 0) {
        if (leftReadsLeft == 0) {
            return false;
        }
        --leftReadsLeft;
    }
    return index < 6 && (steps[current].buttons & bits[index]) != 0;
}

Point ScriptedPointer::cursorPosition() const {
    if (current + 1 < steps.size()) {
        ++current;
    }
    return steps[current].cursor;
}

HeadlessRig::HeadlessRig()
    : graphics(raster), windows(raster), use(platform::Services{&graphics, &pointer, &clock, &windows}) {
    hostLog() = HostLog{};
}

HeadlessRig::~HeadlessRig() { hostLog() = HostLog{}; }

Bitmap* HeadlessRig::pictureBitmap(std::int32_t number, std::int32_t width, std::int32_t height,
                                   std::vector<PixelColor> pixels) {
    graphics.addPicture(number, width, height, std::move(pixels));
    return new Bitmap(number);
}

Bitmap* HeadlessRig::solidBitmap(std::int32_t number, std::int32_t width, std::int32_t height, PixelColor color) {
    return pictureBitmap(number, width, height,
                         std::vector<PixelColor>(static_cast<std::size_t>(width * height), color));
}

Bitmap* HeadlessRig::stackedBitmap(std::int32_t number, std::int32_t width, std::int32_t height, PixelColor top,
                                   PixelColor bottom) {
    std::vector<PixelColor> pixels;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            pixels.push_back(y < height / 2 ? top : bottom);
        }
    }
    return pictureBitmap(number, width, height, std::move(pixels));
}

Pixels windowPixels(const raster::HeadlessChildWindow& window) {
    const raster::PixelBuffer& buffer = window.pixels();
    Pixels pixels;
    pixels.width = buffer.width;
    pixels.height = buffer.height;
    pixels.values = buffer.pixels;
    return pixels;
}

}  // namespace stipplewave::test
