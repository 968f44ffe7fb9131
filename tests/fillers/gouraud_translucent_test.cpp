// The lit fillers that read the frame: Fill_Spans_Gouraud_Mapped_Blend (its
// 256 x 256 loop blending pixel pairs), Fill_Spans_Gouraud_Mapped_Keyed_Blend
// (index 0 never drawn) and Fill_Spans_Gouraud_Mapped_Additive (saturating
// add), the last two with light interpolated on the screen.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "fillers/fillers.h"
#include "fillers/support/gouraud_reference.h"

namespace gouraud_test {
namespace {

// Lines 10 and 11 from column 0 to `right`; w, u and shade (light x 64, no
// w) per side, v = 0.
Prepared_Face Rectangle(World& world, float right, float w_left, float w_right, float u_left, float u_right,
                        float shade_left, float shade_right) {
    return Make_Face({{0, 10, w_left, u_left, 0, shade_left},
                      {0, 12, w_left, u_left, 0, shade_left},
                      {right, 12, w_right, u_right, 0, shade_right},
                      {right, 10, w_right, u_right, 0, shade_right}},
                     &world.material);
}

// --- Fill_Spans_Gouraud_Mapped_Blend -------------------------------------------------

TEST(Gouraud_Mapped_Blend, Random_Faces_Match_The_Reference_Of_Both_Loops) {
    std::mt19937 random(21);
    std::uniform_real_distribution<float> light(0.0f, 280.0f);
    for (int round = 0; round < 8; ++round) {
        for (std::int32_t depth : {15, 16}) {
            for (bool is_256 : {false, true}) {
                World world(depth, is_256 ? Image_256_8() : General_Image_8(5, 32));
                Fill_Random_Table(world, random);
                Fill_Random_Texels(world, random);
                Fill_Random(world.frame, random);
                Prepared_Face face = Random_Triangle(world, random, false, [&](int) { return light(random); });
                Cover_Face(world, face, random);
                const Lit_Filler filler{true, Ref_Light::Linear, Ref_Op::Blend, Ref_Skip::None, Ref_Loop::Paired};
                const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
                world.Fill(Fill_Spans_Gouraud_Mapped_Blend, face);
                ASSERT_EQ(world.frame, expected) << "round " << round << ", depth " << depth
                                                 << (is_256 ? ", 256 x 256" : ", general");
            }
        }
    }
}

// One colour over a random frame through the paired loop: the first pixel
// of every pair is the per-pixel blend. The second is too, except where both
// lowest blue bits are set: the pair mask drops them, half a unit less.
TEST(Gouraud_Mapped_Blend, First_Pixel_Of_Every_Pair_Is_The_Single_Blend) {
    std::mt19937 random(4);
    for (std::int32_t depth : {15, 16}) {
        const bool is_555 = depth == 15;
        World world(depth, Image_256_8());
        Fill_Random_Table(world, random);
        Fill_Random(world.frame, random);
        for (std::uint32_t i = 0; i < world.image().Count(); ++i) world.image().Texels_8()[i] = 9;
        const std::uint16_t colour = static_cast<std::uint16_t>(world.shade_table[30 * 256 + 9] >> 16);
        Prepared_Face face = Rectangle(world, 40, 1, 0.3f, 0, 50, 30 * 256 + 5, 30 * 256 + 5);
        world.Add_Span(0, 24, 10);
        const std::vector<std::uint16_t> before = world.frame;
        world.Fill(Fill_Spans_Gouraud_Mapped_Blend, face);
        for (int x = 0; x < 24; x += 2) {
            const std::uint16_t f0 = before[10 * world.pitch + x], f1 = before[10 * world.pitch + x + 1];
            EXPECT_EQ(world.Pixel(x, 10), Reference_Blend(colour, f0, is_555)) << x;
            const bool half_lost = (colour & 1) && (f1 & 1);
            EXPECT_EQ(world.Pixel(x + 1, 10),
                      Reference_Blend(colour, f1, is_555) - (half_lost ? 1 : 0)) << x + 1;
        }
    }
}

// 565 blue 1 over blue 1: the single blend keeps 1, the pair's second pixel
// gets 0. An odd start draws its first pixel alone, exactly.
TEST(Gouraud_Mapped_Blend, Pair_Formula_Drops_The_Second_Pixels_Lowest_Blue_Bits) {
    for (int start : {0, 1}) {
        World world(16, Image_256_8());
        for (std::uint32_t& entry : world.shade_table) entry = 0x0001u << 16;
        for (std::uint16_t& pixel : world.frame) pixel = 0x0001;
        Prepared_Face face = Rectangle(world, 32, 1, 1, 0, 0, 20 * 256, 20 * 256);
        world.Add_Span(start, 5, 10);
        world.Fill(Fill_Spans_Gouraud_Mapped_Blend, face);
        const std::uint16_t expected[2][5] = {{1, 0, 1, 0, 1}, {1, 1, 0, 1, 0}};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(world.Pixel(start + i, 10), expected[start][i]) << start << ", " << i;
    }
}

// --- Fill_Spans_Gouraud_Mapped_Keyed_Blend ---------------------------------------------

// Texels alternate 0 and 5 column by column, the map's key index is 5, and
// the table gives index 0 a bright colour: the keyed blend (truncating, one
// texel a pixel in both loops) leaves every index-0 pixel alone and blends
// the index-5 ones; the plain blend draws every pixel.
TEST(Gouraud_Mapped_Keyed_Blend, Index_0_Is_Never_Drawn_While_The_Plain_Blend_Draws_It) {
    for (bool is_256 : {false, true}) {
        for (std::int32_t depth : {15, 16}) {
            for (bool keyed : {true, false}) {
                World world(depth, is_256 ? Image_256_8() : General_Image_8(8, 4));
                for (std::uint32_t level = 0; level < 64; ++level) {
                    world.shade_table[level * 256 + 0] = 0x7FFFu << 16;
                    world.shade_table[level * 256 + 5] = 0x4210u << 16;
                }
                for (std::uint32_t u = 0; u < 256; ++u) world.image().Texels_8()[u] = u % 2 ? 5 : 0;
                world.map.colour_key_index = 5;
                for (std::uint16_t& pixel : world.frame) pixel = 0x0000;
                Prepared_Face face = Rectangle(world, 32, 1, 1, 0.5f, 32.5f, 30 * 256, 30 * 256);
                world.Add_Span(0, 20, 10);
                world.Fill(keyed ? Fill_Spans_Gouraud_Mapped_Keyed_Blend : Fill_Spans_Gouraud_Mapped_Blend, face);
                const bool is_555 = depth == 15;
                for (int x = 0; x < 20; ++x) {
                    const std::uint16_t pixel = world.Pixel(x, 10);
                    if (!keyed) EXPECT_NE(pixel, 0x0000) << (is_256 ? "256" : "general") << ", depth " << depth << ", x " << x;
                    else if (x % 2 == 0) EXPECT_EQ(pixel, 0x0000) << (is_256 ? "256" : "general") << ", depth " << depth << ", x " << x;
                    else EXPECT_EQ(pixel, Reference_Blend(0x4210, 0x0000, is_555)) << (is_256 ? "256" : "general") << ", x " << x;
                }
            }
        }
    }
}

// --- light on the screen: the keyed blend and the additive filler ------------------------

// shade holds the light itself (no w) while w falls from 0.5 to 0.1: the
// level at the left vertex is the vertex's own (10, not 2688 / 0.5: 21), and
// the exact sample 16 pixels in is the screen interpolation 2688 + 16 x 320 =
// 7808 (level 30, not 7808 / 0.3: 37).
TEST(Screen_Light, Vertex_Level_Is_Its_Own_And_Samples_Are_Not_Divided) {
    for (bool additive : {false, true}) {
        World world(16, General_Image_8(5, 32));
        for (std::uint32_t entry = 0; entry < shade_table_mapped_entries; ++entry)
            world.shade_table[entry] = (entry & 0xFF00u) << 16;  // colour = level << 8, any index
        for (std::uint32_t i = 0; i < world.image().Count(); ++i) world.image().Texels_8()[i] = 1;
        for (std::uint16_t& pixel : world.frame) pixel = 0x0000;
        Prepared_Face face = Rectangle(world, 32, 0.5f, 0.1f, 0, 0, 10 * 256 + 128, 50 * 256 + 128);
        world.Add_Span(0, 17, 10);
        world.Fill(additive ? Fill_Spans_Gouraud_Mapped_Additive : Fill_Spans_Gouraud_Mapped_Keyed_Blend, face);
        auto shown = [&](std::uint32_t level) {
            const std::uint16_t colour = static_cast<std::uint16_t>(level << 8);
            return additive ? Reference_Add(colour, 0, false) : Reference_Blend(colour, 0, false);
        };
        EXPECT_EQ(world.Pixel(0, 10), shown(10)) << additive;
        EXPECT_EQ(world.Pixel(16, 10), shown(30)) << additive;
    }
}

TEST(Screen_Light, Random_Faces_Match_The_Reference) {
    std::mt19937 random(17);
    std::uniform_real_distribution<float> light(0.0f, 300.0f);
    for (int round = 0; round < 8; ++round) {
        for (std::int32_t depth : {15, 16}) {
            for (bool is_256 : {false, true}) {
                for (bool additive : {false, true}) {
                    World world(depth, is_256 ? Image_256_8() : General_Image_8(5, 32));
                    Fill_Random_Table(world, random);
                    Fill_Random(world.frame, random);
                    for (std::uint32_t i = 0; i < world.image().Count(); ++i)
                        world.image().Texels_8()[i] = static_cast<std::uint8_t>(random() % 3);  // index 0 often
                    world.map.colour_key_index = 1;  // not the keyed blend's key
                    Prepared_Face face = Random_Triangle(world, random, false, [&](int) { return light(random); });
                    Cover_Face(world, face, random);
                    // Both 256 x 256 loops step like the general ones: truncating, no lag, no pairs.
                    const Lit_Filler filler{true, Ref_Light::Screen, additive ? Ref_Op::Add : Ref_Op::Blend,
                                            additive ? Ref_Skip::None : Ref_Skip::Index_0, Ref_Loop::Per_Pixel};
                    const std::vector<std::uint16_t> expected = Reference_Lit_Fill(filler, world, face);
                    world.Fill(additive ? Fill_Spans_Gouraud_Mapped_Additive : Fill_Spans_Gouraud_Mapped_Keyed_Blend,
                               face);
                    ASSERT_EQ(world.frame, expected) << "round " << round << ", depth " << depth
                                                     << (is_256 ? ", 256 x 256" : ", general")
                                                     << (additive ? ", additive" : ", keyed blend");
                }
            }
        }
    }
}

// --- Fill_Spans_Gouraud_Mapped_Additive: saturation ----------------------------------------

// Worked values: the colour from the table added onto the frame pixel, with
// the masked lowest bits, the filled channel and the carry bit that stays.
TEST(Gouraud_Mapped_Additive, Saturates_Each_Channel_At_Both_Depths) {
    const struct {
        std::int32_t depth;
        std::uint16_t colour, under, expected;
    } cases[] = {
        {16, 0x001F, 0x0001, 0x003F},  // blue saturates, its carry raises green's lowest bit
        {16, 0xF800, 0x0800, 0xF000},  // both lowest red bits masked: no carry
        {16, 0xF800, 0xF800, 0xF800},  // red saturates, its carry falls off the pixel
        {16, 0x07E0, 0x07E0, 0x0FE0},  // green saturates, its carry raises red's lowest bit
        {16, 0xFFFF, 0xFFFF, 0xFFFF},
        {16, 0x0000, 0xFFFF, 0xF7DF},  // black clears the masked bits only
        {15, 0x7C00, 0x7C00, 0xFC00},  // red's carry stays in bit 15
        {15, 0x001F, 0x0001, 0x003F},
        {15, 0x03E0, 0x03E0, 0x07E0},
        {15, 0x7FFF, 0x7FFF, 0xFFFF},
        {15, 0x0000, 0xFFFF, 0x7BDF},
    };
    for (bool is_256 : {false, true}) {
        for (const auto& c : cases) {
            World world(c.depth, is_256 ? Image_256_8() : General_Image_8(5, 32));
            for (std::uint32_t& entry : world.shade_table) entry = std::uint32_t{c.colour} << 16;
            for (std::uint16_t& pixel : world.frame) pixel = c.under;
            Prepared_Face face = Rectangle(world, 32, 1, 0.5f, 0, 20, 12 * 256, 40 * 256);
            world.Add_Span(1, 9, 10);
            world.Fill(Fill_Spans_Gouraud_Mapped_Additive, face);
            for (int x = 1; x < 10; ++x)
                EXPECT_EQ(world.Pixel(x, 10), c.expected)
                    << std::hex << c.colour << " onto " << c.under << ", depth " << std::dec << c.depth << ", x " << x;
            EXPECT_EQ(world.Pixel(0, 10), c.under);
            EXPECT_EQ(world.Pixel(10, 10), c.under);
        }
    }
}

// Depth 16, and any value but 15, adds as 565.
TEST(Gouraud_Mapped_Additive, Any_Depth_But_15_Adds_As_565) {
    for (std::int32_t depth : {16, 24, 0}) {
        World world(depth, General_Image_8(5, 32));
        for (std::uint32_t& entry : world.shade_table) entry = 0x07E0u << 16;
        for (std::uint16_t& pixel : world.frame) pixel = 0x07E0;
        Prepared_Face face = Rectangle(world, 32, 1, 1, 0, 0, 12 * 256, 12 * 256);
        world.Add_Span(0, 4, 10);
        world.Fill(Fill_Spans_Gouraud_Mapped_Additive, face);
        EXPECT_EQ(world.Pixel(0, 10), 0x0FE0) << depth;  // 555 would give 0x07E0
    }
}

}  // namespace
}  // namespace gouraud_test
