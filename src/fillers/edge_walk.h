// The edge walk every mapped and lit filler shares: a face's left and right
// chains, line by line, into the Edge_Line_Table that its span walk reads.
// Owns the table (the folder's module-wide state).
#ifndef QUORVEL_EDGE_WALK_H
#define QUORVEL_EDGE_WALK_H

#include <cstdint>

#include "base/base.h"
#include "faces/faces.h"

// One screen line of the face in hand: 17 words, the unused ones kept so the
// record stays the size other tools of the line table expect.
struct Edge_Line {
    std::int32_t x_left;  // truncated toward zero
    std::int32_t x_right;
    std::uint32_t unused_2;
    float uw_left;  // u x w, texels x 256
    float uw_right;
    float vw_left;
    float vw_right;
    float w_left;  // 1 / camera z
    float w_right;
    float shade_left;  // light x 64 (x w where the face setup multiplies it)
    float shade_right;
    std::uint32_t unused_11[6];
};
static_assert(sizeof(Edge_Line) == 17 * 4);

struct Fillers_State {
    Edge_Line edge_lines[max_scan_lines];  // Edge_Line_Table: one record per screen line
};
extern Fillers_State fillers_state;

// The lines a walk wrote: top .. bottom - 1 (none when bottom <= top).
struct Face_Lines {
    std::int32_t top;
    std::int32_t bottom;
};

// Which record fields a chain writes.
struct Edge_Side {
    std::int32_t Edge_Line::*x;
    float Edge_Line::*uw;
    float Edge_Line::*vw;
    float Edge_Line::*w;
    float Edge_Line::*shade;
};
inline constexpr Edge_Side edge_side_left{&Edge_Line::x_left, &Edge_Line::uw_left, &Edge_Line::vw_left,
                                          &Edge_Line::w_left, &Edge_Line::shade_left};
inline constexpr Edge_Side edge_side_right{&Edge_Line::x_right, &Edge_Line::uw_right, &Edge_Line::vw_right,
                                           &Edge_Line::w_right, &Edge_Line::shade_right};

// One chain from the top vertex to the bottom one. Per-line increments are
// rounded to floats, the running sums stay in double across an edge, and each
// edge restarts from its own top vertex, so an edge two faces share gives
// both the same columns whatever their other edges.
template <bool with_uv, bool with_shade>
void Walk_Chain(const Prepared_Face& face, std::int32_t count, std::int32_t top, std::int32_t bottom,
                std::int32_t direction, const Edge_Side& side) {
    std::int32_t a = top;
    for (std::int32_t steps = 0; a != bottom && steps < count; ++steps) {
        const std::int32_t b = (a + direction + count) % count;
        const std::int32_t y_a = face.y_row[a];
        const std::int32_t y_b = face.y_row[b];
        if (y_b > y_a) {
            const double k = 1.0 / (double(y_b) - double(y_a));
            const float dx = static_cast<float>((double(face.x[b]) - double(face.x[a])) * k);
            const float dw = static_cast<float>((double(face.w[b]) - double(face.w[a])) * k);
            float duw = 0.0f, dvw = 0.0f, dshade = 0.0f;
            double x = face.x[a], w = face.w[a], uw = 0.0, vw = 0.0, shade = 0.0;
            if constexpr (with_uv) {
                duw = static_cast<float>((double(face.u[b]) - double(face.u[a])) * k);
                dvw = static_cast<float>((double(face.v[b]) - double(face.v[a])) * k);
                uw = face.u[a];
                vw = face.v[a];
            }
            if constexpr (with_shade) {
                dshade = static_cast<float>((double(face.shade[b]) - double(face.shade[a])) * k);
                shade = face.shade[a];
            }
            std::int32_t y = y_a;
            // Face setup keeps y within the table; an edge that starts above it
            // (never produced) jumps to line 0 instead of walking there.
            if (y < 0) {
                const double skipped = -double(y);
                x += dx * skipped, w += dw * skipped, uw += duw * skipped, vw += dvw * skipped;
                shade += dshade * skipped;
                y = 0;
            }
            const std::int32_t end = y_b < max_scan_lines ? y_b : max_scan_lines;
            for (; y < end; ++y) {
                Edge_Line& line = fillers_state.edge_lines[y];
                line.*side.x = Truncate_To_Int(x);
                line.*side.w = static_cast<float>(w);
                if constexpr (with_uv) {
                    line.*side.uw = static_cast<float>(uw);
                    line.*side.vw = static_cast<float>(vw);
                }
                if constexpr (with_shade) line.*side.shade = static_cast<float>(shade);
                x += dx, w += dw;
                if constexpr (with_uv) uw += duw, vw += dvw;
                if constexpr (with_shade) shade += dshade;
            }
        }
        a = b;
    }
}

// Top and bottom are the first vertices with the smallest and the largest
// y_row. The left chain follows increasing indices, the right one decreasing:
// the face setup hands the vertices over in that order.
template <bool with_uv, bool with_shade>
Face_Lines Walk_Edges(const Prepared_Face& face) {
    std::int32_t count = face.vertex_count;
    if (count > max_face_vertices) count = max_face_vertices;
    if (count < 1) return {0, 0};
    std::int32_t top = 0, bottom = 0;
    for (std::int32_t i = 1; i < count; ++i) {
        if (face.y_row[i] < face.y_row[top]) top = i;
        if (face.y_row[i] > face.y_row[bottom]) bottom = i;
    }
    Walk_Chain<with_uv, with_shade>(face, count, top, bottom, +1, edge_side_left);
    Walk_Chain<with_uv, with_shade>(face, count, top, bottom, -1, edge_side_right);
    return {face.y_row[top], face.y_row[bottom]};
}

#endif
