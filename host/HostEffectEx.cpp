#include "host/HostEffectEx.h"

#include "editor/EditorBase.h"
#include "host/Numeric.h"

namespace stipplewave {

namespace {
constexpr std::int32_t kFirstExtendedOpcode = effProcessEvents;
constexpr std::int32_t kLastExtendedOpcode = effEndSetProgram;

VstIntPtr truth(bool b) { return b ? 1 : 0; }
}  // namespace

HostEffectEx::HostEffectEx(AudioMasterCallback callback, std::int32_t programs, std::int32_t params)
    : HostEffect(callback, programs, params) {}

VstIntPtr HostEffectEx::dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr, float opt) {
    if (opcode < kFirstExtendedOpcode || opcode > kLastExtendedOpcode) {
        return HostEffect::dispatcher(opcode, index, value, ptr, opt);
    }
    auto* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effProcessEvents: return processEvents(ptr);
        case effCanBeAutomated: return truth(canBeAutomated(index));
        case effString2Parameter: return truth(stringToParameter(index, text));
        case effGetNumProgramCategories: return getNumProgramCategories();
        case effGetProgramNameIndexed: return truth(getProgramNameIndexed(value, index, text));
        case effCopyProgram: return truth(copyProgram(index));
        case effConnectInput: connectInput(index, value != 0); return 1;
        case effConnectOutput: connectOutput(index, value != 0); return 1;
        case effGetInputProperties: return truth(getInputProperties(index, ptr));
        case effGetOutputProperties: return truth(getOutputProperties(index, ptr));
        case effGetPlugCategory: return getPlugCategory();
        case effGetCurrentPosition: return getCurrentPosition();
        case effGetDestinationBuffer: return getDestinationBuffer();
        case effOfflineNotify: return truth(offlineNotify(ptr, value, index != 0));
        case effOfflinePrepare: return truth(offlinePrepare(ptr, value));
        case effOfflineRun: return truth(offlineRun(ptr, value));
        case effProcessVarIo: return truth(processVarIo(ptr));
        case effSetSpeakerArrangement:
            return truth(setSpeakerArrangement(reinterpret_cast<void*>(value), ptr));
        case effSetBlockSizeAndSampleRate:
            setBlockSizeAndSampleRate(static_cast<std::int32_t>(value), opt);
            return 1;
        case effSetBypass: return truth(setBypass(value != 0));
        case effGetEffectName: return truth(getEffectName(text));
        case effGetErrorText: return truth(getErrorText(text));
        case effGetVendorString: return truth(getVendorString(text));
        case effGetProductString: return truth(getProductString(text));
        case effGetVendorVersion: return getVendorVersion();
        case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
        case effCanDo: return canDo(text);
        case effGetTailSize: return getTailSize();
        case effIdle: return effectIdle();
        case effGetIcon: return getIcon();
        case effSetViewPosition: return truth(setViewPosition(index, value));
        case effGetParameterProperties: return truth(getParameterProperties(index, ptr));
        case effKeysRequired: return keysRequired() ? 0 : 1;  // the opcode answers the inverse
        case effGetVstVersion: return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp:
        case effSetEditKnobMode: return dispatchEditorKeys(opcode, index, value, opt);
        case effGetMidiProgramName: return getMidiProgramName(index, ptr);
        case effGetCurrentMidiProgram: return getCurrentMidiProgram(index, ptr);
        case effGetMidiProgramCategory: return getMidiProgramCategory(index, ptr);
        case effHasMidiProgramsChanged: return truth(hasMidiProgramsChanged(index));
        case effGetMidiKeyName: return truth(getMidiKeyName(index, ptr));
        case effBeginSetProgram: return truth(beginSetProgram());
        case effEndSetProgram: return truth(endSetProgram());
        default: return 0;
    }
}

VstIntPtr HostEffectEx::dispatchEditorKeys(std::int32_t opcode, std::int32_t index, VstIntPtr value, float opt) {
    if (editor == nullptr) {
        return 0;
    }
    if (opcode == effSetEditKnobMode) {
        return editor->setKnobMode(value);
    }
    KeyCode key{};
    key.character = index;
    key.virtualKey = static_cast<std::uint8_t>(value & 0xFF);
    key.modifiers = static_cast<std::uint8_t>(truncateToInt32(static_cast<double>(opt)) & 0xFF);
    return opcode == effEditKeyDown ? editor->keyDown(key) : editor->keyUp(key);
}

