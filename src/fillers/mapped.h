// The perspective span loops, written once over source, operation,
// addressing, format and light policies, their instantiation tables, the
// bundle that names one filler's policies, and the two face-level drivers
// (spans of a face, or whole polygon lines) that fillers.cpp instantiates.
#ifndef QUORVEL_MAPPED_H
#define QUORVEL_MAPPED_H

#include <emmintrin.h>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "base/base.h"
#include "faces/faces.h"
#include "fillers/edge_walk.h"
#include "fillers/pixel_ops.h"
#include "fillers/span_context.h"
#include "quorvel/host_records.h"

// W beyond the face can reach zero: IEEE division then gives an infinite r,
// and the conversion helpers pin the sample instead of trapping.
static_assert(std::numeric_limits<float>::is_iec559);

// ---------------------------------------------------------------------------
// Texel addressing. Coordinates are 8.8 fixed point; >> 8 is arithmetic, so a
// negative coordinate wraps through the mask.

// The mask covers the whole index: a u beyond the row length carries into the
// next row before the mask wraps the image.
struct Addressing_General {
    static constexpr bool uses_uv = true;
    struct Lookup {
        std::uint32_t shift;
        std::uint32_t mask;
    };
    static Lookup Load(const Span_Context& span) { return {span.image->width_shift & 31u, span.image->index_mask}; }
    static std::uint32_t Index(const Lookup& lookup, std::int32_t u, std::int32_t v) {
        const std::uint32_t row = static_cast<std::uint32_t>(v >> 8) << lookup.shift;
        return (row + static_cast<std::uint32_t>(u >> 8)) & lookup.mask;
    }
};

// The second byte of each coordinate; the image's mask and shift are ignored.
struct Addressing_256 {
    static constexpr bool uses_uv = true;
    struct Lookup {};
    static Lookup Load(const Span_Context&) { return {}; }
    static std::uint32_t Index(const Lookup&, std::int32_t u, std::int32_t v) {
        return ((static_cast<std::uint32_t>(v) >> 8) & 255u) << 8 | ((static_cast<std::uint32_t>(u) >> 8) & 255u);
    }
};

// Unmapped faces: no coordinates, no image read.
struct Addressing_None {
    static constexpr bool uses_uv = false;
    struct Lookup {};
    static Lookup Load(const Span_Context&) { return {}; }
    static std::uint32_t Index(const Lookup&, std::int32_t, std::int32_t) { return 0; }
};

// ---------------------------------------------------------------------------
// The running values of a span loop.

// u, v (8.8 texels) and the light sample c (8.8 level) at one pixel. Sums wrap
// in unsigned arithmetic: steps taken from pinned samples are garbage, never UB.
struct Sample {
    std::int32_t u = 0;
    std::int32_t v = 0;
    std::int32_t c = 0;
};
// n wrapping additions of `step`, taken at once.
[[gnu::always_inline]] inline std::int32_t Wrapping_Add_Times(std::int32_t a, std::int32_t step, std::int32_t n) {
    return Wrapping_Add(a, Wrapping_Multiply(step, n));
}
[[gnu::always_inline]] inline Sample Stepped(const Sample& from, const Sample& step, std::int32_t n) {
    return {Wrapping_Add_Times(from.u, step.u, n), Wrapping_Add_Times(from.v, step.v, n),
            Wrapping_Add_Times(from.c, step.c, n)};
}
// The per-pixel step towards a sample one subdivision ahead: (end - start) >> 3.
inline std::int32_t Step_Of(std::int32_t from, std::int32_t to) {
    return Wrapping_Subtract(to, from) >> subdivision_shift;
}
inline Sample Steps_Between(const Sample& from, const Sample& to) {
    return {Step_Of(from.u, to.u), Step_Of(from.v, to.v), Step_Of(from.c, to.c)};
}

// The perspective attributes at one exact point. Texture coordinates
// truncate, except in the 256 x 256 loops, which round to nearest even; light
// samples are the scheme's (Light::Exact). A face without a map carries zero
// u·w and v·w, whose samples its addressing never reads.
template <bool rounded, class Light>
struct Perspective_Point {
    float w, uw, vw, shade;

    explicit Perspective_Point(const Span_Context& span) : w(span.w), uw(span.uw), vw(span.vw), shade(span.shade) {}

