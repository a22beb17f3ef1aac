// A deliberately faulty effect module for the validator's own tests: it
// allocates while processing and sends NaN to its outputs.
#include <cmath>
#include <new>
#include <vector>

#include "host/HostEffectEx.h"
#include "host/Module.h"

namespace {

using namespace stipplewave;

class FaultyEffect : public HostEffectEx {
public:
    explicit FaultyEffect(AudioMasterCallback callback) : HostEffectEx(callback, 1, 1) {
        record.numInputs = 2;
        setCanProcessReplacing(true);
    }
    void process(float** inputs, float** outputs, std::int32_t frames) override {
        processReplacing(inputs, outputs, frames);
    }
    void processReplacing(float**, float** outputs, std::int32_t frames) override {
        std::vector<float> scratch(static_cast<std::size_t>(frames > 0 ? frames : 1));
        for (std::int32_t i = 0; i < frames; ++i) {
            outputs[0][i] = std::nanf("");
            outputs[1][i] = scratch[0];
        }
    }
};

HostEffect* newFaultyEffect(AudioMasterCallback callback) { return new (std::nothrow) FaultyEffect(callback); }

}  // namespace

#if defined(_WIN32)
#define FAULTY_EXPORT __declspec(dllexport)
#else
#define FAULTY_EXPORT __attribute__((visibility("default")))
#endif

extern "C" FAULTY_EXPORT AEffect* VSTPluginMain(AudioMasterCallback callback) {
    return createEffect(callback, newFaultyEffect);
}
