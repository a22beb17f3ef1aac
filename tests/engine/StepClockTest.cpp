// The clock arithmetic: when a length stops a clock and how many samples a
// running clock counts before its boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/StepClock.h"

namespace stipplewave {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(StepClock, LengthsTheCounterCannotReachStopTheClock) {
    struct Case {
        float length;
        bool stopped;
    };
    const Case cases[] = {
        {88200.0f, false},     {5512.5f, false},      {0.0f, false},         {-0.0f, false},
        {-5.0f, false},        {-kInf, false},        {2147483520.0f, false},  // largest float below 2^31
        {2147483648.0f, true}, {1e30f, true},         {kInf, true},          {kNaN, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clockStopped(c.length), c.stopped) << "length " << c.length;
    }
}

TEST(StepClock, SamplesBeforeBoundary) {
    struct Case {
        std::int32_t counter;
        float length;
        std::int32_t samples;
    };
    const Case cases[] = {
        {0, 88200.0f, 88200},    // counts 0..88199, boundary on the sample finding 88200
        {0, 5512.5f, 5513},      // counts 0..5512, boundary at 5513
        {5512, 5512.5f, 1},      {5513, 5512.5f, 0},
        {100, 50.0f, 0},         // a counter already past a shorter length: boundary next
        {0, 0.0f, 0},            {0, 0.25f, 1},
        {0, -3.0f, 0},           {7, -kInf, 0},
        {2147483500, 2147483520.0f, 20},
        {2147483647, 2147483520.0f, 0},
        {0, 2147483520.0f, 2147483520},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(samplesBeforeBoundary(c.counter, c.length), c.samples)
            << "counter " << c.counter << " length " << c.length;
    }
}

}  // namespace
}  // namespace stipplewave
