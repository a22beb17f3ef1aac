#include "tools/hostlib/AllocationCounter.h"

#include <cstddef>

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define VSTHOST_COUNT_ALLOCATIONS 1
#endif

namespace vsthost {
namespace {
thread_local bool counting = false;
thread_local std::int64_t allocations = 0;

inline void noteAllocation() {
    if (counting) {
        ++allocations;
    }
}
}  // namespace

#if VSTHOST_COUNT_ALLOCATIONS
bool allocationCountingAvailable() { return true; }
#else
bool allocationCountingAvailable() { return false; }
#endif

AllocationScope::AllocationScope() : start(allocations), wasCounting(counting) { counting = true; }
AllocationScope::~AllocationScope() { counting = wasCounting; }
std::int64_t AllocationScope::count() const { return allocations - start; }

}  // namespace vsthost

#if VSTHOST_COUNT_ALLOCATIONS
// The executable's definitions take precedence over the C library's for
// every module loaded into the process, the effect's included; each one
// notes the call and hands it to the C library's own implementation.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

__attribute__((visibility("default"))) void* malloc(std::size_t size) {
    vsthost::noteAllocation();
    return __libc_malloc(size);
}
__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) {
    vsthost::noteAllocation();
    return __libc_calloc(count, size);
}
__attribute__((visibility("default"))) void* realloc(void* block, std::size_t size) {
    vsthost::noteAllocation();
    return __libc_realloc(block, size);
}
__attribute__((visibility("default"))) void* memalign(std::size_t alignment, std::size_t size) {
    vsthost::noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment, std::size_t size) {
    vsthost::noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    vsthost::noteAllocation();
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) {
        return 12;  // ENOMEM
    }
    *out = block;
    return 0;
}
}
#endif
