// Every request the effect can make of its host: the opcode, where each
// argument travels in the callback's operands, and what the effect makes of
// the answer, with and without a callback.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/HostEffectEx.h"

namespace stipplewave {
namespace {

struct Sent {
    AEffect* effect;
    std::int32_t opcode;
    std::int32_t index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

// The callback records what it receives and answers `nextAnswer`. Tests in
// one program run one at a time, so plain statics are enough here.
std::vector<Sent> sent;
VstIntPtr nextAnswer = 0;

VstIntPtr recordingCallback(AEffect* effect, std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                            float opt) {
    sent.push_back({effect, opcode, index, value, ptr, opt});
    return nextAnswer;
}

class PlainEffect : public HostEffectEx {
public:
    explicit PlainEffect(AudioMasterCallback callback) : HostEffectEx(callback, 1, 4) {}
    void process(float**, float**, std::int32_t) override {}
    void setParameter(std::int32_t index, float value) override {
        lastIndex = index;
        lastValue = value;
    }
    std::int32_t lastIndex = -100;
    float lastValue = -1.0f;
};

char textBuffer[16];
int dummyObject;
void* const kPtr = &dummyObject;

struct RequestCase {
    const char* name;
    std::function<VstIntPtr(PlainEffect&)> call;
    std::int32_t opcode;  // -1: no request is sent
    std::int32_t index;
    VstIntPtr value;
    void* ptr;
    float opt;
    VstIntPtr hostAnswer;
    VstIntPtr result;            // with the callback answering hostAnswer
    VstIntPtr resultNoCallback;  // without a callback
};

VstIntPtr asInt(bool b) { return b ? 1 : 0; }

const std::vector<RequestCase>& requestCases() {
    static const std::vector<RequestCase> cases = {
        {"setParameterAutomated", [](PlainEffect& e) { return e.setParameterAutomated(33, 0.5f); },
         audioMasterAutomate, 33, 0, nullptr, 0.5f, 9, 9, 0},
        {"hostVersion", [](PlainEffect& e) { return e.hostVersion(); }, audioMasterVersion, 0, 0, nullptr, 0, 2400,
         2400, 1},
        {"hostVersion answering 0", [](PlainEffect& e) { return e.hostVersion(); }, audioMasterVersion, 0, 0,
         nullptr, 0, 0, 1, 1},
        {"hostCurrentId", [](PlainEffect& e) { return e.hostCurrentId(); }, audioMasterCurrentId, 0, 0, nullptr, 0,
         5, 5, 0},
        {"hostIdle", [](PlainEffect& e) { return e.hostIdle(); }, audioMasterIdle, 0, 0, nullptr, 0, 3, 3, 0},
        {"hostPinConnected input, connected", [](PlainEffect& e) { return asInt(e.hostPinConnectedInput(1)); },
         audioMasterPinConnected, 1, 0, nullptr, 0, 0, 1, 1},
        {"hostPinConnected input, not connected", [](PlainEffect& e) { return asInt(e.hostPinConnectedInput(1)); },
         audioMasterPinConnected, 1, 0, nullptr, 0, 1, 0, 1},
        {"hostPinConnected output", [](PlainEffect& e) { return asInt(e.hostPinConnectedOutput(0)); },
         audioMasterPinConnected, 0, 1, nullptr, 0, 0, 1, 1},
        {"hostWantMidi", [](PlainEffect& e) { return e.hostWantMidi(6); }, audioMasterWantMidi, 0, 6, nullptr, 0, 1,
         1, 0},
        {"hostGetTime", [](PlainEffect& e) { return reinterpret_cast<VstIntPtr>(e.hostGetTime(0x200)); },
         audioMasterGetTime, 0, 0x200, nullptr, 0, reinterpret_cast<VstIntPtr>(kPtr),
         reinterpret_cast<VstIntPtr>(kPtr), 0},
        {"hostTempoAt", [](PlainEffect& e) { return e.hostTempoAt(1); }, audioMasterTempoAt, 0, 1, nullptr, 0,
         1200000, 1200000, 0},
        {"hostTempoAt negative answer", [](PlainEffect& e) { return e.hostTempoAt(1); }, audioMasterTempoAt, 0, 1,
         nullptr, 0, -5, -5, 0},
        {"hostGetNumAutomatableParameters", [](PlainEffect& e) { return e.hostGetNumAutomatableParameters(); },
         audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0, 8, 8, 0},
        {"hostGetParameterQuantization", [](PlainEffect& e) { return e.hostGetParameterQuantization(); },
         audioMasterGetParameterQuantization, 0, 0, nullptr, 0, 8, 8, 0},
        {"hostIOChanged", [](PlainEffect& e) { return asInt(e.hostIOChanged()); }, audioMasterIOChanged, 0, 0,
         nullptr, 0, 7, 1, 0},
        {"hostNeedIdle", [](PlainEffect& e) { return asInt(e.hostNeedIdle()); }, audioMasterNeedIdle, 0, 0, nullptr,
         0, 0, 0, 0},
        {"hostSizeWindow", [](PlainEffect& e) { return asInt(e.hostSizeWindow(278, 199)); }, audioMasterSizeWindow,
         278, 199, nullptr, 0, 1, 1, 0},
        {"hostGetSampleRate", [](PlainEffect& e) { return static_cast<VstIntPtr>(e.hostGetSampleRate()); },
         audioMasterGetSampleRate, 0, 0, nullptr, 0, 96000, 44100, 44100},
        {"hostGetBlockSize", [](PlainEffect& e) { return static_cast<VstIntPtr>(e.hostGetBlockSize()); },
         audioMasterGetBlockSize, 0, 0, nullptr, 0, 64, 1024, 1024},
        {"hostGetInputLatency", [](PlainEffect& e) { return e.hostGetInputLatency(); },
         audioMasterGetInputLatency, 0, 0, nullptr, 0, 12, 12, 0},
        {"hostGetOutputLatency", [](PlainEffect& e) { return e.hostGetOutputLatency(); },
         audioMasterGetOutputLatency, 0, 0, nullptr, 0, 12, 12, 0},
        {"hostGetPreviousPlug (pin not sent)", [](PlainEffect& e) { return e.hostGetPreviousPlug(3); },
         audioMasterGetPreviousPlug, 0, 0, nullptr, 0, 4, 4, 0},
        {"hostGetNextPlug (pin not sent)", [](PlainEffect& e) { return e.hostGetNextPlug(3); },
         audioMasterGetNextPlug, 0, 0, nullptr, 0, 4, 4, 0},
        {"hostWillReplaceOrAccumulate", [](PlainEffect& e) { return e.hostWillReplaceOrAccumulate(); },
         audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0, 1, 1, 0},
        {"hostGetCurrentProcessLevel", [](PlainEffect& e) { return e.hostGetCurrentProcessLevel(); },
         audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0, 2, 2, 0},
        {"hostGetAutomationState", [](PlainEffect& e) { return e.hostGetAutomationState(); },
         audioMasterGetAutomationState, 0, 0, nullptr, 0, 2, 2, 0},
        {"hostOfflineStart", [](PlainEffect& e) { return asInt(e.hostOfflineStart(kPtr, 5, 6)); },
         audioMasterOfflineStart, 6, 5, kPtr, 0, 1, 1, 0},
        {"hostOfflineRead (low 8 bits of the source)",
         [](PlainEffect& e) { return asInt(e.hostOfflineRead(kPtr, 4, 0x1203)); }, audioMasterOfflineRead, 0x03, 4,
         kPtr, 0, 1, 1, 0},
        {"hostOfflineWrite", [](PlainEffect& e) { return asInt(e.hostOfflineWrite(kPtr, 4)); },
         audioMasterOfflineWrite, 0, 4, kPtr, 0, 1, 1, 0},
        {"hostOfflineGetCurrentPass", [](PlainEffect& e) { return asInt(e.hostOfflineGetCurrentPass()); },
         audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0, 1, 1, 0},
        {"hostOfflineGetCurrentMetaPass", [](PlainEffect& e) { return asInt(e.hostOfflineGetCurrentMetaPass()); },
         audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0, 1, 1, 0},
        {"hostSetOutputSampleRate", [](PlainEffect& e) { return e.hostSetOutputSampleRate(48000.0f); },
         audioMasterSetOutputSampleRate, 0, 0, nullptr, 48000.0f, 1, 1, 0},
        {"hostGetSpeakerArrangement",
         [](PlainEffect& e) { return asInt(e.hostGetSpeakerArrangement(textBuffer, kPtr)); },
         audioMasterGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(textBuffer), kPtr, 0, 1, 1, 0},
        {"hostGetVendorString", [](PlainEffect& e) { return asInt(e.hostGetVendorString(textBuffer)); },
         audioMasterGetVendorString, 0, 0, textBuffer, 0, 1, 1, 0},
        {"hostGetProductString", [](PlainEffect& e) { return asInt(e.hostGetProductString(textBuffer)); },
         audioMasterGetProductString, 0, 0, textBuffer, 0, 1, 1, 0},
        {"hostGetVendorVersion", [](PlainEffect& e) { return e.hostGetVendorVersion(); },
         audioMasterGetVendorVersion, 0, 0, nullptr, 0, 3, 3, 0},
        {"hostVendorSpecific", [](PlainEffect& e) { return e.hostVendorSpecific(1, 2, kPtr, 3.5f); },
         audioMasterVendorSpecific, 1, 2, kPtr, 3.5f, 11, 11, 0},
        {"hostCanDo negative answer", [](PlainEffect& e) { return e.hostCanDo(textBuffer); }, audioMasterCanDo, 0,
         0, textBuffer, 0, -1, 1, 0},
        {"hostCanDo zero answer", [](PlainEffect& e) { return e.hostCanDo(textBuffer); }, audioMasterCanDo, 0, 0,
         textBuffer, 0, 0, 0, 0},
        {"hostGetLanguage", [](PlainEffect& e) { return e.hostGetLanguage(); }, audioMasterGetLanguage, 0, 0,
         nullptr, 0, 1, 1, 0},
        {"hostOpenWindow", [](PlainEffect& e) { return e.hostOpenWindow(kPtr); }, audioMasterOpenWindow, 0, 0, kPtr,
         0, 2, 2, 0},
        {"hostCloseWindow", [](PlainEffect& e) { return asInt(e.hostCloseWindow(kPtr)); }, audioMasterCloseWindow,
         0, 0, kPtr, 0, 2, 1, 0},
        {"hostGetDirectory", [](PlainEffect& e) { return e.hostGetDirectory(); }, audioMasterGetDirectory, 0, 0,
         nullptr, 0, 2, 2, 0},
        {"hostUpdateDisplay", [](PlainEffect& e) { return asInt(e.hostUpdateDisplay()); },
         audioMasterUpdateDisplay, 0, 0, nullptr, 0, 1, 1, 0},
        {"hostBeginEdit", [](PlainEffect& e) { return asInt(e.hostBeginEdit(33)); }, audioMasterBeginEdit, 33, 0,
         nullptr, 0, 1, 1, 0},
        {"hostEndEdit", [](PlainEffect& e) { return asInt(e.hostEndEdit(33)); }, audioMasterEndEdit, 33, 0, nullptr,
         0, 1, 1, 0},
        {"hostOpenFileSelector", [](PlainEffect& e) { return asInt(e.hostOpenFileSelector(kPtr)); },
         audioMasterOpenFileSelector, 0, 0, kPtr, 0, 1, 1, 0},
        {"hostOpenFileSelector with no selector", [](PlainEffect& e) { return asInt(e.hostOpenFileSelector(nullptr)); },
         -1, 0, 0, nullptr, 0, 1, 0, 0},
    };
    return cases;
}

TEST(HostRequests, EachRequestSendsItsOpcodeAndOperandsFromTheEffectsOwnRecord) {
    for (const RequestCase& c : requestCases()) {
        SCOPED_TRACE(c.name);
        sent.clear();
        nextAnswer = c.hostAnswer;
        PlainEffect effect(recordingCallback);
        EXPECT_EQ(c.call(effect), c.result);
        if (c.opcode < 0) {
            EXPECT_TRUE(sent.empty());
            continue;
        }
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].effect, effect.getRecord());
        EXPECT_EQ(sent[0].opcode, c.opcode);
        EXPECT_EQ(sent[0].index, c.index);
        EXPECT_EQ(sent[0].value, c.value);
        EXPECT_EQ(sent[0].ptr, c.ptr);
        EXPECT_EQ(sent[0].opt, c.opt);
    }
}

TEST(HostRequests, WithoutACallbackNothingIsSentAndTheFallbacksAnswer) {
    for (const RequestCase& c : requestCases()) {
        SCOPED_TRACE(c.name);
        sent.clear();
        PlainEffect effect(nullptr);
        EXPECT_EQ(c.call(effect), c.resultNoCallback);
        EXPECT_TRUE(sent.empty());
    }
}

TEST(HostRequests, AutomationSetsTheParameterFirstWithOrWithoutACallback) {
    for (AudioMasterCallback callback : {&recordingCallback, static_cast<AudioMasterCallback>(nullptr)}) {
        sent.clear();
        PlainEffect effect(callback);
        effect.setParameterAutomated(33, 0.5f);
        EXPECT_EQ(effect.lastIndex, 33);
        EXPECT_EQ(effect.lastValue, 0.5f);
    }
}

}  // namespace
}  // namespace stipplewave
