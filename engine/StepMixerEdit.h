// StepMixerEdit: the step mixer together with its editor; what the module's
// entry hands out. Every parameter change is echoed to the editor, on the
// thread that made it (the editor decides what it may do there).
#pragma once

#include "engine/StepMixer.h"

namespace stipplewave {

class GuiEditor;

class StepMixerEdit : public StepMixer {
public:
    // Makes the editor; reports through the module when it cannot.
    explicit StepMixerEdit(AudioMasterCallback hostCallback);

    void setParameter(std::int32_t index, float value) override;

    // How the editor is made; tests put a failing one in place to see the
    // effect refused.
    using EditorMaker = EditorBase* (*)(StepMixerEdit& effect);
    static EditorMaker setEditorMaker(EditorMaker maker);

private:
    // The editor as the one that takes parameter echoes; found once, so
    // that the audio thread's echo is a plain call.
    GuiEditor* guiEditor = nullptr;
};

}  // namespace stipplewave
