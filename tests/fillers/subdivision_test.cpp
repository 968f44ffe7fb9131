// The skeleton of the perspective fillers through Fill_Spans_Mapped on a
// general image: the 8-pixel subdivision, the span walk's advance, general
// addressing, the zero-width guard and samples taken beyond the face.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "fillers/edge_walk.h"
#include "fillers/fillers.h"
#include "fillers/support/mapped_fixture.h"
#include "fillers/support/mapped_reference.h"
#include "fillers/support/reference_fill.h"

namespace mapped_test {
namespace {

constexpr Ref_Filler copy_filler{Ref_Source::Texel, Ref_Op::Copy, Ref_Loop::Paired};

// A 256-column image whose texel at index i holds i + 1000, so a pixel shows
// which texel it took.
Image Numbered_Image(std::uint32_t width_shift, std::uint32_t rows) {
    Image image = General_Image_16(width_shift, rows);
    for (std::uint32_t i = 0; i < image.Count(); ++i) image.Texels_16()[i] = static_cast<std::uint16_t>(i + 1000);
    return image;
}

// A rectangle over lines 10 and 11 from column 0 to 32 (vertex 0 top left,
// increasing indices down the left edge), w = 1, u from 4/256 texel on the
// left to 32 texels on the right: 255.875 units of 1/256 texel per pixel,
// 2047 per 8 pixels, and a stepped 255 per pixel in between.
Prepared_Face Constant_Depth_Rectangle(Host_Material* material) {
    const float left_u = 4.0f / 256.0f;
    return Make_Face({{0, 10, 1, left_u, 0}, {0, 12, 1, left_u, 0}, {32, 12, 1, 32, 0}, {32, 10, 1, 32, 0}}, material);
}

TEST(Subdivision, Exact_Samples_Fall_On_Pixels_0_8_16_And_Steps_Truncate_In_Between) {
    for (int length : {1, 7, 8, 9, 16, 17}) {
        World world(16, Numbered_Image(8, 64));
        Prepared_Face face = Constant_Depth_Rectangle(&world.material);
        world.Add_Span(0, length, 10);
        world.Fill(Fill_Spans_Mapped, face);
        for (int i = 0; i < 32; ++i) {
            // Worked by hand: exact 4 + 2047 per segment, 255 per pixel between.
            const int u = 4 + 2047 * (i / 8) + 255 * (i % 8);
            const std::uint16_t expected = i < length ? static_cast<std::uint16_t>((u >> 8) + 1000) : 0;
            EXPECT_EQ(world.Pixel(i, 10), expected) << "length " << length << ", pixel " << i;
        }
    }
}

// Where w changes along the line, the pixels between samples are linear in
// the truncated exact samples of a float division.
TEST(Subdivision, Perspective_Spans_Match_The_Reference) {
    for (int length : {1, 7, 8, 9, 16, 17, 31}) {
        World world(16, Numbered_Image(8, 64));
        Prepared_Face face = Make_Face(
            {{0, 10, 1.0f, 0, 0}, {0, 12, 1.0f, 0, 0}, {40, 12, 0.125f, 200, 30}, {40, 10, 0.125f, 200, 30}},
            &world.material);
        world.Add_Span(3, length, 11);
        const std::vector<std::uint16_t> expected = Reference_Fill(copy_filler, world, face);
        world.Fill(Fill_Spans_Mapped, face);
        EXPECT_EQ(world.frame, expected) << "length " << length;
    }
}

TEST(Subdivision, Face_Without_Spans_Walks_Its_Edges_And_Draws_Nothing) {
    World world(16, Numbered_Image(8, 64));
    Prepared_Face face = Constant_Depth_Rectangle(&world.material);
    fillers_state.edge_lines[11].x_right = -5;
    world.Fill(Fill_Spans_Mapped, face);
    EXPECT_EQ(fillers_state.edge_lines[11].x_right, 32);
    for (std::uint16_t pixel : world.frame) ASSERT_EQ(pixel, 0);
}

// The second span of a line continues from the first span's start (float
// advance by the first distance, then by the second), not from x_left. The
// two differ only by rounding, so the test looks for a face where that
// rounding shows in the texel at the second span's start.
TEST(Span_Walk, Second_Span_Of_A_Line_Advances_From_The_First_Spans_Start) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-3000.0f, 3000.0f), depth(0.05f, 2.0f);
    int found = 0;
    for (int attempt = 0; attempt < 20000 && found < 3; ++attempt) {
        World world(16, Numbered_Image(8, 256));
        world.image().Record()->index_mask = 0xFFFF;  // 256 x 256 texels, wrapping
        const float w_left = depth(random), w_right = depth(random);
        Prepared_Face face = Make_Face({{0, 10, w_left, coordinate(random), coordinate(random)},
                                        {0, 11, w_left, 0, 0},
                                        {50, 11, w_right, 0, 0},
                                        {50, 10, w_right, coordinate(random), coordinate(random)}},
                                       &world.material);
        const Ref_Line line = Reference_Edges(face).lines.at(10);
        Ref_Context chained = Reference_Set_Up(line), direct = Reference_Set_Up(line);
        Reference_Advance(chained, 13);
        Reference_Advance(chained, 37);
        Reference_Advance(direct, 37);
        const Ref_Uv via_first = Reference_Exact(chained, chained.w, chained.uw, chained.vw, 0, false);
        const Ref_Uv from_left = Reference_Exact(direct, direct.w, direct.uw, direct.vw, 0, false);
        const std::uint32_t chained_texel = Reference_Index_General(via_first, 8, 0xFFFF);
        if (chained_texel == Reference_Index_General(from_left, 8, 0xFFFF)) continue;
        ++found;
        world.Add_Span(13, 5, 10);
        world.Add_Span(37, 1, 10);
        world.Fill(Fill_Spans_Mapped, face);
        EXPECT_EQ(world.Pixel(37, 10), static_cast<std::uint16_t>(chained_texel + 1000));
    }
    EXPECT_GT(found, 0) << "no face showed the difference; widen the search";
}

