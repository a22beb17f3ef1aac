// The step gate driven directly: clock boundaries, the two processing
// routines, buffer sharing, random flips, tempo refreshes, a stopped tempo
// and hostile parameter values. Every test that processes audio runs on a
// fresh thread, because the flip generator's state is per thread.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/Random.h"
#include "engine/StepClock.h"
#include "engine/Tempo.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/ReferenceStepGate.h"

namespace stipplewave {
namespace {

using namespace enginetest;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr std::int32_t kMaxCounter = std::numeric_limits<std::int32_t>::max();

// Two input channels with constant levels and two output channels.
struct Buffers {
    Buffers(std::size_t frames, float left, float right, float preset = 0.0f)
        : in0(frames, left), in1(frames, right), out0(frames, preset), out1(frames, preset) {}
    float** inputs() {
        inPtr[0] = in0.data();
        inPtr[1] = in1.data();
        return inPtr;
    }
    float** outputs() {
        outPtr[0] = out0.data();
        outPtr[1] = out1.data();
        return outPtr;
    }
    std::vector<float> in0, in1, out0, out1;
    float* inPtr[2] = {};
    float* outPtr[2] = {};
};

struct ClockEvents {
    std::vector<std::int64_t> barBoundaries;
    std::vector<std::int64_t> stepChanges;
};

// Processes `frames` samples one at a time, numbering them from `first`, and
// notes the samples that were bar boundaries or changed the step.
ClockEvents traceClocks(StepMixer& effect, std::int64_t frames, std::int64_t first = 0) {
    ClockEvents events;
    Buffers one(1, 0.0f, 0.0f);
    for (std::int64_t i = 0; i < frames; ++i) {
        const std::int32_t stepBefore = effect.getStep();
        const std::int32_t barBefore = effect.getBarCounter();
        const bool barWasStopped = clockStopped(effect.getSamplesPerBar());
        effect.processReplacing(one.inputs(), one.outputs(), 1);
        if (effect.getBarCounter() == 0 && !(barBefore == 0 && barWasStopped)) {
            events.barBoundaries.push_back(first + i);
        }
        if (effect.getStep() != stepBefore) {
            events.stepChanges.push_back(first + i);
        }
    }
    return events;
}

std::vector<std::int64_t> gaps(const std::vector<std::int64_t>& indices) {
    std::vector<std::int64_t> result;
    for (std::size_t i = 1; i < indices.size(); ++i) {
        result.push_back(indices[i] - indices[i - 1]);
    }
    return result;
}

std::vector<float> switches(StepMixer& effect) {
    std::vector<float> values;
    for (std::int32_t i = 0; i < 32; ++i) {
        values.push_back(effect.getParameter(i));
    }
    return values;
}

std::vector<float> toggled(std::vector<float> values) {
    for (float& value : values) {
        value = value == 0.0f ? 1.0f : 0.0f;
    }
    return values;
}

// --- Clock boundaries -------------------------------------------------------

TEST(StepGate, DefaultPatternAtDefaultTempoInBlocksOfAnySize) {
    // Left input 1.0, right input 2.0: right-only steps give 2, left-only 1.
    struct Expected {
        std::size_t sample;
        float output;
    };
    const Expected expected[] = {
        {0, 2.0f},     {5513, 2.0f},  // step 1 ends after sample 5513
        {5514, 2.0f},  {11027, 2.0f}, {22055, 2.0f},  // steps 2 to 4
        {22056, 1.0f},                                // step 5, the first left-only step
        {44111, 1.0f}, {44112, 2.0f},                 // step 9 back to the right input
        {66167, 2.0f}, {66168, 1.0f}, {88223, 1.0f}, {88224, 2.0f},  // 16 steps take 88224 samples
    };
    const std::int32_t total = 90000;
    for (std::int32_t blockSize : {1, 64, 5513, 5514, 88201, total}) {
        runOnFreshThread([&] {
            FakeHost host;
            ScopedHost scope(host);
            TestStepMixer effect;
            Buffers buffers(total, 1.0f, 2.0f, -7.0f);
            for (std::int32_t done = 0; done < total; done += blockSize) {
                const std::int32_t count = std::min(blockSize, total - done);
                float* in[2] = {buffers.in0.data() + done, buffers.in1.data() + done};
                float* out[2] = {buffers.out0.data() + done, buffers.out1.data() + done};
                effect.processReplacing(in, out, count);
            }
            for (const Expected& e : expected) {
                EXPECT_EQ(buffers.out0[e.sample], e.output) << "block " << blockSize << " sample " << e.sample;
            }
            EXPECT_EQ(buffers.out0, buffers.out1) << "block " << blockSize;
            EXPECT_EQ(host.otherRequests.load(), 0);
        });
    }
}

TEST(StepGate, FirstBarBoundaryAt88200AndThenEvery88201) {
    runOnFreshThread([] {
        FakeHost host;
        ScopedHost scope(host);
        TestStepMixer effect;
        const std::vector<float> before = switches(effect);
        const ClockEvents events = traceClocks(effect, 3 * 88201 + 10);
        EXPECT_EQ(events.barBoundaries, (std::vector<std::int64_t>{88200, 88200 + 88201, 88200 + 2 * 88201}));
        EXPECT_EQ(gaps(events.stepChanges), std::vector<std::int64_t>(events.stepChanges.size() - 1, 5514));
        EXPECT_EQ(events.stepChanges.front(), 5513);
        EXPECT_EQ(switches(effect), before) << "Randomize 0 flips nothing";
        EXPECT_EQ(host.tempoQueries.load(), 1) << "no host tempo: asked once, at construction";
    });
}

// --- The two routines and their buffers --------------------------------------

TEST(StepGate, ProcessAddsAndProcessReplacingOverwrites) {
    struct Case {
        bool accumulate;
        float preset;
        float atStart;   // sample 0, step 1: right input only
        float atStep5;   // sample 22056: left input only
    };
    const Case cases[] = {
        {true, 0.25f, 2.25f, 1.25f},
        {true, -2.0f, 0.0f, -1.0f},
        {false, 0.25f, 2.0f, 1.0f},
        {false, kNaN, 2.0f, 1.0f},
    };
    for (const Case& c : cases) {
        runOnFreshThread([&] {
            FakeHost host;
            ScopedHost scope(host);
            TestStepMixer effect;
            Buffers buffers(22057, 1.0f, 2.0f, c.preset);
            if (c.accumulate) {
                effect.process(buffers.inputs(), buffers.outputs(), 22057);
            } else {
                effect.processReplacing(buffers.inputs(), buffers.outputs(), 22057);
            }
            for (const std::vector<float>* out : {&buffers.out0, &buffers.out1}) {
                EXPECT_EQ((*out)[0], c.atStart) << "accumulate " << c.accumulate << " preset " << c.preset;
                EXPECT_EQ((*out)[22056], c.atStep5) << "accumulate " << c.accumulate << " preset " << c.preset;
            }
        });
    }
}

TEST(StepGate, BlocksOfZeroOrNegativeSizeTouchNothing) {
    runOnFreshThread([] {
        FakeHost host;
        host.tempo = 1200000;
        ScopedHost scope(host);
        TestStepMixer effect;
        effect.setClocks(88200, 5513, 3);  // the next sample would be a boundary of both clocks
        const int queries = host.tempoQueries.load();
        Buffers buffers(8, 1.0f, 2.0f, 0.5f);
        for (std::int32_t frames : {0, -1, -4096, std::numeric_limits<std::int32_t>::min()}) {
            effect.process(buffers.inputs(), buffers.outputs(), frames);
            effect.processReplacing(buffers.inputs(), buffers.outputs(), frames);
        }
        EXPECT_EQ(buffers.out0, std::vector<float>(8, 0.5f));
        EXPECT_EQ(buffers.out1, std::vector<float>(8, 0.5f));
        EXPECT_EQ(effect.getBarCounter(), 88200);
        EXPECT_EQ(effect.getSixteenthCounter(), 5513);
        EXPECT_EQ(effect.getStep(), 3);
        EXPECT_EQ(host.tempoQueries.load(), queries);
    });
}

// Inputs and outputs may be the very same arrays, in any combination.
TEST(StepGate, SharedInputAndOutputBuffersMatchTheSampleBySampleRule) {
    enum Slot { In0, In1, Out0, Out1 };
    struct Layout {
        const char* name;
        Slot out0;
        Slot out1;
    };
    const Layout layouts[] = {
        {"separate", Out0, Out1}, {"in place", In0, In1},       {"crossed", In1, In0},
        {"both on left input", In0, In0}, {"both on one output", Out0, Out0}, {"left in place", In0, Out1},
    };
    const std::int32_t frames = 30000;  // crosses several step changes
    for (const Layout& layout : layouts) {
        for (bool accumulate : {false, true}) {
            runOnFreshThread([&] {
                FakeHost host;
                ScopedHost scope(host);
                TestStepMixer effect;
                reference::ReferenceStepGate reference([] { return VstIntPtr{0}; }, 44100.0f);
                std::vector<float> a[4];
                std::vector<float> b[4];
                for (int s = 0; s < 4; ++s) {
                    a[s].resize(frames);
                    for (std::int32_t i = 0; i < frames; ++i) {
                        a[s][i] = static_cast<float>((i * (s + 3)) % 101) / 50.0f - 1.0f;
                    }
                    b[s] = a[s];
                }
                float* inA[2] = {a[In0].data(), a[In1].data()};
                float* outA[2] = {a[layout.out0].data(), a[layout.out1].data()};
                float* inB[2] = {b[In0].data(), b[In1].data()};
                float* outB[2] = {b[layout.out0].data(), b[layout.out1].data()};
                for (std::int32_t done = 0; done < frames; done += 1000) {
                    float* ia[2] = {inA[0] + done, inA[1] + done};
                    float* oa[2] = {outA[0] + done, outA[1] + done};
                    float* ib[2] = {inB[0] + done, inB[1] + done};
                    float* ob[2] = {outB[0] + done, outB[1] + done};
                    if (accumulate) {
                        effect.process(ia, oa, 1000);
                        reference.process(ib, ob, 1000);
                    } else {
                        effect.processReplacing(ia, oa, 1000);
                        reference.processReplacing(ib, ob, 1000);
                    }
                }
                for (int s = 0; s < 4; ++s) {
                    EXPECT_EQ(a[s], b[s]) << layout.name << (accumulate ? " process" : " processReplacing")
                                          << " array " << s;
                }
            });
        }
    }
}

// --- Random flips -----------------------------------------------------------

TEST(StepGate, ExclusiveFlipsFollowTheFreshThreadsFirstDraws) {
    runOnFreshThread([] {
        FakeHost host;
        ScopedHost scope(host);
        TestStepMixer effect;
        CountingEditor* editor = attachCountingEditor(effect);
        effect.setParameter(StepMixer::kRandomizeParam, 1.0f);
        effect.setParameter(StepMixer::kExclusiveParam, 1.0f);
        const std::vector<float> before = switches(effect);
        Buffers buffers(88200, 1.0f, 2.0f);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 88200);
        EXPECT_EQ(switches(effect), before) << "nothing flips before the boundary";
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 1);  // sample 88200: the boundary

        // Draws 41, 18467, 6334, 26500: steps 1 and 3 flip (draw <= 16383),
        // steps 2 and 4 do not; a flip swaps the differing switches.
        struct StepCase {
            std::int32_t step;
            float left;
            float right;
        };
        const StepCase cases[] = {{0, 1.0f, 0.0f}, {1, 0.0f, 1.0f}, {2, 1.0f, 0.0f}, {3, 0.0f, 1.0f}};
        for (const StepCase& c : cases) {
            EXPECT_EQ(effect.getParameter(c.step), c.left) << "step " << c.step + 1;
            EXPECT_EQ(effect.getParameter(16 + c.step), c.right) << "step " << c.step + 1;
        }
        // One update per flipped step, as many as the 16 draws at or below 16383.
        std::uint32_t state = 1;
        int flippedSteps = 0;
        for (int i = 0; i < 16; ++i) {
            state = state * 214013u + 2531011u;
            flippedSteps += ((state >> 16) & 0x7FFFu) <= 16383u ? 1 : 0;
        }
        EXPECT_EQ(editor->updates.load(), flippedSteps);
        int changedSteps = 0;
        for (std::int32_t i = 0; i < 16; ++i) {
            changedSteps += effect.getParameter(i) != before[i] ? 1 : 0;
            EXPECT_EQ(effect.getParameter(i) != before[i], effect.getParameter(16 + i) != before[16 + i]);
        }
        EXPECT_EQ(changedSteps, flippedSteps);
    });
}

