// Values worked by hand from the drawing rules: the 8-pixel subdivision, the
// 256 x 256 rounding, lag and alignment, light levels, keys, and the overlay
// filler's bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "fillers/fillers.h"
#include "fillers/support/reference.h"

namespace fillers_test {
namespace {

// Lines 10 and 11 from column 0 to `right`, vertex 0 top left, increasing
// indices down the left edge; v = 0.
Prepared_Face Rectangle(float right, float w, float u_left, float u_right, float shade_left, float shade_right) {
    return Make_Face({{0, 10, w, u_left, 0, shade_left},
                      {0, 12, w, u_left, 0, shade_left},
                      {right, 12, w, u_right, 0, shade_right},
                      {right, 10, w, u_right, 0, shade_right}});
}

// w = 1, u from 4/256 texel to 32 texels over 32 pixels: 255.875 units a
// pixel, so exact samples 4 + 2047 per 8 pixels and a step of 255 between.
TEST(Subdivision, Exact_Samples_Fall_On_Pixels_0_8_16_And_Steps_Truncate_Between) {
    for (int length : {1, 7, 8, 9, 16, 17}) {
        World world(16, 2, false, 8, 64);
        for (std::uint32_t i = 0; i < world.count; ++i) world.Texels_16()[i] = static_cast<std::uint16_t>(i + 1000);
        Prepared_Face face = Rectangle(32, 1, 4.0f / 256, 32, 0, 0);
        world.Add_Span(0, length, 10);
        world.Fill(Fill_Spans_Mapped, face);
        for (int i = 0; i < 32; ++i) {
            const int u = 4 + 2047 * (i / 8) + 255 * (i % 8);
            EXPECT_EQ(world.Pixel(i, 10), i < length ? (u >> 8) + 1000 : 0) << "length " << length << ", pixel " << i;
        }
    }
}

// w = 1, u·w from 255.5 (1/256 texel) with 255.875 a pixel, texels numbered
// by index + 1. 256 x 256 samples round to nearest even: E0 = 256, E8 = 2302,
// E16 = 4350, steps 255 and 256. Group 1's pixel 0 takes 256 + 8 x 255 = 2296,
// its pixel j 2302 + (j - 1) x 256; group 2's pixel 0 2302 + 7 x 256 = 4094.
// From column 1 the paired loop draws round(511.375) alone and restarts at
// column 2 (E0 = 767, E8 = 2814); the keyed loop has no alignment step
// (E0 = 511, E8 = 2558). A general image truncates (255, 2302, 4349), no lag.
TEST(Loop_256, Rounding_Lag_And_Alignment) {
    const struct {
        Fill_Function fill;
        bool is_256;
        int first;
        std::vector<int> columns;
    } cases[] = {
        {Fill_Spans_Mapped, true, 0, {1, 1, 2, 3, 4, 5, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {Fill_Spans_Mapped, true, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10, 11}},
        {Fill_Spans_Mapped_Keyed, true, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 10, 11}},
        {Fill_Spans_Mapped, false, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    for (const auto& c : cases) {
        World world(16, 2, c.is_256, 8, 256);
        for (std::uint32_t i = 0; i < world.count; ++i) world.Texels_16()[i] = static_cast<std::uint16_t>(i + 1);
        world.map.colour_key = 0xFFFF;  // never met
        Prepared_Face face = Rectangle(32, 1, 255.5f / 256, (255.5f + 32 * 255.875f) / 256, 0, 0);
        const int length = static_cast<int>(c.columns.size());
        world.Add_Span(c.first, length, 10);
        world.Fill(c.fill, face);
        std::vector<int> expected(c.first, -1), columns;  // -1: pixel left alone
        expected.insert(expected.end(), c.columns.begin(), c.columns.end());
        expected.push_back(-1);
        for (int x = 0; x <= c.first + length; ++x) columns.push_back(world.Pixel(x, 10) - 1);
        EXPECT_EQ(columns, expected) << "first " << c.first << (c.is_256 ? ", 256 x 256" : ", general");
    }
}

// Table entry e holds pixel e: the unmapped fillers show the level, the
// mapped ones (over index 0) the level x 256. Shade is light x 64, times w for
// Fill_Spans_Gouraud.
TEST(Light, Levels_Worked_By_Hand) {
    const struct {
        const char* what;
        Fill_Function fill;
        float w, shade_left, shade_right, right;
        std::vector<Span> spans;
        std::vector<int> levels;
    } cases[] = {
        {"exact 5, 259, 513 at 0, 8, 16; steps of 31 between",
         Fill_Spans_Gouraud,
         1,
         5,
         1021,
         32,
         {{0, 17, 10, -1}},
         {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2}},
        {"light 100 is level 25", Fill_Spans_Gouraud, 0.25f, 1600, 1600, 32, {{0, 9, 10, -1}}, std::vector<int>(9, 25)},
        {"light 100 is level 25 (linear light)",
         Fill_Spans_Gouraud_Mapped,
         1,
         6400,
         6400,
         32,
         {{0, 9, 10, -1}},
         std::vector<int>(9, 25)},
        {"light 260 wraps to level 1",
         Fill_Spans_Gouraud,
         0.5f,
         8320,
         8320,
         32,
         {{0, 9, 10, -1}},
         std::vector<int>(9, 1)},
        {"light -4 wraps to level 63",
         Fill_Spans_Gouraud,
         0.5f,
         -128,
         -128,
         32,
         {{0, 9, 10, -1}},
         std::vector<int>(9, 63)},
        {"level 65 wraps to 1 (linear light)",
         Fill_Spans_Gouraud_Mapped,
         1,
         16650,
         16650,
         32,
         {{0, 9, 10, -1}},
         std::vector<int>(9, 1)},
        {"a gradient of 0.9 steps by 0",
         Fill_Spans_Gouraud_Mapped,
         1,
         6650,
         6678.8f,
         32,
         {{0, 32, 10, -1}},
         std::vector<int>(32, 25)},
        {"the span at 40 starts at 5980 + 40 x trunc(10.9)",
         Fill_Spans_Gouraud_Mapped,
         1,
         5980,
         6634,
         60,
         {{0, 5, 10, -1}, {40, 3, 10, -1}},
         {23, 23, 23, 23, 23, 24, 24, 25}},
    };
    for (const auto& c : cases)
        for (bool is_256 : {false, true}) {
            World world(16, 1, is_256, 5, 32);
            for (std::uint32_t e = 0; e < shade_table_mapped_entries; ++e) world.shade_table[e] = e << 16;
            world.spans = c.spans;
            Prepared_Face face = Rectangle(c.right, c.w, 0, 0, c.shade_left, c.shade_right);
            world.Fill(c.fill, face);
            std::vector<int> levels;
            for (const Span& span : c.spans)
                for (int x = span.x; x < span.x + span.length; ++x)
                    levels.push_back(c.fill == Fill_Spans_Gouraud ? world.Pixel(x, 10) : world.Pixel(x, 10) >> 8);
            EXPECT_EQ(levels, c.levels) << c.what << (is_256 ? ", 256 x 256" : ", general");
        }
}

// Every texel alike over a frame of 0x1234: a keyed filler leaves it exactly
// when the texel is the key (the whole 16-bit texel, or the map's palette
// index); the keyed blend never draws index 0, while the plain blend does.
TEST(Keyed_Fillers, The_Key_Decides_Which_Pixels_Are_Drawn) {
    const struct {
        Fill_Function fill;
        std::uint32_t texel_bytes, texel, key_index;
        bool drawn;
    } cases[] = {
        {Fill_Spans_Mapped_Keyed, 2, 0x4210, 0, false},          {Fill_Spans_Mapped_Keyed, 2, 0x4211, 0, true},
        {Fill_Spans_Mapped_Keyed_Blend, 2, 0x4210, 0, false},    {Fill_Spans_Mapped_Keyed_Blend, 2, 0x4211, 0, true},
        {Fill_Spans_Gouraud_Mapped_Keyed_Blend, 1, 0, 5, false}, {Fill_Spans_Gouraud_Mapped_Blend, 1, 0, 5, true},
        {Fill_Spans_Gouraud_Mapped_Keyed, 1, 0, 0, false},       {Fill_Spans_Gouraud_Mapped_Keyed, 1, 0, 5, true}};
    for (bool is_256 : {false, true})
        for (const auto& c : cases) {
            World world(16, c.texel_bytes, is_256, 4, 16);
            if (c.texel_bytes == 2) std::fill_n(world.Texels_16(), world.count, c.texel);  // 8-bit texels stay index 0
            for (std::uint32_t& entry : world.shade_table) entry = 0x7FFFu << 16;
            std::fill(world.frame.begin(), world.frame.end(), 0x1234);
            world.map.colour_key = 0x4210;
            world.map.colour_key_index = static_cast<std::uint8_t>(c.key_index);
            Prepared_Face face = Rectangle(32, 1, 0, 0, 30 * 256, 30 * 256);
            world.Add_Span(1, 9, 10);
            world.Fill(c.fill, face);
            for (int x = 1; x < 10; ++x) EXPECT_EQ(world.Pixel(x, 10) != 0x1234, c.drawn) << c.texel << ", " << x;
        }
}

// Whatever the vertex order (here random, often self-crossing), the overlay
// filler writes only on its vertices' lines top .. bottom - 1 and columns.
TEST(Overlay_Filler, Never_Writes_Outside_The_Lines_And_Columns_Of_Its_Vertices) {
    std::mt19937 random(17);
    std::uniform_real_distribution<float> x_of(8.0f, 56.0f), y_of(8.0f, 40.0f), unit(0.0f, 1.0f);
    for (int round = 0; round < 300; ++round) {
        World world(16, 2, false, 4, 16);
        std::fill_n(world.Texels_16(), world.count, 0x0421);
        Prepared_Face face{};
        for (int i = 0, n = 3 + random() % 6; i < n; ++i)
            Add_Vertex(face,
                       {x_of(random), y_of(random), 0.1f + unit(random), unit(random) * 16 - 8, unit(random) * 16 - 8});
        const auto [min_x, max_x] = std::minmax_element(face.x, face.x + face.vertex_count);
        const auto [min_y, max_y] = std::minmax_element(face.y_row, face.y_row + face.vertex_count);
        world.Fill(Fill_Square_Overlay, face);
        for (int y = 0; y < World::height; ++y)
            for (int x = 0; x < World::pitch; ++x)
                if (world.Pixel(x, y) != 0) {
                    ASSERT_GE(y, *min_y) << x << ", " << y;
                    ASSERT_LT(y, *max_y) << x << ", " << y;
                    ASSERT_GE(x, int(*min_x)) << x << ", " << y;
                    ASSERT_LT(x, int(*max_x)) << x << ", " << y;
                }
    }
}

}  // namespace
}  // namespace fillers_test
