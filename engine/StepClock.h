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

inline bool clockStopped(float length) { return !(static_cast<double>(length) <= kLongestReachableLength); }

// The number of samples from now on which a running clock only counts, before
// the sample that finds its counter at or past the length. 0 when the next
// sample is a boundary (negative lengths included).
inline std::int32_t samplesBeforeBoundary(std::int32_t counter, float length) {
    const double boundary = std::ceil(static_cast<double>(length));
    return boundary > counter ? static_cast<std::int32_t>(boundary - counter) : 0;
}

}  // namespace stipplewave
