#include "engine/StepMixer.h"

namespace stipplewave {

// Sound processing arrives with the step gate; until then the effect is silent.
void StepMixer::process(float**, float**, std::int32_t) {}

void StepMixer::processReplacing(float**, float** outputs, std::int32_t sampleFrames) {
    for (std::int32_t i = 0; i < sampleFrames; ++i) {
        outputs[0][i] = 0.0f;
        outputs[1][i] = 0.0f;
    }
}

}  // namespace stipplewave
