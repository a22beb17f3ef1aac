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

#include "editor/EditorBase.h"
#include "engine/Random.h"
#include "engine/StepClock.h"
#include "engine/StepMixer.h"

namespace stipplewave {

namespace {

// Each sample is read from the inputs before the outputs are written, so an
// output may be the very same array as an input.
void mixReplacing(const float* left, const float* right, float* out0, float* out1, std::int32_t count,
                  float leftGain, float rightGain) {
    for (std::int32_t i = 0; i < count; ++i) {
        const float mix = rightGain * right[i] + leftGain * left[i];
        out0[i] = mix;
        out1[i] = mix;
    }
}

void mixAccumulating(const float* left, const float* right, float* out0, float* out1, std::int32_t count,
                     float leftGain, float rightGain) {
    // One array for both outputs receives the mix twice. Said in one loop,
    // the compiler need not fall back to a sample-by-sample loop for it.
    if (out0 == out1) {
        for (std::int32_t i = 0; i < count; ++i) {
            const float mix = rightGain * right[i] + leftGain * left[i];
            out0[i] = (out0[i] + mix) + mix;
        }
        return;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const float mix = rightGain * right[i] + leftGain * left[i];
        out0[i] = out0[i] + mix;
        out1[i] = out1[i] + mix;
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
    if (clockStopped(samplesPerBar)) {
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
    if (!clockStopped(samplesPerBar)) {
        countingSamples = std::min(countingSamples, samplesBeforeBoundary(barCounter, samplesPerBar));
    }
    if (!clockStopped(samplesPerSixteenth)) {
        countingSamples = std::min(countingSamples, samplesBeforeBoundary(sixteenthCounter, samplesPerSixteenth));
    }
    return countingSamples + 1;
}

// Samples on which neither running clock reaches its boundary.
void StepMixer::countOn(std::int32_t samples) {
    if (!clockStopped(samplesPerBar)) {
        barCounter += samples;
    }
    if (!clockStopped(samplesPerSixteenth)) {
        sixteenthCounter += samples;
    }
}

// The clock rules of one sample: the bar clock first, so that a tempo
// refresh at a bar boundary already governs the same sample's step check.
void StepMixer::clockOneSample() {
    if (!clockStopped(samplesPerBar)) {
        if (barCounter < static_cast<double>(samplesPerBar)) {
            ++barCounter;
        } else {
            refreshTempo();
            flipAtRandom();
            barCounter = 0;
        }
    }
    if (!clockStopped(samplesPerSixteenth)) {
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
    for (std::int32_t i = 0; i < kNumSteps; ++i) {
        if (threshold > nextRandomUnit()) {
            flipSwitch(i);
            flipSwitch(kFirstRightSwitch + i);
            tellEditor();
        }
    }
}

// One draw per switch, all left switches first.
void StepMixer::flipSwitchesApart(float randomize) {
    for (std::int32_t i = 0; i < 2 * kNumSteps; ++i) {
        if (nextRandomUnit() < randomize) {
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
