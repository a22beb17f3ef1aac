// The two dispatcher layers: every opcode reaches the operation it names,
// with the operands unpacked as hosts pass them, and answers the default.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorBase.h"
#include "host/HostEffectEx.h"

namespace stipplewave {
namespace {

struct Call {
    std::string operation;
    VstIntPtr first = 0;
    VstIntPtr second = 0;
};

// Records which virtual operation each opcode reached, then answers what
// the base class answers.
class RecordingEffect : public HostEffectEx {
public:
    RecordingEffect() : HostEffectEx(nullptr, 1, 4) {}
    std::vector<Call> calls;

#define RECORD0(name)               \
    calls.push_back({#name, 0, 0}); \
    return HostEffectEx::name()
#define RECORD(name, a, b, ...)                                                  \
    calls.push_back({#name, static_cast<VstIntPtr>(a), static_cast<VstIntPtr>(b)}); \
    return HostEffectEx::name(__VA_ARGS__)

    void process(float**, float**, std::int32_t) override {}
    void open() override { RECORD0(open); }
    void close() override { RECORD0(close); }
    std::int32_t getProgram() override { RECORD0(getProgram); }
    void setProgram(std::int32_t p) override { RECORD(setProgram, p, 0, p); }
    void setProgramName(char* n) override { RECORD(setProgramName, 0, 0, n); }
    void getProgramName(char* n) override { RECORD(getProgramName, 0, 0, n); }
    void getParameterLabel(std::int32_t i, char* t) override { RECORD(getParameterLabel, i, 0, i, t); }
    void getParameterDisplay(std::int32_t i, char* t) override { RECORD(getParameterDisplay, i, 0, i, t); }
    void getParameterName(std::int32_t i, char* t) override { RECORD(getParameterName, i, 0, i, t); }
    float getVu() override {
        calls.push_back({"getVu"});
        return vu;
    }
    VstIntPtr getChunk(void** d, bool p) override { RECORD(getChunk, p, 0, d, p); }
    VstIntPtr setChunk(void* d, VstIntPtr s, bool p) override { RECORD(setChunk, s, p, d, s, p); }
    void setSampleRate(float r) override { RECORD(setSampleRate, r, 0, r); }
    void setBlockSize(std::int32_t s) override { RECORD(setBlockSize, s, 0, s); }
    void mainsOff() override { RECORD0(mainsOff); }
    void mainsOn() override { RECORD0(mainsOn); }
    VstIntPtr processEvents(void* e) override { RECORD(processEvents, 0, 0, e); }
    bool canBeAutomated(std::int32_t i) override { RECORD(canBeAutomated, i, 0, i); }
    bool stringToParameter(std::int32_t i, char* t) override { RECORD(stringToParameter, i, 0, i, t); }
    VstIntPtr getNumProgramCategories() override { RECORD0(getNumProgramCategories); }
    bool getProgramNameIndexed(VstIntPtr c, std::int32_t i, char* t) override {
        RECORD(getProgramNameIndexed, c, i, c, i, t);
    }
    bool copyProgram(std::int32_t d) override { RECORD(copyProgram, d, 0, d); }
    void connectInput(std::int32_t i, bool c) override { RECORD(connectInput, i, c, i, c); }
    void connectOutput(std::int32_t i, bool c) override { RECORD(connectOutput, i, c, i, c); }
    bool getInputProperties(std::int32_t i, void* p) override { RECORD(getInputProperties, i, 0, i, p); }
    bool getOutputProperties(std::int32_t i, void* p) override { RECORD(getOutputProperties, i, 0, i, p); }
    VstIntPtr getPlugCategory() override { RECORD0(getPlugCategory); }
    VstIntPtr getCurrentPosition() override { RECORD0(getCurrentPosition); }
    VstIntPtr getDestinationBuffer() override { RECORD0(getDestinationBuffer); }
    bool offlineNotify(void* f, VstIntPtr c, bool s) override { RECORD(offlineNotify, c, s, f, c, s); }
    bool offlinePrepare(void* o, VstIntPtr c) override { RECORD(offlinePrepare, c, 0, o, c); }
    bool offlineRun(void* o, VstIntPtr c) override { RECORD(offlineRun, c, 0, o, c); }
    bool processVarIo(void* v) override { RECORD(processVarIo, 0, 0, v); }
    bool setSpeakerArrangement(void* i, void* o) override {
        RECORD(setSpeakerArrangement, reinterpret_cast<VstIntPtr>(i), reinterpret_cast<VstIntPtr>(o), i, o);
    }
    void setBlockSizeAndSampleRate(std::int32_t s, float r) override {
        RECORD(setBlockSizeAndSampleRate, s, r, s, r);
    }
    bool setBypass(bool on) override { RECORD(setBypass, on, 0, on); }
    bool getEffectName(char* t) override { RECORD(getEffectName, 0, 0, t); }
    bool getErrorText(char* t) override { RECORD(getErrorText, 0, 0, t); }
    bool getVendorString(char* t) override { RECORD(getVendorString, 0, 0, t); }
    bool getProductString(char* t) override { RECORD(getProductString, 0, 0, t); }
    VstIntPtr getVendorVersion() override { RECORD0(getVendorVersion); }
    VstIntPtr vendorSpecific(std::int32_t i, VstIntPtr v, void* p, float o) override {
        RECORD(vendorSpecific, i, v, i, v, p, o);
    }
    VstIntPtr canDo(char* t) override { RECORD(canDo, 0, 0, t); }
    VstIntPtr getIcon() override { RECORD0(getIcon); }
    bool setViewPosition(std::int32_t x, VstIntPtr y) override { RECORD(setViewPosition, x, y, x, y); }
    VstIntPtr getTailSize() override { RECORD0(getTailSize); }
    VstIntPtr effectIdle() override { RECORD0(effectIdle); }
    bool getParameterProperties(std::int32_t i, void* p) override { RECORD(getParameterProperties, i, 0, i, p); }
    bool keysRequired() override { RECORD0(keysRequired); }
    VstIntPtr getVstVersion() override { RECORD0(getVstVersion); }
    VstIntPtr getMidiProgramName(std::int32_t c, void* n) override { RECORD(getMidiProgramName, c, 0, c, n); }
    VstIntPtr getCurrentMidiProgram(std::int32_t c, void* n) override { RECORD(getCurrentMidiProgram, c, 0, c, n); }
    VstIntPtr getMidiProgramCategory(std::int32_t c, void* n) override {
        RECORD(getMidiProgramCategory, c, 0, c, n);
    }
    bool hasMidiProgramsChanged(std::int32_t c) override { RECORD(hasMidiProgramsChanged, c, 0, c); }
    bool getMidiKeyName(std::int32_t c, void* k) override { RECORD(getMidiKeyName, c, 0, c, k); }
    bool beginSetProgram() override { RECORD0(beginSetProgram); }
    bool endSetProgram() override { RECORD0(endSetProgram); }
#undef RECORD
#undef RECORD0

    float vu = 0.0f;
};

// Records the editor operations the dispatcher forwards.
class RecordingEditor : public EditorBase {
public:
    explicit RecordingEditor(HostEffect* owner) : EditorBase(owner) {}
    std::vector<Call> calls;
    ERect rect{0, 0, 199, 278};

    std::int32_t getRect(ERect** out) override {
        calls.push_back({"getRect"});
        *out = &rect;
        return 1;
    }
    std::int32_t open(void* parent) override {
        calls.push_back({"open", reinterpret_cast<VstIntPtr>(parent)});
        return 1;
    }
    void close() override { calls.push_back({"close"}); }
    void idle() override { calls.push_back({"idle"}); }
    std::int32_t keyDown(KeyCode& key) override {
        calls.push_back({"keyDown", key.character, key.virtualKey * 256 + key.modifiers});
        return EditorBase::keyDown(key);
    }
    std::int32_t keyUp(KeyCode& key) override {
        calls.push_back({"keyUp", key.character, key.virtualKey * 256 + key.modifiers});
        return EditorBase::keyUp(key);
    }
    std::int32_t setKnobMode(VstIntPtr mode) override {
        calls.push_back({"setKnobMode", mode});
        return 7;
    }
};

// Stands for "the ptr operand the host passed" in the table below.
constexpr VstIntPtr kThePtr = -7777;

struct DispatchCase {
    std::int32_t opcode;
    std::int32_t index;
    VstIntPtr value;
    float opt;
    VstIntPtr answer;
    const char* operation;  // nullptr: no operation is reached
    VstIntPtr first;
    VstIntPtr second;
};

// Opcodes with their default answers, the operation reached and the
// operands it received (first, second as recorded above).
const DispatchCase kEffectCases[] = {
    {effOpen, 0, 0, 0, 0, "open", 0, 0},
    {effClose, 0, 0, 0, 0, "close", 0, 0},
    {effSetProgram, 0, 0, 0, 0, "setProgram", 0, 0},
    {effSetProgram, 0, -1, 0, 0, "setProgram", -1, 0},
    {effSetProgram, 0, 1, 0, 0, nullptr, 0, 0},  // not below numPrograms: ignored
    {effGetProgram, 0, 0, 0, 0, "getProgram", 0, 0},
    {effSetProgramName, 0, 0, 0, 0, "setProgramName", 0, 0},
    {effGetProgramName, 0, 0, 0, 0, "getProgramName", 0, 0},
    {effGetParamLabel, 3, 0, 0, 0, "getParameterLabel", 3, 0},
    {effGetParamDisplay, 2, 0, 0, 0, "getParameterDisplay", 2, 0},
    {effGetParamName, 1, 0, 0, 0, "getParameterName", 1, 0},
    {effGetVu, 0, 0, 0, 0, "getVu", 0, 0},
    {effSetSampleRate, 0, 0, 48000.0f, 0, "setSampleRate", 48000, 0},
    {effSetBlockSize, 0, 512, 0, 0, "setBlockSize", 512, 0},
    {effMainsChanged, 0, 0, 0, 0, "mainsOff", 0, 0},
    {effMainsChanged, 0, 1, 0, 0, "mainsOn", 0, 0},
    {effMainsChanged, 0, -5, 0, 0, "mainsOn", 0, 0},
    {effEditDraw, 0, 0, 0, 0, nullptr, 0, 0},
    {effEditMouse, 0, 0, 0, 0, nullptr, 0, 0},
    {effEditKey, 0, 0, 0, 0, nullptr, 0, 0},
    {effEditTop, 0, 0, 0, 0, nullptr, 0, 0},
    {effEditSleep, 0, 0, 0, 0, nullptr, 0, 0},
    {effIdentify, 0, 0, 0, 0x4E764566, nullptr, 0, 0},
    {effGetChunk, 1, 0, 0, 0, "getChunk", 1, 0},
    {effSetChunk, 0, 99, 0, 0, "setChunk", 99, 0},
    {effProcessEvents, 0, 0, 0, 0, "processEvents", 0, 0},
    {effCanBeAutomated, 2, 0, 0, 1, "canBeAutomated", 2, 0},
    {effString2Parameter, 2, 0, 0, 0, "stringToParameter", 2, 0},
    {effGetNumProgramCategories, 0, 0, 0, 1, "getNumProgramCategories", 0, 0},
    {effGetProgramNameIndexed, 5, 6, 0, 0, "getProgramNameIndexed", 6, 5},
    {effCopyProgram, 3, 0, 0, 0, "copyProgram", 3, 0},
    {effConnectInput, 1, 1, 0, 1, "connectInput", 1, 1},
    {effConnectOutput, 1, 0, 0, 1, "connectOutput", 1, 0},
    {effGetInputProperties, 1, 0, 0, 0, "getInputProperties", 1, 0},
    {effGetOutputProperties, 1, 0, 0, 0, "getOutputProperties", 1, 0},
    {effGetPlugCategory, 0, 0, 0, 0, "getPlugCategory", 0, 0},
    {effGetCurrentPosition, 0, 0, 0, 0, "getCurrentPosition", 0, 0},
    {effGetDestinationBuffer, 0, 0, 0, 0, "getDestinationBuffer", 0, 0},
    {effOfflineNotify, 1, 4, 0, 0, "offlineNotify", 4, 1},
    {effOfflinePrepare, 0, 4, 0, 0, "offlinePrepare", 4, 0},
    {effOfflineRun, 0, 4, 0, 0, "offlineRun", 4, 0},
    {effProcessVarIo, 0, 0, 0, 0, "processVarIo", 0, 0},
    {effSetSpeakerArrangement, 0, 0x1234, 0, 0, "setSpeakerArrangement", 0x1234, kThePtr},
    {effSetBlockSizeAndSampleRate, 0, 256, 96000.0f, 1, "setBlockSizeAndSampleRate", 256, 96000},
    {effSetBypass, 0, 1, 0, 0, "setBypass", 1, 0},
    {effGetEffectName, 0, 0, 0, 0, "getEffectName", 0, 0},
    {effGetErrorText, 0, 0, 0, 0, "getErrorText", 0, 0},
    {effGetVendorString, 0, 0, 0, 0, "getVendorString", 0, 0},
    {effGetProductString, 0, 0, 0, 0, "getProductString", 0, 0},
    {effGetVendorVersion, 0, 0, 0, 0, "getVendorVersion", 0, 0},
    {effVendorSpecific, 7, 8, 0, 0, "vendorSpecific", 7, 8},
    {effCanDo, 0, 0, 0, 0, "canDo", 0, 0},
    {effGetTailSize, 0, 0, 0, 0, "getTailSize", 0, 0},
    {effIdle, 0, 0, 0, 0, "effectIdle", 0, 0},
    {effGetIcon, 0, 0, 0, 0, "getIcon", 0, 0},
    {effSetViewPosition, 10, 20, 0, 0, "setViewPosition", 10, 20},
    {effGetParameterProperties, 2, 0, 0, 0, "getParameterProperties", 2, 0},
    {effKeysRequired, 0, 0, 0, 1, "keysRequired", 0, 0},
    {effGetVstVersion, 0, 0, 0, 2100, "getVstVersion", 0, 0},
    {effGetMidiProgramName, 3, 0, 0, 0, "getMidiProgramName", 3, 0},
    {effGetCurrentMidiProgram, 3, 0, 0, -1, "getCurrentMidiProgram", 3, 0},
    {effGetMidiProgramCategory, 3, 0, 0, 0, "getMidiProgramCategory", 3, 0},
    {effHasMidiProgramsChanged, 3, 0, 0, 0, "hasMidiProgramsChanged", 3, 0},
    {effGetMidiKeyName, 3, 0, 0, 0, "getMidiKeyName", 3, 0},
    {effBeginSetProgram, 0, 0, 0, 0, "beginSetProgram", 0, 0},
    {effEndSetProgram, 0, 0, 0, 0, "endSetProgram", 0, 0},
    {69, 0, 0, 0, 0, nullptr, 0, 0},
    {-1, 0, 0, 0, 0, nullptr, 0, 0},
    {1000, 0, 0, 0, 0, nullptr, 0, 0},
    {-2147483647 - 1, 0, 0, 0, 0, nullptr, 0, 0},
};

TEST(Dispatcher, EachOpcodeReachesItsOperationWithItsDefaultAnswer) {
    for (const DispatchCase& c : kEffectCases) {
        SCOPED_TRACE("opcode " + std::to_string(c.opcode));
        RecordingEffect effect;
        char text[64] = "untouched";
        void* ptr = text;
        void* chunk = nullptr;
        if (c.opcode == effGetChunk) {
            ptr = &chunk;
        }
        EXPECT_EQ(effect.dispatcher(c.opcode, c.index, c.value, ptr, c.opt), c.answer);
        if (c.operation == nullptr) {
            EXPECT_TRUE(effect.calls.empty());
            continue;
        }
        ASSERT_EQ(effect.calls.size(), 1u);
        EXPECT_EQ(effect.calls[0].operation, c.operation);
        EXPECT_EQ(effect.calls[0].first, c.first);
        EXPECT_EQ(effect.calls[0].second, c.second == kThePtr ? reinterpret_cast<VstIntPtr>(ptr) : c.second);
    }
}

TEST(Dispatcher, EveryOpcodeFromZeroTo68IsCoveredByTheTable) {
    for (std::int32_t opcode = 0; opcode <= 68; ++opcode) {
        bool covered = opcode == effEditGetRect || opcode == effEditOpen || opcode == effEditClose ||
                       opcode == effEditIdle || (opcode >= effEditKeyDown && opcode <= effSetEditKnobMode);
        for (const DispatchCase& c : kEffectCases) {
            covered = covered || c.opcode == opcode;
        }
        EXPECT_TRUE(covered) << "opcode " << opcode;
    }
}

TEST(Dispatcher, DefaultsStoreTheHostsValues) {
    RecordingEffect effect;
    effect.dispatcher(effSetProgram, 0, -1, nullptr, 0);
    EXPECT_EQ(effect.dispatcher(effGetProgram, 0, 0, nullptr, 0), -1);
    effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect.dispatcher(effSetBlockSize, 0, 64, nullptr, 0);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 64);
    effect.dispatcher(effSetBlockSizeAndSampleRate, 0, 128, nullptr, 22050.0f);
    EXPECT_EQ(effect.getSampleRate(), 22050.0f);
    EXPECT_EQ(effect.getBlockSize(), 128);
}

TEST(Dispatcher, TextDefaultsWriteAnEmptyStringOrNothing) {
    RecordingEffect effect;
    for (std::int32_t opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        char text[8] = "xyz";
        effect.dispatcher(opcode, 0, 0, text, 0);
        EXPECT_STREQ(text, "") << "opcode " << opcode;
    }
    for (std::int32_t opcode : {effGetEffectName, effGetErrorText, effGetVendorString, effGetProductString}) {
        char text[8] = "xyz";
        effect.dispatcher(opcode, 0, 0, text, 0);
        EXPECT_STREQ(text, "xyz") << "opcode " << opcode;
    }
}

TEST(Dispatcher, VuIsScaledAndTruncatedTowardZeroAndSaturates) {
    const struct {
        float vu;
        VstIntPtr answer;
    } cases[] = {
        {0.0f, 0},
        {0.5f, 16383},
        {-0.5f, -16383},
        {1.0f, 32767},
        {1.0e30f, 2147483647},
        {-1.0e30f, -2147483647 - 1},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) {
        RecordingEffect effect;
        effect.vu = c.vu;
        EXPECT_EQ(effect.dispatcher(effGetVu, 0, 0, nullptr, 0), c.answer) << c.vu;
    }
}

TEST(Dispatcher, EditorOpcodesWithoutAnEditorAnswerZeroAndReachNothing) {
    RecordingEffect effect;
    ERect* rect = reinterpret_cast<ERect*>(&effect);
    for (std::int32_t opcode :
         {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown, effEditKeyUp, effSetEditKnobMode}) {
        EXPECT_EQ(effect.dispatcher(opcode, 65, 1, &rect, 0), 0) << opcode;
    }
    EXPECT_EQ(rect, reinterpret_cast<ERect*>(&effect));
    EXPECT_TRUE(effect.calls.empty());
}

TEST(Dispatcher, EditorOpcodesReachTheAttachedEditor) {
    RecordingEffect effect;
    auto* editor = new RecordingEditor(&effect);  // owned by the effect from here on
    EXPECT_EQ(effect.getRecord()->flags & effFlagsHasEditor, effFlagsHasEditor);

    ERect* rect = nullptr;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 1);
    EXPECT_EQ(rect, &editor->rect);
    int parent = 0;
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &parent, 0), 1);
    EXPECT_EQ(effect.dispatcher(effEditIdle, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(effect.dispatcher(effEditClose, 0, 0, nullptr, 0), 0);
    // Key records: character from index, virtual key from the low 8 bits of
    // value, modifiers from opt truncated toward zero (low 8 bits).
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'a', 0x1FF, nullptr, 5.9f), -1);
    EXPECT_EQ(effect.dispatcher(effEditKeyUp, 'b', 0x102, nullptr, 260.0f), -1);
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 0, 2, nullptr, 0), 7);
    // Editor opcodes that never reach the editor.
    for (std::int32_t opcode : {effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep}) {
        EXPECT_EQ(effect.dispatcher(opcode, 0, 0, nullptr, 0), 0);
    }

