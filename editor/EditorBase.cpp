#include "editor/EditorBase.h"

#include "host/HostEffect.h"

namespace stipplewave {

EditorBase::EditorBase(HostEffect* owner) : effect(owner) {
    if (effect != nullptr) {
        effect->setEditor(this);
    }
}

EditorBase::~EditorBase() = default;

std::int32_t EditorBase::getRect(ERect** out) {
    *out = nullptr;
    return 0;
}

std::int32_t EditorBase::open(void* parent) {
    parentWindow = parent;
    return 0;
}

void EditorBase::close() {}

void EditorBase::idle() {
    if (updateFlag.load(std::memory_order_relaxed) != 0) {
        updateFlag.store(0, std::memory_order_relaxed);
        update();
    }
}

void EditorBase::update() {}

void EditorBase::postUpdate() { updateFlag.store(1, std::memory_order_relaxed); }

std::int32_t EditorBase::keyDown(KeyCode&) { return -1; }
std::int32_t EditorBase::keyUp(KeyCode&) { return -1; }
std::int32_t EditorBase::setKnobMode(VstIntPtr) { return 0; }

}  // namespace stipplewave
