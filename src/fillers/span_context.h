// The per-span state of the perspective fillers and the walk that builds it:
// line set-up from the Edge_Line_Table, advancing to each span's start, and
// the light schemes that add their own words to both.
#ifndef QUORVEL_SPAN_CONTEXT_H
#define QUORVEL_SPAN_CONTEXT_H

#include <cstdint>

#include "base/base.h"
#include "faces/faces.h"
#include "fillers/edge_walk.h"
#include "quorvel/host_records.h"
#include "spans/spans.h"

// Built on the filler's stack for one face and handed to the span loop for
// each span. The attributes hold at column x; the loop changes only length,
// so a later span on the same line advances from this span's start.
struct Span_Context {
    std::int32_t x;
    std::int32_t length;  // pixels still to draw, at least 1 on entry
    // Perspective attributes at x (u and v already multiplied by w) ...
    float w, uw, vw, shade;
    // ... their steps per pixel along the line ...
    float dw, duw, dvw, dshade;
    // ... and per subdivision (8 pixels), the distance between two exact samples.
    float dw8, duw8, dvw8, dshade8;
    const Map_Image* image;            // null for the unmapped fillers
    const std::uint32_t* shade_table;  // pixel << 16 per entry
    std::int32_t light_fixed;          // linear light at x, level x 256
    std::int32_t light_step;           // its change per pixel
    std::uint32_t key;                 // palette index the keyed lit filler skips
    std::uint32_t colour_key;          // 16-bit texel the keyed fillers skip, low half
};

// A span loop draws context.length pixels from the destination on.
using Span_Loop = void (*)(Span_Context& span, std::uint16_t* destination);

// ---------------------------------------------------------------------------
// Light schemes: how light travels from the vertices to the pixels. A scheme
// says whether the edge walk carries shade (in_edges), sets up and advances its
// context words per line and span, and gives the span loops two functions:
//   Exact(shade, r)      the light sample at an exact point, from the running
//                        shade attribute and r = 1 / w; the pixels between
//                        step towards the next one like u and v do;
//   Level(sampled, linear)  the light value a pixel's source gets, from that
//                        stepped sample or from the linear light, which the
//                        loops advance by light_step after every pixel;
//   Levels(sampled, linear)  the same for a group's pixels at once, in lanes.

struct Light_None {
    static constexpr bool in_edges = false;
    static void Set_Up_Line(Span_Context&, const Edge_Line&, double) {}
    static void Advance(Span_Context&, float, std::uint32_t) {}
    static std::int32_t Exact(float, float) { return 0; }
    static std::int32_t Level(std::int32_t, std::uint32_t) { return 0; }
    template <class Lanes>
    static Lanes Levels(const Lanes&, const Lanes&) {
        return Lanes{};
    }
};

// Shade as a fourth float attribute beside w, u·w and v·w, sampled at the
// exact points and stepped between them.
struct Light_Float_Attribute {
    static constexpr bool in_edges = true;
    static void Set_Up_Line(Span_Context& span, const Edge_Line& line, double k) {
        span.dshade = static_cast<float>((double(line.shade_right) - double(line.shade_left)) * k);
        span.dshade8 = float(subdivision_pixels) * span.dshade;
        span.shade = line.shade_left;
    }
    static void Advance(Span_Context& span, float distance, std::uint32_t) { span.shade += span.dshade * distance; }
    static std::int32_t Level(std::int32_t sampled, std::uint32_t) { return sampled; }
    template <class Lanes>
    static Lanes Levels(const Lanes& sampled, const Lanes&) {
        return sampled;
    }
};
// shade holds light x w: divided by w at every exact sample.
struct Light_Perspective : Light_Float_Attribute {
    static std::int32_t Exact(float shade, float r) { return Truncate_To_Int(shade * r); }
};
// shade holds the light itself (interpolated on the screen): no division.
struct Light_Screen : Light_Float_Attribute {
    static std::int32_t Exact(float shade, float) { return Truncate_To_Int(shade); }
};