TEST(StepGate, RandomizeOneWithoutExclusiveFlipsEverySwitchAtEveryBoundary) {
    struct Case {
        const char* name;
        float bpmParameter;
        std::int64_t samples;
    };
    // At 10^5 × 250 beats per minute a bar lasts 2 samples, so the sequence
    // soon reaches the largest draw, 32767, which must flip too.
    const Case cases[] = {{"120 BPM", 0.48f, 3 * 88201 + 100}, {"two-sample bars", 1e5f, 4000}};
    for (const Case& c : cases) {
        runOnFreshThread([&] {
            FakeHost host;
            ScopedHost scope(host);
            TestStepMixer effect;
            CountingEditor* editor = attachCountingEditor(effect);
            effect.setParameter(StepMixer::kBpmParam, c.bpmParameter);
            effect.setParameter(StepMixer::kRandomizeParam, 1.0f);
            effect.setParameter(StepMixer::kExclusiveParam, 0.0f);
            if (c.bpmParameter != 0.48f) {
                effect.setClocks(88200, 0, 0);  // the next sample refreshes the tempo
                Buffers one(1, 0.0f, 0.0f);
                effect.processReplacing(one.inputs(), one.outputs(), 1);
            }
            int boundaries = 0;
            const int updatesBefore = editor->updates.load();
            Buffers one(1, 0.0f, 0.0f);
            for (std::int64_t i = 0; i < c.samples; ++i) {
                const std::vector<float> before = switches(effect);
                effect.processReplacing(one.inputs(), one.outputs(), 1);
                if (effect.getBarCounter() == 0) {
                    ++boundaries;
                    ASSERT_EQ(switches(effect), toggled(before)) << c.name << " boundary " << boundaries;
                } else {
                    ASSERT_EQ(switches(effect), before) << c.name << " sample " << i;
                }
            }
            EXPECT_GE(boundaries, 3) << c.name;
            EXPECT_EQ(editor->updates.load() - updatesBefore, 32 * boundaries) << c.name;
        });
    }
    // The two-sample case above draws 32 × ~2000 values: make sure 32767 is among them.
    std::uint32_t state = 1;
    std::int64_t firstLargest = -1;
    for (std::int64_t i = 0; i < 32 * 1990 && firstLargest < 0; ++i) {
        state = state * 214013u + 2531011u;
        if (((state >> 16) & 0x7FFFu) == 32767u) {
            firstLargest = i;
        }
    }
    EXPECT_GE(firstLargest, 0) << "the case no longer covers the largest draw";
}

