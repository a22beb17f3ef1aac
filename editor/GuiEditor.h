// GuiEditor: the editor base that runs a toolkit `Frame` inside the host's
// window. It reports its rectangle, drives the frame from the host's idle
// calls, brackets its life with the window system's editor use (OLE on
// Windows, for the frame's drag-and-drop), and paces the idle processing of
// controls that hold the mouse in a tracking loop (`runIdle`).
//
// Threading: everything here but `postUpdate` (see EditorBase) runs on the
// user-interface thread; `frame`, `lastIdleTicks` and `inIdle` are touched
// only there.
#pragma once

#include <cstdint>

#include "editor/EditorBase.h"
#include "toolkit/Platform.h"

namespace stipplewave {

class Frame;

class GuiEditor : public EditorBase {
public:
    explicit GuiEditor(HostEffect* effect);
    ~GuiEditor() override;

    // The address of `rect`, the same record in every state; answers 1.
    std::int32_t getRect(ERect** out) override;
    // Requests a refresh, so the first idle after opening runs `update`.
    std::int32_t open(void* parent) override;
    void close() override;
    // Returns at once when called back from inside `runIdle`'s host idle;
    // otherwise services the window's pending events, refreshes the
    // controls when a refresh is pending, and lets the frame redraw.
    void idle() override;
    std::int32_t keyDown(KeyCode& key) override;
    std::int32_t keyUp(KeyCode& key) override;
    std::int32_t setKnobMode(VstIntPtr mode) override;

    virtual void setParameter(std::int32_t index, float value);
    // Called once per pass of a mouse-tracking loop: idles, then sleeps
    // 10 ms when the last full pass is less than 100 ms ago, and makes a
    // full pass (one pending paint, the host's idle) from 40 ms on.
    virtual void runIdle();

    Frame* getFrame() const { return frame; }
    const ERect& getEditorRect() const { return rect; }
    std::uint32_t getLastIdleTicks() const { return lastIdleTicks; }
    bool isInIdle() const { return inIdle; }

protected:
    ERect rect{};
    Frame* frame = nullptr;
    std::uint32_t lastIdleTicks = 0;
    bool inIdle = false;

private:
    // The window system whose editor use began here; it is ended on the
    // same one, whatever services are in place by then.
    platform::WindowSystem* editorUse = nullptr;
};

}  // namespace stipplewave
