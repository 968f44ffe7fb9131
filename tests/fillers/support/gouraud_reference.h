// A slow reference for the lit fillers, written from the rules without
// calling the code under test: the shade column of the edge walk, the three
// ways light reaches a pixel (perspective samples, screen samples, integer
// steps along the line), the shade-table lookups and the pixel operations,
// single or paired. Texel coordinates come from the perspective references.
#ifndef QUORVEL_TESTS_GOURAUD_REFERENCE_H
#define QUORVEL_TESTS_GOURAUD_REFERENCE_H

#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "fillers/support/mapped_fixture.h"
#include "fillers/support/mapped_reference.h"
#include "fillers/support/reference_fill.h"

namespace gouraud_test {

using namespace mapped_test;

// Perspective: shade holds light x w and every exact sample is divided by w.
// Screen: shade holds the light, sampled like u·w but never divided.
// Linear: trunc(shade_left) stepped by trunc(dshade) after every pixel.
enum class Ref_Light { Perspective, Screen, Linear };
// What the texel does before the table: nothing, skipped when it equals the
// map's key index, skipped when it is 0.
enum class Ref_Skip { None, Key_Index, Index_0 };

struct Lit_Filler {
    bool mapped;
    Ref_Light light;
    Ref_Op op;
    Ref_Skip skip;
    Ref_Loop loop_256;  // general images always take the per-pixel loop
};

// --- the shade column of the edge walk: as x, u·w, v·w and w ---------------------
struct Shade_Line {
    float shade[2] = {0, 0};  // [0] left, [1] right
};
inline std::map<std::int32_t, Shade_Line> Reference_Shade_Edges(const Prepared_Face& face) {
    const int n = face.vertex_count;
    int top = 0, bottom = 0;
    for (int i = 0; i < n; ++i) {
        if (face.y_row[i] < face.y_row[top]) top = i;
        if (face.y_row[i] > face.y_row[bottom]) bottom = i;
    }
    std::map<std::int32_t, Shade_Line> lines;
    for (int side = 0; side < 2; ++side) {
        for (int a = top; a != bottom;) {
            const int b = (a + (side == 0 ? 1 : n - 1)) % n;
            const int y_a = face.y_row[a], y_b = face.y_row[b];
            if (y_b > y_a) {
                const float increment = static_cast<float>((double(face.shade[b]) - face.shade[a]) / (y_b - y_a));
                double sum = face.shade[a];
                for (int y = y_a; y < y_b; ++y, sum += increment) lines[y].shade[side] = static_cast<float>(sum);
            }
            a = b;
        }
    }
    return lines;
}

// --- light along a line ----------------------------------------------------------
struct Light_Context {
    float shade = 0, dshade = 0;
    std::int32_t light_fixed = 0, light_step = 0;
};
inline Light_Context Reference_Light_Set_Up(const Ref_Line& line, const Shade_Line& shade) {
    double width = double(line.x[1]) - double(line.x[0]);
    if (width == 0) width = 1;
    const double gradient = (double(shade.shade[1]) - double(shade.shade[0])) / width;
    Light_Context light;
    light.shade = shade.shade[0];
    light.dshade = static_cast<float>(gradient);
    light.light_fixed = Ref_Truncate(shade.shade[0]);
    light.light_step = Ref_Truncate(gradient);
    return light;
}
inline void Reference_Light_Advance(Light_Context& light, std::int32_t distance) {
    light.shade = light.shade + light.dshade * static_cast<float>(distance);
    light.light_fixed = Ref_Wrap(std::int64_t{light.light_fixed} + std::int64_t{distance} * light.light_step);
}

// The light value of each pixel of a span that starts where both contexts hold.
inline std::vector<std::int32_t> Reference_Light_Values(Ref_Light kind, const Ref_Context& at, const Light_Context& light,
                                                        int length) {
    std::vector<std::int32_t> values;
    if (kind == Ref_Light::Linear) {
        for (int i = 0; i < length; ++i) values.push_back(Ref_Wrap(light.light_fixed + std::int64_t{i} * light.light_step));
        return values;
    }
    auto sample = [&](int k) {
        float w = at.w, shade = light.shade;
        for (int i = 0; i < k; ++i) {
            w += 8.0f * at.dw;
            shade += 8.0f * light.dshade;
        }
        if (kind == Ref_Light::Screen) return Ref_Truncate(shade);
        const float r = 1.0f / w;
        return Ref_Truncate(shade * r);
    };
    for (int i = 0; i < length; ++i) {
        const std::int32_t start = sample(i / 8), end = sample(i / 8 + 1);
        const std::int32_t step = Ref_Wrap(std::int64_t{end} - start) >> 3;
        values.push_back(Ref_Wrap(start + std::int64_t{i % 8} * step));
    }
    return values;
}

// Bits 8 to 13: 64 levels, anything above wraps.
inline std::uint32_t Reference_Level(std::int32_t light) { return (static_cast<std::uint32_t>(light) / 256u) % 64u; }

// --- one run and the whole face ------------------------------------------------------
inline void Reference_Lit_Run(const Lit_Filler& filler, World& world, const Ref_Context& at, const Light_Context& light,
                              std::size_t first, int length, std::vector<std::uint16_t>& frame) {
    const Map_Image& image = *world.map.image;
    const bool is_256 = filler.mapped && image.is_256x256 != 0;
    const bool is_555 = interface_state.services->pixel_depth == 15;
    const Ref_Loop loop = is_256 ? filler.loop_256 : Ref_Loop::Per_Pixel;
    const bool misaligned = (reinterpret_cast<std::uintptr_t>(world.frame.data() + first) & 3u) != 0;
    // The lit 256 x 256 loops repeat the exact start for pixels 0 and 1 of every later group.
    const std::vector<Ref_Uv> coords =
        loop == Ref_Loop::Per_Pixel ? Reference_Coords_Per_Pixel(at, length)
                                    : Reference_Coords_256(at, length, loop == Ref_Loop::Paired && misaligned, true);
    const std::vector<std::int32_t> lights = Reference_Light_Values(filler.light, at, light, length);
    std::vector<bool> skipped(length, false);
    std::vector<std::uint16_t> colour(length, 0);
    for (int i = 0; i < length; ++i) {
        const std::uint32_t level = Reference_Level(lights[i]);
        if (!filler.mapped) {
            colour[i] = static_cast<std::uint16_t>(world.shade_table[level] >> 16);
            continue;
        }
        const std::uint32_t index = is_256 ? Reference_Index_256(coords[i])
                                           : Reference_Index_General(coords[i], image.width_shift, image.index_mask);
        const std::uint8_t p = world.image().Texels_8()[index];
        colour[i] = static_cast<std::uint16_t>(world.shade_table[level * 256 + p] >> 16);
        skipped[i] = (filler.skip == Ref_Skip::Key_Index && p == world.map.colour_key_index) ||
                     (filler.skip == Ref_Skip::Index_0 && p == 0);
    }
    int i = 0;
    if (loop == Ref_Loop::Paired) {
        if (misaligned && length > 0) {
            frame[first] = Reference_Op(filler.op, colour[0], frame[first], is_555);
            i = 1;
        }
        for (; i + 1 < length; i += 2) {
            const std::uint32_t colours = colour[i] | std::uint32_t{colour[i + 1]} << 16;
            const std::uint32_t under = frame[first + i] | std::uint32_t{frame[first + i + 1]} << 16;
            const std::uint32_t result = Reference_Op_Pair(filler.op, colours, under, is_555);
            frame[first + i] = static_cast<std::uint16_t>(result);
            frame[first + i + 1] = static_cast<std::uint16_t>(result >> 16);
        }
    }
    for (; i < length; ++i)
        if (!skipped[i]) frame[first + i] = Reference_Op(filler.op, colour[i], frame[first + i], is_555);
}

// The frame the filler should leave, starting from the world's current frame.
inline std::vector<std::uint16_t> Reference_Lit_Fill(const Lit_Filler& filler, World& world, const Prepared_Face& face) {
    std::vector<std::uint16_t> frame = world.frame;
    const Ref_Edges edges = Reference_Edges(face);
    const std::map<std::int32_t, Shade_Line> shades = Reference_Shade_Edges(face);
    Ref_Context at;
    Light_Context light;
    int line_y = -1;
    for (const Span& span : world.spans) {
        if (span.y != line_y) {
            at = Reference_Set_Up(edges.lines.at(span.y));
            light = Reference_Light_Set_Up(edges.lines.at(span.y), shades.at(span.y));
            line_y = span.y;
        }
        Reference_Light_Advance(light, span.x - at.x);
        Reference_Advance(at, span.x);
        Reference_Lit_Run(filler, world, at, light, std::size_t(span.y) * world.pitch + span.x, span.length, frame);
    }
    return frame;
}

// --- worlds and faces for the lit fillers ------------------------------------------------
// 8-bit images: a general one of 2^width_shift columns and `rows` rows, or 256 x 256.
inline Image General_Image_8(std::uint32_t width_shift, std::uint32_t rows) {
    const std::uint32_t count = (1u << width_shift) * rows;
    return Image(count, 1, false, width_shift, count - 1);
}
inline Image Image_256_8() { return Image(65536, 1, true, 31, 0); }

inline void Fill_Random(std::vector<std::uint16_t>& pixels, std::mt19937& random) {
    for (std::uint16_t& pixel : pixels) pixel = static_cast<std::uint16_t>(random());
}
inline void Fill_Random_Table(World& world, std::mt19937& random) {
    for (std::uint32_t& entry : world.shade_table) entry = (random() & 0xFFFFu) << 16;
}
inline void Fill_Random_Texels(World& world, std::mt19937& random) {
    for (std::uint32_t i = 0; i < world.image().Count(); ++i)
        world.image().Texels_8()[i] = static_cast<std::uint8_t>(random());
}

// A triangle whose increasing-index chain is its left edge: vertex 0 on top,
// vertex 1 at the bottom, vertex 2 to the right of both. light(i) gives the
// vertex light value (4 units a level); `times_w` multiplies shade by w as the
// unmapped setup does.
template <class Light>
Prepared_Face Random_Triangle(World& world, std::mt19937& random, bool times_w, Light light) {
    std::uniform_real_distribution<float> depth(0.05f, 1.0f), texel(-300.0f, 300.0f);
    std::uniform_real_distribution<float> top_y(0.0f, 10.0f), bottom_y(30.0f, 47.0f), left_x(0.0f, 20.0f),
        right_x(40.0f, 63.0f);
    const float y0 = top_y(random), y1 = bottom_y(random);
    std::uniform_real_distribution<float> middle_y(y0, y1);
    Vertex corners[3] = {{left_x(random), y0, depth(random), texel(random), texel(random)},
                         {left_x(random), y1, depth(random), texel(random), texel(random)},
                         {right_x(random), middle_y(random), depth(random), texel(random), texel(random)}};
    for (int i = 0; i < 3; ++i) corners[i].shade = light(i) * 64.0f * (times_w ? corners[i].w : 1.0f);
    return Make_Face({corners[0], corners[1], corners[2]}, &world.material);
}

// Every line of the face as one span, or split into two at a random column
// (the second span of a line then advances from the first one's start).
inline void Cover_Face(World& world, const Prepared_Face& face, std::mt19937& random) {
    const Ref_Edges edges = Reference_Edges(face);
    for (const auto& [y, line] : edges.lines) {
        const std::int32_t left = line.x[0] > 0 ? line.x[0] : 0;
        const std::int32_t right = line.x[1] < world.pitch ? line.x[1] : world.pitch;
        if (right - left < 1 || y < 0 || y >= world.height) continue;
        if (right - left >= 2 && random() % 2) {
            const std::int32_t split = left + 1 + static_cast<std::int32_t>(random() % (right - left - 1));
            world.Add_Span(left, split - left, y);
            world.Add_Span(split, right - split, y);
        } else {
            world.Add_Span(left, right - left, y);
        }
    }
}

}  // namespace gouraud_test

#endif
