// Conversions that the host boundary and the toolkit need to be defined for
// every float a host may store: NaN, infinities and values beyond the
// integer range included.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace stipplewave {

// Truncates toward zero like a C cast, but saturates at the int32 range and
// gives 0 for NaN instead of undefined behaviour.
inline std::int32_t truncateToInt32(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    if (x >= 2147483647.0) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (x <= -2147483648.0) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(x);
}

}  // namespace stipplewave
