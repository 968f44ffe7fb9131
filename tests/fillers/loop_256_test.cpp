// The 256 x 256 loops by worked values: rounded samples, the one-pixel lag
// from the second group on, the alignment pixel and its restart, single
// stores where pairs would touch a neighbour, and the keyed filler's loop
// (rounding and lag, no alignment step, one store per pixel).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fillers/fillers.h"
#include "fillers/support/mapped_fixture.h"

namespace mapped_test {
namespace {

constexpr std::uint16_t untouched = 0x5A5A;

// 256 x 256 texels numbered by index + 1 (row 0 holds 1..256).
Image Numbered_256() {
    Image image = Image_256_16();
    for (std::uint32_t i = 0; i < image.Count(); ++i) image.Texels_16()[i] = static_cast<std::uint16_t>(i + 1);
    return image;
}

// Lines 10 and 11 from column 0 to 32, w = 1: u·w from 255.5/256 texel on the
// left with 255.875 units per pixel (2047 per 8 pixels), v = 0. Exact samples
// round to nearest even; frame column 0 of line 10 is 4-byte aligned.
Prepared_Face Line_Face(Host_Material* material) {
    const float left_u = 255.5f / 256.0f, right_u = (255.5f + 32 * 255.875f) / 256.0f;
    return Make_Face({{0, 10, 1, left_u, 0}, {0, 12, 1, left_u, 0}, {32, 12, 1, right_u, 0}, {32, 10, 1, right_u, 0}},
                     material);
}

std::vector<int> Texel_Columns(World& world, int first, int count) {
    std::vector<int> columns;
    for (int x = first; x < first + count; ++x) columns.push_back(world.Pixel(x, 10) - 1);
    return columns;
}

// Worked by hand: E0 = round(255.5) = 256, E8 = round(2302.5) = 2302,
// E16 = round(4349.5) = 4350, E24 = round(6396.5) = 6396; steps 255, 256, 255.
// Group 0: 256 + 255j. Group 1: pixel 8 = 256 + 8 x 255 = 2296 (stepped),
// pixel 8 + j = 2302 + (j - 1) x 256. Then pixel 16 = 2302 + 7 x 256 = 4094,
// pixel 16 + j = 4350 + (j - 1) x 255. Columns are the coordinates >> 8.
const std::vector<int> aligned_columns = {1, 1, 2, 3, 4, 5, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};

TEST(Loop_256, Rounds_Samples_And_Lags_One_Pixel_From_The_Second_Group) {
    World world(16, Numbered_256());
    for (std::uint16_t& pixel : world.frame) pixel = untouched;
    Prepared_Face face = Line_Face(&world.material);
    world.Add_Span(0, 20, 10);
    world.Fill(Fill_Spans_Mapped, face);
    EXPECT_EQ(Texel_Columns(world, 0, 20), aligned_columns);
    EXPECT_EQ(world.Pixel(20, 10), untouched);
}

// The same line through the general loop truncates and does not lag:
// exact 255, 2302, 4349; pixel 8 and pixel 16 are exact.
TEST(Loop_256, General_Image_Of_The_Same_Texels_Truncates_Instead) {
    World world(16, General_Image_16(8, 256));
    for (std::uint32_t i = 0; i < world.image().Count(); ++i) world.image().Texels_16()[i] = static_cast<std::uint16_t>(i + 1);
    Prepared_Face face = Line_Face(&world.material);
    world.Add_Span(0, 17, 10);
    world.Fill(Fill_Spans_Mapped, face);
    // 255 + 255j, then 2302 + 255j, then 4349: no repeated column.
    EXPECT_EQ(Texel_Columns(world, 0, 17), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
}

// From column 1 (not 4-byte aligned): one pixel alone at round(511.375) = 511,
// then the subdivision restarts at column 2 from u·w 767.25: E0 = 767,
// E8 = round(2814.25) = 2814, E16 = 4861; the lag shows at columns 10, 11.
TEST(Loop_256, Unaligned_Span_Draws_One_Pixel_Then_Restarts_At_The_Next_Column) {
    for (Fill_Function fill : {Fill_Spans_Mapped, Fill_Spans_Mapped_Blend, Fill_Spans_Mapped_Additive}) {
        World world(16, Numbered_256());
        Prepared_Face face = Line_Face(&world.material);
        world.Add_Span(1, 12, 10);
        for (std::uint16_t& pixel : world.frame) pixel = 0;
        world.Fill(fill, face);
        // Over black, blend halves the texel and add keeps it (masked); the
        // copy shows the columns directly.
        if (fill == Fill_Spans_Mapped)
            EXPECT_EQ(Texel_Columns(world, 1, 12), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10, 11}));
        EXPECT_EQ(world.Pixel(0, 10), 0);
        EXPECT_EQ(world.Pixel(13, 10), 0);
    }
}

// A one-pixel span at an unaligned address is a single 16-bit store: both
// neighbours keep their pixels, for every paired filler.
TEST(Loop_256, One_Pixel_Span_At_An_Unaligned_Address_Leaves_Its_Neighbours) {
    for (Fill_Function fill : {Fill_Spans_Mapped, Fill_Spans_Mapped_Blend, Fill_Spans_Mapped_Additive}) {
        World world(16, Numbered_256());
        for (std::uint16_t& pixel : world.frame) pixel = untouched;
        Prepared_Face face = Line_Face(&world.material);
        world.Add_Span(3, 1, 10);
        world.Fill(fill, face);
        EXPECT_NE(world.Pixel(3, 10), untouched);
        EXPECT_EQ(world.Pixel(2, 10), untouched);
        EXPECT_EQ(world.Pixel(4, 10), untouched);
    }
}

// An odd remainder ends with one 16-bit store: the pixel after the span keeps
// its value even though it shares a 32-bit word with the span's last pixel.
TEST(Loop_256, Odd_Remainder_Ends_With_A_Single_Store) {
    for (int length : {1, 3, 9, 11}) {
        World world(16, Numbered_256());
        for (std::uint16_t& pixel : world.frame) pixel = untouched;
        Prepared_Face face = Line_Face(&world.material);
        world.Add_Span(0, length, 10);
        world.Fill(Fill_Spans_Mapped_Blend, face);
        EXPECT_NE(world.Pixel(length - 1, 10), untouched) << length;
        EXPECT_EQ(world.Pixel(length, 10), untouched) << length;
    }
}

// The keyed filler's 256 x 256 loop rounds and lags like the paired loop but
// has no alignment step: from column 1 the groups start at column 1.
// E0 = round(511.375) = 511, E8 = round(2558.375) = 2558, E16 = 4605; steps 255.
TEST(Loop_256_Keyed, Rounds_And_Lags_Without_An_Alignment_Step) {
    World world(16, Numbered_256());
    world.map.colour_key = 0xFFFF;  // never met
    for (std::uint16_t& pixel : world.frame) pixel = untouched;
    Prepared_Face face = Line_Face(&world.material);
    world.Add_Span(1, 12, 10);
    world.Fill(Fill_Spans_Mapped_Keyed, face);
    EXPECT_EQ(Texel_Columns(world, 1, 12), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 10, 11}));
    EXPECT_EQ(world.Pixel(0, 10), untouched);
    EXPECT_EQ(world.Pixel(13, 10), untouched);
}

