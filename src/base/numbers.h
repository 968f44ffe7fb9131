// The one place where floats become integers, and where integers wrap. x86
// converts NaN and out-of-range values to 0x80000000; we pin that result so
// every build (and every sanitizer) agrees and no conversion is ever undefined.
#ifndef QUORVEL_NUMBERS_H
#define QUORVEL_NUMBERS_H

#include <cmath>
#include <cstdint>

constexpr std::int32_t Truncate_To_Int(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t Truncate_To_Int(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// Round to nearest, ties to even: the floating-point unit's default mode,
// which the 256 x 256 span loops use for their exact samples.
inline std::int32_t Round_To_Int(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(std::nearbyint(value));
}

inline std::int32_t Round_To_Int(double value) {
    if (!(value > -2147483648.5 && value < 2147483647.5)) return INT32_MIN;
    return static_cast<std::int32_t>(std::nearbyint(value));
}

// 16.16 fixed point from a float position: trunc(value * 65536).
inline std::int32_t To_16_16(float value) { return Truncate_To_Int(value * 65536.0f); }

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
