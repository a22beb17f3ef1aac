// The step gate seen from a host: the built module loaded by path and driven
// only through its entry and effect record. Every test processes on a fresh
// thread, because the module's flip generator is per thread.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/hostlib/AllocationCounter.h"
#include "tools/hostlib/Effect.h"

namespace {

using namespace stipplewave;
using vsthost::Effect;
using vsthost::PluginModule;
using vsthost::TestHost;

constexpr std::int32_t kBpmParam = 32;
constexpr std::int32_t kRandomizeParam = 33;
constexpr std::int32_t kExclusiveParam = 34;

template <typename Body>
void runOnFreshThread(Body&& body) {
    std::thread thread(std::forward<Body>(body));
    thread.join();
}

std::unique_ptr<PluginModule> loadModule() {
    std::string error;
    auto module = PluginModule::load(STIPPLEWAVE_MODULE_PATH, error);
    EXPECT_TRUE(module) << error;
    return module;
}

std::unique_ptr<Effect> openEffect(TestHost& host, const PluginModule& module) {
    std::string error;
    auto effect = Effect::open(host, module, error);
    EXPECT_TRUE(effect) << error;
    if (effect) {
        effect->dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        effect->dispatch(effSetBlockSize, 0, 512);
        effect->dispatch(effMainsChanged, 0, 1);
    }
    return effect;
}

// Feeds `frames` samples of constant left and right levels through the
// record in blocks, as a host does, and returns output channel 0 (channel 1
// is checked to be equal).
std::vector<float> run(Effect& effect, std::int64_t frames, std::int32_t blockSize, bool accumulate = false,
                       float left = 1.0f, float right = 2.0f, float preset = 0.0f) {
    std::vector<float> in0(blockSize, left), in1(blockSize, right), out0(blockSize), out1(blockSize);
    std::vector<float> result;
    for (std::int64_t done = 0; done < frames; done += blockSize) {
        const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(blockSize, frames - done));
        std::fill(out0.begin(), out0.end(), preset);
        std::fill(out1.begin(), out1.end(), preset);
        float* inputs[2] = {in0.data(), in1.data()};
        float* outputs[2] = {out0.data(), out1.data()};
        AEffect& record = effect.record();
        (accumulate ? record.process : record.processReplacing)(&record, inputs, outputs, count);
        EXPECT_TRUE(std::equal(out0.begin(), out0.begin() + count, out1.begin()));
        result.insert(result.end(), out0.begin(), out0.begin() + count);
    }
    return result;
}

TEST(StepGateModule, DefaultPatternThroughTheRecord) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    for (bool accumulate : {false, true}) {
        runOnFreshThread([&] {
            TestHost host;
            auto effect = openEffect(host, *module);
            ASSERT_TRUE(effect);
            ASSERT_TRUE(effect->record().flags & effFlagsCanReplacing);
            const std::vector<float> out = run(*effect, 22100, 512, accumulate, 1.0f, 2.0f, 0.25f);
            const float base = accumulate ? 0.25f : 0.0f;
            EXPECT_EQ(out[0], base + 2.0f);
            EXPECT_EQ(out[5513], base + 2.0f);
            EXPECT_EQ(out[22055], base + 2.0f);
            EXPECT_EQ(out[22056], base + 1.0f);
        });
    }
}

TEST(StepGateModule, HostTempoIsAskedAtBarBoundariesOnly) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    runOnFreshThread([&] {
        TestHost host;
        host.setTempo(1200000);
        auto effect = openEffect(host, *module);
        ASSERT_TRUE(effect);
        host.clearRequests();
        run(*effect, 88200, 512);
        EXPECT_TRUE(host.requests().empty()) << "no host call before the first bar boundary";
        host.setTempo(1500000);
        run(*effect, 1, 1);
        const auto requests = host.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].opcode, audioMasterTempoAt);
        EXPECT_EQ(effect->getParameter(kBpmParam), static_cast<float>(1500000) * 4e-7f);
        host.clearRequests();
        run(*effect, 70560, 4096);
        EXPECT_TRUE(host.requests().empty());
        run(*effect, 1, 1);
        EXPECT_EQ(host.requestsWithOpcode(audioMasterTempoAt).size(), 1u) << "150 BPM: 70561-sample bars";
    });
}

