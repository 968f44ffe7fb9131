// Every perspective and lit filler, for both kinds of image and both pixel
// depths, against the slow reference on random faces and spans; and the edge
// walk against the reference's walk line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "fillers/edge_walk.h"
#include "fillers/fillers.h"
#include "fillers/support/reference.h"

namespace fillers_test {
namespace {

using S = Ref_Source;
using O = Ref_Op;
using L = Ref_Light;
using K = Ref_Loop;
const Ref_Filler fillers[] = {
    {"Fill_Spans_Mapped", Fill_Spans_Mapped, S::Texel, O::Copy, L::None, K::Paired},
    {"Fill_Spans_Mapped_Palette", Fill_Spans_Mapped_Palette, S::Palette_Brightest, O::Copy, L::None, K::Per_Pixel},
    {"Fill_Spans_Mapped_Keyed", Fill_Spans_Mapped_Keyed, S::Texel_Keyed, O::Copy, L::None, K::Single},
    {"Fill_Spans_Mapped_Blend", Fill_Spans_Mapped_Blend, S::Texel, O::Blend, L::None, K::Paired},
    {"Fill_Spans_Mapped_Keyed_Blend", Fill_Spans_Mapped_Keyed_Blend, S::Texel_Keyed, O::Blend, L::None, K::Per_Pixel},
    {"Fill_Spans_Mapped_Additive", Fill_Spans_Mapped_Additive, S::Texel, O::Add, L::None, K::Paired},
    {"Fill_Square_Overlay", Fill_Square_Overlay, S::Texel, O::Add, L::None, K::Per_Pixel, false, true},
    {"Fill_Spans_Gouraud", Fill_Spans_Gouraud, S::Level, O::Copy, L::Perspective, K::Per_Pixel},
    {"Fill_Spans_Gouraud_Blend", Fill_Spans_Gouraud_Blend, S::Level, O::Blend, L::Perspective, K::Per_Pixel},
    {"Fill_Spans_Gouraud_Mapped", Fill_Spans_Gouraud_Mapped, S::Lit, O::Copy, L::Linear, K::Paired, true},
    {"Fill_Spans_Gouraud_Mapped_Keyed", Fill_Spans_Gouraud_Mapped_Keyed, S::Lit_Keyed, O::Copy, L::Linear, K::Single,
     true},
    {"Fill_Spans_Gouraud_Mapped_Blend", Fill_Spans_Gouraud_Mapped_Blend, S::Lit, O::Blend, L::Linear, K::Paired, true},
    {"Fill_Spans_Gouraud_Mapped_Keyed_Blend", Fill_Spans_Gouraud_Mapped_Keyed_Blend, S::Lit_Index_0_Skipped, O::Blend,
     L::Screen, K::Per_Pixel},
    {"Fill_Spans_Gouraud_Mapped_Additive", Fill_Spans_Gouraud_Mapped_Additive, S::Lit, O::Add, L::Screen, K::Per_Pixel},
};

// A convex face inside the frame, increasing indices down its left side,
// random depth, map coordinates (negative ones too, and large ones whose float
// rounding shows in the texels) and light (past level 63 too; times w where
// the face setup multiplies it). Light spreads over `levels` from `lowest` on.
Prepared_Face Random_Face(std::mt19937& random, bool light_times_w, float lowest = 0.0f, float levels = 300.0f) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> angles(3 + random() % 4);
    for (float& angle : angles) angle = unit(random) * 6.2831853f;
    std::sort(angles.rbegin(), angles.rend());
    const float cx = 10 + unit(random) * 44, cy = 8 + unit(random) * 32, rx = 2 + unit(random) * 20,
                ry = 1 + unit(random) * 16;
    const float texels = random() % 2 ? 300.0f : 2e6f;
    Prepared_Face face{};
    for (float angle : angles) {
        const float w = 0.05f + unit(random) * 2.0f;
        Add_Vertex(face,
                   {std::clamp(cx + rx * std::cos(angle), 0.0f, 63.0f),
                    std::clamp(cy + ry * std::sin(angle), 0.0f, 47.0f), w, (unit(random) * 2 - 1) * texels,
                    (unit(random) * 2 - 1) * texels, (lowest + unit(random) * levels) * 64 * (light_times_w ? w : 1)});
    }
    return face;
}

// Spans over the lines as the reference walk sees them: some split, some
// missing, a line's spans in random order, up to 3 pixels on lines whose
// edges met (the span buffer's edges may differ from the filler's).
void Random_Spans(std::mt19937& random, World& world, const Prepared_Face& face) {
    const Ref_Edges edges = Reference_Edges(face);
    for (int y = edges.top; y < edges.bottom; ++y) {
        const int left = std::max(edges.lines.at(y).x[0], 0), right = std::min(edges.lines.at(y).x[1], World::pitch);
        std::vector<Span> spans;
        if (right == left && left < World::pitch - 3 && random() % 2)
            spans.push_back({left, 1 + int(random() % 3), y, -1});
        for (int x = left; x < right;) {
            const int length = 1 + static_cast<int>(random() % (right - x));
            if (random() % 4) spans.push_back({x, length, y, -1});
            x += length + static_cast<int>(random() % 3);
        }
        std::shuffle(spans.begin(), spans.end(), random);
        world.spans.insert(world.spans.end(), spans.begin(), spans.end());
    }
}

// Random texels; keyed sources draw from small pools that hold the key (and
// the 16-bit key with its lowest bit flipped), lit ones often index 0 and 1.
void Randomise(std::mt19937& random, World& world, const Ref_Filler& filler) {
    for (std::uint16_t& pixel : world.frame) pixel = static_cast<std::uint16_t>(random());
    for (std::uint32_t& entry : world.shade_table) entry = random();
    const std::uint16_t pool[] = {0x1234, 0x1235, 0xFFFF, 0x0000, 0x7C1F, 0x83E0};
    world.map.colour_key = 0x1234;
    world.map.colour_key_index = 1;
    for (std::uint32_t i = 0; i < world.count; ++i) {
        if (filler.source == S::Texel)
            world.Texels_16()[i] = static_cast<std::uint16_t>(random());
        else if (filler.source == S::Texel_Keyed)
            world.Texels_16()[i] = pool[random() % 6];
        else
            world.Texels_8()[i] = static_cast<std::uint8_t>(random() % 2 ? random() % 3 : random());
    }
}

TEST(Span_Fillers, Every_Filler_Image_Kind_And_Depth_Matches_The_Reference) {
    std::mt19937 random(2024);
    for (const Ref_Filler& filler : fillers)
        for (bool is_256 : {false, true})
            for (int depth : {15, 16}) {
                for (int round = 0; round < 30; ++round) {
                    const bool texels_16 = filler.source == S::Texel || filler.source == S::Texel_Keyed;
                    const std::uint32_t shift = 2 + random() % 7, rows = 1u << (random() % 6);
                    // Any depth but 15 draws as 565.
                    World world(depth == 16 && round % 3 == 1 ? 24 : depth, texels_16 ? 2 : 1, is_256, shift, rows);
                    Randomise(random, world, filler);
                    Prepared_Face face = Random_Face(random, filler.light == L::Perspective);
                    if (round == 0) {
                        // w reaches 0 eight pixels in and goes negative beyond the face: pinned samples, masked texels.
                        face = Make_Face({{0, 10, 1, 5, 5, 900},
                                          {0, 12, 1, 5, 5, 900},
                                          {8, 12, 0, 0, 0, 900},
                                          {8, 10, 0, 0, 0, 900}});
                        face.u[2] = face.u[3] = 900;
                        world.Add_Span(0, 24, 10);
                    } else {
                        Random_Spans(random, world, face);  // the overlay filler must not follow them
                    }
                    const std::vector<std::uint16_t> expected = Reference_Fill(filler, world, face);
                    world.Fill(filler.fill, face);
                    ASSERT_EQ(world.frame, expected) << filler.name << (is_256 ? " 256x256" : " general") << " depth "
                                                     << depth << " round " << round;
                }
            }
}

// The Gouraud fillers form a group of one or two light levels in lanes and a
// steeper one pixel by pixel: light spread over a fraction of a level up to
// forty gives groups of one, two and more levels (a third level only in the
// upper four pixels too), and faces near the top wrap past level 63 to 0.
TEST(Span_Fillers, Gouraud_Groups_Of_Few_Levels_Match_The_Reference) {
    std::mt19937 random(77);
    for (const Ref_Filler& filler : fillers) {
        if (filler.source != S::Level) continue;
        for (int depth : {15, 16})
            for (int round = 0; round < 60; ++round) {
                World world(depth, 1, false, 2, 1);
                Randomise(random, world, filler);
                const float spreads[] = {0.25f, 1.5f, 4.0f, 40.0f};
                const float lowest = round % 3 == 0 ? 61.5f : float(random() % 60);
                Prepared_Face face = Random_Face(random, true, lowest, spreads[round % 4]);
                Random_Spans(random, world, face);
                const std::vector<std::uint16_t> expected = Reference_Fill(filler, world, face);
                world.Fill(filler.fill, face);
                ASSERT_EQ(world.frame, expected) << filler.name << " depth " << depth << " round " << round;
            }
    }
}

// Random polygons of any vertex order (chains may run up and down), with
// vertices often on the same line.
TEST(Edge_Walk, Both_Chains_Match_The_Reference_Line_By_Line) {
    std::mt19937 random(31);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int round = 0; round < 500; ++round) {
        Prepared_Face face{};
        for (int i = 0, n = 3 + random() % 14; i < n; ++i)
            Add_Vertex(face, {unit(random) * 750 - 50, random() % 48 * 10.0f, 0.01f + unit(random),
                              unit(random) * 400 - 200, unit(random) * 400 - 200, unit(random) * 20000});
        const Ref_Edges expected = Reference_Edges(face);
        const Face_Lines lines = Walk_Edges<true, true>(face);
        ASSERT_EQ(lines.top, expected.top);
        ASSERT_EQ(lines.bottom, expected.bottom);
        for (const auto& [y, line] : expected.lines) {
            const Edge_Line& e = fillers_state.edge_lines[y];
            const Ref_Line walked{
                {e.x_left, e.x_right},
                {{e.w_left, e.uw_left, e.vw_left, e.shade_left}, {e.w_right, e.uw_right, e.vw_right, e.shade_right}}};
            ASSERT_TRUE(walked == line) << "round " << round << ", line " << y;
        }
    }
}

}  // namespace
}  // namespace fillers_test
