// The step gate: the sound processing of StepMixer.
//
// Threading: runs on the host's audio thread. Parameters are read whole from
// their atomics; the clocks and lengths belong to this thread alone. No
// allocation, lock or system call; the only host call is the tempo query of
// a tempo refresh, and the editor is only told through postUpdate (a single
// store).
//
// A block is handled in runs. A run ends at the next sample on which either
// clock does something other than count (a bar boundary or a step change) or
// at the end of the block. Within a run the step, and so the two gains, stay
// the same, and the counters only count, so the run is mixed in one tight
// loop and the clocks are moved in one go; the run's last sample then goes
// through the per-sample clock rules. The gains are read once per run.
#include <algorithm>
#include <cstdint>

#include "editor/EditorBase.h"
#include "engine/Random.h"
#include "engine/StepClock.h"
#include "engine/StepMixer.h"

namespace stipplewave {

namespace {

// Each sample is read from the inputs before the outputs are written, so an
// output may be the very same array as an input.
void replaceSpan(const float* left, const float* right, float* out0, float* out1, std::int32_t begin,
                 std::int32_t end, float leftGain, float rightGain) {
    for (std::int32_t i = begin; i < end; ++i) {
        const float mix = rightGain * right[i] + leftGain * left[i];
        out0[i] = mix;
        out1[i] = mix;
    }
}

void accumulateSpan(const float* left, const float* right, float* out0, float* out1, std::int32_t begin,
                    std::int32_t end, float leftGain, float rightGain) {
    for (std::int32_t i = begin; i < end; ++i) {
        const float mix = rightGain * right[i] + leftGain * left[i];
        out0[i] = out0[i] + mix;
        out1[i] = out1[i] + mix;
    }
}

// One array for both outputs receives the mix twice. Said in one loop, the
// compiler need not fall back to a sample-by-sample loop for it.
void accumulateSpanTwice(const float* left, const float* right, float* out, std::int32_t begin, std::int32_t end,
                         float leftGain, float rightGain) {
    for (std::int32_t i = begin; i < end; ++i) {
        const float mix = rightGain * right[i] + leftGain * left[i];
        out[i] = (out[i] + mix) + mix;
    }
}

// Runs start anywhere in a block, and vector loads and stores that straddle
// cache lines are markedly slower: the first few samples of a run, up to the
// first 16-byte boundary of the output, are mixed on their own.
std::int32_t samplesBeforeAlignment(const float* out, std::int32_t count) {
    const std::uintptr_t misalignment = reinterpret_cast<std::uintptr_t>(out) % 16;
    const auto head = static_cast<std::int32_t>(((16 - misalignment) % 16) / sizeof(float));
    return std::min(head, count);
}

void mixReplacing(const float* left, const float* right, float* out0, float* out1, std::int32_t count,
                  float leftGain, float rightGain) {
    const std::int32_t head = samplesBeforeAlignment(out0, count);
    replaceSpan(left, right, out0, out1, 0, head, leftGain, rightGain);
    replaceSpan(left, right, out0, out1, head, count, leftGain, rightGain);
}

void mixAccumulating(const float* left, const float* right, float* out0, float* out1, std::int32_t count,
                     float leftGain, float rightGain) {
    const std::int32_t head = samplesBeforeAlignment(out0, count);
    if (out0 == out1) {
        accumulateSpanTwice(left, right, out0, 0, head, leftGain, rightGain);
        accumulateSpanTwice(left, right, out0, head, count, leftGain, rightGain);
    } else {
        accumulateSpan(left, right, out0, out1, 0, head, leftGain, rightGain);
        accumulateSpan(left, right, out0, out1, head, count, leftGain, rightGain);
    }
}

}  // namespace

void StepMixer::process(float** inputs, float** outputs, std::int32_t sampleFrames) {
    runGate(inputs, outputs, sampleFrames, true);
}

void StepMixer::processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) {
    runGate(inputs, outputs, sampleFrames, false);
}

