// The entry's own logic, with effects that a test makes: the version check,
// and a failed editor creation refusing only the effect it happened to.
#include <gtest/gtest.h>

#include <thread>

#include "host/HostEffectEx.h"
#include "host/Module.h"

namespace stipplewave {
namespace {

int effectsAlive = 0;
VstIntPtr versionAnswer = 2400;

VstIntPtr callback(AEffect*, std::int32_t opcode, std::int32_t, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? versionAnswer : 0;
}

class CountedEffect : public HostEffectEx {
public:
    explicit CountedEffect(AudioMasterCallback cb) : HostEffectEx(cb, 1, 1) { ++effectsAlive; }
    ~CountedEffect() override { --effectsAlive; }
    void process(float**, float**, std::int32_t) override {}
};

HostEffect* goodFactory(AudioMasterCallback cb) { return new CountedEffect(cb); }
HostEffect* editorFailsFactory(AudioMasterCallback cb) {
    auto* effect = new CountedEffect(cb);
    reportEditorCreationFailed();
    return effect;
}
HostEffect* nullFactory(AudioMasterCallback) { return nullptr; }

void closeRecord(AEffect* record) { record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f); }

TEST(Entry, AFailedEditorRefusesOnlyThatEffect) {
    versionAnswer = 2400;
    EXPECT_EQ(createEffect(callback, editorFailsFactory), nullptr);
    EXPECT_EQ(effectsAlive, 0) << "the refused effect is destroyed";
    AEffect* next = createEffect(callback, goodFactory);
    ASSERT_NE(next, nullptr) << "a later effect whose editor was made is handed out";
    EXPECT_EQ(effectsAlive, 1);
    closeRecord(next);
    EXPECT_EQ(effectsAlive, 0);
}

TEST(Entry, AFailureOnAnotherThreadDoesNotRefuseThisOne) {
    versionAnswer = 2400;
    std::thread other([] { EXPECT_EQ(createEffect(callback, editorFailsFactory), nullptr); });
    other.join();
    AEffect* mine = createEffect(callback, goodFactory);
    ASSERT_NE(mine, nullptr);
    closeRecord(mine);
}

TEST(Entry, VersionZeroOrNoCallbackOrNoEffectGivesNull) {
    versionAnswer = 0;
    EXPECT_EQ(createEffect(callback, goodFactory), nullptr);
    EXPECT_EQ(effectsAlive, 0) << "nothing is created when the host answers 0";
    versionAnswer = 2400;
    EXPECT_EQ(createEffect(nullptr, goodFactory), nullptr);
    EXPECT_EQ(createEffect(callback, nullFactory), nullptr);
    EXPECT_EQ(effectsAlive, 0);
}

TEST(Entry, CloseDestroysTheEffectAndAnswersOne) {
    versionAnswer = 2400;
    AEffect* record = createEffect(callback, goodFactory);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(HostEffect::fromRecord(record)->getRecord(), record);
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(effectsAlive, 0);
}

}  // namespace
}  // namespace stipplewave
