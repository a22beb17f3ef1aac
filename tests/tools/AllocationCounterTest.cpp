#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "tools/hostlib/AllocationCounter.h"

namespace vsthost {
namespace {

TEST(AllocationCounter, CountsOnlyThisThreadsAllocationsInsideTheScope) {
    if (!allocationCountingAvailable()) {
        GTEST_SKIP() << "allocation counting needs a Linux build without sanitizers";
    }
    // The other thread is started before counting, since starting a thread
    // allocates on the starting thread.
    std::atomic<int> stage{0};
    std::thread other([&] {
        while (stage.load() != 1) {
        }
        std::unique_ptr<int> elsewhere(new int(2));
        stage.store(2);
    });
    std::int64_t atStart = -1;
    std::int64_t afterOtherThread = -1;
    std::int64_t afterOwn = -1;
    {
        AllocationScope scope;
        atStart = scope.count();
        stage.store(1);
        while (stage.load() != 2) {
        }
        afterOtherThread = scope.count();
        std::unique_ptr<int> mine(new int(3));
        void* block = std::malloc(64);
        block = std::realloc(block, 128);
        std::free(block);
        afterOwn = scope.count();
    }
    other.join();
    EXPECT_EQ(atStart, 0);
    EXPECT_EQ(afterOtherThread, 0) << "another thread's allocations are not counted";
    EXPECT_EQ(afterOwn, 3) << "new, malloc and realloc";
}

}  // namespace
}  // namespace vsthost
