// Float-to-int conversions: the edge values every build must agree on, and a
// sweep over the float bit patterns against the processor's own conversion
// instructions, whose results the helpers pin.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <emmintrin.h>
#include <limits>

#include "interface/numbers.h"

namespace {

TEST(Conversions, Edge_Values_Truncate_Toward_Zero_Round_To_Even_And_Pin_Invalid_Input) {
    const float inf = std::numeric_limits<float>::infinity(), tiny = std::numeric_limits<float>::denorm_min();
    // value, truncated, rounded: the same for the float and the double helpers.
    const struct { float value; std::int32_t truncated, rounded; } cases[] = {
        {std::numeric_limits<float>::quiet_NaN(), INT32_MIN, INT32_MIN}, {inf, INT32_MIN, INT32_MIN}, {-inf, INT32_MIN, INT32_MIN},
        {2147483648.0f, INT32_MIN, INT32_MIN}, {-2147483648.0f, INT32_MIN, INT32_MIN}, {2147483520.0f, 2147483520, 2147483520},
        {-0.0f, 0, 0}, {tiny, 0, 0}, {-tiny, 0, 0}, {0.5f, 0, 0}, {1.5f, 1, 2}, {2.5f, 2, 2}, {-2.5f, -2, -2},
        {-0.99999994f, 0, -1}, {8388607.5f, 8388607, 8388608}};
    for (const auto& c : cases) {
        EXPECT_TRUE(Truncate_To_Int(c.value) == c.truncated && Truncate_To_Int(double(c.value)) == c.truncated) << c.value;
        EXPECT_TRUE(Round_To_Int(c.value) == c.rounded && Round_To_Int(double(c.value)) == c.rounded) << c.value;
    }
    // Only doubles reach the last values inside the range.
    EXPECT_TRUE(Truncate_To_Int(2147483647.9) == INT32_MAX && Round_To_Int(2147483647.4) == INT32_MAX);
    EXPECT_EQ(Round_To_Int(2147483647.5), INT32_MIN);
    EXPECT_TRUE(To_16_16(1.0f / 65536.0f) == 1 && To_16_16(-1.5f) == -98304 && To_16_16(-0.9f / 65536.0f) == 0);
    EXPECT_EQ(To_16_16(32768.0f), INT32_MIN);
}

// The helpers give what the x86 conversion instructions give: float bit
// patterns at a stride that visits every exponent many times, and around
// each power of two (zeros, denormals, infinities, NaNs, halves and ties).
TEST(Conversions, Agree_With_The_Processor_Over_Float_Bit_Patterns) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    const auto check = [](std::uint32_t bits) {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        const double wide = double(value) * 1.0000001;
        ASSERT_EQ(Truncate_To_Int(value), _mm_cvttss_si32(_mm_set_ss(value))) << value;
        ASSERT_EQ(Round_To_Int(value), _mm_cvtss_si32(_mm_set_ss(value))) << value;
        ASSERT_EQ(Truncate_To_Int(wide), _mm_cvttsd_si32(_mm_set_sd(wide))) << wide;
        ASSERT_EQ(Round_To_Int(wide), _mm_cvtsd_si32(_mm_set_sd(wide))) << wide;
    };
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 65521) check(std::uint32_t(bits));
    for (std::uint32_t power = 0; power < 512; ++power)  // sign and exponent
        for (std::uint32_t offset = 0; offset < 16; ++offset)
            check((power << 23) + offset), check((power << 23) - offset), check((power << 23 | 0x400000u) - offset);
}

}  // namespace