    void Step_Subdivision(const Span_Context& span) {
        w += span.dw8;
        uw += span.duw8;
        vw += span.dvw8;
        shade += span.dshade8;
    }
    void Step_Pixel(const Span_Context& span) {
        w += span.dw;
        uw += span.duw;
        vw += span.dvw;
        shade += span.dshade;
    }
    // u and v convert together, in two lanes.
    [[gnu::always_inline]] Sample Exact() const {
        const float r = 1.0f / w;
        const __m128 products = _mm_mul_ps(_mm_setr_ps(uw, vw, 0.0f, 0.0f), _mm_set1_ps(r));
        const __m128i uv = rounded ? Round_To_Int_4(products) : Truncate_To_Int_4(products);
        return {_mm_cvtsi128_si32(uv), _mm_cvtsi128_si32(_mm_srli_si128(uv, 4)), Light::Exact(shade, r)};
    }
};

// One subdivision of a span: its exact start and the per-pixel step towards
// the exact sample one subdivision on.
struct Segment {
    Sample start;
    Sample step;
};

// The segments of a span in order, from a first exact point on. Each exact
// sample costs one division and is taken once: it ends one segment and
// starts the next (exact, not stepped).
template <bool rounded, class Light>
class Segment_Walk {
public:
    Segment_Walk(const Span_Context& span, const Perspective_Point<rounded, Light>& first)
        : span_(span), point_(first), next_(first.Exact()) {}

    [[gnu::always_inline]] Segment Next() {
        const Sample start = next_;
        point_.Step_Subdivision(span_);
        next_ = point_.Exact();
        return {start, Steps_Between(start, next_)};
    }

private:
    const Span_Context& span_;
    Perspective_Point<rounded, Light> point_;
    Sample next_;
};

// ---------------------------------------------------------------------------
// One group of at most 8 pixels. Its samples are a function of the pixel's
// place in the group, fixed before any pixel is stored; the stores then ask
// for sample j. A full group's count is a constant, so its stores unroll and
// the samples stay in registers.
// The helpers are forced inline: GCC's -O2 inliner leaves some out of line,
// and a call per pixel made the loops three to four times slower.

// Pixels 0-3 and 4-7 of a group in SSE2 lanes.
struct Lanes {
    __m128i low;
    __m128i high;
};

// start + j steps for j = 0..7 by additions only: SSE2 has no 32-bit
// multiply, and GCC emulates one when it vectorises the products. The steps
// 0, s, 2s, 3s come from two shifted sums, the upper half 4s on (a shift,
// which wraps like four additions), so every lane equals the scalar sum.
[[gnu::always_inline]] inline Lanes Ramp(std::int32_t start, std::int32_t step) {
    const __m128i steps = _mm_set1_epi32(step);
    __m128i ramp = _mm_slli_si128(steps, 4);              // 0, s, s, s
    ramp = _mm_add_epi32(ramp, _mm_slli_si128(ramp, 4));  // 0, s, 2s, 2s
    ramp = _mm_add_epi32(ramp, _mm_slli_si128(ramp, 8));  // 0, s, 2s, 3s
    const __m128i low = _mm_add_epi32(_mm_set1_epi32(start), ramp);
    return {low, _mm_add_epi32(low, _mm_slli_epi32(steps, 2))};
}

// Pixel j at the segment's start + j steps; the light samples of all eight
// at once in lanes, for a source that forms a group in lanes (Colours_8).
struct Group_Stepped {
    Segment segment;
    [[gnu::always_inline]] Sample operator()(std::int32_t j) const { return Stepped(segment.start, segment.step, j); }
    [[gnu::always_inline]] Lanes Light_Samples() const { return Ramp(segment.start.c, segment.step.c); }
};

// The 256 x 256 loops take each pixel's texel index one pixel ahead of the
// stepping, so a later group lags: pixel 0 uses `first`, pixel j >= 1 the
// start + (j - 1) steps.
struct Group_Lagging {
    Segment segment;
    Sample first;
    [[gnu::always_inline]] Sample operator()(std::int32_t j) const {
        return j == 0 ? first : Stepped(segment.start, segment.step, j - 1);
    }
};

// What one pixel draws with: its texel index, and the light value its source
// gets (Light::Level of the stepped sample and of the linear light, which
// moves on by light_step per pixel from `linear` at the group's start).
template <class Addressing, class Light>
struct Pixel_Inputs {
    const typename Addressing::Lookup& lookup;
    std::int32_t linear;
    std::int32_t light_step;

