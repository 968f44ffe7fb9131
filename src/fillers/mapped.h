// The perspective span loops, written once over source, operation,
// addressing, format and light policies, their instantiation tables, and the
// two face-level drivers (spans of a face, or whole polygon lines) that the
// named fillers in fillers.cpp instantiate.
#ifndef QUORVEL_MAPPED_H
#define QUORVEL_MAPPED_H

#include <cstdint>
#include <cstring>
#include <limits>

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

// What the first pixel of a later group uses in the 256 x 256 loops: the
// coordinate reached by stepping the previous group (the mapped loops), or the
// exact segment start (the lit mapped loops, whose second pixel repeats it).
struct Boundary_Stepped {
    static constexpr bool exact_first = false;
};
struct Boundary_Exact {
    static constexpr bool exact_first = true;
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
inline Sample operator+(const Sample& a, const Sample& b) {
    return {Wrapping_Add(a.u, b.u), Wrapping_Add(a.v, b.v), Wrapping_Add(a.c, b.c)};
}
// The per-pixel step towards a sample 8 pixels ahead: (end - start) >> 3.
inline std::int32_t Step_Of(std::int32_t from, std::int32_t to) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(to) - static_cast<std::uint32_t>(from)) >> 3;
}
inline Sample Steps_Between(const Sample& from, const Sample& to) {
    return {Step_Of(from.u, to.u), Step_Of(from.v, to.v), Step_Of(from.c, to.c)};
}

// The perspective attributes, advanced 8 pixels at a time; r = 1 / w is taken
// once per advance, a segment ahead of the pixels that use it.
template <bool with_uv, class Light>
struct Perspective_Run {
    float w, uw, vw, shade, r = 0.0f;

    explicit Perspective_Run(const Span_Context& span) : w(span.w), uw(span.uw), vw(span.vw), shade(span.shade) {}

    void Divide() { r = 1.0f / w; }
    void Step_8(const Span_Context& span) {
        w += span.dw8;
        if constexpr (with_uv) uw += span.duw8, vw += span.dvw8;
        if constexpr (Light::sampled) shade += span.dshade8;
    }
    void Step_1(const Span_Context& span) {
        w += span.dw;
        if constexpr (with_uv) uw += span.duw, vw += span.dvw;
        if constexpr (Light::sampled) shade += span.dshade;
    }
    // Texture coordinates truncate, except in the 256 x 256 loops, which round
    // to nearest even; light samples always truncate.
    template <bool rounded>
    Sample Exact() const {
        Sample at;
        if constexpr (with_uv) {
            if constexpr (rounded) {
                at.u = Round_To_Int(uw * r);
                at.v = Round_To_Int(vw * r);
            } else {
                at.u = Truncate_To_Int(uw * r);
                at.v = Truncate_To_Int(vw * r);
            }
        }
        if constexpr (Light::sampled) {
            if constexpr (Light::divided) at.c = Truncate_To_Int(shade * r);
            else at.c = Truncate_To_Int(shade);
        }
        return at;
    }
};

// One pixel: fetch, key test, colour, operation, one 16-bit store.
template <class Source, class Op, class Addressing, class Format>
inline void Draw_Pixel(const Span_Context& span, const typename Addressing::Lookup& lookup, const Sample& at,
                       std::int32_t light, std::uint16_t* pixel) {
    const typename Source::Texel texel = Source::Fetch(span, Addressing::Index(lookup, at.u, at.v));
    if (Source::Skips(span, texel)) return;
    *pixel = Op::template Apply<Format>(Source::Colour(span, texel, light), *pixel);
}

// ---------------------------------------------------------------------------
// Draw_Span_Mapped: exact samples every 8 pixels from the span's start,
// truncated, linear 8.8 steps in between; the last partial segment steps
// towards the sample 8 pixels ahead. One store per pixel; accepts lengths
// below 1 (the overlay filler's empty lines) and draws nothing for them.
template <class Source, class Op, class Addressing, class Format, class Light = Light_None>
void Draw_Span_Mapped(Span_Context& span, std::uint16_t* out) {
    const typename Addressing::Lookup lookup = Addressing::Load(span);
    std::int32_t length = span.length;
    std::uint32_t light = static_cast<std::uint32_t>(span.light_fixed);
    const std::uint32_t light_step = static_cast<std::uint32_t>(span.light_step);
    auto draw = [&](const Sample& at) {
        const std::int32_t level = Light::linear ? static_cast<std::int32_t>(light) : at.c;
        Draw_Pixel<Source, Op, Addressing, Format>(span, lookup, at, level, out++);
        if constexpr (Light::linear) light += light_step;
    };

    Perspective_Run<Addressing::uses_uv, Light> run(span);
    run.Divide();
    Sample at = run.template Exact<false>();
    run.Step_8(span);
    run.Divide();
    Sample end = run.template Exact<false>();
    Sample step = Steps_Between(at, end);
    if (length > 8) {
        run.Step_8(span);
        run.Divide();
    }
    while (length >= 8) {
        for (int i = 0; i < 8; ++i) {
            draw(at);
            at = at + step;
        }
        length -= 8;
        at = end;  // exact, not stepped
        end = run.template Exact<false>();
        step = Steps_Between(at, end);
        if (length > 8) {
            run.Step_8(span);
            run.Divide();
        }
    }
    for (; length > 0; --length) {
        draw(at);
        at = at + step;
    }
    span.length = 0;
}

