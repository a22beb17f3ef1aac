// Feeds random sequences of dispatcher calls, parameter sets and process
// blocks to one effect, the way a confused or hostile host might.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "engine/StepMixer.h"
#include "host/Module.h"

namespace {

using namespace stipplewave;

// The fuzz input, consumed front to back; reads past the end give zeros.
class Input {
public:
    Input(const std::uint8_t* bytes, std::size_t size) : data(bytes), remaining(size) {}
    bool empty() const { return remaining == 0; }
    template <typename T>
    T take() {
        T value{};
        const std::size_t n = remaining < sizeof(T) ? remaining : sizeof(T);
        std::memcpy(&value, data, n);
        data += n;
        remaining -= n;
        return value;
    }

private:
    const std::uint8_t* data;
    std::size_t remaining;
};

VstIntPtr hostTempo = 0;

VstIntPtr callback(AEffect*, std::int32_t opcode, std::int32_t, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) {
        return 2400;
    }
    return opcode == audioMasterTempoAt ? hostTempo : 0;
}

HostEffect* newEffect(AudioMasterCallback cb) { return new (std::nothrow) StepMixer(cb); }

constexpr std::int32_t kMaxFrames = 4096;

// Opcodes whose operands a host can get wrong harmlessly: a text buffer of
// ample size, a chunk pointer, plain numbers.
void dispatchSomething(AEffect* effect, Input& in, char* buffer) {
    const auto opcode = static_cast<std::int32_t>(in.take<std::int8_t>());
    const auto index = in.take<std::int32_t>();
    const auto value = static_cast<VstIntPtr>(in.take<std::int32_t>());
    const auto opt = in.take<float>();
    if (opcode == effClose || opcode == effEditOpen || opcode == effSetSpeakerArrangement) {
        return;  // these end the effect or carry host-owned pointers
    }
    std::memset(buffer, 0, 1024);
    effect->dispatcher(effect, opcode, index, value, buffer, opt);
}

void processSomething(AEffect* effect, Input& in, std::vector<float>& audio) {
    const auto frames = static_cast<std::int32_t>(in.take<std::uint16_t>() % (kMaxFrames + 1)) - 8;
    const bool replacing = (in.take<std::uint8_t>() & 1) != 0;
    const auto fill = in.take<float>();
    for (std::size_t i = 0; i < audio.size(); i += 7) {
        audio[i] = fill;
    }
    float* inputs[2] = {audio.data(), audio.data() + kMaxFrames};
    float* outputs[2] = {audio.data() + 2 * kMaxFrames, audio.data() + 3 * kMaxFrames};
    (replacing ? effect->processReplacing : effect->process)(effect, inputs, outputs, frames);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    hostTempo = in.take<std::int32_t>();
    AEffect* effect = createEffect(callback, newEffect);
    if (effect == nullptr) {
        return 0;
    }
    std::vector<float> audio(4 * kMaxFrames, 0.25f);
    std::vector<char> buffer(1024);
    int steps = 0;
    while (!in.empty() && ++steps < 64) {
        switch (in.take<std::uint8_t>() % 4) {
            case 0: dispatchSomething(effect, in, buffer.data()); break;
            case 1: effect->setParameter(effect, in.take<std::int8_t>(), in.take<float>()); break;
            case 2: effect->getParameter(effect, in.take<std::int8_t>()); break;
            default: processSomething(effect, in, audio); break;
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