    template <class Samples>
    [[gnu::always_inline]] std::uint32_t Index(const Samples& samples, std::int32_t j) const {
        const Sample at = samples(j);
        return Addressing::Index(lookup, at.u, at.v);
    }
    template <class Samples>
    [[gnu::always_inline]] std::int32_t Light_Value(const Samples& samples, std::int32_t j) const {
        return Light::Level(samples(j).c, static_cast<std::uint32_t>(Wrapping_Add_Times(linear, light_step, j)));
    }
    // The light values of a stepped group's eight pixels, in lanes.
    [[gnu::always_inline]] Lanes Light_Values(const Group_Stepped& samples) const {
        return Light::Levels(samples.Light_Samples(), Ramp(linear, light_step));
    }
};

// One store per pixel; a keyed source leaves its skipped pixels alone.
template <class Source, class Op, class Format, class Inputs, class Samples, class Count>
[[gnu::always_inline]] inline void Store_Singles(const Span_Context& span, const Inputs& inputs, const Samples& samples,
                                                 std::int32_t first, Count count, std::uint16_t* out) {
    for (std::int32_t j = first; j < count; ++j) {
        const typename Source::Texel texel = Source::Fetch(span, inputs.Index(samples, j));
        if (Source::Skips(span, texel)) continue;
        out[j] = Op::template Apply<Format>(Source::Colour(span, texel, inputs.Light_Value(samples, j)), out[j]);
    }
}

// Pairs as one 32-bit store each (first pixel in the low half), an odd last
// pixel alone. out is 4-byte aligned.
template <class Source, class Op, class Format, class Inputs, class Samples, class Count>
[[gnu::always_inline]] inline void Store_Pairs(const Span_Context& span, const Inputs& inputs, const Samples& samples,
                                               Count count, std::uint16_t* out) {
    static_assert(!Source::keyed, "a skipped pixel must leave its neighbour alone");
    auto colour = [&](std::int32_t j) -> std::uint32_t {
        return Source::Colour(span, Source::Fetch(span, inputs.Index(samples, j)), inputs.Light_Value(samples, j));
    };
    std::int32_t j = 0;
    for (; j + 1 < count; j += 2) {
        const std::uint32_t colours = colour(j) | colour(j + 1) << 16;
        std::uint32_t frame = 0;
        if constexpr (Op::reads_destination) std::memcpy(&frame, out + j, sizeof frame);
        const std::uint32_t result = Op::template Apply_Pair<Format>(colours, frame);
        std::memcpy(out + j, &result, sizeof result);
    }
    Store_Singles<Source, Op, Format>(span, inputs, samples, j, count, out);
}

// Eight colours of a group formed in lanes by a source that can (Colours_8),
// in one 16-byte store. Each lane takes the operation's single-pixel result.
template <class Op, class Format>
[[gnu::always_inline]] inline void Store_8(__m128i colours, std::uint16_t* out) {
    __m128i frame = _mm_setzero_si128();
    if constexpr (Op::reads_destination) frame = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), Op::template Apply_8<Format>(colours, frame));
}

using Full_Group = std::integral_constant<std::int32_t, subdivision_pixels>;
template <class Source, class Op, class Format, bool paired, class Inputs, class Samples>
[[gnu::always_inline]] inline void Store_Group(const Span_Context& span, const Inputs& inputs, const Samples& samples,
                                               std::int32_t count, std::uint16_t* out) {
    if constexpr (paired) {
        if (count == subdivision_pixels)
            Store_Pairs<Source, Op, Format>(span, inputs, samples, Full_Group{}, out);
        else
            Store_Pairs<Source, Op, Format>(span, inputs, samples, count, out);
    } else if (count == subdivision_pixels) {
        if constexpr (requires { Source::Colours_8; }) {
            __m128i colours;
            if (Source::Colours_8(span, inputs.Light_Values(samples), colours)) {
                Store_8<Op, Format>(colours, out);
                return;
            }
        }
        Store_Singles<Source, Op, Format>(span, inputs, samples, 0, Full_Group{}, out);
    } else {
        Store_Singles<Source, Op, Format>(span, inputs, samples, 0, count, out);
    }
}