// ---------------------------------------------------------------------------
// Draw_Span_Mapped_256: the same subdivision over a 256 x 256 image, with
// samples rounded to nearest even. Unless the source is keyed, pixels go out
// in pairs as one 32-bit store (first pixel in the low half): an unaligned
// destination first gets one pixel alone at the exact start, and the
// subdivision restarts at the next column. A keyed source stores pixel by
// pixel, since a skipped pixel must leave its neighbour alone, and needs no
// alignment step.
//
// Each pixel's texel index is taken one pixel ahead of the stepping, so from
// the second group on the groups lag: pixel 0 of a group uses the coordinate
// the previous group stepped to (or, with Boundary_Exact, the exact start),
// pixel j >= 1 the exact start + (j - 1) steps. The remainder after the last
// full group follows the same rule, as pairs and then one single pixel.
template <class Source, class Op, class Format, class Light = Light_None, class Boundary = Boundary_Stepped>
void Draw_Span_Mapped_256(Span_Context& span, std::uint16_t* out) {
    static_assert(!Light::sampled, "the 256 x 256 loops carry light only as linear integer light");
    using Addressing = Addressing_256;
    constexpr bool paired = !Source::keyed;
    const typename Addressing::Lookup lookup = Addressing::Load(span);
    std::int32_t length = span.length;
    std::uint32_t light = static_cast<std::uint32_t>(span.light_fixed);
    const std::uint32_t light_step = static_cast<std::uint32_t>(span.light_step);
    auto single = [&](const Sample& at) {
        Draw_Pixel<Source, Op, Addressing, Format>(span, lookup, at, static_cast<std::int32_t>(light), out++);
        if constexpr (Light::linear) light += light_step;
    };
    auto colour = [&](const Sample& at) -> std::uint32_t {
        const typename Source::Texel texel = Source::Fetch(span, Addressing::Index(lookup, at.u, at.v));
        const std::uint16_t result = Source::Colour(span, texel, static_cast<std::int32_t>(light));
        if constexpr (Light::linear) light += light_step;
        return result;
    };
    auto pair = [&](const Sample& first, const Sample& second) {
        const std::uint32_t low = colour(first);
        const std::uint32_t colours = low | colour(second) << 16;
        std::uint32_t frame = 0;
        if constexpr (Op::reads_destination) std::memcpy(&frame, out, sizeof frame);
        const std::uint32_t result = Op::template Apply_Pair<Format>(colours, frame);
        std::memcpy(out, &result, sizeof result);
        out += 2;
    };

    Perspective_Run<true, Light> run(span);
    if constexpr (paired) {
        if (reinterpret_cast<std::uintptr_t>(out) & 3u) {
            run.Divide();
            single(run.template Exact<true>());
            if (--length <= 0) {
                span.length = 0;
                return;
            }
            run.Step_1(span);
        }
    }

    run.Divide();
    Sample start = run.template Exact<true>();
    run.Step_8(span);
    run.Divide();
    Sample end = run.template Exact<true>();
    Sample step = Steps_Between(start, end);
    if (length > 8) {
        run.Step_8(span);
        run.Divide();
    }
    bool later_group = false;
    Sample running = start;  // what the next pixel after a group's first uses
    auto draw_run = [&](std::int32_t count) {
        Sample first = later_group && !Boundary::exact_first ? running : start;
        running = later_group ? start : start + step;
        bool first_pending = true;
        auto take = [&]() {
            if (first_pending) {
                first_pending = false;
                return first;
            }
            const Sample at = running;
            running = running + step;
            return at;
        };
        if constexpr (paired) {
            for (; count >= 2; count -= 2) {
                const Sample a = take();
                const Sample b = take();
                pair(a, b);
            }
            if (count == 1) single(take());
        } else {
            for (; count > 0; --count) single(take());
        }
    };
    while (length >= 8) {
        draw_run(8);
        length -= 8;
        later_group = true;
        start = end;
        end = run.template Exact<true>();
        step = Steps_Between(start, end);
        if (length > 8) {
            run.Step_8(span);
            run.Divide();
        }
    }
    if (length > 0) draw_run(length);
    span.length = 0;
}

// ---------------------------------------------------------------------------
// Instantiation tables: [general, 256 x 256][555, 565]. A filler picks one
// entry per face from the image and the pixel depth.
using Span_Loop_Table = Span_Loop[2][2];

