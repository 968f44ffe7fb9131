// Slow, obvious references for the perspective fillers, written from the
// rules of the edge walk, the line set-up, the two kinds of subdivision and
// the pixel operations, without calling the code under test. Coordinates of
// a span are computed pixel by pixel from the exact samples, pixel values
// channel by channel.
#ifndef QUORVEL_TESTS_MAPPED_REFERENCE_H
#define QUORVEL_TESTS_MAPPED_REFERENCE_H

#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "faces/faces.h"

namespace mapped_test {

// --- conversions ----------------------------------------------------------
// NaN and values outside 32 bits become INT32_MIN, as on the x86 unit.
inline bool Ref_Fits(double value) { return !std::isnan(value) && value >= -2147483648.0 && value < 2147483648.0; }
inline std::int32_t Ref_Truncate(double value) {
    return Ref_Fits(value) ? static_cast<std::int32_t>(std::trunc(value)) : INT32_MIN;
}
// Nearest, ties to the even neighbour.
inline std::int32_t Ref_Round(double value) {
    if (!Ref_Fits(value)) return INT32_MIN;
    const double low = std::floor(value);
    const double fraction = value - low;
    double result = low;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(low, 2.0) != 0.0)) result = low + 1.0;
    return Ref_Fits(result) ? static_cast<std::int32_t>(result) : INT32_MIN;
}
inline std::int32_t Ref_Wrap(std::int64_t value) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)); }

// --- edge walk --------------------------------------------------------------
struct Ref_Line {
    std::int32_t x[2] = {0, 0};  // [0] left, [1] right
    float uw[2] = {0, 0}, vw[2] = {0, 0}, w[2] = {0, 0};
};
struct Ref_Edges {
    std::int32_t top = 0, bottom = 0;  // y of the top and bottom vertices
    std::map<std::int32_t, Ref_Line> lines;
};

// Each chain from the top vertex (first smallest y_row) to the bottom one
// (first largest): increasing indices on the left, decreasing on the right.
// Every descending edge writes its lines y_a .. y_b - 1 from its own top
// vertex, adding float increments to double sums.
inline Ref_Edges Reference_Edges(const Prepared_Face& face) {
    const int n = face.vertex_count;
    int top = 0, bottom = 0;
    for (int i = 0; i < n; ++i) {
        if (face.y_row[i] < face.y_row[top]) top = i;
        if (face.y_row[i] > face.y_row[bottom]) bottom = i;
    }
    Ref_Edges edges;
    edges.top = face.y_row[top];
    edges.bottom = face.y_row[bottom];
    for (int side = 0; side < 2; ++side) {
        const int direction = side == 0 ? 1 : n - 1;
        for (int a = top; a != bottom;) {
            const int b = (a + direction) % n;
            const int y_a = face.y_row[a], y_b = face.y_row[b];
            if (y_b > y_a) {
                const double k = 1.0 / (y_b - y_a);
                const double from[4] = {face.x[a], face.u[a], face.v[a], face.w[a]};
                const double to[4] = {face.x[b], face.u[b], face.v[b], face.w[b]};
                double sum[4];
                float increment[4];
                for (int j = 0; j < 4; ++j) {
                    increment[j] = static_cast<float>((to[j] - from[j]) * k);
                    sum[j] = from[j];
                }
                for (int y = y_a; y < y_b; ++y) {
                    Ref_Line& line = edges.lines[y];
                    line.x[side] = Ref_Truncate(sum[0]);
                    line.uw[side] = static_cast<float>(sum[1]);
                    line.vw[side] = static_cast<float>(sum[2]);
                    line.w[side] = static_cast<float>(sum[3]);
                    for (int j = 0; j < 4; ++j) sum[j] += increment[j];
                }
            }
            a = b;
        }
    }
    return edges;
}

// --- line set-up and advance --------------------------------------------------
struct Ref_Context {
    std::int32_t x = 0;
    float w = 0, uw = 0, vw = 0;
    float dw = 0, duw = 0, dvw = 0;
};
inline Ref_Context Reference_Set_Up(const Ref_Line& line) {
    double width = double(line.x[1]) - double(line.x[0]);
    if (width == 0) width = 1;  // the library's guard for lines whose edges met
    const double k = 1.0 / width;
    Ref_Context context;
    context.x = line.x[0];
    context.w = line.w[0];
    context.uw = line.uw[0];
    context.vw = line.vw[0];
    context.dw = static_cast<float>((double(line.w[1]) - double(line.w[0])) * k);
    context.duw = static_cast<float>((double(line.uw[1]) - double(line.uw[0])) * k);
    context.dvw = static_cast<float>((double(line.vw[1]) - double(line.vw[0])) * k);
    return context;
}
inline void Reference_Advance(Ref_Context& context, std::int32_t x) {
    const float distance = static_cast<float>(x - context.x);
    context.w = context.w + context.dw * distance;
    context.uw = context.uw + context.duw * distance;
    context.vw = context.vw + context.dvw * distance;
    context.x = x;
}