// ---------------------------------------------------------------------------
// Draw_Span_Mapped: exact samples every 8 pixels from the span's start,
// truncated, linear 8.8 steps in between; the last partial segment steps
// towards the sample 8 pixels ahead. One store per pixel; accepts lengths
// below 1 (the overlay filler's empty lines) and draws nothing for them.
template <class Source, class Op, class Addressing, class Format, class Light>
void Draw_Span_Mapped(Span_Context& span, std::uint16_t* out) {
    const typename Addressing::Lookup lookup = Addressing::Load(span);
    Pixel_Inputs<Addressing, Light> inputs{lookup, span.light_fixed, span.light_step};
    Segment_Walk<false, Light> segments(span, Perspective_Point<false, Light>(span));
    for (std::int32_t left = span.length; left > 0;) {
        const std::int32_t count = left < subdivision_pixels ? left : subdivision_pixels;
        Store_Group<Source, Op, Format, false>(span, inputs, Group_Stepped{segments.Next()}, count, out);
        inputs.linear = Wrapping_Add_Times(inputs.linear, span.light_step, count);
        out += count;
        left -= count;
    }
    span.length = 0;
}

// ---------------------------------------------------------------------------
// Draw_Span_Mapped_256: the same subdivision over a 256 x 256 image, with
// samples rounded to nearest even and later groups lagging (Group_Lagging):
// pixel 0 of a later group takes what the previous group stepped to, or with
// exact_group_start the group's exact start, which its pixel 1 repeats.
// Unless the source is keyed, pixels go out in pairs as one 32-bit store: an
// unaligned destination first gets one pixel alone at the exact start, and
// the subdivision restarts at the next column. A keyed source stores pixel by
// pixel, since a skipped pixel must leave its neighbour alone, and needs no
// alignment step.
template <class Source, class Op, class Format, class Light, bool exact_group_start>
void Draw_Span_Mapped_256(Span_Context& span, std::uint16_t* out) {
    using Addressing = Addressing_256;
    constexpr bool paired = !Source::keyed;
    const typename Addressing::Lookup lookup = Addressing::Load(span);
    Pixel_Inputs<Addressing, Light> inputs{lookup, span.light_fixed, span.light_step};
    std::int32_t left = span.length;
    span.length = 0;
    Perspective_Point<true, Light> first(span);
    if (paired && (reinterpret_cast<std::uintptr_t>(out) & 3u) != 0) {
        const Group_Stepped alone{{first.Exact(), Sample{}}};
        Store_Singles<Source, Op, Format>(span, inputs, alone, 0, 1, out);
        inputs.linear = Wrapping_Add(inputs.linear, span.light_step);
        ++out;
        if (--left <= 0) return;
        first.Step_Pixel(span);
    }

    Segment_Walk<true, Light> segments(span, first);
    const std::int32_t count = left < subdivision_pixels ? left : subdivision_pixels;
    Segment segment = segments.Next();
    Store_Group<Source, Op, Format, paired>(span, inputs, Group_Stepped{segment}, count, out);
    Sample lag = Stepped(segment.start, segment.step, subdivision_pixels);  // where the stepping ended
    for (left -= count; left > 0;) {
        out += subdivision_pixels;
        inputs.linear = Wrapping_Add_Times(inputs.linear, span.light_step, subdivision_pixels);
        const std::int32_t later_count = left < subdivision_pixels ? left : subdivision_pixels;
        segment = segments.Next();
        const Group_Lagging samples{segment, exact_group_start ? segment.start : lag};
        Store_Group<Source, Op, Format, paired>(span, inputs, samples, later_count, out);
        lag = Stepped(segment.start, segment.step, subdivision_pixels - 1);
        left -= later_count;
    }
}

// ---------------------------------------------------------------------------
// Instantiation tables: [general, 256 x 256][555, 565]. A filler picks one
// entry per face from the image and the pixel depth.
using Span_Loop_Table = Span_Loop[2][2];

// What a filler draws on a 256 x 256 image: the truncating per-pixel loop, or
// the rounding paired loop with either group-start rule. General images
// always take the per-pixel loop.
enum class Loop_256 { Per_Pixel, Rounded, Rounded_Exact_Group_Start };

template <class Source, class Op, class Light, Loop_256 loop_256, bool is_256x256, class Format>
constexpr Span_Loop Span_Loop_For() {
    if constexpr (!Source::mapped)
        return Draw_Span_Mapped<Source, Op, Addressing_None, Format, Light>;
    else if constexpr (!is_256x256)
        return Draw_Span_Mapped<Source, Op, Addressing_General, Format, Light>;
    else if constexpr (loop_256 == Loop_256::Per_Pixel)
        return Draw_Span_Mapped<Source, Op, Addressing_256, Format, Light>;
    else
        return Draw_Span_Mapped_256<Source, Op, Format, Light, loop_256 == Loop_256::Rounded_Exact_Group_Start>;
}

