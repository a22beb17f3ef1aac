// The run-based step gate against the sample-by-sample reference, bit for
// bit: awkward block sizes, every way of sharing buffers, both routines, and
// long randomised sequences of blocks with parameter, sample-rate and host
// tempo changes between them. Each comparison runs on a fresh thread so that
// the effect's generator starts at state 1, as the reference's does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/ReferenceStepGate.h"

namespace stipplewave {
namespace {

using namespace enginetest;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Which arrays the outputs are: 0 and 1 are the inputs, 2 and 3 arrays of
// their own.
struct Layout {
    const char* name;
    int out0;
    int out1;
};
constexpr Layout kLayouts[] = {
    {"separate", 2, 3},         {"in place", 0, 1},        {"crossed", 1, 0},
    {"both on left input", 0, 0}, {"both on one output", 2, 2}, {"right in place", 2, 1},
};

// One effect and one reference driven with the same blocks and changes.
class Lockstep {
public:
    explicit Lockstep(VstIntPtr hostTempo)
        : scope(withTempo(host, hostTempo)),
          editor(attachCountingEditor(effect)),
          reference([this] { return host.tempo.load(); }, 44100.0f) {}

    void setParameter(std::int32_t index, float value) {
        effect.setParameter(index, value);
        reference.setParameter(index, value);
    }
    void setSampleRate(float rate) {
        effect.setSampleRate(rate);
        reference.setSampleRate(rate);
    }
    void setHostTempo(VstIntPtr tempo) { host.tempo = tempo; }
    const reference::ReferenceStepGate& oracle() const { return reference; }
    void setClocks(std::int32_t bar, std::int32_t sixteenth, std::int32_t step) {
        effect.setClocks(bar, sixteenth, step);
        reference.barCounter = bar;
        reference.sixteenthCounter = sixteenth;
        reference.step = step;
    }

    // Runs one block through both with random contents; describes the first
    // difference, if any.
    testing::AssertionResult runBlock(std::int32_t frames, const Layout& layout, bool accumulate, std::mt19937& rng) {
        // One guard sample past the block shows writes beyond it (or any
        // write at all for blocks of zero or fewer samples).
        const std::size_t size = static_cast<std::size_t>(frames > 0 ? frames : 0) + 1;
        std::uniform_real_distribution<float> level(-1.0f, 1.0f);
        for (int s = 0; s < 4; ++s) {
            a[s].resize(size);
            for (float& x : a[s]) {
                x = level(rng);
            }
            b[s] = a[s];
        }
        float* inA[2] = {a[0].data(), a[1].data()};
        float* outA[2] = {a[layout.out0].data(), a[layout.out1].data()};
        float* inB[2] = {b[0].data(), b[1].data()};
        float* outB[2] = {b[layout.out0].data(), b[layout.out1].data()};
        if (accumulate) {
            effect.process(inA, outA, frames);
            reference.process(inB, outB, frames);
        } else {
            effect.processReplacing(inA, outA, frames);
            reference.processReplacing(inB, outB, frames);
        }
        for (int s = 0; s < 4; ++s) {
            for (std::size_t i = 0; i < size; ++i) {
                if (!sameSample(a[s][i], b[s][i])) {
                    return testing::AssertionFailure() << "array " << s << " sample " << i << ": " << a[s][i]
                                                       << " instead of " << b[s][i];
                }
            }
        }
        return sameState();
    }

    testing::AssertionResult sameState() {
        std::ostringstream difference;
        if (effect.getStep() != reference.step) {
            difference << "step " << effect.getStep() << " vs " << reference.step;
        } else if (effect.getBarCounter() != reference.barCounter) {
            difference << "bar counter " << effect.getBarCounter() << " vs " << reference.barCounter;
        } else if (effect.getSixteenthCounter() != reference.sixteenthCounter) {
            difference << "step counter " << effect.getSixteenthCounter() << " vs " << reference.sixteenthCounter;
        } else if (!sameSample(effect.getSamplesPerBar(), reference.samplesPerBar) ||
                   !sameSample(effect.getSamplesPerSixteenth(), reference.samplesPerSixteenth)) {
            difference << "lengths " << effect.getSamplesPerBar() << " vs " << reference.samplesPerBar;
        } else if (editor->updates.load() != reference.postUpdates) {
            difference << "editor updates " << editor->updates.load() << " vs " << reference.postUpdates;
        } else if (host.tempoQueries.load() != reference.tempoQueries) {
            difference << "tempo queries " << host.tempoQueries.load() << " vs " << reference.tempoQueries;
        } else if (host.otherRequests.load() != 0) {
            difference << host.otherRequests.load() << " host requests other than the tempo";
        } else {
            for (std::int32_t p = 0; p < StepMixer::kNumParams; ++p) {
                if (!sameSample(effect.getParameter(p), reference.getParameter(p))) {
                    difference << "parameter " << p << ": " << effect.getParameter(p) << " vs "
                               << reference.getParameter(p);
                    break;
                }
            }
        }
        if (difference.str().empty()) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << difference.str();
    }

private:
    static FakeHost& withTempo(FakeHost& fake, VstIntPtr tempo) {
        fake.tempo = tempo;
        return fake;
    }

