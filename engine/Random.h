// The generator behind the random flips: a linear congruential generator
// whose 32-bit state starts at 1 on every thread and is never seeded.
//
// Threading: the state belongs to the thread and is shared by every effect
// of this module that processes on that thread, so their draws interleave;
// each thread that runs the audio routines has its own sequence. A flip pass
// loads the thread's state once, draws, and stores it back; nothing else
// touches it, so no lock is needed.
//
// Where the state lives (engine/Random.cpp) is chosen so that a thread's
// first draw does not allocate: its first flips come on the audio thread.
#pragma once

#include <cstdint>

namespace stipplewave {

// The single-precision value nearest to 1/32767 (bits 0x38000100).
constexpr float kRandomDrawToUnit = 3.0518509e-05f;

// A draw of 0 to 32767 as a number from 0 to 1 - 2^-30, never 1. The product
// is exact in double precision; rounded to single precision the largest draw
// would become exactly 1 and a Randomize of 1 would then miss a switch.
inline double randomUnitFromDraw(std::int32_t draw) {
    return static_cast<double>(draw) * static_cast<double>(kRandomDrawToUnit);
}

// Advances a generator state and returns bits 16 to 30 of the new state,
// 0 to 32767.
inline std::int32_t advanceRandom(std::uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFFu);
}

// This thread's generator state, and its replacement (engine/Random.cpp).
std::uint32_t loadRandomState();
void storeRandomState(std::uint32_t state);

// This thread's generator for the length of one pass of draws: loaded when
// made, stored back when the pass ends.
class ThreadRandom {
public:
    ThreadRandom() : state(loadRandomState()) {}
    ~ThreadRandom() { storeRandomState(state); }
    ThreadRandom(const ThreadRandom&) = delete;
    ThreadRandom& operator=(const ThreadRandom&) = delete;

    std::int32_t nextDraw() { return advanceRandom(state); }

private:
    std::uint32_t state;
};

// The next draw of this thread's generator.
inline std::int32_t nextRandomDraw() { return ThreadRandom().nextDraw(); }

}  // namespace stipplewave
