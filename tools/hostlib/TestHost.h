// A small VST 2 host: it answers the effect's callback, records every
// request it receives, and drives effects only through the entry and the
// record, as a real host does.
//
// Threading: the callback may arrive on any thread (the audio thread asks
// for the tempo, the user-interface thread for automation and idle). The
// request log and the answers are guarded by one mutex; the log is reserved
// up front so that recording a request does not allocate.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/AEffect.h"
#include "tools/hostlib/PluginModule.h"

namespace vsthost {

using stipplewave::VstIntPtr;

struct HostRequest {
    AEffect* effect;
    std::int32_t opcode;
    std::int32_t index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class TestHost {
public:
    static constexpr VstIntPtr kVersion = 2400;

    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Calls the entry with this host's callback; the effect is remembered so
    // that its requests reach this host.
    AEffect* instantiate(EntryProc entry);
    // effClose through the record; the record is invalid afterwards.
    VstIntPtr close(AEffect* effect);

    // Answers. The tempo is in 1/10000 beat per minute; 0 means "no tempo".
    void setVersionAnswer(VstIntPtr version) { versionAnswer.store(version); }
    void setTempo(VstIntPtr tempo) { tempoAnswer.store(tempo); }
    void setSampleRate(float rate) { sampleRate.store(rate); }
    void setBlockSize(std::int32_t size) { blockSize.store(size); }
    // A test may answer requests itself; returning nothing falls back to the
    // built-in answers.
    void setAnswerHook(std::function<std::optional<VstIntPtr>(const HostRequest&)> hook);

    std::vector<HostRequest> requests() const;
    std::vector<HostRequest> requestsWithOpcode(std::int32_t opcode) const;
    void clearRequests();

    // The callback every effect of this process is given.
    static VstIntPtr callback(AEffect* effect, std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                              float opt);

private:
    VstIntPtr answer(const HostRequest& request);
    void record(const HostRequest& request);

    mutable std::mutex mutex;
    std::vector<HostRequest> log;
    std::function<std::optional<VstIntPtr>(const HostRequest&)> answerHook;
    std::atomic<VstIntPtr> versionAnswer{kVersion};
    std::atomic<VstIntPtr> tempoAnswer{0};
    std::atomic<float> sampleRate{44100.0f};
    std::atomic<std::int32_t> blockSize{1024};
};

// A readable name for a host opcode ("audioMasterTempoAt"), or its number.
std::string hostOpcodeName(std::int32_t opcode);

}  // namespace vsthost
