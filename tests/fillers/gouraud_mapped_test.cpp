// Fill_Spans_Gouraud_Mapped and Fill_Spans_Gouraud_Mapped_Keyed: perspective
// u and v, the integer light light_fixed / light_step, the 256 x 256 loop with
// its own group boundary, and the key index that leaves pixels alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "fillers/fillers.h"
#include "fillers/support/gouraud_reference.h"

namespace gouraud_test {
namespace {

// Entry L x 256 + p shows both: pixel L << 8 | p.
void Number_Entries(World& world) {
    for (std::uint32_t entry = 0; entry < shade_table_mapped_entries; ++entry) world.shade_table[entry] = entry << 16;
}
std::uint32_t Level_Of(std::uint16_t pixel) { return pixel >> 8; }
std::uint32_t Index_Of(std::uint16_t pixel) { return pixel & 255u; }

// Lines 10 and 11 from column 0 to `right` at w = 1; u runs from u_left to
// u_right texels, v is 0, shade is the light x 64 itself (no w).
Prepared_Face Rectangle(World& world, float right, float u_left, float u_right, float shade_left, float shade_right) {
    return Make_Face({{0, 10, 1, u_left, 0, shade_left},
                      {0, 12, 1, u_left, 0, shade_left},
                      {right, 12, 1, u_right, 0, shade_right},
                      {right, 10, 1, u_right, 0, shade_right}},
                     &world.material);
}

// Every texel of row 0 holds its column, so a pixel shows u >> 8.
void Columns_In_Row_0(World& world) {
    for (std::uint32_t u = 0; u < 256; ++u) world.image().Texels_8()[u] = static_cast<std::uint8_t>(u);
}

// u from 4/256 to 32 texels over 32 pixels: 255.875 a pixel, samples 4,
// 2051, 4098, step 255. In every group after the first, pixels 0 and 1 take
// the exact start; pixel j >= 1 the start + (j - 1) steps.
int U_At_Lit_256(int i) { return i < 8 ? 4 + 255 * i : i < 16 ? 2051 + 255 * (i > 8 ? i - 9 : 0) : 4098; }

TEST(Gouraud_Mapped_256, Pixels_0_And_1_Of_Later_Groups_Take_The_Exact_Start) {
    for (Fill_Function fill : {Fill_Spans_Gouraud_Mapped, Fill_Spans_Gouraud_Mapped_Keyed}) {
        World world(16, Image_256_8());
        Number_Entries(world);
        Columns_In_Row_0(world);
        world.map.colour_key_index = 200;  // never met
        Prepared_Face face = Rectangle(world, 32, 4.0f / 256, 32, 63 * 256 + 10, 63 * 256 + 10);
        world.Add_Span(0, 17, 10);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(&world.Pixel(0, 10)) & 3u, 0u);
        world.Fill(fill, face);
        for (int i = 0; i < 17; ++i) {
            EXPECT_EQ(Index_Of(world.Pixel(i, 10)), static_cast<std::uint32_t>(U_At_Lit_256(i) >> 8)) << "pixel " << i;
            EXPECT_EQ(Level_Of(world.Pixel(i, 10)), 63u);
        }
        EXPECT_EQ(world.Pixel(17, 10), 0);
    }
}

// A light below one unit a pixel truncates to a step of 0: the whole span
// keeps its start level although the true light crosses into level 26.
TEST(Gouraud_Mapped_Light, Gradient_Below_One_Unit_Steps_By_0) {
    for (bool is_256 : {false, true}) {
        World world(16, is_256 ? Image_256_8() : General_Image_8(5, 32));
        Number_Entries(world);
        Prepared_Face face = Rectangle(world, 32, 0, 0, 6650, 6650 + 0.9f * 32);
        world.Add_Span(0, 32, 10);
        world.Fill(Fill_Spans_Gouraud_Mapped, face);
        for (int x = 0; x < 32; ++x) EXPECT_EQ(world.Pixel(x, 10), 25 << 8) << x;
    }
}

// light_step = trunc(10.9) = 10. The span at 40 starts at 5980 + 40 x 10 =
// 6380 (level 24), not at the line's true 6416 (level 25), and steps on by 10.
TEST(Gouraud_Mapped_Light, Second_Span_Advances_Light_Fixed_By_Whole_Steps) {
    for (bool is_256 : {false, true}) {
        World world(16, is_256 ? Image_256_8() : General_Image_8(5, 32));
        Number_Entries(world);
        Prepared_Face face = Rectangle(world, 60, 0, 0, 5980, 6634);
        world.Add_Span(0, 5, 10);
        world.Add_Span(40, 3, 10);
        world.Fill(Fill_Spans_Gouraud_Mapped, face);
        EXPECT_EQ(world.Pixel(0, 10), (5980 >> 8) << 8);
        EXPECT_EQ(world.Pixel(4, 10), (6020 >> 8) << 8);
        EXPECT_EQ(world.Pixel(40, 10), 24 << 8);
        EXPECT_EQ(world.Pixel(41, 10), 24 << 8);
        EXPECT_EQ(world.Pixel(42, 10), 25 << 8);  // 6400
    }
}

// Level 65 is level 1 in both loops: the 256 x 256 loop reduces it too, and
// never reads past the 64 rows of the table.
TEST(Gouraud_Mapped_Light, Levels_From_64_Wrap_In_Both_Loops) {
    for (bool is_256 : {false, true}) {
        for (Fill_Function fill : {Fill_Spans_Gouraud_Mapped, Fill_Spans_Gouraud_Mapped_Keyed}) {
            World world(16, is_256 ? Image_256_8() : General_Image_8(5, 32));
            Number_Entries(world);
            world.map.colour_key_index = 200;
            // Step trunc(15862 / 32) = 495: pixel 19 is at 26055, level 101.
            Prepared_Face face = Rectangle(world, 32, 0, 0, 65 * 256 + 10, 127 * 256);
            world.Add_Span(0, 20, 10);
            world.Fill(fill, face);
            EXPECT_EQ(world.Pixel(0, 10), 1 << 8);
            EXPECT_EQ(world.Pixel(19, 10), (101 & 63) << 8);
            for (int x = 0; x < 20; ++x) EXPECT_EQ(Level_Of(world.Pixel(x, 10)), static_cast<std::uint32_t>((16650 + 495 * x) >> 8) & 63u) << x;
        }
    }
}

// Random triangles (light not x w, some past level 63), random texels and
// tables, spans split on their lines, over a random frame; general and
// 256 x 256 images. The keyed filler's key is a common index there.
TEST(Gouraud_Mapped_Fillers, Random_Faces_Match_The_Reference) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> light(0.0f, 300.0f);
    for (int round = 0; round < 10; ++round) {
        for (bool is_256 : {false, true}) {
            for (bool keyed : {false, true}) {
                World world(16, is_256 ? Image_256_8() : General_Image_8(5, 32));
                Fill_Random_Table(world, random);
                Fill_Random(world.frame, random);
                for (std::uint32_t i = 0; i < world.image().Count(); ++i)
                    world.image().Texels_8()[i] = static_cast<std::uint8_t>(random() % 4);  // the key shows often
                world.map.colour_key_index = 2;
                Prepared_Face face = Random_Triangle(world, random, false, [&](int) { return light(random); });
                Cover_Face(world, face, random);
                const Lit_Filler filler{true, Ref_Light::Linear, Ref_Op::Copy, keyed ? Ref_Skip::Key_Index : Ref_Skip::None,
                                        keyed ? Ref_Loop::Rounded_Single : Ref_Loop::Paired};
                const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
                world.Fill(keyed ? Fill_Spans_Gouraud_Mapped_Keyed : Fill_Spans_Gouraud_Mapped, face);
                ASSERT_EQ(world.frame, expected) << "round " << round << (is_256 ? ", 256 x 256" : ", general")
                                                 << (keyed ? ", keyed" : "");
            }
        }
    }
}

