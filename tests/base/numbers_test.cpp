// Float-to-int conversions give what the x86 conversion instructions give
// (invalid input pinned to INT32_MIN, ties to even), so every build agrees:
// checked against the instructions themselves.
#include <gtest/gtest.h>

#include <emmintrin.h>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "base/numbers.h"

namespace {

// Float bit patterns at a stride that visits every exponent many times, and
// around each power of two (zeros, denormals, infinities, NaNs, halves, ties);
// doubles near those and at the edges of the int range.
TEST(Conversions, Agree_With_The_Processor_Over_Float_Bit_Patterns_And_Double_Range_Edges) {
    const auto check_double = [](double wide) {
        ASSERT_EQ(Truncate_To_Int(wide), _mm_cvttsd_si32(_mm_set_sd(wide))) << wide;
        ASSERT_EQ(Round_To_Int(wide), _mm_cvtsd_si32(_mm_set_sd(wide))) << wide;
    };
    const auto check = [&](std::uint32_t bits) {
        const float value = std::bit_cast<float>(bits);
        ASSERT_EQ(Truncate_To_Int(value), _mm_cvttss_si32(_mm_set_ss(value))) << value;
        ASSERT_EQ(Round_To_Int(value), _mm_cvtss_si32(_mm_set_ss(value))) << value;
        const __m128 lanes = _mm_setr_ps(value, -value, 0.5f, value);
        ASSERT_EQ(_mm_cvtsi128_si32(Truncate_To_Int_4(lanes)), _mm_cvttss_si32(_mm_set_ss(value))) << value;
        ASSERT_EQ(_mm_cvtsi128_si32(Round_To_Int_4(lanes)), _mm_cvtss_si32(_mm_set_ss(value))) << value;
        ASSERT_EQ(_mm_cvtsi128_si32(_mm_srli_si128(Round_To_Int_4(lanes), 4)), _mm_cvtss_si32(_mm_set_ss(-value)))
            << -value;
        check_double(double(value) * 1.0000001);
    };
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 65521) check(std::uint32_t(bits));
    for (std::uint32_t power = 0; power < 512; ++power)  // sign and exponent
        for (std::uint32_t offset = 0; offset < 16; ++offset) {
            check((power << 23) + offset);
            check((power << 23) - offset);
            check((power << 23 | 0x400000u) - offset);
        }
    for (double edge : {2147483647.4, 2147483647.5, 2147483647.9, 2147483648.0, -2147483648.4, -2147483648.5,
                        -2147483648.9, -2147483649.0, 4.9e-324, -0.0, 1e300})
        check_double(edge);
    // The pinned results themselves, and 16.16 as truncation of x 65536.
    EXPECT_EQ(Round_To_Int(std::numeric_limits<float>::quiet_NaN()), INT32_MIN);
    EXPECT_EQ(Round_To_Int(2.5f), 2);
    EXPECT_EQ(To_16_16(1.0f / 65536.0f), 1);
    EXPECT_EQ(To_16_16(-1.5f), -98304);
    EXPECT_EQ(To_16_16(-0.9f / 65536.0f), 0);
    EXPECT_EQ(To_16_16(32768.0f), INT32_MIN);
}

// A host may leave MXCSR in another rounding mode (or with denormals flushed);
// rounding must still be to nearest even. Expected values come from the
// processor's own conversion under the default mode, taken before the switch.
TEST(Conversions, Round_Ignores_The_Rounding_Mode_The_Host_Left) {
    std::vector<float> values = {0.5f,   1.5f,        2.5f,          -0.5f,          -1.5f,
                                 -2.5f,  0.49999997f, -0.50000006f,  8388607.5f,     -8388607.5f,
                                 1e-40f, -1e-40f,     2147483520.0f, -2147483648.0f, 3e9f};
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(-70000.0f, 70000.0f);
    for (int i = 0; i < 20000; ++i) values.push_back(std::round(spread(random) * 2.0f) / 4.0f);  // many ties
    std::vector<std::int32_t> expected;
    std::vector<std::int32_t> expected_double;
    for (float value : values) {
        expected.push_back(_mm_cvtss_si32(_mm_set_ss(value)));
        expected_double.push_back(_mm_cvtsd_si32(_mm_set_sd(double(value))));
    }
    const unsigned int saved = _mm_getcsr();
    for (unsigned int mode : {_MM_ROUND_DOWN, _MM_ROUND_UP, _MM_ROUND_TOWARD_ZERO}) {
        _mm_setcsr((saved & ~_MM_ROUND_MASK) | mode | _MM_FLUSH_ZERO_ON | 0x40u /* denormals are zero */);
        std::vector<std::int32_t> rounded;
        std::vector<std::int32_t> rounded_double;
        for (float value : values) {
            rounded.push_back(Round_To_Int(value));
            EXPECT_EQ(_mm_cvtsi128_si32(Round_To_Int_4(_mm_set1_ps(value))), rounded.back()) << value;
            rounded_double.push_back(Round_To_Int(double(value)));
        }
        _mm_setcsr(saved);
        EXPECT_EQ(rounded, expected) << "mode " << mode;
        EXPECT_EQ(rounded_double, expected_double) << "mode " << mode;
    }
}

}  // namespace