    ASSERT_EQ(editor->calls.size(), 7u);
    EXPECT_EQ(editor->calls[0].operation, "getRect");
    EXPECT_EQ(editor->calls[1].operation, "open");
    EXPECT_EQ(editor->calls[1].first, reinterpret_cast<VstIntPtr>(&parent));
    EXPECT_EQ(editor->calls[2].operation, "idle");
    EXPECT_EQ(editor->calls[3].operation, "close");
    EXPECT_EQ(editor->calls[4].operation, "keyDown");
    EXPECT_EQ(editor->calls[4].first, 'a');
    EXPECT_EQ(editor->calls[4].second, 0xFF * 256 + 5);
    EXPECT_EQ(editor->calls[5].operation, "keyUp");
    EXPECT_EQ(editor->calls[5].second, 0x02 * 256 + 4);
    EXPECT_EQ(editor->calls[6].operation, "setKnobMode");
    EXPECT_EQ(editor->calls[6].first, 2);
    EXPECT_TRUE(effect.calls.empty());
}

TEST(EditorBase, DefaultsAnswerAsAnEmptyEditor) {
    RecordingEffect effect;
    auto* editor = new EditorBase(&effect);
    ERect* rect = reinterpret_cast<ERect*>(&effect);
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(rect, nullptr);
    int parent = 0;
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &parent, 0), 0);
    EXPECT_EQ(editor->getParentWindow(), &parent);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 1, 2, nullptr, 3), -1);
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 0, 1, nullptr, 0), 0);
}

TEST(HostEffect, FlagSettersChangeOnlyTheirOwnBit) {
    RecordingEffect effect;
    AEffect* record = effect.getRecord();
    EXPECT_EQ(record->flags, 0);
    effect.setCanProcessReplacing(true);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
    EditorBase editor(nullptr);
    effect.setEditor(&editor);
    EXPECT_EQ(record->flags, effFlagsCanReplacing | effFlagsHasEditor);
    effect.setCanProcessReplacing(false);
    EXPECT_EQ(record->flags, effFlagsHasEditor);
    effect.setEditor(nullptr);
    EXPECT_EQ(record->flags, 0);
}

}  // namespace
}  // namespace stipplewave
