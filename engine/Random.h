// The generator behind the random flips: a linear congruential generator
// whose 32-bit state starts at 1 on every thread and is never seeded.
//
// Threading: the state is thread_local and shared by every effect of this
// module that processes on the same thread, so their draws interleave; each
// thread that runs the audio routines has its own sequence. The first draw
// on a thread may make the runtime set up that thread's slot; afterwards a
// draw is plain arithmetic on the slot.
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

// This thread's generator state.
inline std::uint32_t& randomState() {
    thread_local std::uint32_t state = 1;
    return state;
}

// Advances a generator state and returns bits 16 to 30 of the new state,
// 0 to 32767.
inline std::int32_t advanceRandom(std::uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFFu);
}

// The next draw of this thread's generator.
inline std::int32_t nextRandomDraw() { return advanceRandom(randomState()); }

}  // namespace stipplewave