// Spans at odd and even columns, of every length up to 25, on a face with
// varying w: the alignment pixel, the pairs and the remainder of the
// 256 x 256 loop, and the light stepping on across them.
TEST(Gouraud_Mapped_256, Every_Start_And_Length_Matches_The_Reference) {
    std::mt19937 random(9);
    for (int start = 0; start < 2; ++start) {
        for (int length = 1; length <= 25; ++length) {
            World world(16, Image_256_8());
            Fill_Random_Table(world, random);
            Fill_Random_Texels(world, random);
            Prepared_Face face = Make_Face({{0, 10, 1.0f, 3, 7, 20 * 64},
                                            {0, 12, 1.0f, 3, 7, 20 * 64},
                                            {40, 12, 0.15f, 90, 60, 240 * 64},
                                            {40, 10, 0.15f, 90, 60, 240 * 64}},
                                           &world.material);
            world.Add_Span(5 + start, length, 10);
            const Lit_Filler filler{true, Ref_Light::Linear, Ref_Op::Copy, Ref_Skip::None, Ref_Loop::Paired};
            const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
            world.Fill(Fill_Spans_Gouraud_Mapped, face);
            ASSERT_EQ(world.frame, expected) << "start " << 5 + start << ", length " << length;
        }
    }
}

// Texels alternate 7 (the key) and 3 column by column; one texel a pixel. A
// keyed pixel keeps the frame's value even where its neighbour in the same
// 32-bit word is drawn, in both loops and from both alignments.
TEST(Gouraud_Mapped_Keyed, Keyed_Pixels_Stay_Untouched_Beside_Drawn_Ones) {
    for (bool is_256 : {false, true}) {
        for (int start : {0, 1}) {
            World world(16, is_256 ? Image_256_8() : General_Image_8(8, 4));
            Number_Entries(world);
            for (std::uint32_t u = 0; u < 256; ++u) world.image().Texels_8()[u] = u % 2 ? 3 : 7;
            world.map.colour_key_index = 7;
            for (std::uint16_t& pixel : world.frame) pixel = 0xABCD;
            // Texel centres: u = column + 0.5 keeps rounding and truncation on the same texel.
            Prepared_Face face = Rectangle(world, 32, 0.5f, 32.5f, 30 * 256, 30 * 256);
            world.Add_Span(start, 20, 10);
            const Lit_Filler filler{true, Ref_Light::Linear, Ref_Op::Copy, Ref_Skip::Key_Index, Ref_Loop::Rounded_Single};
            const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
            world.Fill(Fill_Spans_Gouraud_Mapped_Keyed, face);
            EXPECT_EQ(world.frame, expected);
            int kept = 0, drawn = 0;
            for (int x = start; x < start + 20; ++x) {
                const std::uint16_t pixel = world.Pixel(x, 10);
                if (pixel == 0xABCD) {
                    ++kept;
                } else {
                    EXPECT_EQ(pixel, 30 << 8 | 3) << x;
                    ++drawn;
                }
            }
            EXPECT_GE(kept, 8);
            EXPECT_GE(drawn, 8);
        }
    }
}

// Index 0 is hidden by a key of 0 whatever colour the table gives it; the
// same face with a key that never occurs draws every pixel.
TEST(Gouraud_Mapped_Keyed, Key_Index_0_Hides_Index_0_Of_Any_Colour) {
    for (std::uint8_t key : {0, 99}) {
        World world(16, General_Image_8(5, 32));
        for (std::uint32_t& entry : world.shade_table) entry = 0x7FFFu << 16;
        world.map.colour_key_index = key;
        for (std::uint16_t& pixel : world.frame) pixel = 0x1234;
        Prepared_Face face = Rectangle(world, 32, 0, 0, 40 * 256, 40 * 256);
        world.Add_Span(0, 32, 10);
        world.Fill(Fill_Spans_Gouraud_Mapped_Keyed, face);
        for (int x = 0; x < 32; ++x) EXPECT_EQ(world.Pixel(x, 10), key == 0 ? 0x1234 : 0x7FFF) << x;
    }
}

}  // namespace
}  // namespace gouraud_test
