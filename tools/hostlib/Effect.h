// One effect instance seen from the host side: the record, the dispatcher
// and the text queries with host-sized buffers.
#pragma once

#include <memory>
#include <string>

#include "tools/hostlib/PluginModule.h"
#include "tools/hostlib/TestHost.h"

namespace vsthost {

class Effect {
public:
    // Instantiates through the module's entry; null with `error` set when
    // the entry gives no record or the record is not an effect.
    static std::unique_ptr<Effect> open(TestHost& host, const PluginModule& module, std::string& error);
    ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    AEffect& record() { return *effect; }
    VstIntPtr dispatch(std::int32_t opcode, std::int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void setParameter(std::int32_t index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(std::int32_t index) { return effect->getParameter(effect, index); }

    std::string parameterName(std::int32_t index);
    std::string parameterLabel(std::int32_t index);
    std::string vendorString();
    std::string productString();
    std::string effectName();
    std::string programName();
    // The parameter with this name as the module reports it (spaces around
    // it ignored) or with this index; -1 when there is none.
    std::int32_t findParameter(const std::string& nameOrIndex);

private:
    Effect(TestHost& owner, AEffect* record) : host(owner), effect(record) {}
    std::string textQuery(std::int32_t opcode, std::int32_t index);

    TestHost& host;
    AEffect* effect;
};

// The text without the spaces around it.
std::string trimmed(const std::string& text);

// "TVK1" for 0x54564B31; non-printable bytes as '.'.
std::string fourCharacters(std::int32_t id);

}  // namespace vsthost
