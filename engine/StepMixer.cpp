#include "engine/StepMixer.h"

#include <cstring>

#include "engine/StepClock.h"
#include "engine/Tempo.h"

namespace stipplewave {

namespace {

constexpr const char* kSwitchLabel = "  on/off";

constexpr const char* kParameterNames[StepMixer::kNumParams] = {
    "Left01 ON", "Left02 ON", "Left03 ON", "Left04 ON", "Left05 ON", "Left06 ON", "Left07 ON",
    "Left08 ON", "Left09 ON", "Left10 ON", "Left11 ON", "Left12 ON", "Left13 ON", "Left14 ON",
    "Left15 ON", "Left16 ON", "Righ01 ON", "Righ02 ON", "Righ03 ON", "Righ04 ON", "Righ05 ON",
    "Righ06 ON", "Righ07 ON", "Righ08 ON", "Righ09 ON", "Righ10 ON", "Righ11 ON", "Righ12 ON",
    "Righ13 ON", "Righ14 ON", "Righ15 ON", "Righ16 ON", "  BPM    ", "Randomize", "Exclusive",
};

// The default pattern: right input alone in steps 1-4 and 9-12, left input
// alone in steps 5-8 and 13-16.
constexpr float kDefaultSwitches[32] = {
    0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1,  // left
    1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0,  // right
};

bool isParameter(std::int32_t index) { return index >= 0 && index < StepMixer::kNumParams; }

}  // namespace

StepMixer::StepMixer(AudioMasterCallback callback) : HostEffectEx(callback, 1, kNumParams) {
    for (std::int32_t i = 0; i < 32; ++i) {
        storeParam(i, kDefaultSwitches[i]);
    }
    hostTempo = hostTempoAt(1);
    storeParam(kBpmParam, hostTempo != 0 ? bpmParameterFromHost(hostTempoAt(1)) : kDefaultBpmParameter);
    storeParam(kRandomizeParam, 0.0f);
    storeParam(kExclusiveParam, 1.0f);
    record.numInputs = 2;
    record.numOutputs = 2;
    record.uniqueID = kUniqueId;
    setCanProcessReplacing(true);
    std::strcpy(programName, "Default");
    refreshTempo();
}

void StepMixer::setParameter(std::int32_t index, float value) {
    if (isParameter(index)) {
        storeParam(index, value);
    }
}

float StepMixer::getParameter(std::int32_t index) { return isParameter(index) ? param(index) : 0.0f; }

const char* StepMixer::parameterName(std::int32_t index) {
    return isParameter(index) ? kParameterNames[index] : nullptr;
}

const char* StepMixer::parameterLabel(std::int32_t index) {
    if (index >= 0 && index < kBpmParam) {
        return kSwitchLabel;
    }
    if (index == kBpmParam || index == kRandomizeParam) {
        return " percent";
    }
    return index == kExclusiveParam ? " on/off" : nullptr;
}

float StepMixer::defaultSwitch(std::int32_t index) { return (index >= 0 && index < 32) ? kDefaultSwitches[index] : 0.0f; }

void StepMixer::getParameterName(std::int32_t index, char* text) {
    if (const char* name = parameterName(index)) {
        std::strcpy(text, name);
    }
}

void StepMixer::getParameterLabel(std::int32_t index, char* label) {
    if (const char* text = parameterLabel(index)) {
        std::strcpy(label, text);
    }
}

// The host's buffer keeps whatever the host put there: the effect has no
// display text of its own.
void StepMixer::getParameterDisplay(std::int32_t, char*) {}

// The field holds 31 characters and the terminator; a longer name is cut
// rather than written past the field.
void StepMixer::setProgramName(char* name) {
    std::size_t length = 0;
    while (length < kProgramNameSize - 1 && name[length] != 0) {
        ++length;
    }
    std::memcpy(programName, name, length);
    programName[length] = 0;
}

void StepMixer::getProgramName(char* name) { std::strcpy(name, programName); }

bool StepMixer::getVendorString(char* text) {
    std::strcpy(text, "Tarvik Software, Brenholt");
    return true;
}

bool StepMixer::getProductString(char* text) {
    std::strcpy(text, "Stipplewave VST");
    return true;
}

VstIntPtr StepMixer::getVendorVersion() { return 1; }

void StepMixer::refreshTempo() {
    if (hostTempo != 0) {
        storeParam(kBpmParam, bpmParameterFromHost(hostTempoAt(1)));
    }
    const StepLengths lengths = stepLengths(param(kBpmParam), getSampleRate());
    samplesPerBar = lengths.samplesPerBar;
    samplesPerSixteenth = lengths.samplesPerSixteenth;
    barBoundary = boundaryCount(samplesPerBar);
    sixteenthBoundary = boundaryCount(samplesPerSixteenth);
}

}  // namespace stipplewave