TEST(StepGate, RandomizeZeroOrBelowDrawsNothing) {
    for (float randomize : {0.0f, -0.0f, -1.0f, kNaN, -kInf}) {
        runOnFreshThread([&] {
            FakeHost host;
            ScopedHost scope(host);
            TestStepMixer effect;
            CountingEditor* editor = attachCountingEditor(effect);
            effect.setParameter(StepMixer::kRandomizeParam, randomize);
            effect.setParameter(StepMixer::kExclusiveParam, 0.0f);
            const std::vector<float> before = switches(effect);
            Buffers buffers(88201 * 2, 1.0f, 1.0f);
            effect.processReplacing(buffers.inputs(), buffers.outputs(), 88201 * 2);
            EXPECT_EQ(switches(effect), before) << "randomize " << randomize;
            EXPECT_EQ(editor->updates.load(), 0) << "randomize " << randomize;
            // The generator was left alone: it still starts at state 1.
            EXPECT_EQ(nextRandomDraw(), 41) << "randomize " << randomize;
        });
    }
}

// --- Tempo refreshes --------------------------------------------------------

TEST(StepGate, SampleRateAndBpmChangesWaitForTheNextBarBoundary) {
    struct Case {
        const char* name;
        float sampleRate;
        float bpmParameter;
        float samplesPerBar;
        std::int64_t barSamples;
        std::int64_t stepSamples;
    };
    const Case cases[] = {
        {"48 kHz", 48000.0f, 0.48f, 96000.0f, 96001, 6001},
        {"150 BPM", 44100.0f, 0.6f, 70560.0f, 70561, 4411},
    };
    for (const Case& c : cases) {
        runOnFreshThread([&] {
            FakeHost host;
            ScopedHost scope(host);
            TestStepMixer effect;
            traceClocks(effect, 1000);
            effect.setSampleRate(c.sampleRate);
            effect.setParameter(StepMixer::kBpmParam, c.bpmParameter);
            const ClockEvents firstBar = traceClocks(effect, 88200 - 1000, 1000);
            EXPECT_EQ(effect.getSamplesPerBar(), 88200.0f) << c.name << ": old length until the boundary";
            EXPECT_TRUE(firstBar.barBoundaries.empty()) << c.name;
            EXPECT_EQ(gaps(firstBar.stepChanges), std::vector<std::int64_t>(firstBar.stepChanges.size() - 1, 5514))
                << c.name;
            const ClockEvents later = traceClocks(effect, 3 * c.barSamples + 1, 88200);
            EXPECT_EQ(effect.getSamplesPerBar(), c.samplesPerBar) << c.name;
            ASSERT_GE(later.barBoundaries.size(), 3u) << c.name;
            EXPECT_EQ(later.barBoundaries[0], 88200) << c.name;
            EXPECT_EQ(gaps(later.barBoundaries), std::vector<std::int64_t>(later.barBoundaries.size() - 1, c.barSamples))
                << c.name;
            // The step that was running at the boundary ends by the new length.
            const std::vector<std::int64_t> stepGaps = gaps(later.stepChanges);
            EXPECT_EQ(std::vector<std::int64_t>(stepGaps.begin() + 1, stepGaps.end()),
                      std::vector<std::int64_t>(stepGaps.size() - 1, c.stepSamples))
                << c.name;
        });
    }
}

