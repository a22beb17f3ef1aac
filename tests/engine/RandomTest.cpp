// The flip generator: its sequence, its scale and its per-thread state.
#include <gtest/gtest.h>

#include <vector>

#include "engine/Random.h"
#include "tests/engine/EngineTestSupport.h"

namespace stipplewave {
namespace {

using enginetest::bitsOf;
using enginetest::runOnFreshThread;

std::vector<std::int32_t> firstDraws(int count) {
    std::vector<std::int32_t> draws;
    for (int i = 0; i < count; ++i) {
        draws.push_back(nextRandomDraw());
    }
    return draws;
}

TEST(RandomGenerator, FreshThreadStartsFromStateOne) {
    std::vector<std::int32_t> draws;
    runOnFreshThread([&] { draws = firstDraws(4); });
    EXPECT_EQ(draws, (std::vector<std::int32_t>{41, 18467, 6334, 26500}));
}

TEST(RandomGenerator, EachThreadHasItsOwnState) {
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> second;
    runOnFreshThread([&] {
        first = firstDraws(3);
        runOnFreshThread([&] { second = firstDraws(3); });
        first.push_back(nextRandomDraw());
    });
    EXPECT_EQ(second, (std::vector<std::int32_t>{41, 18467, 6334}));
    EXPECT_EQ(first, (std::vector<std::int32_t>{41, 18467, 6334, 26500}));
}

TEST(RandomGenerator, DrawsStayWithinFifteenBits) {
    runOnFreshThread([] {
        std::int32_t lowest = 32767;
        std::int32_t highest = 0;
        for (int i = 0; i < 200000; ++i) {
            const std::int32_t draw = nextRandomDraw();
            lowest = std::min(lowest, draw);
            highest = std::max(highest, draw);
        }
        EXPECT_EQ(lowest, 0);
        EXPECT_EQ(highest, 32767);
    });
}

TEST(RandomGenerator, ScaleIsTheFloatNearestToOneOver32767) {
    EXPECT_EQ(bitsOf(kRandomDrawToUnit), 0x38000100u);
}

TEST(RandomGenerator, UnitValuesOfKeyDraws) {
    struct Case {
        std::int32_t draw;
        double unit;
    };
    // The factor is 2^-15 + 2^-30, so every product below is exact.
    const Case cases[] = {
        {0, 0.0},
        {1, 0x1p-15 + 0x1p-30},
        {16383, 16383 * (0x1p-15 + 0x1p-30)},
        {16384, 0.5 + 0x1p-16},
        {32767, 1.0 - 0x1p-30},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(randomUnitFromDraw(c.draw), c.unit) << "draw " << c.draw;
    }
    EXPECT_LT(randomUnitFromDraw(32767), 1.0);
    EXPECT_LT(randomUnitFromDraw(16383), 0.5);
    EXPECT_GT(randomUnitFromDraw(16384), 0.5);
}

}  // namespace
}  // namespace stipplewave
