// The one place where floats become integers, and where integers wrap. x86
// converts NaN and out-of-range values to 0x80000000; we pin that result so
// every build (and every sanitizer) agrees and no conversion is ever undefined.
#ifndef QUORVEL_NUMBERS_H
#define QUORVEL_NUMBERS_H

#include <emmintrin.h>  // SSE2: the baseline of every build, 32-bit included

#include <cstdint>

// The range test comes first so that no cast is undefined; what is left
// compiles to the processor's cvttss2si / cvttsd2si, which never reads the
// rounding mode. (The intrinsics would give the pinned value by themselves,
// but compilers fold them on constants as if they were casts.)
constexpr std::int32_t Truncate_To_Int(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t Truncate_To_Int(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// Round to nearest, ties to even, whatever rounding mode the host left in
// MXCSR: the rounding conversion (cvtss2si) would follow the host's mode, so
// we truncate and look at the fraction instead. value - whole is exact (the
// fraction of a float below 2^31 is representable), and an exact result does
// not depend on the mode either. No library call: the 256 x 256 span loops
// round two samples every 8 pixels.
[[gnu::always_inline]] constexpr std::int32_t Round_To_Int(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT32_MIN;
    const std::int32_t whole = static_cast<std::int32_t>(value);
    const float fraction = value - static_cast<float>(whole);
    const bool odd = (whole & 1) != 0;
    const std::int32_t up = (fraction > 0.5f) | ((fraction == 0.5f) & odd);
    const std::int32_t down = (fraction < -0.5f) | ((fraction == -0.5f) & odd);
    return whole + up - down;
}

// A double can lie between 2^31 - 1 and 2^31 with a fraction, so the range is
// checked first: everything that rounds outside int32 is pinned.
constexpr std::int32_t Round_To_Int(double value) {
    if (!(value > -2147483648.5 && value < 2147483647.5)) return INT32_MIN;
    const std::int32_t whole = static_cast<std::int32_t>(value);
    const double fraction = value - static_cast<double>(whole);
    const bool odd = (whole & 1) != 0;
    const std::int32_t up = (fraction > 0.5) | ((fraction == 0.5) & odd);
    const std::int32_t down = (fraction < -0.5) | ((fraction == -0.5) & odd);
    return whole + up - down;
}

// Four lanes at once, for the span loops' exact samples (u and v together).
// Each lane gives what the one-value form gives: the conversions never read
// the rounding mode, the fraction is exact, and lanes outside the int range
// (NaN included) are pinned to INT32_MIN after the arithmetic.
inline __m128i Pinned_Lanes(__m128 value, __m128i converted) {
    const __m128 low_enough = _mm_cmplt_ps(value, _mm_set1_ps(2147483648.0f));
    const __m128i keep = _mm_castps_si128(_mm_and_ps(_mm_cmpge_ps(value, _mm_set1_ps(-2147483648.0f)), low_enough));
    return _mm_or_si128(_mm_and_si128(keep, converted), _mm_andnot_si128(keep, _mm_set1_epi32(INT32_MIN)));
}

inline __m128i Truncate_To_Int_4(__m128 value) { return Pinned_Lanes(value, _mm_cvttps_epi32(value)); }

inline __m128i Round_To_Int_4(__m128 value) {
    const __m128i whole = _mm_cvttps_epi32(value);
    const __m128 fraction = _mm_sub_ps(value, _mm_cvtepi32_ps(whole));
    const __m128i one = _mm_set1_epi32(1);
    const __m128i odd = _mm_cmpeq_epi32(_mm_and_si128(whole, one), one);
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 minus_half = _mm_set1_ps(-0.5f);
    // Masks are all ones (-1) where true: whole - up + down.
    const __m128i up = _mm_or_si128(_mm_castps_si128(_mm_cmpgt_ps(fraction, half)),
                                    _mm_and_si128(_mm_castps_si128(_mm_cmpeq_ps(fraction, half)), odd));
    const __m128i down = _mm_or_si128(_mm_castps_si128(_mm_cmplt_ps(fraction, minus_half)),
                                      _mm_and_si128(_mm_castps_si128(_mm_cmpeq_ps(fraction, minus_half)), odd));
    return Pinned_Lanes(value, _mm_add_epi32(_mm_sub_epi32(whole, up), down));
}

// 16.16 fixed point from a float position: trunc(value * 65536).
constexpr std::int32_t To_16_16(float value) { return Truncate_To_Int(value * 65536.0f); }

// The 32-bit x86 add, subtract and multiply wrap. Steppers that may run on
// garbage (edge x, span-loop sums, linear light) and the shade tables'
// products of out-of-range percentages wrap on purpose, through these, so the
// result is defined and identical on every build instead of signed overflow.
constexpr std::int32_t Wrapping_Add(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr std::int32_t Wrapping_Subtract(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
constexpr std::int32_t Wrapping_Multiply(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

#endif