TEST(StepGate, HostTempoIsAskedAtEveryBarBoundaryAndFollowed) {
    runOnFreshThread([] {
        FakeHost host;
        host.tempo = 1200000;
        ScopedHost scope(host);
        TestStepMixer effect;
        EXPECT_EQ(host.tempoQueries.load(), 3) << "construction: first answer, the value, the refresh";
        EXPECT_EQ(effect.getParameter(StepMixer::kBpmParam), bpmParameterFromHost(1200000));
        Buffers buffers(88200, 1.0f, 2.0f);
        for (int block = 0; block < 10; ++block) {
            effect.processReplacing(buffers.inputs(), buffers.outputs(), 8820);
        }
        EXPECT_EQ(host.tempoQueries.load(), 3) << "not asked per block";
        host.tempo = 1500000;
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 1);  // sample 88200: the boundary
        EXPECT_EQ(host.tempoQueries.load(), 4);
        EXPECT_EQ(effect.getParameter(StepMixer::kBpmParam), bpmParameterFromHost(1500000));
        EXPECT_EQ(effect.getSamplesPerBar(), 70560.0f);
        effect.setParameter(StepMixer::kBpmParam, 0.2f);  // the host's tempo wins at the next boundary
        const ClockEvents events = traceClocks(effect, 2 * 70561);
        EXPECT_EQ(events.barBoundaries, (std::vector<std::int64_t>{70560, 2 * 70561 - 1}));
        EXPECT_EQ(host.tempoQueries.load(), 6);
        EXPECT_EQ(effect.getParameter(StepMixer::kBpmParam), bpmParameterFromHost(1500000));
        EXPECT_EQ(host.otherRequests.load(), 0);
    });
}

