// Arithmetic of the bar and step clocks. A clock counts one sample at a time
// while its counter is below its length (the integer compared exactly, in
// double precision, with the float length) and resets to 0 on the sample
// where it is not, so a clock period lasts ceil(length) + 1 samples.
//
// A length that the 32-bit counter can never reach (above 2147483647,
// infinite, or NaN, as a tempo of 0 or a nonsense sample rate gives) stops
// the clock instead: its counter keeps its value and no boundary comes until
// a later tempo refresh gives a reachable length. A counter therefore never
// grows past 2147483647.
#pragma once

#include <cmath>
#include <cstdint>

namespace stipplewave {

constexpr double kLongestReachableLength = 2147483647.0;
// What boundaryCount gives for a stopped clock.
constexpr std::int32_t kStoppedClock = -1;

inline bool clockStopped(float length) { return !(static_cast<double>(length) <= kLongestReachableLength); }

// The lowest counter value that is not below `length`: the clock reaches its
// boundary on the sample that finds the counter there or beyond. 0 for
// lengths of 0 or less (every sample is a boundary); kStoppedClock for a
// length the counter cannot reach.
inline std::int32_t boundaryCount(float length) {
    if (clockStopped(length)) {
        return kStoppedClock;
    }
    const double boundary = std::ceil(static_cast<double>(length));
    return boundary > 0.0 ? static_cast<std::int32_t>(boundary) : 0;
}

// The number of samples from now on which a running clock only counts,
// before the sample that reaches its boundary.
inline std::int32_t samplesBeforeBoundary(std::int32_t counter, std::int32_t boundary) {
    return boundary > counter ? boundary - counter : 0;
}

}  // namespace stipplewave
