// A hand-built world for the fillers (services, material, map image, shade
// table, frame, spans put straight into the pool) and one slow reference of
// every span filler, written from the drawing rules without calling the code
// under test: edge walk, line set-up, the two kinds of subdivision, texel
// addressing, light, and the pixel operations channel by channel.
#ifndef QUORVEL_TESTS_FILLERS_REFERENCE_H
#define QUORVEL_TESTS_FILLERS_REFERENCE_H

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "faces/faces.h"
#include "module/module.h"
#include "quorvel/host_records.h"
#include "spans/spans.h"

namespace fillers_test {

// 16- or 8-bit texels: 256 x 256, or 2^width_shift columns of `rows` rows with
// the mask over the whole image. The texel array is exactly that long, so a
// read beyond it shows under the address sanitizer.
struct World {
    static constexpr int pitch = 64, height = 48;
    World(std::int32_t depth, std::uint32_t texel_bytes, bool is_256, std::uint32_t width_shift = 8,
          std::uint32_t rows = 64)
        : count(is_256 ? 65536u : (1u << width_shift) * rows),
          image_words(8 + (count * texel_bytes + 3) / 4),
          shade_table(shade_table_mapped_entries),
          frame(pitch * height) {
        services.pixel_depth = depth;
        saved_services = std::exchange(interface_state.services, &services);
        Map_Image* image = reinterpret_cast<Map_Image*>(image_words.data());
        image->format = texel_bytes == 1 ? Map_Format_Palette : 16;
        image->is_256x256 = is_256;
        image->width_shift = is_256 ? 31 : width_shift;
        image->index_mask = is_256 ? 0 : count - 1;
        map.image = image;
        render_data.shade_table = shade_table.data();
        material.map = &map;
        material.render_data = &render_data;
    }
    ~World() { interface_state.services = saved_services, frame_state.spans = saved_spans; }

    std::uint16_t* Texels_16() { return reinterpret_cast<std::uint16_t*>(image_words.data() + 8); }
    std::uint8_t* Texels_8() { return reinterpret_cast<std::uint8_t*>(image_words.data() + 8); }
    std::uint16_t& Pixel(int x, int y) { return frame[std::size_t(y) * pitch + x]; }
    void Add_Span(int x, int length, int y) { spans.push_back({x, length, y, -1}); }
    // Chains the spans in vector order to the face, then runs the filler.
    void Fill(Fill_Function fill, Prepared_Face& face) {
        const int n = static_cast<int>(spans.size());
        for (int i = 0; i < n; ++i) spans[i].next = i + 1 < n ? i + 1 : -1;
        frame_state.spans = {spans.data(), n, n};
        face.first_span = n ? 0 : -1;
        face.material = &material;
        fill(&face, frame.data(), 0, pitch);
    }