TEST(StepGate, HostWithoutTempoAtStartIsNeverAskedAgain) {
    runOnFreshThread([] {
        FakeHost host;
        ScopedHost scope(host);
        TestStepMixer effect;
        host.tempo = 1500000;  // answers only after construction: too late
        Buffers buffers(88201 * 3, 1.0f, 2.0f);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 88201 * 3);
        EXPECT_EQ(host.tempoQueries.load(), 1);
        EXPECT_EQ(effect.getParameter(StepMixer::kBpmParam), kDefaultBpmParameter);
    });
}

// --- A tempo the clocks cannot follow ----------------------------------------

// A tempo of 0 makes both lengths infinite. The clocks then stop where they
// are (the bar counter having just reset at the boundary that read the
// tempo), the step holds, and at the start of each later block the tempo is
// read again; once it is usable the clocks count on from where they stopped.
TEST(StepGate, ZeroBpmStopsTheClocksUntilABlockStartsWithAUsableTempo) {
    runOnFreshThread([] {
        FakeHost host;
        ScopedHost scope(host);
        TestStepMixer effect;
        CountingEditor* editor = attachCountingEditor(effect);
        effect.setParameter(StepMixer::kRandomizeParam, 1.0f);
        Buffers buffers(100000, 1.0f, 2.0f);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 80000);
        effect.setParameter(StepMixer::kBpmParam, 0.0f);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 8201);  // through sample 88200
        EXPECT_EQ(effect.getSamplesPerBar(), kInf);
        EXPECT_EQ(effect.getBarCounter(), 0);
        const std::int32_t heldStep = effect.getStep();
        const std::int32_t heldCounter = effect.getSixteenthCounter();
        const int updates = editor->updates.load();
        const std::vector<float> held = switches(effect);
        for (int block = 0; block < 100; ++block) {
            effect.processReplacing(buffers.inputs(), buffers.outputs(), 100000);
        }
        EXPECT_EQ(effect.getStep(), heldStep);
        EXPECT_EQ(effect.getSixteenthCounter(), heldCounter);
        EXPECT_EQ(effect.getBarCounter(), 0);
        EXPECT_EQ(editor->updates.load(), updates) << "no boundary, no flips";
        const float expected = held[heldStep] * 1.0f + held[16 + heldStep] * 2.0f;
        EXPECT_EQ(buffers.out0[99999], expected) << "still mixing the held step";

        effect.setParameter(StepMixer::kBpmParam, 0.48f);
        EXPECT_EQ(effect.getSamplesPerBar(), kInf) << "noticed at the next block, not at once";
        const ClockEvents events = traceClocks(effect, 88201 + 10);
        EXPECT_EQ(effect.getSamplesPerBar(), 88200.0f);
        ASSERT_FALSE(events.barBoundaries.empty());
        EXPECT_EQ(events.barBoundaries.front(), 88200) << "the bar counts on from 0";
        ASSERT_FALSE(events.stepChanges.empty());
        EXPECT_EQ(events.stepChanges.front(), 5513 - heldCounter) << "the step counts on from its counter";
        EXPECT_EQ(effect.getStep(), (heldStep + static_cast<std::int32_t>(events.stepChanges.size())) % 16);
    });
}