// Requests to the host.
VstIntPtr HostEffectEx::hostWantMidi(VstIntPtr filter) { return callHost(audioMasterWantMidi, 0, filter); }
void* HostEffectEx::hostGetTime(VstIntPtr filter) {
    return reinterpret_cast<void*>(callHost(audioMasterGetTime, 0, filter));
}
VstIntPtr HostEffectEx::hostTempoAt(VstIntPtr position) { return callHost(audioMasterTempoAt, 0, position); }
VstIntPtr HostEffectEx::hostGetNumAutomatableParameters() { return callHost(audioMasterGetNumAutomatableParameters); }
VstIntPtr HostEffectEx::hostGetParameterQuantization() { return callHost(audioMasterGetParameterQuantization); }
bool HostEffectEx::hostIOChanged() { return hostTruth(audioMasterIOChanged); }
bool HostEffectEx::hostNeedIdle() { return hostTruth(audioMasterNeedIdle); }
bool HostEffectEx::hostSizeWindow(std::int32_t width, std::int32_t height) {
    return hostTruth(audioMasterSizeWindow, width, height);
}
// The host is told, but the effect's own values are what it goes by.
float HostEffectEx::hostGetSampleRate() {
    callHost(audioMasterGetSampleRate);
    return getSampleRate();
}
std::int32_t HostEffectEx::hostGetBlockSize() {
    callHost(audioMasterGetBlockSize);
    return blockSize;
}
VstIntPtr HostEffectEx::hostGetInputLatency() { return callHost(audioMasterGetInputLatency); }
VstIntPtr HostEffectEx::hostGetOutputLatency() { return callHost(audioMasterGetOutputLatency); }
VstIntPtr HostEffectEx::hostGetPreviousPlug(std::int32_t) { return callHost(audioMasterGetPreviousPlug); }
VstIntPtr HostEffectEx::hostGetNextPlug(std::int32_t) { return callHost(audioMasterGetNextPlug); }
VstIntPtr HostEffectEx::hostWillReplaceOrAccumulate() { return callHost(audioMasterWillReplaceOrAccumulate); }
VstIntPtr HostEffectEx::hostGetCurrentProcessLevel() { return callHost(audioMasterGetCurrentProcessLevel); }
VstIntPtr HostEffectEx::hostGetAutomationState() { return callHost(audioMasterGetAutomationState); }
bool HostEffectEx::hostOfflineRead(void* offline, VstIntPtr option, std::int32_t readSource) {
    return hostTruth(audioMasterOfflineRead, readSource & 0xFF, option, offline);
}
bool HostEffectEx::hostOfflineWrite(void* offline, VstIntPtr option) {
    return hostTruth(audioMasterOfflineWrite, 0, option, offline);
}
bool HostEffectEx::hostOfflineStart(void* files, VstIntPtr count, std::int32_t newCount) {
    return hostTruth(audioMasterOfflineStart, newCount, count, files);
}
bool HostEffectEx::hostOfflineGetCurrentPass() { return hostTruth(audioMasterOfflineGetCurrentPass); }
bool HostEffectEx::hostOfflineGetCurrentMetaPass() { return hostTruth(audioMasterOfflineGetCurrentMetaPass); }
VstIntPtr HostEffectEx::hostSetOutputSampleRate(float rate) {
    return callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}
bool HostEffectEx::hostGetSpeakerArrangement(void* input, void* output) {
    return hostTruth(audioMasterGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(input), output);
}
bool HostEffectEx::hostGetVendorString(char* text) { return hostTruth(audioMasterGetVendorString, 0, 0, text); }
bool HostEffectEx::hostGetProductString(char* text) { return hostTruth(audioMasterGetProductString, 0, 0, text); }
VstIntPtr HostEffectEx::hostGetVendorVersion() { return callHost(audioMasterGetVendorVersion); }
VstIntPtr HostEffectEx::hostVendorSpecific(std::int32_t index, VstIntPtr value, void* ptr, float opt) {
    return callHost(audioMasterVendorSpecific, index, value, ptr, opt);
}
VstIntPtr HostEffectEx::hostCanDo(char* text) { return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0; }
VstIntPtr HostEffectEx::hostGetLanguage() { return callHost(audioMasterGetLanguage); }
VstIntPtr HostEffectEx::hostOpenWindow(void* window) { return callHost(audioMasterOpenWindow, 0, 0, window); }
bool HostEffectEx::hostCloseWindow(void* window) { return hostTruth(audioMasterCloseWindow, 0, 0, window); }
VstIntPtr HostEffectEx::hostGetDirectory() { return callHost(audioMasterGetDirectory); }
bool HostEffectEx::hostUpdateDisplay() { return hostTruth(audioMasterUpdateDisplay); }
bool HostEffectEx::hostBeginEdit(std::int32_t index) { return hostTruth(audioMasterBeginEdit, index); }
bool HostEffectEx::hostEndEdit(std::int32_t index) { return hostTruth(audioMasterEndEdit, index); }
bool HostEffectEx::hostOpenFileSelector(void* selector) {
    return selector != nullptr && hostTruth(audioMasterOpenFileSelector, 0, 0, selector);
}