// All effects of the module that process on one thread draw from that
// thread's one generator: the second effect's flips follow draws 17 to 32.
TEST(StepGateModule, EffectsOnOneThreadShareTheGenerator) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    std::uint32_t state = 1;
    std::vector<bool> flips;
    for (int i = 0; i < 32; ++i) {
        state = state * 214013u + 2531011u;
        flips.push_back(((state >> 16) & 0x7FFFu) <= 16383u);
    }
    runOnFreshThread([&] {
        TestHost host;
        auto first = openEffect(host, *module);
        auto second = openEffect(host, *module);
        ASSERT_TRUE(first && second);
        std::vector<float> defaults;
        for (std::int32_t i = 0; i < 32; ++i) {
            defaults.push_back(first->getParameter(i));
        }
        for (Effect* effect : {first.get(), second.get()}) {
            effect->setParameter(kRandomizeParam, 1.0f);
            effect->setParameter(kExclusiveParam, 1.0f);
        }
        run(*first, 88201, 4096);
        run(*second, 88201, 4096);
        for (std::int32_t step = 0; step < 16; ++step) {
            for (int n = 0; n < 2; ++n) {
                Effect& effect = n == 0 ? *first : *second;
                const bool flipped = flips[static_cast<std::size_t>(16 * n + step)];
                const float left = defaults[step];
                const float right = defaults[16 + step];
                EXPECT_EQ(effect.getParameter(step), flipped ? (left == 0.0f ? 1.0f : 0.0f) : left)
                    << "effect " << n << " step " << step + 1;
                EXPECT_EQ(effect.getParameter(16 + step), flipped ? (right == 0.0f ? 1.0f : 0.0f) : right)
                    << "effect " << n << " step " << step + 1;
            }
        }
    });
}

TEST(StepGateModule, ZeroTempoFromTheHostStopsAndResumesTheClocks) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    runOnFreshThread([&] {
        TestHost host;
        host.setTempo(1200000);
        auto effect = openEffect(host, *module);
        ASSERT_TRUE(effect);
        run(*effect, 80000, 512);
        host.setTempo(0);
        const std::vector<float> held = run(*effect, 8201 + 200000, 4096);  // step 16 (left input) holds
        EXPECT_EQ(held.back(), 1.0f);
        EXPECT_EQ(effect->getParameter(kBpmParam), 0.0f);
        host.setTempo(1200000);
        host.clearRequests();
        const std::vector<float> resumed = run(*effect, 100, 100);
        EXPECT_EQ(host.requestsWithOpcode(audioMasterTempoAt).size(), 1u) << "asked once at the block's start";
        // Step 16 had 24 samples to go when the clocks stopped (its counter
        // at 5490 of 5513); then step 1 (right input) follows.
        EXPECT_EQ(resumed[23], 1.0f);
        EXPECT_EQ(resumed[24], 2.0f);
    });
}

// The first random flips on a thread touch the generator's per-thread slot:
// that must not allocate on the audio thread either.
TEST(StepGateModule, FirstFlipsOnAFreshThreadAllocateNothing) {
    if (!vsthost::allocationCountingAvailable()) {
        GTEST_SKIP() << "allocations can be counted only in a Linux build without sanitizers";
    }
    auto module = loadModule();
    ASSERT_TRUE(module);
    TestHost host;
    host.setTempo(1200000);
    auto effect = openEffect(host, *module);
    ASSERT_TRUE(effect);
    effect->setParameter(kRandomizeParam, 1.0f);
    effect->setParameter(kExclusiveParam, 0.0f);
    std::vector<float> in0(4096, 1.0f), in1(4096, 2.0f), out0(4096), out1(4096);
    float* inputs[2] = {in0.data(), in1.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    std::int64_t allocations = -1;
    const float before = effect->getParameter(0);
    runOnFreshThread([&] {
        vsthost::AllocationScope scope;
        AEffect& record = effect->record();
        for (int block = 0; block < 30; ++block) {  // through the first bar boundary
            record.processReplacing(&record, inputs, outputs, 4096);
        }
        allocations = scope.count();
    });
    EXPECT_EQ(allocations, 0);
    EXPECT_NE(effect->getParameter(0), before) << "the boundary flipped every switch";
}

}  // namespace