TEST(StepGate, HostTempoOfZeroStopsTheClocksAndTheHostIsAskedPerBlockUntilItAnswers) {
    runOnFreshThread([] {
        FakeHost host;
        host.tempo = 1200000;
        ScopedHost scope(host);
        TestStepMixer effect;
        Buffers buffers(4096, 1.0f, 2.0f);
        effect.setClocks(88200, 0, 0);
        host.tempo = 0;
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 1);
        EXPECT_EQ(effect.getParameter(StepMixer::kBpmParam), 0.0f);
        const int queries = host.tempoQueries.load();
        for (int block = 0; block < 5; ++block) {
            effect.processReplacing(buffers.inputs(), buffers.outputs(), 4096);
        }
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 0);
        EXPECT_EQ(host.tempoQueries.load(), queries + 5) << "once per non-empty block while stopped";
        EXPECT_EQ(effect.getStep(), 0);
        host.tempo = 1200000;
        const ClockEvents events = traceClocks(effect, 88202);
        EXPECT_EQ(host.tempoQueries.load(), queries + 5 + 1 + 1) << "the resuming block, then one boundary";
        EXPECT_EQ(events.barBoundaries, (std::vector<std::int64_t>{88200}));
        EXPECT_EQ(effect.getParameter(StepMixer::kBpmParam), bpmParameterFromHost(1200000));
    });
}

