// The step gate written sample by sample, straight from its description, as
// the oracle that the run-based implementation is compared with bit for bit.
// Shared by the engine tests and the benchmark; nothing in it is tuned.
//
// Deliberately self-contained: its own parameter array, its own generator
// (whose state starts at 1, as a fresh thread's does) and its own tempo
// arithmetic, so that a mistake in the module's helpers cannot hide in both.
// Single-threaded: one reference belongs to the thread that drives it.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <utility>

#include "host/AEffect.h"

namespace stipplewave::reference {

class ReferenceStepGate {
public:
    using TempoQuery = std::function<VstIntPtr()>;

    // Construction as the effect does it: default pattern, tempo from the
    // host when its first answer is non-zero, Randomize 0, Exclusive 1, one
    // tempo refresh at `rate`.
    ReferenceStepGate(TempoQuery hostTempoQuery, float rate) : tempoQuery(std::move(hostTempoQuery)), sampleRate(rate) {
        static const float pattern[32] = {0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1,
                                          1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0};
        for (int i = 0; i < 32; ++i) {
            params[i] = pattern[i];
        }
        hostTempo = askHostTempo();
        params[32] = hostTempo != 0 ? static_cast<float>(askHostTempo()) * 4e-7f : 0.48f;
        params[33] = 0.0f;
        params[34] = 1.0f;
        refreshTempo();
    }

    void setParameter(std::int32_t index, float value) {
        if (index >= 0 && index < 35) {
            params[index] = value;
        }
    }
    float getParameter(std::int32_t index) const { return index >= 0 && index < 35 ? params[index] : 0.0f; }
    void setSampleRate(float rate) { sampleRate = rate; }

    void process(float** inputs, float** outputs, std::int32_t sampleFrames) { run(inputs, outputs, sampleFrames, true); }
    void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) {
        run(inputs, outputs, sampleFrames, false);
    }

    std::int32_t barCounter = 0;
    std::int32_t sixteenthCounter = 0;
    std::int32_t step = 0;
    float samplesPerBar = 0.0f;
    float samplesPerSixteenth = 0.0f;
    VstIntPtr hostTempo = 0;
    // What happened so far, so that tests can tell what they exercised.
    std::int64_t barBoundaries = 0;
    std::int64_t stoppedBlocks = 0;
    std::int64_t postUpdates = 0;
    std::int64_t tempoQueries = 0;

private:
    // A length the 32-bit counter cannot reach (beyond 2147483647, infinite
    // or NaN) stops its clock: the counter stays and no boundary comes.
    static bool unreachable(float length) { return !(static_cast<double>(length) <= 2147483647.0); }

    void run(float** inputs, float** outputs, std::int32_t sampleFrames, bool accumulate) {
        if (sampleFrames <= 0) {
            return;
        }
        if (unreachable(samplesPerBar)) {
            ++stoppedBlocks;
            refreshTempo();
        }
        for (std::int32_t i = 0; i < sampleFrames; ++i) {
            const std::int32_t s = step;
            const float mix = params[16 + s] * inputs[1][i] + params[s] * inputs[0][i];
            if (accumulate) {
                outputs[0][i] = outputs[0][i] + mix;
                outputs[1][i] = outputs[1][i] + mix;
            } else {
                outputs[0][i] = mix;
                outputs[1][i] = mix;
            }
            if (!unreachable(samplesPerBar)) {
                if (static_cast<double>(barCounter) < static_cast<double>(samplesPerBar)) {
                    ++barCounter;
                } else {
                    ++barBoundaries;
                    refreshTempo();
                    flipAtRandom();
                    barCounter = 0;
                }
            }
            if (!unreachable(samplesPerSixteenth)) {
                if (static_cast<double>(sixteenthCounter) < static_cast<double>(samplesPerSixteenth)) {
                    ++sixteenthCounter;
                } else {
                    sixteenthCounter = 0;
                    step = step == 15 ? 0 : step + 1;
                }
            }
        }
    }

    void refreshTempo() {
        if (hostTempo != 0) {
            params[32] = static_cast<float>(askHostTempo()) * 4e-7f;
        }
        const float bpm = params[32] * 250.0f;
        const float barSeconds = 240.0f / bpm;
        samplesPerBar = barSeconds * sampleRate;
        const float sixteenthSeconds = 15.0f / bpm;
        samplesPerSixteenth = sixteenthSeconds * sampleRate;
    }

    VstIntPtr askHostTempo() {
        ++tempoQueries;
        return tempoQuery();
    }

    double draw() {
        randomState = randomState * 214013u + 2531011u;
        const std::uint32_t r = (randomState >> 16) & 0x7FFFu;
        return static_cast<double>(r) * static_cast<double>(3.0518509e-05f);
    }

    void flip(std::int32_t index) { params[index] = params[index] == 0.0f ? 1.0f : 0.0f; }

    void flipAtRandom() {
        const float randomize = params[33];
        if (!(randomize > 0.0f)) {
            return;
        }
        if (params[34] != 0.0f) {
            for (std::int32_t i = 0; i < 16; ++i) {
                if (randomize * 0.5f > draw()) {
                    flip(i);
                    flip(16 + i);
                    ++postUpdates;
                }
            }
        } else {
            for (std::int32_t i = 0; i < 32; ++i) {
                if (draw() < randomize) {
                    flip(i);
                    ++postUpdates;
                }
            }
        }
    }

    TempoQuery tempoQuery;
    float sampleRate;
    float params[35] = {};
    std::uint32_t randomState = 1;
};

}  // namespace stipplewave::reference