// Integer light along the line: a gradient under 1/256 level per pixel is 0.
struct Light_Linear {
    static constexpr bool in_edges = true;
    static void Set_Up_Line(Span_Context& span, const Edge_Line& line, double k) {
        span.light_fixed = Truncate_To_Int(line.shade_left);
        span.light_step = Truncate_To_Int((double(line.shade_right) - double(line.shade_left)) * k);
    }
    // Wrapping arithmetic: garbage gradients on a degenerate line must not overflow.
    static void Advance(Span_Context& span, float, std::uint32_t distance) {
        span.light_fixed =
            Wrapping_Add(span.light_fixed, Wrapping_Multiply(span.light_step, static_cast<std::int32_t>(distance)));
    }
    static std::int32_t Exact(float, float) { return 0; }
    static std::int32_t Level(std::int32_t, std::uint32_t linear) { return static_cast<std::int32_t>(linear); }
    template <class Lanes>
    static Lanes Levels(const Lanes&, const Lanes& linear) {
        return linear;
    }
};

// ---------------------------------------------------------------------------
// Line set-up and span advance.

template <bool with_uv, class Light>
void Set_Up_Line(Span_Context& span, const Edge_Line& line) {
    double width = double(line.x_right) - double(line.x_left);
    // The filler's edges and the span buffer's can disagree by a pixel, so a
    // span may sit on a line whose edges met in one column. Width 1 keeps the
    // gradients finite; the pixel then takes the left values.
    if (width == 0.0) width = 1.0;
    const double k = 1.0 / width;
    span.dw = static_cast<float>((double(line.w_right) - double(line.w_left)) * k);
    span.dw8 = float(subdivision_pixels) * span.dw;
    span.w = line.w_left;
    if constexpr (with_uv) {
        span.duw = static_cast<float>((double(line.uw_right) - double(line.uw_left)) * k);
        span.dvw = static_cast<float>((double(line.vw_right) - double(line.vw_left)) * k);
        span.duw8 = float(subdivision_pixels) * span.duw;
        span.dvw8 = float(subdivision_pixels) * span.dvw;
        span.uw = line.uw_left;
        span.vw = line.vw_left;
    }
    Light::Set_Up_Line(span, line, k);
    span.x = line.x_left;
}

template <bool with_uv, class Light>
void Advance_To(Span_Context& span, std::int32_t x) {
    if (x == span.x) return;
    const std::int64_t distance = std::int64_t{x} - span.x;  // 64-bit: x_left may be a pinned conversion
    const float distance_f = static_cast<float>(distance);
    span.w += span.dw * distance_f;
    if constexpr (with_uv) {
        span.uw += span.duw * distance_f;
        span.vw += span.dvw * distance_f;
    }
    Light::Advance(span, distance_f, static_cast<std::uint32_t>(distance));
    span.x = x;
}

// Sets up a line whenever a span's y differs from the last one set up, then
// advances to the span's x and draws it.
template <bool with_uv, class Light>
void Walk_Face_Spans(const Prepared_Face& face, std::uint16_t* frame_buffer, std::int32_t pitch,
                     Span_Context& span_context, Span_Loop loop) {
    std::int32_t line_y = -1;  // spans have y >= 0: the first span always sets up
    Walk_Spans(face, frame_buffer, pitch, [&](const Span& span, std::uint16_t* destination) {
        // The span buffer never emits these; the checks keep the table read
        // and the paired loops' alignment pixel inside their bounds anyway.
        if (span.y < 0 || span.y >= max_scan_lines || span.length < 1) return;
        if (span.y != line_y) {
            Set_Up_Line<with_uv, Light>(span_context, fillers_state.edge_lines[span.y]);
            line_y = span.y;
        }
        Advance_To<with_uv, Light>(span_context, span.x);
        span_context.length = span.length;
        loop(span_context, destination);
    });
}

#endif
