// Fill_Spans_Gouraud and Fill_Spans_Gouraud_Blend: light × w divided at every
// 8th pixel from a span's start, 8.8 steps in between, level (c >> 8) & 63,
// one 64-entry table read per pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "fillers/edge_walk.h"
#include "fillers/fillers.h"
#include "fillers/support/gouraud_reference.h"

namespace gouraud_test {
namespace {

// Entry L shows its level: pixel 0x1000 + L.
void Number_Levels(World& world) {
    for (std::uint32_t level = 0; level < 64; ++level) world.shade_table[level] = (0x1000u + level) << 16;
}
std::uint16_t Level_Pixel(std::uint32_t level) { return static_cast<std::uint16_t>(0x1000 + level); }

// Lines 10 and 11 from column 0 to `right`; vertex 0 top left, increasing
// indices down the left edge. shade is stored as given (already × w).
Prepared_Face Rectangle(World& world, float right, float w_left, float w_right, float shade_left, float shade_right) {
    return Make_Face({{0, 10, w_left, 0, 0, shade_left},
                      {0, 12, w_left, 0, 0, shade_left},
                      {right, 12, w_right, 0, 0, shade_right},
                      {right, 10, w_right, 0, 0, shade_right}},
                     &world.material);
}

// w = 1 and shade 5 + 31.75 per pixel: the exact samples at 0, 8, 16 are 5,
// 259, 513 and the step between is 254 >> 3 = 31, so stepping on past a
// sample would lose 6 units each segment and miss the level boundaries.
TEST(Gouraud_Light, Exact_At_Pixels_0_8_16_Stepped_In_Between) {
    World world(16, General_Image_8(5, 32));
    Number_Levels(world);
    Prepared_Face face = Rectangle(world, 32, 1, 1, 5, 1021);
    world.Add_Span(0, 17, 10);
    world.Fill(Fill_Spans_Gouraud, face);
    for (int i = 0; i < 17; ++i) {
        const int c = i < 8 ? 5 + 31 * i : i < 16 ? 259 + 31 * (i - 8) : 513;
        EXPECT_EQ(world.Pixel(i, 10), Level_Pixel(c >> 8)) << "pixel " << i;
    }
    EXPECT_EQ(world.Pixel(17, 10), 0);
}

// With w changing along the line the exact samples are true divisions; spans
// of 5 (stepping towards a sample beyond their end) and 16 (exact at 8), also
// starting mid-line.
TEST(Gouraud_Light, Perspective_Spans_Of_5_And_16_Match_The_Reference) {
    const Lit_Filler filler{false, Ref_Light::Perspective, Ref_Op::Copy, Ref_Skip::None, Ref_Loop::Per_Pixel};
    for (int length : {5, 16}) {
        for (int start : {0, 3}) {
            World world(16, General_Image_8(5, 32));
            Number_Levels(world);
            // Light 10 levels on the left, 60 on the right, × w.
            Prepared_Face face = Rectangle(world, 40, 1.0f, 0.1f, 2560.0f * 1.0f, 15360.0f * 0.1f);
            world.Add_Span(start, length, 10);
            const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
            world.Fill(Fill_Spans_Gouraud, face);
            EXPECT_EQ(world.frame, expected) << "length " << length << ", start " << start;
            // Perspective-correct, the light rises slowly at first: the span stays far below the linear midpoint.
            EXPECT_LT(world.Pixel(start + length - 1, 10), Level_Pixel(20));
        }
    }
}

TEST(Gouraud_Light, Light_100_Is_Level_25) {
    World world(16, General_Image_8(5, 32));
    Number_Levels(world);
    const float w = 0.25f;
    Prepared_Face face = Rectangle(world, 32, w, w, 100 * 64 * w, 100 * 64 * w);
    world.Add_Span(0, 32, 10);
    world.Add_Span(4, 9, 11);
    world.Fill(Fill_Spans_Gouraud, face);
    for (int x = 0; x < 32; ++x) EXPECT_EQ(world.Pixel(x, 10), Level_Pixel(25)) << x;
    for (int x = 4; x < 13; ++x) EXPECT_EQ(world.Pixel(x, 11), Level_Pixel(25)) << x;
}

// Light 260 is level 65; light -4 is level -1. Neither is clamped.
TEST(Gouraud_Light, Levels_Outside_0_To_63_Wrap) {
    const struct {
        float light;
        std::uint32_t level;
    } cases[] = {{260, 1}, {256, 0}, {-4, 63}, {255.99f, 63}};
    for (const auto& c : cases) {
        World world(16, General_Image_8(5, 32));
        Number_Levels(world);
        const float w = 0.5f;
        Prepared_Face face = Rectangle(world, 32, w, w, c.light * 64 * w, c.light * 64 * w);
        world.Add_Span(0, 20, 10);
        world.Fill(Fill_Spans_Gouraud, face);
        for (int x = 0; x < 20; ++x) EXPECT_EQ(world.Pixel(x, 10), Level_Pixel(c.level)) << c.light << " at " << x;
    }
}

// The same light at every vertex, with w falling from 0.9 to 0.1: the
// divisions agree up to rounding, far from a level boundary (102.5 = 25.625
// levels), so every pixel shows level 25.
TEST(Gouraud_Light, Constant_Light_Draws_One_Level) {
    World world(16, General_Image_8(5, 32));
    Number_Levels(world);
    const float light = 102.5f * 64;
    Prepared_Face face = Make_Face({{5, 3, 0.9f, 0, 0, light * 0.9f},
                                    {0, 40, 0.5f, 0, 0, light * 0.5f},
                                    {60, 20, 0.1f, 0, 0, light * 0.1f}},
                                   &world.material);
    std::mt19937 random(3);
    Cover_Face(world, face, random);
    ASSERT_GT(world.spans.size(), 30u);
    world.Fill(Fill_Spans_Gouraud, face);
    for (const Span& span : world.spans)
        for (int x = span.x; x < span.x + span.length; ++x)
            ASSERT_EQ(world.Pixel(x, span.y), Level_Pixel(25)) << x << ", " << span.y;
}

// The second span of a line takes w and shade advanced from the first span's
// start; the reference does the same float steps.
TEST(Gouraud_Light, Two_Spans_On_One_Line_Match_The_Reference) {
    const Lit_Filler filler{false, Ref_Light::Perspective, Ref_Op::Copy, Ref_Skip::None, Ref_Loop::Per_Pixel};
    World world(16, General_Image_8(5, 32));
    Number_Levels(world);
    Prepared_Face face = Rectangle(world, 60, 0.2f, 1.0f, 3000.0f * 0.2f, 16000.0f * 1.0f);
    world.Add_Span(2, 7, 10);
    world.Add_Span(25, 20, 10);
    world.Add_Span(13, 3, 10);
    const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
    world.Fill(Fill_Spans_Gouraud, face);
    EXPECT_EQ(world.frame, expected);
}

// The apex line of a triangle has x_left = x_right; width 1 keeps its
// gradients finite (zero) and every pixel takes the apex light.
TEST(Gouraud_Light, Zero_Width_Line_Takes_The_Left_Values) {
    World world(16, General_Image_8(5, 32));
    Number_Levels(world);
    Prepared_Face face = Make_Face(
        {{10, 5, 0.5f, 0, 0, 40 * 256 * 0.5f}, {0, 15, 1.0f, 0, 0, 0}, {20, 15, 0.25f, 0, 0, 60 * 256 * 0.25f}},
        &world.material);
    world.Add_Span(10, 3, 5);
    world.Fill(Fill_Spans_Gouraud, face);
    ASSERT_EQ(fillers_state.edge_lines[5].x_left, fillers_state.edge_lines[5].x_right);
    for (int x = 10; x < 13; ++x) EXPECT_EQ(world.Pixel(x, 5), Level_Pixel(40)) << x;
}

TEST(Gouraud_Blend, Constant_Light_Blends_One_Table_Colour_Half_Over_The_Frame) {
    const struct {
        std::int32_t depth;
        std::uint16_t colour, under, expected;
    } cases[] = {{15, 0x7FFF, 0x0000, 0x3DEF}, {16, 0xFFFF, 0x0000, 0x7BEF}, {16, 0x0000, 0xFFFF, 0x7BEF},
                 {15, 0x7C1F, 0x03E0, 0x3DEF}};
    for (const auto& c : cases) {
        World world(c.depth, General_Image_8(5, 32));
        for (std::uint32_t level = 0; level < 64; ++level) world.shade_table[level] = 0x12340000u;
        world.shade_table[25] = std::uint32_t{c.colour} << 16;
        for (std::uint16_t& pixel : world.frame) pixel = c.under;
        const float w = 0.25f;
        Prepared_Face face = Rectangle(world, 32, w, w, 100 * 64 * w, 100 * 64 * w);
        world.Add_Span(3, 11, 10);
        world.Fill(Fill_Spans_Gouraud_Blend, face);
        for (int x = 3; x < 14; ++x) EXPECT_EQ(world.Pixel(x, 10), c.expected) << c.depth << " at " << x;
        EXPECT_EQ(world.Pixel(2, 10), c.under);
        EXPECT_EQ(world.Pixel(14, 10), c.under);
    }
}

// Random triangles with light × w, including lights past level 63, spans of
// every length, lines split in two, over a random frame: both fillers at both
// depths against the reference.
TEST(Gouraud_Fillers, Random_Faces_Match_The_Reference) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> light(0.0f, 300.0f);
    for (int round = 0; round < 12; ++round) {
        for (std::int32_t depth : {15, 16}) {
            for (Ref_Op op : {Ref_Op::Copy, Ref_Op::Blend}) {
                World world(depth, General_Image_8(5, 32));
                Fill_Random_Table(world, random);
                Fill_Random(world.frame, random);
                Prepared_Face face = Random_Triangle(world, random, true, [&](int) { return light(random); });
                Cover_Face(world, face, random);
                const Lit_Filler filler{false, Ref_Light::Perspective, op, Ref_Skip::None, Ref_Loop::Per_Pixel};
                const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
                world.Fill(op == Ref_Op::Copy ? Fill_Spans_Gouraud : Fill_Spans_Gouraud_Blend, face);
                ASSERT_EQ(world.frame, expected) << "round " << round << ", depth " << depth;
            }
        }
    }
}

}  // namespace
}  // namespace gouraud_test
