// Counts heap allocations made on the calling thread while counting is on,
// so that a host can prove an effect's processing allocates nothing.
//
// Threading: both the switch and the count are per thread, so only
// allocations made on the thread that processes are counted, and the
// allocation functions never touch shared state.
//
// The count works by replacing the C library's allocation functions in the
// host executable (Linux, without sanitizers, which replace them
// themselves). Elsewhere `allocationCountingAvailable()` is false.
#pragma once

#include <cstdint>

namespace vsthost {

bool allocationCountingAvailable();

// Counts allocations on this thread for the object's lifetime.
class AllocationScope {
public:
    AllocationScope();
    ~AllocationScope();
    AllocationScope(const AllocationScope&) = delete;
    AllocationScope& operator=(const AllocationScope&) = delete;
    // Allocations counted on this thread since the scope began.
    std::int64_t count() const;

private:
    std::int64_t start;
    bool wasCounting;
};

}  // namespace vsthost