template <class Source, class Op, class Light, Loop_256 loop_256>
inline constexpr Span_Loop_Table span_loops = {{Span_Loop_For<Source, Op, Light, loop_256, false, Format_555>(),
                                                Span_Loop_For<Source, Op, Light, loop_256, false, Format_565>()},
                                               {Span_Loop_For<Source, Op, Light, loop_256, true, Format_555>(),
                                                Span_Loop_For<Source, Op, Light, loop_256, true, Format_565>()}};

inline Span_Loop Choose_Span_Loop(const Span_Context& span, const Span_Loop_Table& loops) {
    const bool is_256x256 = span.image != nullptr && span.image->is_256x256 != 0;
    return loops[is_256x256 ? 1 : 0][Pixel_Format_Is_555() ? 0 : 1];
}

// ---------------------------------------------------------------------------
// A named filler's policies, each named once: the source (which loads its own
// words and says whether the face is mapped and lit), the operation, the light
// scheme and the loop for 256 x 256 images.
template <class Source_, class Op, class Light_, Loop_256 loop_256>
struct Span_Filler {
    using Source = Source_;
    using Light = Light_;
    static_assert(Source::lit != std::is_same_v<Light, Light_None>,
                  "a lit source needs a light scheme, and an unlit one must not carry one");
    static_assert(Source::mapped || loop_256 == Loop_256::Per_Pixel, "a face without a map has no 256 x 256 loop");
    static constexpr const Span_Loop_Table& loops = span_loops<Source, Op, Light, loop_256>;
};

// ---------------------------------------------------------------------------
// Face drivers.

// The edge walk, then every span of the face's chain.
template <class Filler>
void Fill_Face_Spans(const Prepared_Face& face, std::uint16_t* frame_buffer, std::int32_t pitch) {
    using Source = typename Filler::Source;
    using Light = typename Filler::Light;
    Walk_Edges<Source::mapped, Light::in_edges>(face);
    if (face.first_span == -1) return;
    Span_Context span{};
    Source::Load(span, *face.material);
    Walk_Face_Spans<Source::mapped, Light>(face, frame_buffer, pitch, span, Choose_Span_Loop(span, Filler::loops));
}

// The edge walk, then one run per polygon line from x_left to x_right - 1,
// without spans: for faces that never enter the span buffer. Runs are kept
// within the columns and lines of the face's vertices, which face setup has
// clamped into the viewport, whatever the walk made of a bad vertex order.
template <class Filler>
void Fill_Face_Lines(const Prepared_Face& face, std::uint16_t* frame_buffer, std::int32_t pitch) {
    using Source = typename Filler::Source;
    using Light = typename Filler::Light;
    const Face_Lines lines = Walk_Edges<Source::mapped, Light::in_edges>(face);
    const std::int32_t count = face.vertex_count < max_face_vertices ? face.vertex_count : max_face_vertices;
    if (count < 1) return;
    std::int32_t min_x = Truncate_To_Int(face.x[0]);
    std::int32_t max_x = min_x;
    for (std::int32_t i = 1; i < count; ++i) {
        const std::int32_t x = Truncate_To_Int(face.x[i]);
        if (x < min_x) min_x = x;
        if (x > max_x) max_x = x;
    }
    Span_Context span{};
    Source::Load(span, *face.material);
    const Span_Loop loop = Choose_Span_Loop(span, Filler::loops);
    const std::int32_t top = lines.top > 0 ? lines.top : 0;
    const std::int32_t bottom = lines.bottom < max_scan_lines ? lines.bottom : max_scan_lines;
    for (std::int32_t y = top; y < bottom; ++y) {
        const Edge_Line& line = fillers_state.edge_lines[y];
        const std::int32_t first = line.x_left > min_x ? line.x_left : min_x;
        const std::int32_t end = line.x_right < max_x ? line.x_right : max_x;
        const std::int64_t length = std::int64_t{end} - first;
        if (length <= 0 || length > std::numeric_limits<std::int32_t>::max()) continue;
        Set_Up_Line<Source::mapped, Light>(span, line);
        Advance_To<Source::mapped, Light>(span, first);
        span.length = static_cast<std::int32_t>(length);
        loop(span, frame_buffer + static_cast<std::ptrdiff_t>(y) * pitch + first);
    }
}

#endif
