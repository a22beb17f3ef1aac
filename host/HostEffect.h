// HostEffect: the base of every effect. It embeds the record that the host
// keeps, answers dispatcher opcodes 0 to 24, owns the editor and wraps the
// basic host requests.
//
// Threading: the host may call the dispatcher from its user-interface thread
// while its audio thread runs the processing routines. The only field both
// sides touch is `sampleRate` (written by effSetSampleRate, read at each
// tempo refresh), so it is an atomic float with relaxed order: the audio
// thread needs the latest value at the next bar, not an ordering guarantee.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/AEffect.h"

namespace stipplewave {

class EditorBase;

class HostEffect {
public:
    HostEffect(AudioMasterCallback hostCallback, std::int32_t numPrograms, std::int32_t numParams);
    HostEffect(const HostEffect&) = delete;
    HostEffect& operator=(const HostEffect&) = delete;

    // Virtual operations, in slot order.
    virtual ~HostEffect();
    virtual void setParameter(std::int32_t index, float value);
    virtual float getParameter(std::int32_t index);
    virtual VstIntPtr setParameterAutomated(std::int32_t index, float value);
    virtual void process(float** inputs, float** outputs, std::int32_t sampleFrames) = 0;
    virtual void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames);
    virtual VstIntPtr dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr, float opt);
    virtual void open();
    virtual void close();
    virtual std::int32_t getProgram();
    virtual void setProgram(std::int32_t program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(std::int32_t index, char* label);
    virtual void getParameterDisplay(std::int32_t index, char* text);
    virtual void getParameterName(std::int32_t index, char* text);
    virtual float getVu();
    virtual VstIntPtr getChunk(void** data, bool isPreset);
    virtual VstIntPtr setChunk(void* data, VstIntPtr byteSize, bool isPreset);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(std::int32_t size);
    virtual void mainsOff();
    virtual void mainsOn();
    virtual void setCanProcessReplacing(bool on);
    virtual VstIntPtr hostVersion();
    virtual VstIntPtr hostCurrentId();
    virtual VstIntPtr hostIdle();
    virtual bool hostPinConnectedInput(std::int32_t input);
    virtual bool hostPinConnectedOutput(std::int32_t output);

    void setEditor(EditorBase* newEditor);
    EditorBase* getEditor() const { return editor; }
    AEffect* getRecord() { return &record; }
    AudioMasterCallback getHostCallback() const { return hostCallback; }
    float getSampleRate() const { return sampleRate.load(std::memory_order_relaxed); }
    std::int32_t getBlockSize() const { return blockSize; }
    std::int32_t getNumPrograms() const { return numPrograms; }
    std::int32_t getNumParams() const { return numParams; }

    // The effect behind a record handed out by this module.
    static HostEffect* fromRecord(AEffect* effect) { return static_cast<HostEffect*>(effect->object); }

protected:
    // One request to the host through its callback; `fallback` is the answer
    // when the effect has no callback.
    VstIntPtr callHost(std::int32_t opcode, std::int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f, VstIntPtr fallback = 0);
    // The editor opcodes of the base layer; 0 without an editor.
    VstIntPtr dispatchEditor(std::int32_t opcode, VstIntPtr value, void* ptr);

    std::atomic<float> sampleRate{44100.0f};
    EditorBase* editor = nullptr;
    AudioMasterCallback hostCallback;
    std::int32_t numPrograms;
    std::int32_t numParams;
    std::int32_t currentProgram = 0;
    std::int32_t blockSize = 1024;
    AEffect record;
};

}  // namespace stipplewave
