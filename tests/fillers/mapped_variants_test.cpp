// What sets each variant apart: the keyed fillers' 16-bit key, the palette
// filler's brightest shade row, the depth that picks the 555 or 565 loop,
// and the overlay filler's whole polygon lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "fillers/edge_walk.h"
#include "fillers/fillers.h"
#include "fillers/support/mapped_fixture.h"

namespace mapped_test {
namespace {

constexpr std::uint16_t key = 0x4210;
constexpr std::uint16_t under = 0x1863;

// A face over lines 10..11, columns 0..16, whose every pixel samples texel
// column `column` of row 0.
Prepared_Face Constant_Texel_Face(Host_Material* material, float column) {
    const float u = column + 0.5f;
    return Make_Face({{0, 10, 1, u, 0.5f}, {0, 12, 1, u, 0.5f}, {16, 12, 1, u, 0.5f}, {16, 10, 1, u, 0.5f}}, material);
}

// Column 0 holds the key, column 1 the key with its lowest bit flipped.
std::uint16_t Keyed_Pixel(Fill_Function fill, bool is_256, int depth, float column) {
    World world(depth, is_256 ? Image_256_16() : General_Image_16(4, 16));
    world.image().Texels_16()[0] = key;
    world.image().Texels_16()[1] = key ^ 1;
    world.map.colour_key = key;
    std::fill(world.frame.begin(), world.frame.end(), under);
    Prepared_Face face = Constant_Texel_Face(&world.material, column);
    world.Add_Span(0, 9, 10);
    world.Fill(fill, face);
    for (int x = 1; x < 9; ++x) EXPECT_EQ(world.Pixel(x, 10), world.Pixel(0, 10));
    return world.Pixel(0, 10);
}

TEST(Keyed_Fillers, Key_Texel_Leaves_The_Pixel_And_One_Bit_Off_Is_Drawn) {
    for (bool is_256 : {false, true})
        for (int depth : {15, 16}) {
            EXPECT_EQ(Keyed_Pixel(Fill_Spans_Mapped_Keyed, is_256, depth, 0), under);
            EXPECT_EQ(Keyed_Pixel(Fill_Spans_Mapped_Keyed, is_256, depth, 1), key ^ 1);
            EXPECT_EQ(Keyed_Pixel(Fill_Spans_Mapped_Keyed_Blend, is_256, depth, 0), under);
            const std::uint16_t mask = depth == 15 ? 0x7BDF : 0xF7DF;
            EXPECT_EQ(Keyed_Pixel(Fill_Spans_Mapped_Keyed_Blend, is_256, depth, 1),
                      (((key ^ 1) & mask) + (under & mask)) >> 1);
        }
}

// The unkeyed fillers draw the key texel like any other.
TEST(Keyed_Fillers, Unkeyed_Fillers_Draw_The_Key_Texel) {
    EXPECT_EQ(Keyed_Pixel(Fill_Spans_Mapped, false, 16, 0), key);
    EXPECT_EQ(Keyed_Pixel(Fill_Spans_Mapped, true, 16, 0), key);
}

// Depth 15 picks the 555 loop; 16 and every other value the 565 loop. White
// over black shows it: 0x3DEF / 0x7BEF for the blend, the masked white for add.
TEST(Pixel_Depth, Fifteen_Selects_555_And_Any_Other_Value_565) {
    for (bool is_256 : {false, true})
        for (int depth : {15, 16, 24, 0}) {
            World world(depth, is_256 ? Image_256_16() : General_Image_16(4, 16));
            std::fill(world.image().Texels_16(), world.image().Texels_16() + world.image().Count(), depth == 15 ? 0x7FFF : 0xFFFF);
            Prepared_Face face = Constant_Texel_Face(&world.material, 3);
            world.Add_Span(1, 5, 10);
            world.Fill(Fill_Spans_Mapped_Blend, face);
            EXPECT_EQ(world.Pixel(2, 10), depth == 15 ? 0x3DEF : 0x7BEF) << depth;
            world.spans.clear();
            world.Add_Span(1, 5, 11);
            world.Fill(Fill_Spans_Mapped_Additive, face);
            EXPECT_EQ(world.Pixel(2, 11), depth == 15 ? 0x7BDF : 0xF7DF) << depth;
        }
}

// 8-bit texels through row 63 of the mapped shade table; the face's light
// is not read.
TEST(Palette_Filler, Draws_The_Brightest_Row_Whatever_The_Light) {
    for (bool is_256 : {false, true}) {
        std::vector<std::uint16_t> first;
        for (float light : {0.0f, 100.0f, 4000.0f}) {
            World world(16, is_256 ? Image(65536, 1, true, 31, 0) : Image(256, 1, false, 4, 255));
            for (std::uint32_t i = 0; i < world.image().Count(); ++i) world.image().Texels_8()[i] = static_cast<std::uint8_t>(i * 7);
            for (std::uint32_t i = 0; i < world.shade_table.size(); ++i)
                world.shade_table[i] = (i / 256 == 63 ? 0x8000u + (i % 256) : 0x1111u) << 16 | 0xABCDu;
            Prepared_Face face = Make_Face({{0, 10, 1.0f, 0, 0, light}, {0, 14, 0.5f, 0, 9, light * 2},
                                            {30, 14, 0.25f, 12, 9, light}, {30, 10, 1.0f, 12, 0, light}},
                                           &world.material);
            for (int y = 10; y < 14; ++y) world.Add_Span(0, 30, y);
            world.Fill(Fill_Spans_Mapped_Palette, face);
            for (int y = 10; y < 14; ++y)
                for (int x = 0; x < 30; ++x) ASSERT_EQ(world.Pixel(x, y) & 0xFF00, 0x8000) << x << "," << y;
            if (first.empty()) first = world.frame;
            else EXPECT_EQ(world.frame, first) << "light " << light;
        }
    }
}

// --- overlay squares -------------------------------------------------------------

constexpr std::uint16_t opaque = 0x001F;  // full blue, as an opaque face left it

// A square over lines 5..8 and columns 3..10 with a single texel value 0x0001:
// adding it to full blue saturates blue and carries into green (0x003F).
TEST(Overlay_Filler, Adds_Whole_Polygon_Lines_Over_What_Is_Drawn_Without_Spans) {
    for (bool is_256 : {false, true}) {
        World world(16, is_256 ? Image_256_16() : General_Image_16(4, 16));
        std::fill(world.image().Texels_16(), world.image().Texels_16() + world.image().Count(), 0x0001);
        std::fill(world.frame.begin(), world.frame.end(), opaque);
        Prepared_Face face = Make_Face({{3, 5, 0.5f, 0, 0}, {3, 9, 0.5f, 0, 4}, {11, 9, 0.5f, 4, 4}, {11, 5, 0.5f, 4, 0}},
                                       &world.material);
        world.Add_Span(40, 3, 30);  // a chain the overlay filler must not follow
        world.Chain(face);
        Fill_Square_Overlay(&face, world.frame.data(), 0, world.pitch);
        for (int y = 0; y < world.height; ++y)
            for (int x = 0; x < world.pitch; ++x) {
                const bool inside = y >= 5 && y < 9 && x >= 3 && x < 11;
                ASSERT_EQ(world.Pixel(x, y), inside ? 0x003F : opaque) << x << "," << y;
            }
    }
}

TEST(Overlay_Filler, Reversed_Vertex_Order_Draws_Nothing) {
    World world(16, General_Image_16(4, 16));
    std::fill(world.image().Texels_16(), world.image().Texels_16() + world.image().Count(), 0x0001);
    Prepared_Face face = Make_Face({{3, 5, 1, 0, 0}, {11, 5, 1, 4, 0}, {11, 9, 1, 4, 4}, {3, 9, 1, 0, 4}}, &world.material);
    world.Fill(Fill_Square_Overlay, face);
    for (std::uint16_t pixel : world.frame) ASSERT_EQ(pixel, 0);
}

// Whatever the vertex order (here random, often self-crossing), every write
// lies on the vertices' lines top .. bottom - 1 and within their columns.
TEST(Overlay_Filler, Never_Writes_Outside_The_Lines_And_Columns_Of_Its_Vertices) {
    std::mt19937 random(17);
    std::uniform_real_distribution<float> x_of(8.0f, 56.0f), y_of(8.0f, 40.0f), unit(0.0f, 1.0f);
    for (int round = 0; round < 300; ++round) {
        World world(random() % 2 ? 15 : 16, General_Image_16(4, 16));
        std::fill(world.image().Texels_16(), world.image().Texels_16() + world.image().Count(), 0x0421);
        Prepared_Face face = Make_Face({}, &world.material);
        face.vertex_count = 3 + random() % 6;
        float min_x = 1e9f, max_x = -1e9f;
        int min_y = 1 << 30, max_y = -1;
        for (int i = 0; i < face.vertex_count; ++i) {
            face.x[i] = x_of(random);
            face.y[i] = y_of(random);
            face.y_row[i] = static_cast<std::int32_t>(face.y[i]);
            face.w[i] = 0.1f + unit(random);
            face.u[i] = unit(random) * 4000 - 2000;
            face.v[i] = unit(random) * 4000 - 2000;
            min_x = std::min(min_x, face.x[i]), max_x = std::max(max_x, face.x[i]);
            min_y = std::min(min_y, face.y_row[i]), max_y = std::max(max_y, face.y_row[i]);
        }
        world.Fill(Fill_Square_Overlay, face);
        for (int y = 0; y < world.height; ++y)
            for (int x = 0; x < world.pitch; ++x)
                if (world.Pixel(x, y) != 0) {
                    ASSERT_TRUE(y >= min_y && y < max_y) << "line " << y << " round " << round;
                    ASSERT_TRUE(x >= static_cast<int>(min_x) && x < static_cast<int>(max_x)) << "column " << x;
                }
    }
}

}  // namespace
}  // namespace mapped_test