// --- coordinates along a span ---------------------------------------------------
struct Ref_Uv {
    std::int32_t u = 0, v = 0;
};
inline Ref_Uv operator+(Ref_Uv a, Ref_Uv b) { return {Ref_Wrap(std::int64_t{a.u} + b.u), Ref_Wrap(std::int64_t{a.v} + b.v)}; }
inline Ref_Uv Times(std::int64_t j, Ref_Uv step) { return {Ref_Wrap(j * step.u), Ref_Wrap(j * step.v)}; }
inline Ref_Uv Step_8(Ref_Uv from, Ref_Uv to) {
    return {Ref_Wrap(std::int64_t{to.u} - from.u) >> 3, Ref_Wrap(std::int64_t{to.v} - from.v) >> 3};
}

// The exact sample k segments after (w, uw, vw): k additions of the 8-pixel
// gradients (each 8 times the per-pixel one), then one float division.
inline Ref_Uv Reference_Exact(const Ref_Context& c, float w, float uw, float vw, int k, bool rounded) {
    for (int i = 0; i < k; ++i) {
        w += 8.0f * c.dw;
        uw += 8.0f * c.duw;
        vw += 8.0f * c.dvw;
    }
    const float r = 1.0f / w;
    const float u = uw * r, v = vw * r;
    return rounded ? Ref_Uv{Ref_Round(u), Ref_Round(v)} : Ref_Uv{Ref_Truncate(u), Ref_Truncate(v)};
}

// Per-pixel loop: pixel i takes the exact sample of its segment (i / 8)
// plus (i % 8) steps towards the next one.
inline std::vector<Ref_Uv> Reference_Coords_Per_Pixel(const Ref_Context& c, int length) {
    std::vector<Ref_Uv> coords;
    for (int i = 0; i < length; ++i) {
        const Ref_Uv start = Reference_Exact(c, c.w, c.uw, c.vw, i / 8, false);
        const Ref_Uv end = Reference_Exact(c, c.w, c.uw, c.vw, i / 8 + 1, false);
        coords.push_back(start + Times(i % 8, Step_8(start, end)));
    }
    return coords;
}

// 256 x 256 loop: an optional alignment pixel at the exact start, then from
// the next column: group 0 exact steps; in group s >= 1 pixel j >= 1 takes
// E(s) + (j - 1) steps and pixel 0 either E(s) (exact_first) or what the
// previous group stepped to: E(0) + 8 steps after group 0, E(s - 1) + 7
// steps after a lagging group.
inline std::vector<Ref_Uv> Reference_Coords_256(const Ref_Context& c, int length, bool alignment_pixel,
                                                bool exact_first) {
    std::vector<Ref_Uv> coords;
    float w = c.w, uw = c.uw, vw = c.vw;
    if (alignment_pixel && length > 0) {
        coords.push_back(Reference_Exact(c, w, uw, vw, 0, true));
        w += c.dw, uw += c.duw, vw += c.dvw;
    }
    auto exact = [&](int k) { return Reference_Exact(c, w, uw, vw, k, true); };
    auto step = [&](int k) { return Step_8(exact(k), exact(k + 1)); };
    for (int i = 0; static_cast<int>(coords.size()) < length; ++i) {
        const int s = i / 8, j = i % 8;
        if (s == 0) coords.push_back(exact(0) + Times(j, step(0)));
        else if (j >= 1) coords.push_back(exact(s) + Times(j - 1, step(s)));
        else if (exact_first) coords.push_back(exact(s));
        else if (s == 1) coords.push_back(exact(0) + Times(8, step(0)));
        else coords.push_back(exact(s - 1) + Times(7, step(s - 1)));
    }
    return coords;
}

// --- texel addressing ------------------------------------------------------------
inline std::uint32_t Reference_Index_General(Ref_Uv at, std::uint32_t width_shift, std::uint32_t index_mask) {
    const std::int64_t row = std::int64_t{at.v >> 8} * (std::int64_t{1} << (width_shift & 31));
    return static_cast<std::uint32_t>(row + (at.u >> 8)) & index_mask;
}
inline std::uint32_t Reference_Index_256(Ref_Uv at) {
    return static_cast<std::uint32_t>((at.v >> 8) & 255) * 256 + static_cast<std::uint32_t>((at.u >> 8) & 255);
}

