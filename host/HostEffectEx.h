// HostEffectEx: the extended dispatcher layer (opcodes 25 to 68) and the
// rest of the host requests. Adds no state of its own.
#pragma once

#include "host/HostEffect.h"

namespace stipplewave {

class HostEffectEx : public HostEffect {
public:
    HostEffectEx(AudioMasterCallback hostCallback, std::int32_t numPrograms, std::int32_t numParams);

    VstIntPtr dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr, float opt) override;

    // Virtual operations added by this layer, in slot order.
    virtual VstIntPtr hostWantMidi(VstIntPtr filter);
    virtual void* hostGetTime(VstIntPtr filter);
    virtual VstIntPtr hostTempoAt(VstIntPtr position);
    virtual VstIntPtr processEvents(void* events);
    virtual VstIntPtr hostGetNumAutomatableParameters();
    virtual VstIntPtr hostGetParameterQuantization();
    virtual bool canBeAutomated(std::int32_t index);
    virtual bool stringToParameter(std::int32_t index, char* text);
    virtual VstIntPtr getNumProgramCategories();
    virtual bool getProgramNameIndexed(VstIntPtr category, std::int32_t index, char* text);
    virtual bool copyProgram(std::int32_t destination);
    virtual bool hostIOChanged();
    virtual bool hostNeedIdle();
    virtual bool hostSizeWindow(std::int32_t width, std::int32_t height);
    virtual float hostGetSampleRate();
    virtual std::int32_t hostGetBlockSize();
    virtual VstIntPtr hostGetInputLatency();
    virtual VstIntPtr hostGetOutputLatency();
    virtual VstIntPtr hostGetPreviousPlug(std::int32_t pin);
    virtual VstIntPtr hostGetNextPlug(std::int32_t pin);
    virtual void connectInput(std::int32_t index, bool connected);
    virtual void connectOutput(std::int32_t index, bool connected);
    virtual bool getInputProperties(std::int32_t index, void* properties);
    virtual bool getOutputProperties(std::int32_t index, void* properties);
    virtual VstIntPtr getPlugCategory();
    virtual VstIntPtr hostWillReplaceOrAccumulate();
    virtual VstIntPtr hostGetCurrentProcessLevel();
    virtual VstIntPtr hostGetAutomationState();
    virtual VstIntPtr getCurrentPosition();
    virtual VstIntPtr getDestinationBuffer();
    virtual bool hostOfflineRead(void* offline, VstIntPtr option, std::int32_t readSource);
    virtual bool hostOfflineWrite(void* offline, VstIntPtr option);
    virtual bool hostOfflineStart(void* files, VstIntPtr count, std::int32_t newCount);
    virtual bool hostOfflineGetCurrentPass();
    virtual bool hostOfflineGetCurrentMetaPass();
    virtual bool offlineNotify(void* files, VstIntPtr count, bool start);
    virtual bool offlinePrepare(void* offline, VstIntPtr count);
    virtual bool offlineRun(void* offline, VstIntPtr count);
    virtual VstIntPtr hostSetOutputSampleRate(float rate);
    virtual bool hostGetSpeakerArrangement(void* input, void* output);
    virtual bool hostGetVendorString(char* text);
    virtual bool hostGetProductString(char* text);
    virtual VstIntPtr hostGetVendorVersion();
    virtual VstIntPtr hostVendorSpecific(std::int32_t index, VstIntPtr value, void* ptr, float opt);
    virtual VstIntPtr hostCanDo(char* text);
    virtual VstIntPtr hostGetLanguage();
    virtual VstIntPtr hostOpenWindow(void* window);
    virtual bool hostCloseWindow(void* window);
    virtual VstIntPtr hostGetDirectory();
    virtual bool hostUpdateDisplay();
    virtual bool processVarIo(void* varIo);
    virtual bool setSpeakerArrangement(void* input, void* output);
    virtual void setBlockSizeAndSampleRate(std::int32_t size, float rate);
    virtual bool setBypass(bool on);
    virtual bool getEffectName(char* text);
    virtual bool getErrorText(char* text);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstIntPtr getVendorVersion();
    virtual VstIntPtr vendorSpecific(std::int32_t index, VstIntPtr value, void* ptr, float opt);
    virtual VstIntPtr canDo(char* text);
    virtual VstIntPtr getIcon();
    virtual bool setViewPosition(std::int32_t x, VstIntPtr y);
    virtual VstIntPtr getTailSize();
    virtual VstIntPtr effectIdle();
    virtual bool getParameterProperties(std::int32_t index, void* properties);
    virtual bool keysRequired();
    virtual VstIntPtr getVstVersion();
    virtual VstIntPtr getMidiProgramName(std::int32_t channel, void* name);
    virtual VstIntPtr getCurrentMidiProgram(std::int32_t channel, void* name);
    virtual VstIntPtr getMidiProgramCategory(std::int32_t channel, void* category);
    virtual bool hasMidiProgramsChanged(std::int32_t channel);
    virtual bool getMidiKeyName(std::int32_t channel, void* keyName);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual bool hostBeginEdit(std::int32_t index);
    virtual bool hostEndEdit(std::int32_t index);
    virtual bool hostOpenFileSelector(void* selector);

private:
    VstIntPtr dispatchEditorKeys(std::int32_t opcode, std::int32_t index, VstIntPtr value, float opt);
    bool hostTruth(std::int32_t opcode, std::int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
        return callHost(opcode, index, value, ptr, opt, 0) != 0;
    }
};

}  // namespace stipplewave