// Negative tempos keep their described behaviour: every sample is a bar
// boundary and a step change, until a refresh reads a positive value.
TEST(StepGate, NegativeBpmMakesEverySampleABoundaryUntilPositiveAgain) {
    runOnFreshThread([] {
        FakeHost host;
        ScopedHost scope(host);
        TestStepMixer effect;
        effect.setParameter(StepMixer::kBpmParam, -0.1f);
        effect.setClocks(88200, 0, 0);
        ClockEvents events = traceClocks(effect, 40);
        EXPECT_EQ(events.barBoundaries.size(), 40u);
        EXPECT_EQ(events.stepChanges.size(), 40u) << "the refresh already governs the first sample's step";
        effect.setParameter(StepMixer::kBpmParam, 0.48f);
        events = traceClocks(effect, 6000);
        EXPECT_EQ(events.barBoundaries, (std::vector<std::int64_t>{0})) << "the refresh that reads 0.48";
        EXPECT_EQ(events.stepChanges, (std::vector<std::int64_t>{5513}));
    });
}

// Counters near the top of the 32-bit range never wrap: a reachable length
// resets them, an unreachable one stops them.
TEST(StepGate, CountersNearTheirLimitNeverOverflow) {
    runOnFreshThread([] {
        FakeHost host;
        ScopedHost scope(host);
        TestStepMixer effect;
        // 2 s bars at a sample rate just below 2^30: the largest reachable bar.
        effect.setSampleRate(1073741760.0f);
        effect.setClocks(88200, 0, 0);
        Buffers buffers(100, 1.0f, 2.0f);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 1);
        ASSERT_EQ(effect.getSamplesPerBar(), 2147483520.0f);
        ASSERT_EQ(effect.getSamplesPerSixteenth(), 134217720.0f);

        effect.setClocks(2147483500, kMaxCounter, 3);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 100);
        EXPECT_EQ(effect.getBarCounter(), 100 - 20 - 1) << "boundary on the 21st sample";
        EXPECT_EQ(effect.getSixteenthCounter(), 99) << "step change on the first sample";
        EXPECT_EQ(effect.getStep(), 4);

        effect.setClocks(kMaxCounter, kMaxCounter, 15);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 1);
        EXPECT_EQ(effect.getBarCounter(), 0);
        EXPECT_EQ(effect.getSixteenthCounter(), 0);
        EXPECT_EQ(effect.getStep(), 0);

        // A tiny tempo gives finite lengths beyond the counter's reach.
        effect.setSampleRate(44100.0f);
        effect.setParameter(StepMixer::kBpmParam, 1e-30f);
        effect.setClocks(kMaxCounter, 0, 0);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 1);
        ASSERT_TRUE(std::isfinite(effect.getSamplesPerBar()));
        ASSERT_GT(effect.getSamplesPerSixteenth(), 2147483647.0f);
        effect.setClocks(kMaxCounter - 1, kMaxCounter, 5);
        for (int block = 0; block < 10; ++block) {
            effect.processReplacing(buffers.inputs(), buffers.outputs(), 100);
        }
        EXPECT_EQ(effect.getBarCounter(), kMaxCounter - 1);
        EXPECT_EQ(effect.getSixteenthCounter(), kMaxCounter);
        EXPECT_EQ(effect.getStep(), 5);
        effect.setParameter(StepMixer::kBpmParam, 0.48f);
        effect.processReplacing(buffers.inputs(), buffers.outputs(), 10);
        EXPECT_EQ(effect.getBarCounter(), 9) << "boundary on the first sample of the resuming block";
        EXPECT_EQ(effect.getSixteenthCounter(), 9);
        EXPECT_EQ(effect.getStep(), 6);
    });
}

