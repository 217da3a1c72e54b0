// random_test.cpp - the toolkit's generator (its exact sequence from the start-up
// seed, the bounds of a draw, the three draw functions advancing one shared state)
// and the math helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>

#include "media/random.h"

namespace {

constexpr double kTwoPow24 = 16777216.0;

// The seed whose next state is `next`: the multiplier is odd, so it has an inverse
// modulo 2^32 (found by Newton's iteration, each step doubling the correct bits).
int SeedBefore(std::uint32_t next) {
    const std::uint32_t a = 1664525u, c = 1013904223u;
    std::uint32_t inv = a;
    for (int i = 0; i < 5; ++i) inv *= 2u - a * inv;
    return static_cast<int>((next - c) * inv);
}

class RandomTest : public ::testing::Test {
protected:
    void SetUp() override { kx_random_init(); }
    void TearDown() override { kx_random_init(); }
};

TEST_F(RandomTest, SequenceFromTheStartUpSeed) {
    EXPECT_EQ(kx_random_Seed, 1234);
    const std::uint32_t states[] = {3067928073u, 889114580u, 3219257635u};
    const int fractions[] = {11984094, 3473103, 12575225};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        float r = kx_random_Rnd();
        EXPECT_EQ(static_cast<std::uint32_t>(kx_random_Seed), states[i]);
        EXPECT_EQ(r, static_cast<float>(fractions[i] / kTwoPow24));
    }
}

TEST_F(RandomTest, InitRestoresTheStartUpSeed) {
    kx_random_Seed = 42;
    kx_random_Rnd();
    kx_random_init();
    EXPECT_EQ(kx_random_Seed, 1234);
    EXPECT_NEAR(kx_random_Rnd(), 0.7143077, 1e-7);
}

TEST_F(RandomTest, DrawsStayBelowOneAndReachZero) {
    kx_random_Seed = SeedBefore(0xFFFFFFFFu);
    float top = kx_random_Rnd();
    EXPECT_LT(top, 1.0f);
    EXPECT_EQ(top, static_cast<float>(16777215 / kTwoPow24));
    EXPECT_EQ(static_cast<std::uint32_t>(kx_random_Seed), 0xFFFFFFFFu);

    kx_random_Seed = SeedBefore(0);
    EXPECT_EQ(kx_random_Rnd(), 0.0f);

    // A range of 1 keeps the same bound.
    kx_random_Seed = SeedBefore(0xFFFFFF00u);
    EXPECT_LT(kx_random_Rnd3(1.0f), 1.0f);
    for (int i = 0; i < 20000; ++i) {
        float r = kx_random_Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
}

TEST_F(RandomTest, NegativeSeedsRunOnTheUnsignedValue) {
    kx_random_Seed = -1;
    kx_random_Rnd();
    EXPECT_EQ(static_cast<std::uint32_t>(kx_random_Seed), 0xFFFFFFFFu * 1664525u + 1013904223u);
    EXPECT_EQ(kx_random_Seed, 1012239698);
    kx_random_Seed = INT_MIN;
    kx_random_Rnd();
    EXPECT_EQ(static_cast<std::uint32_t>(kx_random_Seed), 0x80000000u * 1664525u + 1013904223u);
}

TEST_F(RandomTest, RangeDrawsShareTheOneSequence) {
    // Each function takes the next fraction of the same sequence.
    float scaled = kx_random_Rnd3(10.0f);
    EXPECT_FLOAT_EQ(scaled, static_cast<float>(10.0 * 11984094 / kTwoPow24));
    float between = kx_random_Rnd2(-1.0f, 3.0f);
    EXPECT_EQ(between, static_cast<float>(-1.0 + 4.0 * (3473103 / kTwoPow24)));
    float plain = kx_random_Rnd();
    EXPECT_EQ(plain, static_cast<float>(12575225 / kTwoPow24));
    EXPECT_EQ(static_cast<std::uint32_t>(kx_random_Seed), 3219257635u);
}

TEST_F(RandomTest, EqualBoundsGiveTheBoundAndStillAdvance) {
    EXPECT_EQ(kx_random_Rnd2(5.0f, 5.0f), 5.0f);
    EXPECT_EQ(static_cast<std::uint32_t>(kx_random_Seed), 3067928073u);
    EXPECT_EQ(kx_random_Rnd3(0.0f), 0.0f);
    EXPECT_EQ(static_cast<std::uint32_t>(kx_random_Seed), 889114580u);
}

TEST_F(RandomTest, RangeDrawIsRoundedOnceFromHigherPrecision) {
    // In floats, (high - low), the product and the sum would each be rounded; the
    // draw is the higher-precision result rounded once. Over a few hundred draws
    // the two ways part at least once, so this tells them apart.
    const float low = 0.3f, high = 123.7f;
    int differsFromFloatMath = 0;
    for (int i = 0; i < 500; ++i) {
        std::uint32_t next = static_cast<std::uint32_t>(kx_random_Seed) * 1664525u + 1013904223u;
        float r = static_cast<float>((next >> 8) / kTwoPow24);
        float expected = static_cast<float>(double(low) + (double(high) - double(low)) * double(r));
        float inFloats = low + (high - low) * r;
        if (inFloats != expected) ++differsFromFloatMath;
        ASSERT_EQ(kx_random_Rnd2(low, high), expected) << i;
    }
    EXPECT_GT(differsFromFloatMath, 0);
}

TEST(MathTest, AbsoluteValues) {
    EXPECT_EQ(kx_math_Abs(-7), 7);
    EXPECT_EQ(kx_math_Abs(7), 7);
    EXPECT_EQ(kx_math_Abs(0), 0);
    EXPECT_EQ(kx_math_Abs(INT_MAX), INT_MAX);
    EXPECT_EQ(kx_math_Abs(-INT_MAX), INT_MAX);
    // No positive counterpart: the value comes back unchanged instead of overflowing.
    EXPECT_EQ(kx_math_Abs(INT_MIN), INT_MIN);

    EXPECT_EQ(kx_math_Abs2(-2.5f), 2.5f);
    EXPECT_EQ(kx_math_Abs2(2.5f), 2.5f);
    EXPECT_EQ(kx_math_Abs2(0.0f), 0.0f);
    EXPECT_EQ(kx_math_Abs2(-1e-30f), 1e-30f);
    EXPECT_EQ(kx_math_Abs2(-INFINITY), INFINITY);
}

TEST(MathTest, DegreeFactorsAreSinglePrecisionInverses) {
    EXPECT_NEAR(D2R * 180.0f, 3.14159265, 1e-6);
    EXPECT_NEAR(R2D * 3.14159265f, 180.0, 1e-4);
    EXPECT_NEAR(D2R * R2D, 1.0, 1e-7);
}

}  // namespace
