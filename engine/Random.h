// The generator behind the random flips: a linear congruential generator
// whose 32-bit state starts at 1 on every thread and is never seeded.
//
// Threading: the state is thread_local and shared by every effect of this
// module that processes on the same thread, so their draws interleave; each
// thread that runs the audio routines has its own sequence. A draw is plain
// arithmetic on the thread's slot (see STIPPLEWAVE_STATIC_TLS for how the
// slot is set up).
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

// Static TLS on ELF targets: a dlopen'ed module's default dynamic TLS is set
// up lazily, with an allocation, on a thread's first access, which would
// fall on the audio thread. The emulated TLS of the Windows builds still
// allocates once per thread, on the first draw.
#if defined(__ELF__)
#define STIPPLEWAVE_STATIC_TLS __attribute__((tls_model("initial-exec")))
#else
#define STIPPLEWAVE_STATIC_TLS
#endif

// This thread's generator state.
inline std::uint32_t& randomState() {
    static thread_local std::uint32_t state STIPPLEWAVE_STATIC_TLS = 1;
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
