// Each thread's generator state, kept where a thread's first access does
// not allocate:
// - ELF: a static-TLS variable. A dlopen'ed module's default (dynamic) TLS
//   is set up lazily, with an allocation, on a thread's first access.
// - Windows: the compiler emulates thread_local and allocates on a thread's
//   first access, so the state is the value of one operating-system TLS
//   slot, taken when the module loads. A slot's value starts as zero on
//   every thread, so the state is kept exclusive-or 1 and a fresh thread
//   starts from state 1. Reading and writing a slot touch only the thread's
//   own block: no allocation, no lock, no call into the kernel.
#include "engine/Random.h"

#if !defined(_WIN32)

namespace stipplewave {
namespace {

#if defined(__ELF__)
__attribute__((tls_model("initial-exec")))
#endif
thread_local std::uint32_t threadState = 1;

}  // namespace

std::uint32_t loadRandomState() { return threadState; }
void storeRandomState(std::uint32_t state) { threadState = state; }

}  // namespace stipplewave

#else

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace stipplewave {
namespace {

constexpr std::uint32_t kFreshSlotMark = 1u;

class RandomSlot {
public:
    RandomSlot() : index(TlsAlloc()) {}
    ~RandomSlot() {
        if (available()) {
            TlsFree(index);
        }
    }
    RandomSlot(const RandomSlot&) = delete;
    RandomSlot& operator=(const RandomSlot&) = delete;

    bool available() const { return index != TLS_OUT_OF_INDEXES; }

    std::uint32_t load() const {
        // A slot read clears the thread's last-error value; the host's is
        // left as it was.
        const DWORD lastError = GetLastError();
        const auto value = reinterpret_cast<std::uintptr_t>(TlsGetValue(index));
        SetLastError(lastError);
        return static_cast<std::uint32_t>(value) ^ kFreshSlotMark;
    }
    void store(std::uint32_t state) const {
        TlsSetValue(index, reinterpret_cast<void*>(static_cast<std::uintptr_t>(state ^ kFreshSlotMark)));
    }

private:
    DWORD index;
};

// Taken while the module loads, before any effect exists.
const RandomSlot slot;

// Only if the process has run out of TLS slots: one state for all threads,
// which keeps the draws well defined though no longer per thread.
std::atomic<std::uint32_t> sharedState{1};

}  // namespace

std::uint32_t loadRandomState() {
    return slot.available() ? slot.load() : sharedState.load(std::memory_order_relaxed);
}

void storeRandomState(std::uint32_t state) {
    if (slot.available()) {
        slot.store(state);
    } else {
        sharedState.store(state, std::memory_order_relaxed);
    }
}

}  // namespace stipplewave

#endif
