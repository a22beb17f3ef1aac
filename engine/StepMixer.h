// StepMixer: the effect itself. 35 automatable parameters (32 step switches,
// tempo, randomise amount, exclusive mode), one program, and the step gate
// that mixes the two inputs per sixteenth note.
//
// Threading: the host sets and reads parameters from any thread while the
// audio thread processes; the audio thread also writes the switches it flips
// at random and the tempo it takes from the host. Every parameter is a
// single std::atomic<float> accessed with relaxed order: each value is
// written and read whole, and no other data depends on its ordering. The
// clocks and lengths belong to the audio thread alone (the constructor sets
// them up before the host can process).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "host/HostEffectEx.h"

namespace stipplewave {

class StepMixer : public HostEffectEx {
public:
    static constexpr std::int32_t kNumSteps = 16;
    static constexpr std::int32_t kNumParams = 35;
    static constexpr std::int32_t kFirstRightSwitch = 16;
    static constexpr std::int32_t kBpmParam = 32;
    static constexpr std::int32_t kRandomizeParam = 33;
    static constexpr std::int32_t kExclusiveParam = 34;
    static constexpr std::int32_t kUniqueId = 0x54564B31;  // "TVK1"
    static constexpr std::size_t kProgramNameSize = 32;

    explicit StepMixer(AudioMasterCallback hostCallback);

    void setParameter(std::int32_t index, float value) override;
    float getParameter(std::int32_t index) override;
    void process(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(std::int32_t index, char* label) override;
    void getParameterDisplay(std::int32_t index, char* text) override;
    void getParameterName(std::int32_t index, char* text) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstIntPtr getVendorVersion() override;

    static const char* parameterName(std::int32_t index);
    static const char* parameterLabel(std::int32_t index);
    static float defaultSwitch(std::int32_t index);

    // Read-outs of the clock state, for tests and tools.
    VstIntPtr getHostTempo() const { return hostTempo; }
    float getSamplesPerBar() const { return samplesPerBar; }
    float getSamplesPerSixteenth() const { return samplesPerSixteenth; }
    std::int32_t getBarCounter() const { return barCounter; }
    std::int32_t getSixteenthCounter() const { return sixteenthCounter; }
    std::int32_t getStep() const { return step; }

protected:
    // Takes the tempo from the host when it is the tempo source, then works
    // out the bar and step lengths from the tempo parameter and sample rate.
    void refreshTempo();

    float param(std::int32_t index) const { return params[index].load(std::memory_order_relaxed); }
    void storeParam(std::int32_t index, float value) { params[index].store(value, std::memory_order_relaxed); }

    std::array<std::atomic<float>, kNumParams> params{};
    VstIntPtr hostTempo = 0;
    float samplesPerBar = 0.0f;
    float samplesPerSixteenth = 0.0f;
    std::int32_t barCounter = 0;
    std::int32_t sixteenthCounter = 0;
    std::int32_t step = 0;
    char programName[kProgramNameSize] = {};
    // The counter values at which the clocks reach their boundaries, worked
    // out from the lengths at each refresh (kStoppedClock: never).
    std::int32_t barBoundary = 0;
    std::int32_t sixteenthBoundary = 0;

private:
    // The step gate (StepGate.cpp).
    void runGate(float** inputs, float** outputs, std::int32_t sampleFrames, bool accumulate);
    std::int32_t runLength(std::int32_t remaining) const;
    void countOn(std::int32_t samples);
    void clockOneSample();
    void flipAtRandom();
    void flipStepsTogether(float randomize);
    void flipSwitchesApart(float randomize);
    void flipSwitch(std::int32_t index);
    void tellEditor();
};

}  // namespace stipplewave
