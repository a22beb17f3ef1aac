// The clock arithmetic: when a length stops a clock and how many samples a
// running clock counts before its boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
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

TEST(StepClock, BoundaryCountIsTheFirstCounterValueNotBelowTheLength) {
    struct Case {
        float length;
        std::int32_t boundary;
    };
    const Case cases[] = {
        {88200.0f, 88200},  // counts 0..88199, boundary on the sample finding 88200
        {5512.5f, 5513},    // counts 0..5512, boundary at 5513
        {0.25f, 1},         {0.0f, 0},
        {-0.0f, 0},         {-3.0f, 0},         {-kInf, 0},         {1e-45f, 1},
        {2147483520.0f, 2147483520},
        {2147483648.0f, kStoppedClock}, {1e30f, kStoppedClock}, {kInf, kStoppedClock}, {kNaN, kStoppedClock},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(boundaryCount(c.length), c.boundary) << "length " << c.length;
    }
}

// The boundary count agrees with the per-sample rule "count while the
// counter is below the length" for every counter near it.
TEST(StepClock, BoundaryCountAgreesWithThePerSampleComparison) {
    const float lengths[] = {0.0f, 0.5f, 1.0f, 5512.5f, 88200.0f, 6000.0001f, 70560.0f, 2147483520.0f};
    for (float length : lengths) {
        const std::int32_t boundary = boundaryCount(length);
        for (std::int64_t counter = std::max<std::int64_t>(0, boundary - 3);
             counter <= std::min<std::int64_t>(2147483647, std::int64_t{boundary} + 3); ++counter) {
            const bool counts = static_cast<double>(counter) < static_cast<double>(length);
            EXPECT_EQ(counts, counter < boundary) << "length " << length << " counter " << counter;
        }
    }
}

TEST(StepClock, SamplesBeforeBoundary) {
    struct Case {
        std::int32_t counter;
        std::int32_t boundary;
        std::int32_t samples;
    };
    const Case cases[] = {
        {0, 88200, 88200},    {5512, 5513, 1},     {5513, 5513, 0},
        {100, 50, 0},         // a counter already past a shorter length: boundary next
        {0, 0, 0},            {2147483500, 2147483520, 20},
        {2147483647, 2147483520, 0},              {0, 2147483520, 2147483520},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(samplesBeforeBoundary(c.counter, c.boundary), c.samples)
            << "counter " << c.counter << " boundary " << c.boundary;
    }
}

}  // namespace
}  // namespace stipplewave
