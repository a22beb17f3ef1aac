// The built module, driven the way a host drives it: through its exported
// entry, the record and the dispatcher only.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "tools/hostlib/Effect.h"

namespace vsthost {
namespace {

using namespace stipplewave;

class ModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        module = PluginModule::load(STIPPLEWAVE_MODULE_PATH, error).release();
        ASSERT_NE(module, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete module;
        module = nullptr;
    }

    AEffect* instantiate() { return host.instantiate(module->entry()); }
    VstIntPtr dispatch(AEffect* e, std::int32_t opcode, std::int32_t index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    std::string text(AEffect* e, std::int32_t opcode, std::int32_t index = 0) {
        char buffer[256];
        std::memset(buffer, 0x55, sizeof buffer);
        buffer[sizeof buffer - 1] = 0;
        dispatch(e, opcode, index, 0, buffer);
        return buffer;
    }

    static PluginModule* module;
    TestHost host;
};

PluginModule* ModuleTest::module = nullptr;

bool allZero(const void* bytes, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        if (p[i] != 0) {
            return false;
        }
    }
    return true;
}

TEST_F(ModuleTest, TheRecordCarriesTheStepMixersIdentity) {
    AEffect* e = instantiate();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 35);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsHasEditor);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_EQ(e->uniqueID, 0x54564B31);
    EXPECT_EQ(e->version, 1);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    EXPECT_TRUE(allZero(e->future, sizeof e->future));
    EXPECT_EQ(host.close(e), 1);
}

TEST_F(ModuleTest, TheVersionQueryComesFirstWithANullRecord) {
    AEffect* e = instantiate();
    ASSERT_NE(e, nullptr);
    const auto requests = host.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(requests[0].effect, nullptr);
    for (std::size_t i = 1; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].effect, e) << "request " << i << " must name the effect's own record";
    }
    host.close(e);
}

TEST_F(ModuleTest, AHostAnsweringZeroToTheVersionGetsNothing) {
    host.setVersionAnswer(0);
    EXPECT_EQ(instantiate(), nullptr);
    const auto requests = host.requests();
    ASSERT_EQ(requests.size(), 1u) << "nothing is built, so nothing asks for the tempo";
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    host.setVersionAnswer(TestHost::kVersion);
    AEffect* e = instantiate();
    EXPECT_NE(e, nullptr) << "a refusal does not stick to the module";
    host.close(e);
}

TEST_F(ModuleTest, EntryWithoutACallbackGivesNoEffect) { EXPECT_EQ(module->entry()(nullptr), nullptr); }

TEST_F(ModuleTest, TwoInstancesAreIndependent) {
    AEffect* a = instantiate();
    AEffect* b = instantiate();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(a->object, b->object);
    a->setParameter(a, 0, 1.0f);
    char name[] = "Other";
    dispatch(b, effSetProgramName, 0, 0, name);
    EXPECT_EQ(a->getParameter(a, 0), 1.0f);
    EXPECT_EQ(b->getParameter(b, 0), 0.0f);
    EXPECT_EQ(text(a, effGetProgramName), "Default");
    EXPECT_EQ(text(b, effGetProgramName), "Other");
    EXPECT_EQ(host.close(a), 1);
    EXPECT_EQ(b->getParameter(b, 0), 0.0f);
    EXPECT_EQ(host.close(b), 1);
}

TEST_F(ModuleTest, ParametersStartAtTheDefaultPattern) {
    AEffect* e = instantiate();
    const float expected[35] = {0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1,
                                1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0.48f, 0, 1};
    for (std::int32_t i = 0; i < 35; ++i) {
        EXPECT_EQ(e->getParameter(e, i), expected[i]) << "parameter " << i;
    }
    std::uint32_t bits = 0;
    const float bpm = e->getParameter(e, 32);
    std::memcpy(&bits, &bpm, sizeof bits);
    EXPECT_EQ(bits, 0x3EF5C28Fu);
    host.close(e);
}

