#include "tools/hostlib/TestHost.h"

#include <cstring>
#include <map>

namespace vsthost {

namespace {

using namespace stipplewave;

constexpr std::size_t kLogCapacity = 1 << 16;

// Which host answers which effect. An effect calls back while `main` is
// still building it, before its record is known to anyone: those calls go
// to the host that is instantiating on the calling thread.
std::mutex registryMutex;
std::map<AEffect*, TestHost*>& registry() {
    static std::map<AEffect*, TestHost*> hosts;
    return hosts;
}
thread_local TestHost* instantiatingHost = nullptr;

TestHost* hostFor(AEffect* effect) {
    if (effect != nullptr) {
        std::lock_guard<std::mutex> lock(registryMutex);
        auto found = registry().find(effect);
        if (found != registry().end()) {
            return found->second;
        }
    }
    return instantiatingHost;
}

void copyText(void* buffer, const char* text) {
    if (buffer != nullptr) {
        std::strcpy(static_cast<char*>(buffer), text);
    }
}

}  // namespace

TestHost::TestHost() { log.reserve(kLogCapacity); }

TestHost::~TestHost() {
    std::lock_guard<std::mutex> lock(registryMutex);
    for (auto it = registry().begin(); it != registry().end();) {
        it = it->second == this ? registry().erase(it) : std::next(it);
    }
}

AEffect* TestHost::instantiate(EntryProc entry) {
    TestHost* previous = instantiatingHost;
    instantiatingHost = this;
    AEffect* effect = entry(&TestHost::callback);
    instantiatingHost = previous;
    if (effect != nullptr) {
        std::lock_guard<std::mutex> lock(registryMutex);
        registry()[effect] = this;
    }
    return effect;
}

VstIntPtr TestHost::close(AEffect* effect) {
    const VstIntPtr result = effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    std::lock_guard<std::mutex> lock(registryMutex);
    registry().erase(effect);
    return result;
}

void TestHost::setAnswerHook(std::function<std::optional<VstIntPtr>(const HostRequest&)> hook) {
    std::lock_guard<std::mutex> lock(mutex);
    answerHook = std::move(hook);
}

std::vector<HostRequest> TestHost::requests() const {
    std::lock_guard<std::mutex> lock(mutex);
    return log;
}

std::vector<HostRequest> TestHost::requestsWithOpcode(std::int32_t opcode) const {
    std::vector<HostRequest> matching;
    for (const HostRequest& request : requests()) {
        if (request.opcode == opcode) {
            matching.push_back(request);
        }
    }
    return matching;
}

void TestHost::clearRequests() {
    std::lock_guard<std::mutex> lock(mutex);
    log.clear();
}

void TestHost::record(const HostRequest& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (log.size() < log.capacity()) {
        log.push_back(request);
    }
}

VstIntPtr TestHost::callback(AEffect* effect, std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                             float opt) {
    TestHost* host = hostFor(effect);
    if (host == nullptr) {
        // Unknown effects still get the version, so that they can be made.
        return opcode == audioMasterVersion ? kVersion : 0;
    }
    const HostRequest request{effect, opcode, index, value, ptr, opt};
    host->record(request);
    return host->answer(request);
}

VstIntPtr TestHost::answer(const HostRequest& request) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (answerHook) {
            if (std::optional<VstIntPtr> hooked = answerHook(request)) {
                return *hooked;
            }
        }
    }
    switch (request.opcode) {
        case audioMasterVersion: return versionAnswer.load();
        case audioMasterTempoAt: return tempoAnswer.load();
        case audioMasterGetSampleRate: return static_cast<VstIntPtr>(sampleRate.load());
        case audioMasterGetBlockSize: return blockSize.load();
        case audioMasterGetVendorString: copyText(request.ptr, "Stipplewave"); return 1;
        case audioMasterGetProductString: copyText(request.ptr, "stipplewave-host"); return 1;
        case audioMasterGetVendorVersion: return 1;
        case audioMasterGetCurrentProcessLevel: return 0;
        default: return 0;
    }
}

std::string hostOpcodeName(std::int32_t opcode) {
    static const std::map<std::int32_t, const char*> names = {
        {audioMasterAutomate, "audioMasterAutomate"},
        {audioMasterVersion, "audioMasterVersion"},
        {audioMasterCurrentId, "audioMasterCurrentId"},
        {audioMasterIdle, "audioMasterIdle"},
        {audioMasterPinConnected, "audioMasterPinConnected"},
        {audioMasterWantMidi, "audioMasterWantMidi"},
        {audioMasterGetTime, "audioMasterGetTime"},
        {audioMasterTempoAt, "audioMasterTempoAt"},
        {audioMasterGetNumAutomatableParameters, "audioMasterGetNumAutomatableParameters"},
        {audioMasterGetParameterQuantization, "audioMasterGetParameterQuantization"},
        {audioMasterIOChanged, "audioMasterIOChanged"},
        {audioMasterNeedIdle, "audioMasterNeedIdle"},
        {audioMasterSizeWindow, "audioMasterSizeWindow"},
        {audioMasterGetSampleRate, "audioMasterGetSampleRate"},
        {audioMasterGetBlockSize, "audioMasterGetBlockSize"},
        {audioMasterGetInputLatency, "audioMasterGetInputLatency"},
        {audioMasterGetOutputLatency, "audioMasterGetOutputLatency"},
        {audioMasterGetCurrentProcessLevel, "audioMasterGetCurrentProcessLevel"},
        {audioMasterGetAutomationState, "audioMasterGetAutomationState"},
        {audioMasterGetVendorString, "audioMasterGetVendorString"},
        {audioMasterGetProductString, "audioMasterGetProductString"},
        {audioMasterGetVendorVersion, "audioMasterGetVendorVersion"},
        {audioMasterVendorSpecific, "audioMasterVendorSpecific"},
        {audioMasterCanDo, "audioMasterCanDo"},
        {audioMasterGetLanguage, "audioMasterGetLanguage"},
        {audioMasterGetDirectory, "audioMasterGetDirectory"},
        {audioMasterUpdateDisplay, "audioMasterUpdateDisplay"},
        {audioMasterBeginEdit, "audioMasterBeginEdit"},
        {audioMasterEndEdit, "audioMasterEndEdit"},
        {audioMasterOpenFileSelector, "audioMasterOpenFileSelector"},
    };
    auto found = names.find(opcode);
    return found != names.end() ? found->second : "opcode " + std::to_string(opcode);
}

}  // namespace vsthost
