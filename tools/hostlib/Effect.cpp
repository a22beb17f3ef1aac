#include "tools/hostlib/Effect.h"

#include <cstdlib>
#include <cstring>

namespace vsthost {

using namespace stipplewave;

std::unique_ptr<Effect> Effect::open(TestHost& host, const PluginModule& module, std::string& error) {
    AEffect* record = host.instantiate(module.entry());
    if (record == nullptr) {
        error = "the module's entry returned no effect";
        return nullptr;
    }
    if (record->magic != kEffectMagic) {
        error = "the module's entry returned a record without the effect magic";
        return nullptr;
    }
    std::unique_ptr<Effect> effect(new Effect(host, record));
    effect->dispatch(effOpen);
    return effect;
}

Effect::~Effect() { host.close(effect); }

VstIntPtr Effect::dispatch(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// Hosts hand out generous zeroed buffers; some effects write more than the
// nominal sizes, so these are larger still.
std::string Effect::textQuery(std::int32_t opcode, std::int32_t index) {
    char buffer[512];
    std::memset(buffer, 0, sizeof buffer);
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

std::string Effect::parameterName(std::int32_t index) { return textQuery(effGetParamName, index); }
std::string Effect::parameterLabel(std::int32_t index) { return textQuery(effGetParamLabel, index); }
std::string Effect::vendorString() { return textQuery(effGetVendorString, 0); }
std::string Effect::productString() { return textQuery(effGetProductString, 0); }
std::string Effect::effectName() { return textQuery(effGetEffectName, 0); }
std::string Effect::programName() { return textQuery(effGetProgramName, 0); }

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::int32_t Effect::findParameter(const std::string& nameOrIndex) {
    const std::int32_t count = effect->numParams;
    const std::string name = trimmed(nameOrIndex);
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos && name.size() <= 9) {
        const int index = std::atoi(name.c_str());
        return index < count ? index : -1;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        if (trimmed(parameterName(i)) == name) {
            return i;
        }
    }
    return -1;
}

std::string fourCharacters(std::int32_t id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '.';
    }
    return text;
}

}  // namespace vsthost