// Both addressings through the truncating per-pixel loop.
template <class Source, class Op, class Light = Light_None>
inline constexpr Span_Loop_Table per_pixel_loops = {
    {Draw_Span_Mapped<Source, Op, Addressing_General, Format_555, Light>,
     Draw_Span_Mapped<Source, Op, Addressing_General, Format_565, Light>},
    {Draw_Span_Mapped<Source, Op, Addressing_256, Format_555, Light>,
     Draw_Span_Mapped<Source, Op, Addressing_256, Format_565, Light>}};

// The per-pixel loop for general images, the rounding loop for 256 x 256.
template <class Source, class Op, class Light = Light_None, class Boundary = Boundary_Stepped>
inline constexpr Span_Loop_Table rounded_256_loops = {
    {Draw_Span_Mapped<Source, Op, Addressing_General, Format_555, Light>,
     Draw_Span_Mapped<Source, Op, Addressing_General, Format_565, Light>},
    {Draw_Span_Mapped_256<Source, Op, Format_555, Light, Boundary>,
     Draw_Span_Mapped_256<Source, Op, Format_565, Light, Boundary>}};

// Faces without a map: the image is null, so only the first row is chosen.
template <class Source, class Op, class Light>
inline constexpr Span_Loop_Table unmapped_loops = {
    {Draw_Span_Mapped<Source, Op, Addressing_None, Format_555, Light>,
     Draw_Span_Mapped<Source, Op, Addressing_None, Format_565, Light>},
    {Draw_Span_Mapped<Source, Op, Addressing_None, Format_555, Light>,
     Draw_Span_Mapped<Source, Op, Addressing_None, Format_565, Light>}};

inline Span_Loop Choose_Span_Loop(const Span_Context& span, const Span_Loop_Table& loops) {
    const bool is_256x256 = span.image != nullptr && span.image->is_256x256 != 0;
    return loops[is_256x256 ? 1 : 0][Pixel_Format_Is_555() ? 0 : 1];
}

// ---------------------------------------------------------------------------
// Context words: what a filler loads from its material once per face. A filler
// with an image carries u and v through the edge walk and line set-up.

struct Words_Image {
    static constexpr bool mapped = true;
    static void Load(Span_Context& span, const Host_Material& material) { span.image = material.map->image; }
};
struct Words_Image_Key {
    static constexpr bool mapped = true;
    static void Load(Span_Context& span, const Host_Material& material) {
        span.image = material.map->image;
        span.colour_key = material.map->colour_key;
    }
};
struct Words_Image_Table {
    static constexpr bool mapped = true;
    static void Load(Span_Context& span, const Host_Material& material) {
        span.image = material.map->image;
        span.shade_table = material.render_data->shade_table;
    }
};

// ---------------------------------------------------------------------------
// Face drivers.

// The edge walk, then every span of the face's chain.
template <class Words, class Light>
void Fill_Face_Spans(const Prepared_Face& face, std::uint16_t* frame_buffer, std::int32_t pitch,
                     const Span_Loop_Table& loops) {
    Walk_Edges<Words::mapped, Light::in_edges>(face);
    if (face.first_span == -1) return;
    Span_Context span{};
    Words::Load(span, *face.material);
    Walk_Face_Spans<Words::mapped, Light>(face, frame_buffer, pitch, span, Choose_Span_Loop(span, loops));
}

// The edge walk, then one run per polygon line from x_left to x_right - 1,
// without spans: for faces that never enter the span buffer. Runs are kept
// within the columns and lines of the face's vertices, which face setup has
// clamped into the viewport, whatever the walk made of a bad vertex order.
template <class Words, class Light>
void Fill_Face_Lines(const Prepared_Face& face, std::uint16_t* frame_buffer, std::int32_t pitch,
                     const Span_Loop_Table& loops) {
    const Face_Lines lines = Walk_Edges<Words::mapped, Light::in_edges>(face);
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
    Words::Load(span, *face.material);
    const Span_Loop loop = Choose_Span_Loop(span, loops);
    const std::int32_t top = lines.top > 0 ? lines.top : 0;
    const std::int32_t bottom = lines.bottom < max_scan_lines ? lines.bottom : max_scan_lines;
    for (std::int32_t y = top; y < bottom; ++y) {
        const Edge_Line& line = fillers_state.edge_lines[y];
        const std::int32_t first = line.x_left > min_x ? line.x_left : min_x;
        const std::int32_t end = line.x_right < max_x ? line.x_right : max_x;
        const std::int64_t length = std::int64_t{end} - first;
        if (length <= 0 || length > std::numeric_limits<std::int32_t>::max()) continue;
        Set_Up_Line<Words::mapped, Light>(span, line);
        Advance_To<Words::mapped, Light>(span, first);
        span.length = static_cast<std::int32_t>(length);
        loop(span, frame_buffer + static_cast<std::ptrdiff_t>(y) * pitch + first);
    }
}

#endif
