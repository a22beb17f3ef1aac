#include "engine/StepMixerEdit.h"

#include <atomic>
#include <new>

#include "editor/StepMixerEditor.h"
#include "host/Module.h"

namespace stipplewave {

namespace {

EditorBase* makeStepMixerEditor(StepMixerEdit& effect) { return new (std::nothrow) StepMixerEditor(&effect); }

std::atomic<StepMixerEdit::EditorMaker> editorMaker{makeStepMixerEditor};

}  // namespace

StepMixerEdit::StepMixerEdit(AudioMasterCallback callback) : StepMixer(callback) {
    record.uniqueID = kUniqueId;
    // The editor registers itself with the effect as it is constructed.
    EditorBase* made = editorMaker.load()(*this);
    guiEditor = dynamic_cast<GuiEditor*>(made);
    if (made == nullptr) {
        setEditor(nullptr);
        reportEditorCreationFailed();
    }
}

StepMixerEdit::EditorMaker StepMixerEdit::setEditorMaker(EditorMaker maker) {
    return editorMaker.exchange(maker != nullptr ? maker : makeStepMixerEditor);
}

void StepMixerEdit::setParameter(std::int32_t index, float value) {
    StepMixer::setParameter(index, value);
    if (guiEditor != nullptr) {
        guiEditor->setParameter(index, value);
    }
}

}  // namespace stipplewave