// --- Values a host may store ---------------------------------------------------

// Hostile values in every kind of parameter and as the sample rate: the
// effect must behave exactly like the sample-by-sample rule (NaN outputs
// compare as NaN) and never run into undefined behaviour, which the
// sanitizer builds would report.
TEST(StepGate, HostileValuesBehaveLikeTheSampleBySampleRule) {
    const float hostile[] = {kNaN, kInf, -kInf, -1.0f, -0.0f, 1e30f, -1e30f, 1e-30f,
                             std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min()};
    const std::int32_t targets[] = {0, 20, StepMixer::kBpmParam, StepMixer::kRandomizeParam, StepMixer::kExclusiveParam};
    const float sampleRates[] = {44100.0f, kNaN, kInf, 0.0f, -44100.0f, 1e38f, 12345.678f};
    for (std::int32_t target : targets) {
        for (float value : hostile) {
            for (float rate : sampleRates) {
                runOnFreshThread([&] {
                    FakeHost host;
                    ScopedHost scope(host);
                    TestStepMixer effect;
                    reference::ReferenceStepGate reference([] { return VstIntPtr{0}; }, 44100.0f);
                    effect.setParameter(StepMixer::kRandomizeParam, 0.5f);
                    reference.setParameter(StepMixer::kRandomizeParam, 0.5f);
                    effect.setParameter(target, value);
                    reference.setParameter(target, value);
                    effect.setSampleRate(rate);
                    reference.setSampleRate(rate);
                    effect.setClocks(88200, 5000, 7);
                    reference.barCounter = 88200;
                    reference.sixteenthCounter = 5000;
                    reference.step = 7;
                    Buffers a(700, 0.25f, -0.5f);
                    Buffers b(700, 0.25f, -0.5f);
                    for (std::int32_t size : {1, 3, 17, 100, 579}) {
                        effect.processReplacing(a.inputs(), a.outputs(), size);
                        reference.processReplacing(b.inputs(), b.outputs(), size);
                        for (std::int32_t i = 0; i < size; ++i) {
                            ASSERT_TRUE(sameSample(a.out0[i], b.out0[i]) && sameSample(a.out1[i], b.out1[i]))
                                << "parameter " << target << " = " << value << ", rate " << rate << ", block " << size
                                << ", sample " << i;
                        }
                        ASSERT_EQ(effect.getStep(), reference.step);
                        ASSERT_EQ(effect.getBarCounter(), reference.barCounter);
                        ASSERT_EQ(effect.getSixteenthCounter(), reference.sixteenthCounter);
                        for (std::int32_t p = 0; p < StepMixer::kNumParams; ++p) {
                            ASSERT_TRUE(sameSample(effect.getParameter(p), reference.getParameter(p))) << "param " << p;
                        }
                    }
                });
            }
        }
    }
}

}  // namespace
}  // namespace stipplewave