// Every other texel is the key: a keyed pixel keeps its old value even next
// to a drawn one (no pair stores), at either alignment.
TEST(Loop_256_Keyed, Keyed_Pixel_Next_To_A_Drawn_One_Keeps_Its_Value) {
    for (int first : {0, 1}) {
        World world(16, Numbered_256());
        const std::uint16_t key = 0x0BAD;
        for (std::uint32_t i = 0; i < world.image().Count(); i += 2) world.image().Texels_16()[i] = key;
        world.map.colour_key = key;
        for (std::uint16_t& pixel : world.frame) pixel = untouched;
        // One texel per pixel: u from 0 to 32 texels over 32 columns.
        Prepared_Face face = Make_Face({{0, 10, 1, 0.5f, 0}, {0, 12, 1, 0.5f, 0}, {32, 12, 1, 32.5f, 0}, {32, 10, 1, 32.5f, 0}},
                                       &world.material);
        world.Add_Span(first, 20, 10);
        world.Fill(Fill_Spans_Mapped_Keyed, face);
        int drawn = 0, kept = 0;
        for (int x = first; x < first + 20; ++x) {
            const std::uint16_t pixel = world.Pixel(x, 10);
            ASSERT_NE(pixel, key);
            if (pixel == untouched) ++kept;
            else {
                ++drawn;
                EXPECT_EQ(pixel % 2, 0) << "only odd indices (even texel values) are drawn";
            }
        }
        EXPECT_GT(drawn, 0);
        EXPECT_GT(kept, 0);
    }
}

}  // namespace
}  // namespace mapped_test