// --- pixel operations, channel by channel -------------------------------------------
struct Rgb {
    std::uint32_t r, g, b;
};
inline Rgb Split(std::uint32_t pixel, bool is_555) {
    return is_555 ? Rgb{(pixel >> 10) & 31, (pixel >> 5) & 31, pixel & 31}
                  : Rgb{(pixel >> 11) & 31, (pixel >> 5) & 63, pixel & 31};
}
inline std::uint16_t Join(Rgb c, bool is_555) {
    return static_cast<std::uint16_t>(is_555 ? (c.r << 10 | c.g << 5 | c.b) : (c.r << 11 | c.g << 5 | c.b));
}

// Blue is averaged exactly; green and red lose their lowest bits first.
inline std::uint16_t Reference_Blend(std::uint16_t src, std::uint16_t dst, bool is_555) {
    const Rgb s = Split(src, is_555), d = Split(dst, is_555);
    return Join({((s.r & ~1u) + (d.r & ~1u)) >> 1, ((s.g & ~1u) + (d.g & ~1u)) >> 1, (s.b + d.b) >> 1}, is_555);
}

// Channels add (green and red without their lowest bits); an overflowing
// channel becomes all ones and its carry adds one to the next channel's
// lowest bit. The red carry is bit 15 in 555 and falls off the pixel in 565.
struct Add_Result {
    std::uint16_t pixel;
    std::uint32_t red_carry;
};
inline Add_Result Reference_Add_Carry(std::uint16_t src, std::uint16_t dst, bool is_555, std::uint32_t blue_carry_in,
                                      bool drop_blue_low_bits) {
    const Rgb s = Split(src, is_555), d = Split(dst, is_555);
    const std::uint32_t blue_mask = drop_blue_low_bits ? ~1u : ~0u;
    const std::uint32_t green_top = is_555 ? 31 : 63;
    std::uint32_t b = (s.b & blue_mask) + (d.b & blue_mask) + blue_carry_in;
    const std::uint32_t cb = b > 31;
    if (cb) b = 31;
    std::uint32_t g = (s.g & ~1u) + (d.g & ~1u) + cb;
    const std::uint32_t cg = g > green_top;
    if (cg) g = green_top;
    std::uint32_t r = (s.r & ~1u) + (d.r & ~1u) + cg;
    const std::uint32_t cr = r > 31;
    if (cr) r = 31;
    std::uint16_t pixel = Join({r, g, b}, is_555);
    if (is_555 && cr) pixel |= 0x8000;
    return {pixel, cr};
}
inline std::uint16_t Reference_Add(std::uint16_t src, std::uint16_t dst, bool is_555) {
    return Reference_Add_Carry(src, dst, is_555, 0, false).pixel;
}

// Pairs (first pixel in the low half). Blend: the second pixel also loses
// its lowest blue bits. Add: the second pixel loses its lowest blue bits and,
// in 565, takes the first pixel's red carry there; a red overflow of the
// second 565 pixel sets only its four upper red bits (the lowest keeps the
// green carry, if any).
inline std::uint32_t Reference_Blend_Pair(std::uint32_t src, std::uint32_t dst, bool is_555) {
    const std::uint32_t low = Reference_Blend(static_cast<std::uint16_t>(src), static_cast<std::uint16_t>(dst), is_555);
    const std::uint32_t high = Reference_Blend(static_cast<std::uint16_t>((src >> 16) & ~1u),
                                               static_cast<std::uint16_t>((dst >> 16) & ~1u), is_555);
    return low | high << 16;
}
inline std::uint32_t Reference_Add_Pair(std::uint32_t src, std::uint32_t dst, bool is_555) {
    const Add_Result low = Reference_Add_Carry(static_cast<std::uint16_t>(src), static_cast<std::uint16_t>(dst), is_555, 0, false);
    const std::uint16_t s2 = static_cast<std::uint16_t>(src >> 16), d2 = static_cast<std::uint16_t>(dst >> 16);
    std::uint32_t high;
    if (is_555) {
        high = Reference_Add_Carry(s2, d2, true, 0, true).pixel;
    } else {
        // Redo the second pixel by channels to apply its own red rule.
        const Rgb s = Split(s2, false), d = Split(d2, false);
        std::uint32_t b = (s.b & ~1u) + (d.b & ~1u) + low.red_carry;
        const std::uint32_t cb = b > 31;
        if (cb) b = 31;
        std::uint32_t g = (s.g & ~1u) + (d.g & ~1u) + cb;
        const std::uint32_t cg = g > 63;
        if (cg) g = 63;
        std::uint32_t r = (s.r & ~1u) + (d.r & ~1u) + cg;
        if (r > 31) r = (r & 31) | 0x1E;
        high = Join({r, g, b}, false);
    }
    return low.pixel | high << 16;
}

}  // namespace mapped_test

#endif
