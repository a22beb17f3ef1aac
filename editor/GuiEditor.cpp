#include "editor/GuiEditor.h"

#include "host/HostEffect.h"
#include "toolkit/Frame.h"

namespace stipplewave {

namespace {

std::uint32_t ticksNow() {
    platform::Clock* clock = platform::services().clock;
    return clock != nullptr ? clock->tickCount() : 0;
}

}  // namespace

GuiEditor::GuiEditor(HostEffect* owner) : EditorBase(owner), lastIdleTicks(ticksNow()) {
    editorUse = platform::services().windows;
    if (editorUse != nullptr) {
        editorUse->beginEditorUse();
    }
}

GuiEditor::~GuiEditor() {
    if (editorUse != nullptr) {
        editorUse->endEditorUse();
    }
}

std::int32_t GuiEditor::getRect(ERect** out) {
    *out = &rect;
    return 1;
}

std::int32_t GuiEditor::open(void* parent) {
    postUpdate();
    return EditorBase::open(parent);
}

void GuiEditor::close() {}

// The window's events come first, so that a press or a paint that arrived
// since the last idle is handled before the refresh and the redraw of the
// views it left dirty.
void GuiEditor::idle() {
    if (inIdle) {
        return;
    }
    platform::WindowSystem* windows = platform::services().windows;
    if (frame != nullptr && windows != nullptr) {
        windows->processPendingEvents();
    }
    EditorBase::idle();
    if (frame != nullptr) {
        frame->idle();
    }
}

std::int32_t GuiEditor::keyDown(KeyCode&) { return -1; }
std::int32_t GuiEditor::keyUp(KeyCode&) { return -1; }
std::int32_t GuiEditor::setKnobMode(VstIntPtr) { return 1; }

void GuiEditor::setParameter(std::int32_t, float) { postUpdate(); }

// Time is measured as the ticks elapsed since the last full pass, in
// wrapping unsigned arithmetic, so the pacing holds across the tick
// count's wrap: comparing `now` with `lastIdleTicks` plus a delay would
// stop pacing once the sum wraps, and once the clock wraps past a last
// pass whose sum did not, no call would ever make a full pass again.
void GuiEditor::runIdle() {
    platform::Clock* clock = platform::services().clock;
    std::uint32_t now = ticksNow();
    idle();
    if (now - lastIdleTicks < 100u) {
        if (clock != nullptr) {
            clock->sleep(10);
        }
        now += 10u;
        if (now - lastIdleTicks < 50u) {
            return;
        }
    }
    if (platform::WindowSystem* windows = platform::services().windows) {
        windows->dispatchOnePendingPaint();
    }
    lastIdleTicks = now;
    inIdle = true;
    if (effect != nullptr) {
        effect->hostIdle();
    }
    inIdle = false;
}

}  // namespace stipplewave