TEST_F(ModuleTest, OutOfRangeParameterIndicesAreIgnored) {
    AEffect* e = instantiate();
    for (std::int32_t index : {35, -1, 1000, -2147483647 - 1}) {
        e->setParameter(e, index, 1.0f);
        EXPECT_EQ(e->getParameter(e, index), 0.0f) << index;
    }
    for (std::int32_t i = 0; i < 35; ++i) {
        EXPECT_NE(e->getParameter(e, i), 1.0f + 1.0f) << "no write spilled into parameter " << i;
    }
    EXPECT_EQ(e->getParameter(e, 33), 0.0f);
    host.close(e);
}

TEST_F(ModuleTest, ParametersStoreAnyValueUnchanged) {
    AEffect* e = instantiate();
    for (float value : {0.5f, -3.0f, 7.25f, 1e30f}) {
        e->setParameter(e, 3, value);
        EXPECT_EQ(e->getParameter(e, 3), value);
    }
    host.close(e);
}

TEST_F(ModuleTest, NamesAndLabelsAreWrittenExactly) {
    AEffect* e = instantiate();
    const struct {
        std::int32_t index;
        const char* name;
        const char* label;
    } cases[] = {
        {0, "Left01 ON", "  on/off"},  {15, "Left16 ON", "  on/off"}, {16, "Righ01 ON", "  on/off"},
        {31, "Righ16 ON", "  on/off"}, {32, "  BPM    ", " percent"}, {33, "Randomize", " percent"},
        {34, "Exclusive", " on/off"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text(e, effGetParamName, c.index), c.name) << c.index;
        EXPECT_EQ(text(e, effGetParamLabel, c.index), c.label) << c.index;
    }
    for (std::int32_t i = 0; i < 35; ++i) {
        EXPECT_EQ(text(e, effGetParamName, i).size(), 9u) << i;
    }
    // Exactly ten bytes for "  BPM    ": the byte after the terminator is untouched.
    char buffer[16];
    std::memset(buffer, 0x55, sizeof buffer);
    dispatch(e, effGetParamName, 32, 0, buffer);
    EXPECT_EQ(buffer[9], 0);
    EXPECT_EQ(buffer[10], 0x55);
    host.close(e);
}

TEST_F(ModuleTest, QueriesWithoutAnAnswerLeaveTheHostsBufferAlone) {
    AEffect* e = instantiate();
    const struct {
        std::int32_t opcode;
        std::int32_t index;
    } cases[] = {{effGetParamName, 40}, {effGetParamName, -1}, {effGetParamLabel, 35},
                 {effGetParamDisplay, 0}, {effGetParamDisplay, 34}, {effGetEffectName, 0}};
    for (const auto& c : cases) {
        char buffer[8] = "keep";
        dispatch(e, c.opcode, c.index, 0, buffer);
        EXPECT_STREQ(buffer, "keep") << "opcode " << c.opcode << " index " << c.index;
    }
    host.close(e);
}

TEST_F(ModuleTest, ProgramNameIsKeptUpTo31Characters) {
    AEffect* e = instantiate();
    EXPECT_EQ(text(e, effGetProgramName), "Default");
    const struct {
        std::string given;
        std::string kept;
    } cases[] = {
        {"Short", "Short"},
        {"", ""},
        {std::string(31, 'a'), std::string(31, 'a')},
        {std::string(32, 'b'), std::string(31, 'b')},
        {std::string(300, 'c'), std::string(31, 'c')},
    };
    for (const auto& c : cases) {
        std::string name = c.given;
        dispatch(e, effSetProgramName, 0, 0, name.data());
        EXPECT_EQ(text(e, effGetProgramName), c.kept) << c.given.size() << " characters";
    }
    host.close(e);
}

