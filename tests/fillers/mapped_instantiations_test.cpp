// Every perspective filler of shading mode 0, for both kinds of image and
// both pixel depths, against the reference filler on random faces and
// spans; and every entry of the loop tables those fillers instantiate,
// called directly on random spans at both alignments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fillers/fillers.h"
#include "fillers/mapped.h"
#include "fillers/support/mapped_fixture.h"
#include "fillers/support/mapped_reference.h"
#include "fillers/support/reference_fill.h"

namespace mapped_test {
namespace {

struct Filler_Case {
    const char* name;
    Fill_Function fill;
    Ref_Filler reference;
};

const Filler_Case filler_cases[] = {
    {"Fill_Spans_Mapped", Fill_Spans_Mapped, {Ref_Source::Texel, Ref_Op::Copy, Ref_Loop::Paired}},
    {"Fill_Spans_Mapped_Palette", Fill_Spans_Mapped_Palette, {Ref_Source::Palette, Ref_Op::Copy, Ref_Loop::Per_Pixel}},
    {"Fill_Spans_Mapped_Keyed", Fill_Spans_Mapped_Keyed, {Ref_Source::Texel_Keyed, Ref_Op::Copy, Ref_Loop::Rounded_Single}},
    {"Fill_Spans_Mapped_Blend", Fill_Spans_Mapped_Blend, {Ref_Source::Texel, Ref_Op::Blend, Ref_Loop::Paired}},
    {"Fill_Spans_Mapped_Keyed_Blend", Fill_Spans_Mapped_Keyed_Blend, {Ref_Source::Texel_Keyed, Ref_Op::Blend, Ref_Loop::Per_Pixel}},
    {"Fill_Spans_Mapped_Additive", Fill_Spans_Mapped_Additive, {Ref_Source::Texel, Ref_Op::Add, Ref_Loop::Paired}},
    {"Fill_Square_Overlay", Fill_Square_Overlay, {Ref_Source::Texel, Ref_Op::Add, Ref_Loop::Per_Pixel, true}},
};

// An image of random texels. Keyed sources draw from a small pool that holds
// the key and the key with its lowest bit flipped, so both occur often.
Image Random_Image(std::mt19937& random, const Ref_Filler& filler, bool is_256, World* world_for_key = nullptr) {
    const std::uint32_t bytes = filler.source == Ref_Source::Palette ? 1 : 2;
    std::uint32_t count = 65536, shift = 31, mask = 0;
    if (!is_256) {
        shift = 2 + random() % 7;
        count = (1u << shift) << (random() % 6);
        mask = count - 1;
    }
    Image image(count, bytes, is_256, shift, mask);
    const std::uint16_t pool[] = {0x1234, 0x1235, 0xFFFF, 0x0000, 0x7C1F, 0x83E0};
    for (std::uint32_t i = 0; i < count; ++i) {
        if (bytes == 1) image.Texels_8()[i] = static_cast<std::uint8_t>(random());
        else if (filler.source == Ref_Source::Texel_Keyed) image.Texels_16()[i] = pool[random() % 6];
        else image.Texels_16()[i] = static_cast<std::uint16_t>(random());
    }
    (void)world_for_key;
    return image;
}

void Randomise(std::mt19937& random, World& world) {
    for (std::uint16_t& pixel : world.frame) pixel = static_cast<std::uint16_t>(random());
    for (std::uint32_t& entry : world.shade_table) entry = static_cast<std::uint32_t>(random());
    world.map.colour_key = 0x1234;
}

// A convex face inside the frame, vertices counter-clockwise on the screen
// (increasing index down the left edge), random depth and map coordinates.
Prepared_Face Random_Face(std::mt19937& random, World& world) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const int count = 3 + random() % 4;
    std::vector<float> angles;
    for (int i = 0; i < count; ++i) angles.push_back(unit(random) * 6.2831853f);
    std::sort(angles.rbegin(), angles.rend());
    const float cx = 10 + unit(random) * 44, cy = 8 + unit(random) * 32;
    const float rx = 2 + unit(random) * 20, ry = 1 + unit(random) * 16;
    Prepared_Face face = Make_Face({}, &world.material);
    for (int i = 0; i < count; ++i) {
        const float x = std::clamp(cx + rx * std::cos(angles[i]), 0.0f, 63.0f);
        const float y = std::clamp(cy + ry * std::sin(angles[i]), 0.0f, 47.0f);
        const float w = 0.05f + unit(random) * 2.0f;
        face.x[i] = x;
        face.y[i] = y;
        face.y_row[i] = static_cast<std::int32_t>(y);
        face.w[i] = w;
        face.u[i] = (unit(random) * 600 - 300) * 256 * w;
        face.v[i] = (unit(random) * 600 - 300) * 256 * w;
    }
    face.vertex_count = count;
    return face;
}

// Spans over the face's lines as the reference walk sees them, some split,
// a line's spans in random order, a one-pixel span on lines whose edges met.
void Random_Spans(std::mt19937& random, World& world, const Prepared_Face& face) {
    const Ref_Edges edges = Reference_Edges(face);
    for (int y = edges.top; y < edges.bottom; ++y) {
        const Ref_Line& line = edges.lines.at(y);
        const int left = std::max(line.x[0], 0), right = std::min(line.x[1], 64);
        std::vector<Span> spans;
        if (right == left && left < 64 && random() % 2) spans.push_back({left, 1, y, -1});
        for (int x = left; x < right;) {
            const int length = 1 + random() % (right - x);
            if (random() % 4) spans.push_back({x, length, y, -1});
            x += length + random() % 3;
        }
        std::shuffle(spans.begin(), spans.end(), random);
        world.spans.insert(world.spans.end(), spans.begin(), spans.end());
    }
}

TEST(Mapped_Fillers, Every_Filler_Image_Kind_And_Depth_Matches_The_Reference) {
    std::mt19937 random(2024);
    for (const Filler_Case& filler : filler_cases) {
        for (bool is_256 : {false, true}) {
            for (int depth : {15, 16}) {
                for (int round = 0; round < 40; ++round) {
                    World world(depth, Random_Image(random, filler.reference, is_256));
                    Randomise(random, world);
                    Prepared_Face face = Random_Face(random, world);
                    if (!filler.reference.whole_lines) Random_Spans(random, world, face);
                    const std::vector<std::uint16_t> expected = Reference_Fill(filler.reference, world, face);
                    world.Fill(filler.fill, face);
                    ASSERT_EQ(world.frame, expected) << filler.name << (is_256 ? " 256x256" : " general")
                                                     << " depth " << depth << " round " << round;
                }
            }
        }
    }
}

// --- the loop tables, entry by entry ------------------------------------------------

struct Table_Case {
    const char* name;
    const Span_Loop_Table& table;
    Ref_Filler reference;
};

const Table_Case table_cases[] = {
    {"rounded_256_loops<Texel, Copy>", rounded_256_loops<Source_Texel, Op_Copy>, {Ref_Source::Texel, Ref_Op::Copy, Ref_Loop::Paired}},
    {"rounded_256_loops<Texel, Blend>", rounded_256_loops<Source_Texel, Op_Blend>, {Ref_Source::Texel, Ref_Op::Blend, Ref_Loop::Paired}},
    {"rounded_256_loops<Texel, Add>", rounded_256_loops<Source_Texel, Op_Add>, {Ref_Source::Texel, Ref_Op::Add, Ref_Loop::Paired}},
    {"rounded_256_loops<Texel_Keyed, Copy>", rounded_256_loops<Source_Texel_Keyed, Op_Copy>, {Ref_Source::Texel_Keyed, Ref_Op::Copy, Ref_Loop::Rounded_Single}},
    {"rounded_256_loops<Texel_Keyed, Blend>", rounded_256_loops<Source_Texel_Keyed, Op_Blend>, {Ref_Source::Texel_Keyed, Ref_Op::Blend, Ref_Loop::Rounded_Single}},
    {"per_pixel_loops<Palette, Copy>", per_pixel_loops<Source_Palette_Brightest, Op_Copy>, {Ref_Source::Palette, Ref_Op::Copy, Ref_Loop::Per_Pixel}},
    {"per_pixel_loops<Texel_Keyed, Blend>", per_pixel_loops<Source_Texel_Keyed, Op_Blend>, {Ref_Source::Texel_Keyed, Ref_Op::Blend, Ref_Loop::Per_Pixel}},
    {"per_pixel_loops<Texel, Add>", per_pixel_loops<Source_Texel, Op_Add>, {Ref_Source::Texel, Ref_Op::Add, Ref_Loop::Per_Pixel}},
    {"per_pixel_loops<Texel, Copy>", per_pixel_loops<Source_Texel, Op_Copy>, {Ref_Source::Texel, Ref_Op::Copy, Ref_Loop::Per_Pixel}},
};

TEST(Mapped_Span_Loops, Every_Table_Entry_Matches_Its_Reference_Loop) {
    std::mt19937 random(99);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (const Table_Case& loops : table_cases) {
        for (int addressing = 0; addressing < 2; ++addressing) {
            for (int format = 0; format < 2; ++format) {
                for (int round = 0; round < 60; ++round) {
                    World world(format == 0 ? 15 : 16, Random_Image(random, loops.reference, addressing == 1));
                    Randomise(random, world);
                    Span_Context span{};
                    span.image = world.map.image;
                    span.shade_table = world.shade_table.data();
                    span.colour_key = world.map.colour_key;
                    span.w = 0.05f + unit(random) * 2;
                    span.dw = (unit(random) - 0.5f) * 0.1f;
                    span.uw = (unit(random) - 0.5f) * 200000;
                    span.vw = (unit(random) - 0.5f) * 200000;
                    span.duw = (unit(random) - 0.5f) * 4000;
                    span.dvw = (unit(random) - 0.5f) * 4000;
                    span.dw8 = 8 * span.dw, span.duw8 = 8 * span.duw, span.dvw8 = 8 * span.dvw;
                    span.length = 1 + random() % 40;
                    const std::size_t first = std::size_t(random() % 40) * world.pitch + random() % 24;
                    Ref_Context context;
                    context.w = span.w, context.uw = span.uw, context.vw = span.vw;
                    context.dw = span.dw, context.duw = span.duw, context.dvw = span.dvw;
                    std::vector<std::uint16_t> expected = world.frame;
                    Reference_Run(loops.reference, world, context, first, span.length, expected);
                    loops.table[addressing][format](span, world.frame.data() + first);
                    ASSERT_EQ(world.frame, expected) << loops.name << " [" << addressing << "][" << format
                                                     << "] round " << round;
                }
            }
        }
    }
}

}  // namespace
}  // namespace mapped_test
