#include "tests/drop/ArrayBlocks.h"

#include <cstdlib>
#include <new>

namespace stipplewave::test::arrayBlocks {

namespace {

// Fixed tables: the recording itself must not allocate.
constexpr std::size_t capacity = 4096;

struct Made {
    const void* block;
    std::size_t size;
    bool freed;
};

struct Watch {
    bool on = false;
    Made made[capacity];
    std::size_t madeCount = 0;
    const void* freedElsewhere[capacity];
    std::size_t freedElsewhereCount = 0;
};

Watch& watch() {
    static Watch shared;
    return shared;
}

void noteMade(const void* block, std::size_t size) {
    Watch& w = watch();
    if (w.on && block != nullptr && w.madeCount < capacity) {
        w.made[w.madeCount++] = Made{block, size, false};
    }
}

void noteFreed(const void* block) {
    Watch& w = watch();
    if (!w.on || block == nullptr) {
        return;
    }
    for (std::size_t i = w.madeCount; i-- > 0;) {
        if (w.made[i].block == block && !w.made[i].freed) {
            w.made[i].freed = true;
            return;
        }
    }
    if (w.freedElsewhereCount < capacity) {
        w.freedElsewhere[w.freedElsewhereCount++] = block;
    }
}

}  // namespace

void startWatching() {
    Watch& w = watch();
    w.madeCount = 0;
    w.freedElsewhereCount = 0;
    w.on = true;
}

void stopWatching() { watch().on = false; }

std::size_t sizeMade(const void* block) {
    const Watch& w = watch();
    for (std::size_t i = w.madeCount; i-- > 0;) {
        if (w.made[i].block == block) {
            return w.made[i].size;
        }
    }
    return 0;
}

bool wasFreed(const void* block) {
    const Watch& w = watch();
    for (std::size_t i = w.madeCount; i-- > 0;) {
        if (w.made[i].block == block) {
            return w.made[i].freed;
        }
    }
    for (std::size_t i = 0; i < w.freedElsewhereCount; ++i) {
        if (w.freedElsewhere[i] == block) {
            return true;
        }
    }
    return false;
}

std::size_t stillHeld() {
    const Watch& w = watch();
    std::size_t held = 0;
    for (std::size_t i = 0; i < w.madeCount; ++i) {
        held += w.made[i].freed ? 0 : 1;
    }
    return held;
}

}  // namespace stipplewave::test::arrayBlocks

namespace blocks = stipplewave::test::arrayBlocks;

void* operator new[](std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    blocks::noteMade(block, size);
    return block;
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    void* block = std::malloc(size != 0 ? size : 1);
    blocks::noteMade(block, size);
    return block;
}

void operator delete[](void* block) noexcept {
    blocks::noteFreed(block);
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept { operator delete[](block); }

void operator delete[](void* block, const std::nothrow_t&) noexcept { operator delete[](block); }