// Spans of one face, in the span buffer's order (a line's spans right to
// left, lines interleaved), all match the reference's walk.
TEST(Span_Walk, Spans_In_Any_Order_Match_The_Reference) {
    World world(16, Numbered_Image(8, 64));
    Prepared_Face face = Make_Face(
        {{20, 4, 0.5f, 10, 2}, {2, 30, 1.5f, 0, 60}, {50, 40, 0.2f, 250, 63}, {60, 6, 0.9f, 120, 0}}, &world.material);
    world.Add_Span(30, 12, 20);
    world.Add_Span(12, 9, 20);
    world.Add_Span(15, 30, 21);
    world.Add_Span(40, 3, 20);
    const std::vector<std::uint16_t> expected = Reference_Fill(copy_filler, world, face);
    world.Fill(Fill_Spans_Mapped, face);
    EXPECT_EQ(world.frame, expected);
}

// An 8 x 8 image (shift 3, mask 63). The whole face has one (u, v), so each
// one-pixel span shows the index of that coordinate.
std::uint16_t Texel_At(float u_texels, float v_texels) {
    World world(16, Numbered_Image(3, 8));
    Prepared_Face face = Make_Face({{0, 10, 1, u_texels, v_texels}, {0, 12, 1, u_texels, v_texels},
                                    {8, 12, 1, u_texels, v_texels}, {8, 10, 1, u_texels, v_texels}},
                                   &world.material);
    world.Add_Span(2, 1, 10);
    world.Fill(Fill_Spans_Mapped, face);
    return static_cast<std::uint16_t>(world.Pixel(2, 10) - 1000);
}

TEST(General_Addressing, Negative_Coordinates_Wrap_Through_The_Mask) {
    EXPECT_EQ(Texel_At(-0.5f, 0), 63);   // u >> 8 = -1 (arithmetic), not 0
    EXPECT_EQ(Texel_At(-1.0f, 0), 63);
    EXPECT_EQ(Texel_At(0, -1.0f), 56);   // row -1 = row 7
    EXPECT_EQ(Texel_At(-9.0f, 0), 55);   // -9 & 63
}

TEST(General_Addressing, A_Column_Beyond_The_Row_Carries_Into_The_Next_Row) {
    EXPECT_EQ(Texel_At(9, 2), 25);       // row 2 + 9 columns = row 3, column 1
    EXPECT_EQ(Texel_At(7, 7), 63);
    EXPECT_EQ(Texel_At(8, 7), 0);        // past the last texel: the mask wraps the image
}

TEST(General_Addressing, Width_Shift_Uses_Its_Low_Five_Bits) {
    World world(16, Numbered_Image(3, 8));
    world.image().Record()->width_shift = 32 + 3;
    Prepared_Face face = Make_Face({{0, 10, 1, 1, 2}, {0, 12, 1, 1, 2}, {8, 12, 1, 1, 2}, {8, 10, 1, 1, 2}},
                                   &world.material);
    world.Add_Span(0, 1, 10);
    world.Fill(Fill_Spans_Mapped, face);
    EXPECT_EQ(world.Pixel(0, 10), 1000 + 17);
}

// The apex line of a triangle has x_left = x_right; a span there (the span
// buffer's edges can differ by a pixel) takes width 1: finite, zero
// gradients, so every pixel takes the apex's own texel.
TEST(Zero_Width_Line, Takes_Width_One_For_Its_Gradients) {
    World world(16, Numbered_Image(8, 64));
    Prepared_Face face =
        Make_Face({{10, 5, 0.5f, 3, 1}, {0, 15, 1.0f, 40, 9}, {20, 15, 0.25f, 90, 30}}, &world.material);
    world.Add_Span(10, 3, 5);
    world.Fill(Fill_Spans_Mapped, face);
    EXPECT_EQ(fillers_state.edge_lines[5].x_left, fillers_state.edge_lines[5].x_right);
    for (int x = 10; x < 13; ++x) EXPECT_EQ(world.Pixel(x, 5), 1000 + 256 * 1 + 3) << x;
}

// w falls to exactly 0 at the sample 8 pixels in and below 0 after it: the
// samples there are pinned, indices stay masked, and the pixels follow the
// reference's pinned conversions.
TEST(Beyond_The_Face, Zero_And_Negative_W_Give_Masked_Texels) {
    for (bool is_256 : {false, true}) {
        World world(16, is_256 ? Image_256_16() : Numbered_Image(8, 64));
        for (std::uint32_t i = 0; i < world.image().Count(); ++i)
            world.image().Texels_16()[i] = static_cast<std::uint16_t>(i * 7 + 1);
        Prepared_Face face = Make_Face({{0, 10, 1.0f, 5, 5}, {0, 12, 1.0f, 5, 5}, {8, 12, 0.0f, 0, 0}, {8, 10, 0.0f, 0, 0}},
                                       &world.material);
        face.u[2] = face.u[3] = 900.0f;  // u·w stays non-zero where w is 0
        world.Add_Span(0, 24, 10);
        const std::vector<std::uint16_t> expected = Reference_Fill(copy_filler, world, face);
        world.Fill(Fill_Spans_Mapped, face);
        EXPECT_EQ(world.frame, expected) << (is_256 ? "256 x 256" : "general");
    }
}

}  // namespace
}  // namespace mapped_test
