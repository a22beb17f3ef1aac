#include "host/Module.h"

#include <atomic>

#include "host/HostEffect.h"

namespace stipplewave {

namespace {
std::atomic<void*> instanceHandle{nullptr};
thread_local bool editorCreationFailed = false;
}  // namespace

void* moduleInstance() { return instanceHandle.load(std::memory_order_relaxed); }
void setModuleInstance(void* instance) { instanceHandle.store(instance, std::memory_order_relaxed); }

void reportEditorCreationFailed() { editorCreationFailed = true; }

AEffect* createEffect(AudioMasterCallback hostCallback, EffectFactory factory) {
    if (hostCallback == nullptr) {
        return nullptr;
    }
    if (hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    editorCreationFailed = false;
    HostEffect* effect = factory(hostCallback);
    if (effect == nullptr) {
        return nullptr;
    }
    if (editorCreationFailed) {
        editorCreationFailed = false;
        delete effect;
        return nullptr;
    }
    return effect->getRecord();
}

}  // namespace stipplewave
