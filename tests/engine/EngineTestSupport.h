// Helpers of the engine tests: a host callback with a settable tempo that
// counts what it is asked, a step mixer that lets tests set its clocks, an
// editor that counts update requests, and a way to run a test body on a
// fresh thread (the flip generator's state is per thread and starts at 1).
//
// Threading: a test sets the active host on its own thread before it starts
// the audio thread and reads the counts after joining it; the counts are
// atomics because the callback runs on the audio thread.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>

#include "editor/EditorBase.h"
#include "engine/StepMixer.h"

namespace stipplewave::enginetest {

struct FakeHost {
    std::atomic<VstIntPtr> tempo{0};  // 1/10000 beat per minute; 0: no tempo
    std::atomic<int> tempoQueries{0};
    std::atomic<int> otherRequests{0};
};

inline std::atomic<FakeHost*>& activeHost() {
    static std::atomic<FakeHost*> host{nullptr};
    return host;
}

inline VstIntPtr fakeHostCallback(AEffect*, std::int32_t opcode, std::int32_t, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) {
        return 2400;
    }
    FakeHost* host = activeHost().load();
    if (host == nullptr) {
        return 0;
    }
    if (opcode == audioMasterTempoAt) {
        ++host->tempoQueries;
        return host->tempo.load();
    }
    ++host->otherRequests;
    return 0;
}

// Makes `host` the one that answers while the object lives.
class ScopedHost {
public:
    explicit ScopedHost(FakeHost& host) { activeHost().store(&host); }
    ~ScopedHost() { activeHost().store(nullptr); }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;
};

class TestStepMixer : public StepMixer {
public:
    TestStepMixer() : StepMixer(fakeHostCallback) {}
    void setClocks(std::int32_t bar, std::int32_t sixteenth, std::int32_t currentStep) {
        barCounter = bar;
        sixteenthCounter = sixteenth;
        step = currentStep;
    }
};

class CountingEditor : public EditorBase {
public:
    using EditorBase::EditorBase;
    void postUpdate() override {
        updates.fetch_add(1, std::memory_order_relaxed);
        EditorBase::postUpdate();
    }
    std::atomic<int> updates{0};
};

// Attaches a counting editor that the effect owns from then on.
inline CountingEditor* attachCountingEditor(StepMixer& effect) {
    auto* editor = new CountingEditor(nullptr);
    effect.setEditor(editor);
    return editor;
}

template <typename Body>
void runOnFreshThread(Body&& body) {
    std::thread thread(std::forward<Body>(body));
    thread.join();
}

inline std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Same bits, or both NaN: the sign and payload of a NaN made from two NaN
// operands depend on operand order, which the compiler may swap.
inline bool sameSample(float a, float b) { return bitsOf(a) == bitsOf(b) || (std::isnan(a) && std::isnan(b)); }

}  // namespace stipplewave::enginetest
