// The build settings that every target shares and the engine's labels depend on.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

// Weights and capacities are 32-bit ints computed in IEEE single precision.
static_assert(std::numeric_limits<float>::is_iec559 && sizeof(float) == 4, "IEEE single float");
static_assert(sizeof(int) == 4 && INT_MAX == 2147483647, "32-bit int");

// A multiply-add fused into one rounding changes the last bit of a weight, and with it a label.
// (1 + 2^-12)^2 - (1 + 2^-11) is 0 when the product is rounded first and 2^-24 when it is not.
TEST(Build, MultiplyAddsAreRoundedTwice) {
    volatile float a = 1.0f + 1.0f / 4096.0f;
    volatile float c = -(1.0f + 1.0f / 2048.0f);
    const float x = a, y = c;
    EXPECT_EQ(x * x + y, 0.0f);
}
