// EditorBase: the host-facing editor contract. The host never talks to the
// editor directly; the effect's dispatcher forwards the editor opcodes.
//
// Threading: `postUpdate` may be called from any thread, the audio thread
// included (for every random flip), so it is a single relaxed store to
// `updateFlag`. Only the user-interface thread reads the flag and clears it
// before it refreshes; a request that arrives during a refresh is kept for
// the next idle, and since a refresh rereads every value, merged requests
// lose nothing. Everything else here runs on the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/AEffect.h"

namespace stipplewave {

class HostEffect;

class EditorBase {
public:
    explicit EditorBase(HostEffect* effect);
    EditorBase(const EditorBase&) = delete;
    EditorBase& operator=(const EditorBase&) = delete;

    virtual ~EditorBase();
    virtual std::int32_t getRect(ERect** out);
    virtual std::int32_t open(void* parent);
    virtual void close();
    virtual void idle();
    virtual void update();
    virtual void postUpdate();
    virtual std::int32_t keyDown(KeyCode& key);
    virtual std::int32_t keyUp(KeyCode& key);
    virtual std::int32_t setKnobMode(VstIntPtr mode);

    HostEffect* getEffect() const { return effect; }
    void* getParentWindow() const { return parentWindow; }
    bool isUpdatePending() const { return updateFlag.load(std::memory_order_relaxed) != 0; }

protected:
    HostEffect* effect;
    void* parentWindow = nullptr;
    std::atomic<std::int32_t> updateFlag{0};
};

}  // namespace stipplewave