    FakeHost host;
    ScopedHost scope;
    TestStepMixer effect;
    CountingEditor* editor;
    reference::ReferenceStepGate reference;
    std::vector<float> a[4];
    std::vector<float> b[4];
};

template <typename T, std::size_t N>
T pick(const T (&values)[N], std::mt19937& rng) {
    return values[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

bool chance(double probability, std::mt19937& rng) { return std::bernoulli_distribution(probability)(rng); }

// A change of a switch, Randomize or Exclusive such as a host or the editor
// might make, now and then a hostile one.
void changeSomeParameter(Lockstep& pair, std::mt19937& rng) {
    static const float switchValues[] = {0.0f, 1.0f, 0.0f, 1.0f, 0.5f, 0.25f, -1.0f, 2.0f};
    static const float randomizeValues[] = {0.0f, 0.1f, 0.5f, 1.0f, 0.3f, 2.0f, -1.0f, kNaN};
    static const float exclusiveValues[] = {0.0f, 1.0f, 0.5f, kNaN};
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
    if (kind < 7) {
        pair.setParameter(std::uniform_int_distribution<std::int32_t>(0, 31)(rng), pick(switchValues, rng));
    } else if (kind < 9) {
        pair.setParameter(StepMixer::kRandomizeParam, pick(randomizeValues, rng));
    } else {
        pair.setParameter(StepMixer::kExclusiveParam, pick(exclusiveValues, rng));
    }
}

// Mostly fast tempos, so that bars end often; a quarter of the time one the
// clocks cannot follow or that makes every sample a boundary.
void changeTempo(Lockstep& pair, std::mt19937& rng) {
    // 120, 300, 1000 and 10000 beats per minute; two-sample bars.
    static const float bpmValues[] = {0.48f, 1.2f, 4.0f, 4.0f, 40.0f, 40.0f, 40.0f, 1e5f};
    static const float hostileBpm[] = {0.0f, -0.0f, -0.1f, kNaN, kInf, -kInf, 1e-30f, 1e30f};
    pair.setParameter(StepMixer::kBpmParam, chance(0.25, rng) ? pick(hostileBpm, rng) : pick(bpmValues, rng));
}

#if defined(_WIN32) && !defined(_WIN64)
constexpr bool kEmulatedTarget = true;  // 32-bit Windows runs under emulation here: keep runs short
#else
constexpr bool kEmulatedTarget = false;
#endif

constexpr std::int32_t kAwkwardSizes[] = {0, 1, 3, 4, 5, 8, 17, 33, 4095, 4096};

std::int32_t randomBlockSize(std::mt19937& rng) {
    static const std::int32_t nothing[] = {0, -1, -64, std::numeric_limits<std::int32_t>::min()};
    const int kind = std::uniform_int_distribution<int>(0, 19)(rng);
    if (kind < 4) {
        return pick(kAwkwardSizes, rng);
    }
    if (kind == 4) {
        return pick(nothing, rng);
    }
    if (kind == 5) {
        return std::uniform_int_distribution<std::int32_t>(1025, chance(0.2, rng) ? 40000 : 4096)(rng);
    }
    return std::uniform_int_distribution<std::int32_t>(1, 1024)(rng);
}

// Samples for the randomised comparison: a few million natively and under
// 64-bit Wine; a representative subset on the emulated 32-bit target, where
// code runs many times slower. STIPPLEWAVE_ENGINE_FUZZ_SAMPLES overrides both
// (below about a million the coverage checks at the end may fail).
std::int64_t randomisedSampleBudget() {
    if (const char* text = std::getenv("STIPPLEWAVE_ENGINE_FUZZ_SAMPLES")) {
        const long long value = std::atoll(text);
        if (value > 0) {
            return value;
        }
    }
    return kEmulatedTarget ? 1000000 : 6000000;
}

#if defined(_WIN32) && !defined(_WIN64)
#define RANDOMISED_COMPARISON_NAME RandomBlocksAndChangesMatchReference_Win32Subset
#else
#define RANDOMISED_COMPARISON_NAME RandomBlocksAndChangesMatchReference_Millions
#endif

TEST(StepGateVersusReference, AwkwardBlockSizesInEveryBufferLayout) {
    for (std::int32_t size : kAwkwardSizes) {
        for (const Layout& layout : kLayouts) {
            runOnFreshThread([&] {
                std::mt19937 rng(static_cast<std::uint32_t>(size * 131 + (&layout - kLayouts)));
                Lockstep pair(0);
                pair.setParameter(StepMixer::kBpmParam, 4.0f);  // 1000 BPM: a bar every 10585 samples
                pair.setParameter(StepMixer::kRandomizeParam, 0.5f);
                const std::int64_t least = kEmulatedTarget ? 15000 : 60000;
                const std::int64_t total = size == 0 ? 20 : std::max<std::int64_t>(least, 40LL * size);
                for (std::int64_t done = 0; done < total; done += std::max(size, 1)) {
                    if (chance(0.01, rng)) {
                        changeSomeParameter(pair, rng);
                    }
                    if (chance(0.002, rng)) {
                        changeTempo(pair, rng);
                    }
                    const bool accumulate = chance(0.5, rng);
                    ASSERT_TRUE(pair.runBlock(size, layout, accumulate, rng))
                        << "block size " << size << ", " << layout.name << ", sample " << done;
                }
            });
        }
    }
}

TEST(StepGateVersusReference, RANDOMISED_COMPARISON_NAME) {
    const std::int64_t budget = randomisedSampleBudget();
    struct Scenario {
        const char* name;
        VstIntPtr hostTempo;
        std::uint32_t seed;
    };
    const Scenario scenarios[] = {{"own tempo", 0, 1}, {"host tempo", 10000000, 2}, {"own tempo, reseeded", 0, 3}};
    static const VstIntPtr hostTempos[] = {1200000, 10000000, 10000000, 3000000, 0, -1000000, 1, 100000000};
    static const float sampleRates[] = {44100.0f, 48000.0f, 96000.0f, 12345.678f, 22050.0f, 0.0f, kNaN};
    for (const Scenario& scenario : scenarios) {
        runOnFreshThread([&] {
            std::mt19937 rng(scenario.seed);
            Lockstep pair(scenario.hostTempo);
            pair.setParameter(StepMixer::kBpmParam, 4.0f);
            pair.setParameter(StepMixer::kRandomizeParam, 0.5f);
            pair.setClocks(88200, 0, 0);  // the first sample is a bar boundary that takes the new tempo
            std::int64_t samples = 0;
            std::int64_t blocks = 0;
            auto runRandomBlock = [&] {
                const std::int32_t frames = randomBlockSize(rng);
                const Layout& layout = pick(kLayouts, rng);
                const bool accumulate = chance(0.5, rng);
                const testing::AssertionResult same = pair.runBlock(frames, layout, accumulate, rng);
                EXPECT_TRUE(same) << scenario.name << ": block " << blocks << " of " << frames << " samples ("
                                  << layout.name << (accumulate ? ", process" : ", processReplacing") << ") after "
                                  << samples << " samples";
                samples += frames > 0 ? frames : 0;
                ++blocks;
                return static_cast<bool>(same);
            };
            // First, for certain: the tempo drops to 0, the clocks stop at the
            // next bar boundary, and resume once the tempo is back.
            if (scenario.hostTempo != 0) {
                pair.setHostTempo(0);
            } else {
                pair.setParameter(StepMixer::kBpmParam, 0.0f);
            }
            while (pair.oracle().stoppedBlocks < 3) {
                ASSERT_TRUE(runRandomBlock());
            }
            pair.setHostTempo(scenario.hostTempo);
            pair.setParameter(StepMixer::kBpmParam, 4.0f);
            // Then anything goes.
            while (samples < budget / 3) {
                if (chance(0.3, rng)) {
                    for (int n = std::uniform_int_distribution<int>(1, 3)(rng); n > 0; --n) {
                        changeSomeParameter(pair, rng);
                    }
                }
                if (chance(0.05, rng)) {
                    changeTempo(pair, rng);
                }
                if (chance(0.01, rng)) {
                    pair.setSampleRate(pick(sampleRates, rng));
                }
                if (scenario.hostTempo != 0 && chance(0.1, rng)) {
                    pair.setHostTempo(pick(hostTempos, rng));
                }
                ASSERT_TRUE(runRandomBlock());
            }
            const auto& seen = pair.oracle();
            std::printf("%s: %lld samples, %lld blocks, %lld bar boundaries, %lld blocks with stopped clocks, "
                        "%lld flips\n",
                        scenario.name, static_cast<long long>(samples), static_cast<long long>(blocks),
                        static_cast<long long>(seen.barBoundaries), static_cast<long long>(seen.stoppedBlocks),
                        static_cast<long long>(seen.postUpdates));
            EXPECT_GT(seen.barBoundaries, 20) << scenario.name << ": too few bar boundaries to mean much";
            EXPECT_GT(seen.postUpdates, 0) << scenario.name << ": nothing flipped";
        });
    }
}

}  // namespace
}  // namespace stipplewave