TEST_F(ModuleTest, StepMixerAnswersTheDispatcher) {
    AEffect* e = instantiate();
    EXPECT_EQ(text(e, effGetVendorString), "Tarvik Software, Brenholt");
    EXPECT_EQ(text(e, effGetProductString), "Stipplewave VST");
    char buffer[64];
    EXPECT_EQ(dispatch(e, effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(e, effGetProductString, 0, 0, buffer), 1);
    const struct {
        std::int32_t opcode;
        VstIntPtr value;
        VstIntPtr answer;
    } cases[] = {
        {effGetVendorVersion, 0, 1}, {effIdentify, 0, 0x4E764566}, {effGetVstVersion, 0, 2100},
        {effKeysRequired, 0, 1},     {effGetVu, 0, 0},             {effGetNumProgramCategories, 0, 1},
        {effCanBeAutomated, 0, 1},   {effGetTailSize, 0, 0},       {effGetPlugCategory, 0, 0},
        {effGetChunk, 0, 0},         {69, 0, 0},                   {-1, 0, 0},
    };
    for (const auto& c : cases) {
        void* chunk = nullptr;
        EXPECT_EQ(dispatch(e, c.opcode, 0, c.value, &chunk), c.answer) << "opcode " << c.opcode;
    }
    char canDo[] = "receiveVstEvents";
    EXPECT_EQ(dispatch(e, effCanDo, 0, 0, canDo), 0);
    char unknown[] = "no such thing";
    EXPECT_EQ(dispatch(e, effCanDo, 0, 0, unknown), 0);
    host.close(e);
}

TEST_F(ModuleTest, ProgramNumbersAreCheckedAgainstTheOneProgram) {
    AEffect* e = instantiate();
    const struct {
        VstIntPtr program;
        VstIntPtr current;
    } steps[] = {{1, 0}, {0, 0}, {-1, -1}, {5, -1}, {0, 0}};
    for (const auto& s : steps) {
        EXPECT_EQ(dispatch(e, effSetProgram, 0, s.program), 0);
        EXPECT_EQ(dispatch(e, effGetProgram), s.current) << "after setting " << s.program;
    }
    host.close(e);
}

TEST_F(ModuleTest, MainsChangedAndSizesChangeNoParameter) {
    AEffect* e = instantiate();
    dispatch(e, effMainsChanged, 0, 1);
    dispatch(e, effMainsChanged, 0, 0);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effSetBlockSize, 0, 64);
    EXPECT_EQ(e->getParameter(e, 4), 1.0f);
    EXPECT_EQ(e->getParameter(e, 32), 0.48f);
    host.close(e);
}

TEST_F(ModuleTest, TempoFromTheHostBecomesTheBpmParameter) {
    const struct {
        VstIntPtr hostTempo;
        std::uint32_t bpmBits;
    } cases[] = {
        {0, 0x3EF5C28Fu},        // no tempo: 0.48 stands for 120 BPM
        {1200000, 0x3EF5C290u},  // 120 BPM from the host: 0.48000002
        {1500000, 0x3F19999Au},  // 150 BPM: 0.6
    };
    for (const auto& c : cases) {
        TestHost tempoHost;
        tempoHost.setTempo(c.hostTempo);
        AEffect* e = tempoHost.instantiate(module->entry());
        ASSERT_NE(e, nullptr);
        const float bpm = e->getParameter(e, 32);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &bpm, sizeof bits);
        EXPECT_EQ(bits, c.bpmBits) << c.hostTempo;
        const auto tempoQueries = tempoHost.requestsWithOpcode(audioMasterTempoAt);
        // Asked once to decide the source; a host that is the source is asked
        // again for the parameter and again at the construction's refresh.
        EXPECT_EQ(tempoQueries.size(), c.hostTempo != 0 ? 3u : 1u);
        for (const auto& q : tempoQueries) {
            EXPECT_EQ(q.value, 1) << "tempo is asked at sample position 1";
            EXPECT_EQ(q.index, 0);
        }
        tempoHost.close(e);
    }
}

}  // namespace
}  // namespace vsthost