    std::uint32_t count;
    std::vector<std::uint32_t> image_words, shade_table;
    std::vector<std::uint16_t> frame;
    std::vector<Span> spans;
    Host_Services services{};
    Host_Services* saved_services;
    Host_Map map{};
    Material_Render_Data render_data{};
    Host_Material material{};
    Span_Pool saved_spans = frame_state.spans;
};

// u, v in texels (the face holds u·w and v·w in 1/256 texel); shade as the face holds it.
struct Vertex {
    float x, y, w, u, v, shade = 0;
};
inline void Add_Vertex(Prepared_Face& face, const Vertex& vertex) {
    const int i = face.vertex_count++;
    face.x[i] = vertex.x;
    face.y[i] = vertex.y;
    face.w[i] = vertex.w;
    face.shade[i] = vertex.shade;
    face.u[i] = vertex.u * 256 * vertex.w;
    face.v[i] = vertex.v * 256 * vertex.w;
    face.y_row[i] = static_cast<std::int32_t>(vertex.y);
}
inline Prepared_Face Make_Face(std::initializer_list<Vertex> vertices) {
    Prepared_Face face{};
    for (const Vertex& vertex : vertices) Add_Vertex(face, vertex);
    return face;
}

// --- conversions: NaN and values beyond 32 bits become INT32_MIN, as on x86 ---
inline bool Ref_Fits(double value) { return value > -2147483649.0 && value < 2147483648.0; }
inline std::int32_t Ref_Truncate(double value) { return Ref_Fits(value) ? std::int32_t(std::trunc(value)) : INT32_MIN; }
inline std::int32_t Ref_Round(double value) { return Ref_Truncate(std::nearbyint(value)); }  // nearest, ties to even
inline std::int32_t Ref_Wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// --- edge walk: x, then w, u·w, v·w and shade on each side of a line ---
enum { W, UW, VW, SHADE };
struct Ref_Line {  // [0] left, [1] right
    std::int32_t x[2] = {0, 0};
    float a[2][4] = {};
    bool operator==(const Ref_Line&) const = default;
};
struct Ref_Edges {
    std::int32_t top, bottom;
    std::map<int, Ref_Line> lines;
};
// Top and bottom are the first vertices of smallest and largest y_row; the
// left chain runs between them by increasing index, the right one by
// decreasing. Each descending edge writes lines y_a .. y_b - 1 from its own
// top vertex, adding float per-line increments to double sums.
inline Ref_Edges Reference_Edges(const Prepared_Face& face) {
    const int n = face.vertex_count;
    int top = 0, bottom = 0;
    for (int i = 0; i < n; ++i) {
        if (face.y_row[i] < face.y_row[top]) top = i;
        if (face.y_row[i] > face.y_row[bottom]) bottom = i;
    }
    auto values = [&](int i) {
        return std::array<double, 5>{face.x[i], face.w[i], face.u[i], face.v[i], face.shade[i]};
    };
    Ref_Edges edges{face.y_row[top], face.y_row[bottom], {}};
    for (int side = 0; side < 2; ++side)
        for (int a = top, b; a != bottom; a = b) {
            b = (a + (side == 0 ? 1 : n - 1)) % n;
            const int y_a = face.y_row[a], y_b = face.y_row[b];
            if (y_b <= y_a) continue;
            std::array<double, 5> sum = values(a), to = values(b);
            float increment[5];
            for (int j = 0; j < 5; ++j) increment[j] = static_cast<float>((to[j] - sum[j]) * (1.0 / (y_b - y_a)));
            for (int y = y_a; y < y_b; ++y) {
                edges.lines[y].x[side] = Ref_Truncate(sum[0]);
                for (int j = 0; j < 4; ++j) edges.lines[y].a[side][j] = static_cast<float>(sum[j + 1]);
                for (int j = 0; j < 5; ++j) sum[j] += increment[j];
            }
        }
    return edges;
}

// --- a line: attributes at column x, per-pixel float steps, integer light ---
struct Ref_Context {
    std::int32_t x = 0;
    float a[4] = {}, d[4] = {};
    std::int32_t light_fixed = 0, light_step = 0;
};
inline Ref_Context Reference_Set_Up(const Ref_Line& line) {
    const double k = 1.0 / (line.x[1] == line.x[0] ? 1.0 : double(line.x[1]) - line.x[0]);  // edges that met: width 1
    Ref_Context c;
    c.x = line.x[0];
    for (int j = 0; j < 4; ++j)
        c.a[j] = line.a[0][j], c.d[j] = static_cast<float>((double(line.a[1][j]) - line.a[0][j]) * k);
    c.light_fixed = Ref_Truncate(line.a[0][SHADE]);
    c.light_step = Ref_Truncate((double(line.a[1][SHADE]) - line.a[0][SHADE]) * k);
    return c;
}
// A later span on the line advances from the previous span's start.
inline void Reference_Advance(Ref_Context& c, std::int32_t x) {
    for (int j = 0; j < 4; ++j) c.a[j] = c.a[j] + c.d[j] * static_cast<float>(x - c.x);
    c.light_fixed = Ref_Wrap(c.light_fixed + std::int64_t{x - c.x} * c.light_step);
    c.x = x;
}

// --- the fillers ---
enum class Ref_Source { Texel, Texel_Keyed, Palette_Brightest, Level, Lit, Lit_Keyed, Lit_Index_0_Skipped };
enum class Ref_Op { Copy, Blend, Add };
enum class Ref_Light { None, Perspective, Screen, Linear };
// Per_Pixel: truncated samples, one store a pixel. Paired: rounded samples,
// the lag, an alignment pixel, pairs. Single: rounded with the lag, one store a pixel.
enum class Ref_Loop { Per_Pixel, Paired, Single };
struct Ref_Filler {
    const char* name;
    Fill_Function fill;
    Ref_Source source;
    Ref_Op op;
    Ref_Light light;
    Ref_Loop loop_256;         // general images always take Per_Pixel
    bool exact_first = false;  // a later group's pixel 0 takes the exact start, not the stepped value
    bool whole_lines = false;  // every polygon line, no spans
};

// --- pixel operations by channels, blue first ---
struct Channel {
    int shift;
    std::uint32_t top;
};
inline std::array<Channel, 3> Channels(bool is_555) {
    return {{{0, 31}, {5, is_555 ? 31u : 63u}, {is_555 ? 10 : 11, 31}}};
}
// Halves of the channels added; green and red lose their lowest bit first,
// and in a pair's second pixel blue does too.
inline std::uint16_t Ref_Blend(std::uint32_t s, std::uint32_t d, bool is_555, bool second = false) {
    std::uint32_t out = 0, drop = second ? ~1u : ~0u;
    for (const Channel& c : Channels(is_555)) {
        out |= ((((s >> c.shift) & c.top & drop) + ((d >> c.shift) & c.top & drop)) >> 1) << c.shift;
        drop = ~1u;
    }
    return static_cast<std::uint16_t>(out);
}
// The same channels added: one that overflows becomes all ones and carries
// one into the next. Red's carry is bit 15 at 555; at 565 it leaves the
// pixel (in a pair, into the second pixel's blue), and a pair's second red
// that overflows fills its upper four bits only.
inline std::uint16_t Ref_Add(std::uint32_t s, std::uint32_t d, bool is_555, std::uint32_t& carry, bool second = false) {
    std::uint32_t out = 0, drop = second ? ~1u : ~0u;
    for (const Channel& c : Channels(is_555)) {
        std::uint32_t sum = ((s >> c.shift) & c.top & drop) + ((d >> c.shift) & c.top & drop) + carry;
        carry = sum > c.top;
        if (carry) sum = second && !is_555 && c.shift == 11 ? (sum & 31) | 0x1E : c.top;
        out |= sum << c.shift;
        drop = ~1u;
    }
    return static_cast<std::uint16_t>(out | (is_555 && carry ? 0x8000 : 0));
}
inline std::uint16_t Ref_Apply(Ref_Op op, std::uint16_t s, std::uint16_t d, bool is_555) {
    std::uint32_t carry = 0;
    return op == Ref_Op::Copy ? s : op == Ref_Op::Blend ? Ref_Blend(s, d, is_555) : Ref_Add(s, d, is_555, carry);
}
// First pixel in the low half.
inline std::uint32_t Ref_Apply_Pair(Ref_Op op, std::uint32_t s, std::uint32_t d, bool is_555) {
    if (op == Ref_Op::Copy) return s;
    if (op == Ref_Op::Blend)
        return Ref_Blend(s & 0xFFFF, d & 0xFFFF, is_555) | std::uint32_t{Ref_Blend(s >> 16, d >> 16, is_555, true)}
                                                               << 16;
    std::uint32_t carry = 0;
    const std::uint32_t low = Ref_Add(s & 0xFFFF, d & 0xFFFF, is_555, carry);
    if (is_555) carry = 0;
    return low | std::uint32_t{Ref_Add(s >> 16, d >> 16, is_555, carry, true)} << 16;
}

// --- samples along a run ---
struct Ref_Sample {
    std::int32_t u, v, c;
};
// The exact sample k segments on from attributes `a`: k additions of 8 times
// the per-pixel steps, one division r = 1 / w, the light divided by w only
// where it holds light x w.
inline Ref_Sample Reference_Exact(const Ref_Context& c, const float* start, int k, bool rounded, Ref_Light light) {
    float a[4] = {start[0], start[1], start[2], start[3]};
    for (int i = 0; i < k; ++i)
        for (int j = 0; j < 4; ++j) a[j] += 8.0f * c.d[j];
    const float r = 1.0f / a[W];
    auto convert = [&](float value) { return rounded ? Ref_Round(value) : Ref_Truncate(value); };
    return {convert(a[UW] * r), convert(a[VW] * r), Ref_Truncate(light == Ref_Light::Screen ? a[SHADE] : a[SHADE] * r)};
}
// Pixel i of a run: the exact sample of its segment plus its steps, a step
// being (next exact - exact) >> 3. In the 256 x 256 loops, from the second
// group on, pixel j >= 1 of group s takes E(s) + (j - 1) steps and pixel 0
// what the previous group stepped to (E(0) + 8 steps, then E(s - 1) + 7) or E(s).
inline Ref_Sample Reference_Sample(const Ref_Context& c, int i, Ref_Loop loop, bool alignment_pixel,
                                   const Ref_Filler& f) {
    float a[4] = {c.a[0], c.a[1], c.a[2], c.a[3]};
    const bool rounded = loop != Ref_Loop::Per_Pixel;
    if (alignment_pixel) {
        if (i-- == 0) return Reference_Exact(c, a, 0, true, f.light);
        for (int j = 0; j < 4; ++j) a[j] += c.d[j];  // the subdivision restarts one column on
    }
    auto at = [&](int k, int steps) {
        const Ref_Sample e = Reference_Exact(c, a, k, rounded, f.light),
                         next = Reference_Exact(c, a, k + 1, rounded, f.light);
        auto along = [&](std::int32_t from, std::int32_t to) {
            return Ref_Wrap(from + std::int64_t{steps} * (Ref_Wrap(std::int64_t{to} - from) >> 3));
        };
        return Ref_Sample{along(e.u, next.u), along(e.v, next.v), along(e.c, next.c)};
    };
    const int s = i / 8, j = i % 8;
    if (loop == Ref_Loop::Per_Pixel || s == 0) return at(s, j);
    if (j >= 1) return at(s, j - 1);
    if (f.exact_first) return at(s, 0);
    return s == 1 ? at(0, 8) : at(s - 1, 7);
}

// One run of `length` pixels from frame index `first` into `frame`.
inline void Reference_Run(const Ref_Filler& f, World& world, const Ref_Context& c, int first, int length,
                          std::vector<std::uint16_t>& frame) {
    const bool is_555 = world.services.pixel_depth == 15;
    const bool is_256 = f.source != Ref_Source::Level && world.map.image->is_256x256;
    const Ref_Loop loop = is_256 ? f.loop_256 : Ref_Loop::Per_Pixel;
    const bool alignment_pixel = loop == Ref_Loop::Paired && first % 2 == 1;  // the frame itself is 4-byte aligned
    std::vector<std::uint16_t> colour(length);
    std::vector<bool> skip(length);
    for (int i = 0; i < length; ++i) {
        const Ref_Sample at = Reference_Sample(c, i, loop, alignment_pixel, f);
        const std::int32_t light =
            f.light == Ref_Light::Linear ? Ref_Wrap(c.light_fixed + std::int64_t{i} * c.light_step) : at.c;
        const std::uint32_t level = (static_cast<std::uint32_t>(light) >> 8) % 64;
        const std::uint32_t index =
            is_256 ? std::uint32_t((at.v >> 8) & 255) * 256 + std::uint32_t((at.u >> 8) & 255)
                   : std::uint32_t(std::int64_t{at.v >> 8} * (1 << world.map.image->width_shift) + (at.u >> 8)) &
                         world.map.image->index_mask;
        if (f.source == Ref_Source::Texel || f.source == Ref_Source::Texel_Keyed) {
            colour[i] = world.Texels_16()[index];
            skip[i] = f.source == Ref_Source::Texel_Keyed && colour[i] == world.map.colour_key;
            continue;
        }
        const std::uint32_t p = f.source == Ref_Source::Level ? 0 : world.Texels_8()[index];
        const std::uint32_t entry = f.source == Ref_Source::Palette_Brightest ? 63 * 256 + p
                                    : f.source == Ref_Source::Level           ? level
                                                                              : level * 256 + p;
        colour[i] = static_cast<std::uint16_t>(world.shade_table[entry] >> 16);
        skip[i] = (f.source == Ref_Source::Lit_Keyed && p == world.map.colour_key_index) ||
                  (f.source == Ref_Source::Lit_Index_0_Skipped && p == 0);
    }
    int i = alignment_pixel ? 1 : 0;
    if (alignment_pixel) frame[first] = Ref_Apply(f.op, colour[0], frame[first], is_555);
    for (; loop == Ref_Loop::Paired && i + 1 < length; i += 2) {
        const std::uint32_t result =
            Ref_Apply_Pair(f.op, colour[i] | std::uint32_t{colour[i + 1]} << 16,
                           frame[first + i] | std::uint32_t{frame[first + i + 1]} << 16, is_555);
        frame[first + i] = static_cast<std::uint16_t>(result);
        frame[first + i + 1] = static_cast<std::uint16_t>(result >> 16);
    }
    for (; i < length; ++i)
        if (!skip[i]) frame[first + i] = Ref_Apply(f.op, colour[i], frame[first + i], is_555);
}

// The frame the filler should leave: the world's spans in chain order (or the
// face's whole lines), each line set up once and advanced span to span.
inline std::vector<std::uint16_t> Reference_Fill(const Ref_Filler& f, World& world, const Prepared_Face& face) {
    std::vector<std::uint16_t> frame = world.frame;
    const Ref_Edges edges = Reference_Edges(face);
    Ref_Context c;
    int line_y = -1;
    auto run = [&](int y, int x, int length) {
        if (y != line_y) {
            c = Reference_Set_Up(edges.lines.at(y));
            line_y = y;
        }
        Reference_Advance(c, x);
        Reference_Run(f, world, c, y * World::pitch + x, length, frame);
    };
    if (!f.whole_lines)
        for (const Span& span : world.spans) run(span.y, span.x, span.length);
    for (int y = edges.top; f.whole_lines && y < edges.bottom; ++y) {
        const Ref_Line& line = edges.lines.at(y);
        if (line.x[1] > line.x[0]) run(y, line.x[0], line.x[1] - line.x[0]);
    }
    return frame;
}

}  // namespace fillers_test

#endif