// Defaults of the operations the host asks for.
VstIntPtr HostEffectEx::processEvents(void*) { return 0; }
bool HostEffectEx::canBeAutomated(std::int32_t) { return true; }
bool HostEffectEx::stringToParameter(std::int32_t, char*) { return false; }
VstIntPtr HostEffectEx::getNumProgramCategories() { return 1; }
bool HostEffectEx::getProgramNameIndexed(VstIntPtr, std::int32_t, char*) { return false; }
bool HostEffectEx::copyProgram(std::int32_t) { return false; }
void HostEffectEx::connectInput(std::int32_t, bool) {}
void HostEffectEx::connectOutput(std::int32_t, bool) {}
bool HostEffectEx::getInputProperties(std::int32_t, void*) { return false; }
bool HostEffectEx::getOutputProperties(std::int32_t, void*) { return false; }
VstIntPtr HostEffectEx::getPlugCategory() { return 0; }
VstIntPtr HostEffectEx::getCurrentPosition() { return 0; }
VstIntPtr HostEffectEx::getDestinationBuffer() { return 0; }
bool HostEffectEx::offlineNotify(void*, VstIntPtr, bool) { return false; }
bool HostEffectEx::offlinePrepare(void*, VstIntPtr) { return false; }
bool HostEffectEx::offlineRun(void*, VstIntPtr) { return false; }
bool HostEffectEx::processVarIo(void*) { return false; }
bool HostEffectEx::setSpeakerArrangement(void*, void*) { return false; }
void HostEffectEx::setBlockSizeAndSampleRate(std::int32_t size, float rate) {
    blockSize = size;
    sampleRate.store(rate, std::memory_order_relaxed);
}
bool HostEffectEx::setBypass(bool) { return false; }
bool HostEffectEx::getEffectName(char*) { return false; }
bool HostEffectEx::getErrorText(char*) { return false; }
bool HostEffectEx::getVendorString(char*) { return false; }
bool HostEffectEx::getProductString(char*) { return false; }
VstIntPtr HostEffectEx::getVendorVersion() { return 0; }
VstIntPtr HostEffectEx::vendorSpecific(std::int32_t, VstIntPtr, void*, float) { return 0; }
VstIntPtr HostEffectEx::canDo(char*) { return 0; }
VstIntPtr HostEffectEx::getIcon() { return 0; }
bool HostEffectEx::setViewPosition(std::int32_t, VstIntPtr) { return false; }
VstIntPtr HostEffectEx::getTailSize() { return 0; }
VstIntPtr HostEffectEx::effectIdle() { return 0; }
bool HostEffectEx::getParameterProperties(std::int32_t, void*) { return false; }
bool HostEffectEx::keysRequired() { return false; }
VstIntPtr HostEffectEx::getVstVersion() { return 2100; }
VstIntPtr HostEffectEx::getMidiProgramName(std::int32_t, void*) { return 0; }
VstIntPtr HostEffectEx::getCurrentMidiProgram(std::int32_t, void*) { return -1; }
VstIntPtr HostEffectEx::getMidiProgramCategory(std::int32_t, void*) { return 0; }
bool HostEffectEx::hasMidiProgramsChanged(std::int32_t) { return false; }
bool HostEffectEx::getMidiKeyName(std::int32_t, void*) { return false; }
bool HostEffectEx::beginSetProgram() { return false; }
bool HostEffectEx::endSetProgram() { return false; }

}  // namespace stipplewave
