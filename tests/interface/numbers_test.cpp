// Float-to-int conversions: the edge values every build must agree on, and a
// sweep over the float bit patterns against the processor's own conversion
// instructions, whose results the helpers pin.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "interface/numbers.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr float inf_f = std::numeric_limits<float>::infinity();
constexpr double inf_d = std::numeric_limits<double>::infinity();
constexpr float two_31_f = 2147483648.0f;

float Float_From_Bits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(Truncate_To_Int, Invalid_Input_Gives_The_Integer_Indefinite) {
    for (float value : {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(), inf_f,
                        -inf_f, two_31_f, 1e10f, -1e10f, std::nextafter(-two_31_f, -inf_f),
                        std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()})
        EXPECT_EQ(Truncate_To_Int(value), INT32_MIN) << value;
    for (double value : {std::numeric_limits<double>::quiet_NaN(), inf_d, -inf_d, 2147483648.0, -2147483649.0, 1e300})
        EXPECT_EQ(Truncate_To_Int(value), INT32_MIN) << value;
}

TEST(Truncate_To_Int, Goes_Toward_Zero_Up_To_The_Limits) {
    EXPECT_EQ(Truncate_To_Int(0.0f), 0);
    EXPECT_EQ(Truncate_To_Int(-0.0f), 0);
    EXPECT_EQ(Truncate_To_Int(0.99999994f), 0);
    EXPECT_EQ(Truncate_To_Int(-0.99999994f), 0);
    EXPECT_EQ(Truncate_To_Int(1.5f), 1);
    EXPECT_EQ(Truncate_To_Int(-1.5f), -1);
    EXPECT_EQ(Truncate_To_Int(-two_31_f), INT32_MIN);
    EXPECT_EQ(Truncate_To_Int(std::nextafter(two_31_f, 0.0f)), 2147483520);
    // Denormals are tiny numbers, not garbage.
    EXPECT_EQ(Truncate_To_Int(std::numeric_limits<float>::denorm_min()), 0);
    EXPECT_EQ(Truncate_To_Int(-std::numeric_limits<float>::denorm_min()), 0);
    EXPECT_EQ(Truncate_To_Int(std::numeric_limits<double>::denorm_min()), 0);

    EXPECT_EQ(Truncate_To_Int(2147483647.9), 2147483647);
    EXPECT_EQ(Truncate_To_Int(-2147483648.9), INT32_MIN);
    EXPECT_EQ(Truncate_To_Int(-7.999), -7);
}

TEST(Round_To_Int, Ties_Go_To_Even) {
    const float ties[] = {0.5f, 1.5f, 2.5f, -0.5f, -1.5f, -2.5f, 8388607.5f};
    const std::int32_t expected[] = {0, 2, 2, 0, -2, -2, 8388608};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(Round_To_Int(ties[i]), expected[i]) << ties[i];
        EXPECT_EQ(Round_To_Int(double(ties[i])), expected[i]) << ties[i];
    }
    EXPECT_EQ(Round_To_Int(0.50000006f), 1);
    EXPECT_EQ(Round_To_Int(-1.4999999f), -1);
    EXPECT_EQ(Round_To_Int(2147483646.5), 2147483646);
    EXPECT_EQ(Round_To_Int(-2147483647.5), INT32_MIN);  // to even: -2147483648, still in range
}

TEST(Round_To_Int, Invalid_Input_Gives_The_Integer_Indefinite) {
    for (float value : {std::numeric_limits<float>::quiet_NaN(), inf_f, -inf_f, two_31_f, 3e9f, -3e9f})
        EXPECT_EQ(Round_To_Int(value), INT32_MIN) << value;
    EXPECT_EQ(Round_To_Int(-two_31_f), INT32_MIN);
    EXPECT_EQ(Round_To_Int(std::nextafter(two_31_f, 0.0f)), 2147483520);
    for (double value : {std::numeric_limits<double>::quiet_NaN(), inf_d, 2147483647.5, 2147483648.0, -2147483649.0})
        EXPECT_EQ(Round_To_Int(value), INT32_MIN) << value;
    EXPECT_EQ(Round_To_Int(2147483647.4), 2147483647);
    EXPECT_EQ(Round_To_Int(-0.0f), 0);
    EXPECT_EQ(Round_To_Int(std::numeric_limits<float>::denorm_min()), 0);
}

TEST(To_16_16, Scales_Then_Truncates) {
    EXPECT_EQ(To_16_16(1.0f), 65536);
    EXPECT_EQ(To_16_16(-1.5f), -98304);
    EXPECT_EQ(To_16_16(1.0f / 65536.0f), 1);
    EXPECT_EQ(To_16_16(0.9f / 65536.0f), 0);
    EXPECT_EQ(To_16_16(-0.9f / 65536.0f), 0);
    EXPECT_EQ(To_16_16(32767.99f), Truncate_To_Int(32767.99f * 65536.0f));
    EXPECT_EQ(To_16_16(32768.0f), INT32_MIN);
    EXPECT_EQ(To_16_16(std::numeric_limits<float>::quiet_NaN()), INT32_MIN);
}

#if defined(__SSE2__)
// The helpers must give what the x86 conversion instructions give, for every
// input: sweep the float bit patterns with a stride that visits every
// exponent many times, plus the neighbourhood of each power of two.
TEST(Conversions, Agree_With_The_Processor_Over_Float_Bit_Patterns) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    auto check = [](float value) {
        ASSERT_EQ(Truncate_To_Int(value), _mm_cvttss_si32(_mm_set_ss(value))) << value;
        ASSERT_EQ(Round_To_Int(value), _mm_cvtss_si32(_mm_set_ss(value))) << value;
        const double wide = double(value) * 1.0000001;
        ASSERT_EQ(Truncate_To_Int(wide), _mm_cvttsd_si32(_mm_set_sd(wide))) << wide;
        ASSERT_EQ(Round_To_Int(wide), _mm_cvtsd_si32(_mm_set_sd(wide))) << wide;
    };
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 65521) check(Float_From_Bits(std::uint32_t(bits)));
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
        for (std::uint32_t sign : {0u, 0x80000000u}) {
            const std::uint32_t power = sign | exponent << 23;
            for (std::uint32_t offset = 0; offset < 16; ++offset) {
                check(Float_From_Bits(power + offset));
                check(Float_From_Bits(power - offset));
                check(Float_From_Bits(power | 0x400000u));  // the midpoint: halves and ties
            }
        }
    }
}
#endif

}  // namespace
