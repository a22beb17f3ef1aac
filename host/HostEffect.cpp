#include "host/HostEffect.h"

#include <cstring>

#include "editor/EditorBase.h"
#include "host/Numeric.h"

namespace stipplewave {

namespace {

// The five entry functions the record carries: each forwards to the
// same-named operation of the object behind the record.
VstIntPtr dispatcherEntry(AEffect* effect, std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                          float opt) {
    HostEffect* object = HostEffect::fromRecord(effect);
    if (opcode != effClose) {
        return object->dispatcher(opcode, index, value, ptr, opt);
    }
    object->dispatcher(opcode, index, value, ptr, opt);
    // The record lives inside the object and dies with it.
    delete object;
    return 1;
}

void processEntry(AEffect* effect, float** inputs, float** outputs, std::int32_t sampleFrames) {
    HostEffect::fromRecord(effect)->process(inputs, outputs, sampleFrames);
}

void processReplacingEntry(AEffect* effect, float** inputs, float** outputs, std::int32_t sampleFrames) {
    HostEffect::fromRecord(effect)->processReplacing(inputs, outputs, sampleFrames);
}

void setParameterEntry(AEffect* effect, std::int32_t index, float value) {
    HostEffect::fromRecord(effect)->setParameter(index, value);
}

float getParameterEntry(AEffect* effect, std::int32_t index) {
    return HostEffect::fromRecord(effect)->getParameter(index);
}

}  // namespace

HostEffect::HostEffect(AudioMasterCallback callback, std::int32_t programs, std::int32_t params)
    : hostCallback(callback), numPrograms(programs), numParams(params) {
    std::memset(&record, 0, sizeof record);
    record.magic = kEffectMagic;
    record.dispatcher = dispatcherEntry;
    record.process = processEntry;
    record.setParameter = setParameterEntry;
    record.getParameter = getParameterEntry;
    record.processReplacing = processReplacingEntry;
    record.numPrograms = programs;
    record.numParams = params;
    record.numInputs = 1;
    record.numOutputs = 2;
    record.ioRatio = 1.0f;
    record.object = this;
    record.uniqueID = 0x4E6F4566;  // "NoEf"
    record.version = 1;
}

// The editor goes last, after every derived part of the effect is gone.
HostEffect::~HostEffect() { delete editor; }

void HostEffect::setParameter(std::int32_t, float) {}
float HostEffect::getParameter(std::int32_t) { return 0.0f; }

VstIntPtr HostEffect::setParameterAutomated(std::int32_t index, float value) {
    setParameter(index, value);
    return callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void HostEffect::processReplacing(float**, float**, std::int32_t) {}

VstIntPtr HostEffect::dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr, float opt) {
    auto* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose: close(); return 0;
        case effSetProgram:
            if (value < numPrograms) {
                setProgram(static_cast<std::int32_t>(value));
            }
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName: setProgramName(text); return 0;
        case effGetProgramName: getProgramName(text); return 0;
        case effGetParamLabel: getParameterLabel(index, text); return 0;
        case effGetParamDisplay: getParameterDisplay(index, text); return 0;
        case effGetParamName: getParameterName(index, text); return 0;
        case effGetVu: return truncateToInt32(static_cast<double>(getVu()) * 32767.0);
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<std::int32_t>(value)); return 0;
        case effMainsChanged:
            if (value == 0) {
                mainsOff();
            } else {
                mainsOn();
            }
            return 0;
        case effEditGetRect:
        case effEditOpen:
        case effEditClose:
        case effEditIdle: return dispatchEditor(opcode, value, ptr);
        case effIdentify: return kIdentifyAnswer;
        case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk: return setChunk(ptr, value, index != 0);
        default: return 0;
    }
}

VstIntPtr HostEffect::dispatchEditor(std::int32_t opcode, VstIntPtr, void* ptr) {
    if (editor == nullptr) {
        return 0;
    }
    switch (opcode) {
        case effEditGetRect: return editor->getRect(static_cast<ERect**>(ptr));
        case effEditOpen: return editor->open(ptr);
        case effEditClose: editor->close(); return 0;
        case effEditIdle: editor->idle(); return 0;
        default: return 0;
    }
}

void HostEffect::open() {}
void HostEffect::close() {}
std::int32_t HostEffect::getProgram() { return currentProgram; }
void HostEffect::setProgram(std::int32_t program) { currentProgram = program; }
void HostEffect::setProgramName(char* name) { *name = 0; }
void HostEffect::getProgramName(char* name) { *name = 0; }
void HostEffect::getParameterLabel(std::int32_t, char* label) { *label = 0; }
void HostEffect::getParameterDisplay(std::int32_t, char* text) { *text = 0; }
void HostEffect::getParameterName(std::int32_t, char* text) { *text = 0; }
float HostEffect::getVu() { return 0.0f; }
VstIntPtr HostEffect::getChunk(void**, bool) { return 0; }
VstIntPtr HostEffect::setChunk(void*, VstIntPtr, bool) { return 0; }
void HostEffect::setSampleRate(float rate) { sampleRate.store(rate, std::memory_order_relaxed); }
void HostEffect::setBlockSize(std::int32_t size) { blockSize = size; }
void HostEffect::mainsOff() {}
void HostEffect::mainsOn() {}

void HostEffect::setCanProcessReplacing(bool on) {
    if (on) {
        record.flags |= effFlagsCanReplacing;
    } else {
        record.flags &= ~effFlagsCanReplacing;
    }
}

void HostEffect::setEditor(EditorBase* newEditor) {
    editor = newEditor;
    if (newEditor != nullptr) {
        record.flags |= effFlagsHasEditor;
    } else {
        record.flags &= ~effFlagsHasEditor;
    }
}

VstIntPtr HostEffect::callHost(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr, float opt,
                               VstIntPtr fallback) {
    if (hostCallback == nullptr) {
        return fallback;
    }
    return hostCallback(&record, opcode, index, value, ptr, opt);
}

VstIntPtr HostEffect::hostVersion() {
    const VstIntPtr answer = callHost(audioMasterVersion, 0, 0, nullptr, 0.0f, 1);
    return answer != 0 ? answer : 1;
}

VstIntPtr HostEffect::hostCurrentId() { return callHost(audioMasterCurrentId); }
VstIntPtr HostEffect::hostIdle() { return callHost(audioMasterIdle); }

// The host answers 0 when the pin is connected.
bool HostEffect::hostPinConnectedInput(std::int32_t input) {
    return callHost(audioMasterPinConnected, input, 0, nullptr, 0.0f, 0) == 0;
}

bool HostEffect::hostPinConnectedOutput(std::int32_t output) {
    return callHost(audioMasterPinConnected, output, 1, nullptr, 0.0f, 0) == 0;
}

}  // namespace stipplewave