void StepMixer::runGate(float** inputs, float** outputs, std::int32_t sampleFrames, bool accumulate) {
    if (sampleFrames <= 0) {
        return;
    }
    // A stopped bar clock never reaches the boundary that would refresh the
    // tempo, so it looks for a usable tempo at the start of every block.
    if (barBoundary == kStoppedClock) {
        refreshTempo();
    }
    std::int32_t done = 0;
    while (done < sampleFrames) {
        const std::int32_t count = runLength(sampleFrames - done);
        const float leftGain = param(step);
        const float rightGain = param(kFirstRightSwitch + step);
        if (accumulate) {
            mixAccumulating(inputs[0] + done, inputs[1] + done, outputs[0] + done, outputs[1] + done, count, leftGain,
                            rightGain);
        } else {
            mixReplacing(inputs[0] + done, inputs[1] + done, outputs[0] + done, outputs[1] + done, count, leftGain,
                         rightGain);
        }
        countOn(count - 1);
        clockOneSample();
        done += count;
    }
}

// Up to `remaining` samples: through the next sample on which a running clock
// reaches its boundary.
std::int32_t StepMixer::runLength(std::int32_t remaining) const {
    std::int32_t countingSamples = remaining - 1;
    if (barBoundary != kStoppedClock) {
        countingSamples = std::min(countingSamples, samplesBeforeBoundary(barCounter, barBoundary));
    }
    if (sixteenthBoundary != kStoppedClock) {
        countingSamples = std::min(countingSamples, samplesBeforeBoundary(sixteenthCounter, sixteenthBoundary));
    }
    return countingSamples + 1;
}

// Samples on which neither running clock reaches its boundary.
void StepMixer::countOn(std::int32_t samples) {
    if (barBoundary != kStoppedClock) {
        barCounter += samples;
    }
    if (sixteenthBoundary != kStoppedClock) {
        sixteenthCounter += samples;
    }
}

// The clock rules of one sample: the bar clock first, so that a tempo
// refresh at a bar boundary already governs the same sample's step check.
void StepMixer::clockOneSample() {
    if (barBoundary != kStoppedClock) {
        if (barCounter < static_cast<double>(samplesPerBar)) {
            ++barCounter;
        } else {
            refreshTempo();
            flipAtRandom();
            barCounter = 0;
        }
    }
    if (sixteenthBoundary != kStoppedClock) {
        if (sixteenthCounter < static_cast<double>(samplesPerSixteenth)) {
            ++sixteenthCounter;
        } else {
            sixteenthCounter = 0;
            step = (step + 1) % kNumSteps;
        }
    }
}

void StepMixer::flipAtRandom() {
    const float randomize = param(kRandomizeParam);
    if (!(randomize > 0.0f)) {
        return;
    }
    if (param(kExclusiveParam) != 0.0f) {
        flipStepsTogether(randomize);
    } else {
        flipSwitchesApart(randomize);
    }
}

// One draw per step; a step that flips swaps or toggles both its switches.
void StepMixer::flipStepsTogether(float randomize) {
    const float threshold = randomize * 0.5f;
    ThreadRandom random;
    for (std::int32_t i = 0; i < kNumSteps; ++i) {
        if (threshold > randomUnitFromDraw(random.nextDraw())) {
            flipSwitch(i);
            flipSwitch(kFirstRightSwitch + i);
            tellEditor();
        }
    }
}

// One draw per switch, all left switches first.
void StepMixer::flipSwitchesApart(float randomize) {
    ThreadRandom random;
    for (std::int32_t i = 0; i < 2 * kNumSteps; ++i) {
        if (randomUnitFromDraw(random.nextDraw()) < randomize) {
            flipSwitch(i);
            tellEditor();
        }
    }
}

void StepMixer::flipSwitch(std::int32_t index) { storeParam(index, param(index) == 0.0f ? 1.0f : 0.0f); }

void StepMixer::tellEditor() {
    if (editor != nullptr) {
        editor->postUpdate();
    }
}

}  // namespace stipplewave
