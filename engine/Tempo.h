// Tempo arithmetic of the step gate, in the exact single-precision steps the
// clocks are defined by, so that every target counts the same samples.
#pragma once

#include <cstdint>

#include "host/AEffect.h"

namespace stipplewave {

// 0.48 as stored in single precision (bits 0x3EF5C28F): 120 beats per minute.
constexpr float kDefaultBpmParameter = 0.48f;
// The host answers in 1/10000 beat per minute; the parameter is BPM / 250.
// Single precision, bits 0x34D6BF95.
constexpr float kHostTempoToParameter = 4e-7f;

inline float bpmParameterFromHost(VstIntPtr hostTempo) {
    return static_cast<float>(hostTempo) * kHostTempoToParameter;
}

struct StepLengths {
    float samplesPerBar;
    float samplesPerSixteenth;
};

// A bar is four beats, a step one sixteenth note. Each quotient is rounded to
// single precision before it is scaled by the sample rate.
inline StepLengths stepLengths(float bpmParameter, float sampleRate) {
    const float bpm = bpmParameter * 250.0f;
    const float barSeconds = 240.0f / bpm;
    const float sixteenthSeconds = 15.0f / bpm;
    return {barSeconds * sampleRate, sixteenthSeconds * sampleRate};
}

}  // namespace stipplewave
