// The ground rules every effect relies on: clamps, rounding at the edges that
// matter (halves, signs, saturation), the processor-like sine limit and the
// program-wide random sequence.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "effects/effect_common.h"

namespace gleamkit::fx {
namespace {

TEST(ClampTest, ByteAndRangeClampsTestTheUpperBoundFirst) {
    EXPECT_EQ(ClampToByte(256), 255);
    EXPECT_EQ(ClampToByte(-1), 0);
    EXPECT_EQ(ClampToByte(255), 255);
    EXPECT_EQ(ClampToByte(0), 0);
    EXPECT_EQ(ClampToByte(INT32_MIN), 0);
    EXPECT_EQ(ClampInt(5, 0, 3), 3);
    EXPECT_EQ(ClampInt(-2, 0, 3), 0);
    // An inverted range shows the order of the tests: large values meet the
    // upper bound, small ones the lower bound.
    EXPECT_EQ(ClampInt(5, 10, 3), 3);
    EXPECT_EQ(ClampInt(-5, 10, 3), 10);
    EXPECT_EQ(ClampInt(7, 10, 3), 3);
}

TEST(RoundingTest, HalvesGoToEvenAndFloorCeilFollowTheSign) {
    EXPECT_EQ(Round(0.5L), 0);
    EXPECT_EQ(Round(1.5L), 2);
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(3.5L), 4);
    EXPECT_EQ(Round(-0.5L), 0);
    EXPECT_EQ(Round(-1.5L), -2);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(2.5000000001L), 3);
    EXPECT_EQ(Trunc(-1.9L), -1);
    EXPECT_EQ(Trunc(1.9L), 1);
    EXPECT_EQ(Floor(-0.5L), -1);
    EXPECT_EQ(Floor(-2.0L), -2);
    EXPECT_EQ(Floor(0.7L), 0);
    EXPECT_EQ(Ceil(0.2L), 1);
    EXPECT_EQ(Ceil(-0.2L), 0);
    EXPECT_EQ(Ceil(3.0L), 3);
}

TEST(RoundingTest, ConversionsSaturateOutsideTheIntegerRangeAndNanGivesZero) {
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double inf = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(Round(1e20L), INT32_MAX);
    EXPECT_EQ(Round(-1e20L), INT32_MIN);
    EXPECT_EQ(Trunc(inf), INT32_MAX);
    EXPECT_EQ(Floor(-inf), INT32_MIN);
    EXPECT_EQ(Ceil(2147483647.5L), INT32_MAX);
    EXPECT_EQ(Round(nan), 0);
    EXPECT_EQ(Trunc(nan), 0);
    EXPECT_EQ(Round(-2147483648.4L), INT32_MIN);
    EXPECT_EQ(Round(2147483646.6L), 2147483647);
}

TEST(TrigTest, ArgumentsBeyondTwoToTheSixtyThirdGiveZero) {
    const long double limit = 9223372036854775808.0L; // 2^63
    EXPECT_EQ(Sin(limit), 0.0L);
    EXPECT_EQ(Sin(-limit), 0.0L);
    EXPECT_EQ(Cos(limit), 0.0L);
    EXPECT_EQ(Cos(-4 * limit), 0.0L);
    EXPECT_EQ(Sin(std::numeric_limits<long double>::infinity()), 0.0L);
    EXPECT_EQ(Cos(std::numeric_limits<long double>::quiet_NaN()), 0.0L);
    // Just below the limit the argument is still taken.
    EXPECT_NE(Cos(std::nextafter(limit, 0.0L)), 0.0L);
    EXPECT_EQ(Sin(0.0L), 0.0L);
    EXPECT_EQ(Cos(0.0L), 1.0L);
}

TEST(RandomTest, SequenceFromProgramStartAndZeroBound) {
    SetRandomState(0);
    const uint32_t expected[] = {0, 3, 86, 20, 27};
    for (const uint32_t value : expected) EXPECT_EQ(Random(100), value);

    SetRandomState(0);
    EXPECT_EQ(Random(0), 0u);
    EXPECT_EQ(RandomState(), 1u); // the state advances all the same
    EXPECT_EQ(Random(100), 3u);
}

TEST(RandomTest, CursorContinuesTheProgramWideSequence) {
    SetRandomState(12345);
    uint32_t direct[6];
    for (uint32_t& value : direct) value = Random(1000);
    const uint32_t after = RandomState();

    SetRandomState(12345);
    {
        RandomCursor cursor;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(cursor.Next(1000), direct[i]);
    }
    // The cursor handed its state back: plain draws carry on from it.
    for (int i = 3; i < 6; ++i) EXPECT_EQ(Random(1000), direct[i]);
    EXPECT_EQ(RandomState(), after);
}

TEST(RandomTest, ThreeStatesAtOnceMatchThreeSingleSteps) {
    for (const uint32_t start : {0u, 1u, 0x7FFFFFFFu, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        SetRandomState(start);
        uint32_t single[6];
        for (uint32_t& value : single) value = Random(0xFFFFFFFFu);
        SetRandomState(start);
        RandomCursor cursor;
        for (int round = 0; round < 2; ++round) {
            const RandomCursor::ThreeStates states = cursor.NextThreeStates();
            EXPECT_EQ(ScaleRandom(0xFFFFFFFFu, states.first), single[3 * round]);
            EXPECT_EQ(ScaleRandom(0xFFFFFFFFu, states.second), single[3 * round + 1]);
            EXPECT_EQ(ScaleRandom(0xFFFFFFFFu, states.third), single[3 * round + 2]);
        }
    }
}

TEST(RandomTest, DrawsStayBelowTheFullUnsignedBound) {
    SetRandomState(0xFFFFFFF0u);
    for (int i = 0; i < 1000; ++i) EXPECT_LT(Random(0xFFFFFFFFu), 0xFFFFFFFFu);
}

} // namespace
} // namespace gleamkit::fx
