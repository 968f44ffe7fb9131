// The pixel operations of the span loops at both depths: every pixel value
// against a channel-by-channel reference, the worked values, and the paired
// forms against their own reference, with the first pixel of every pair
// against the single-pixel operation.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <type_traits>

#include "fillers/pixel_ops.h"
#include "fillers/support/mapped_reference.h"

namespace mapped_test {
namespace {

const std::uint16_t partners[] = {0x0000, 0xFFFF, 0x5555, 0xAAAA, 0x0821, 0x7BDF, 0xF7DF, 0x8000, 0x001F, 0x07E0};

template <class Format, class Op>
void Expect_All_Pixels(std::uint16_t (*reference)(std::uint16_t, std::uint16_t, bool), const char* name) {
    const bool is_555 = std::is_same_v<Format, Format_555>;
    for (std::uint32_t src = 0; src < 65536; ++src)
        for (std::uint16_t dst : partners) {
            const std::uint16_t s = static_cast<std::uint16_t>(src);
            ASSERT_EQ(Op::template Apply<Format>(s, dst), reference(s, dst, is_555))
                << name << (is_555 ? " 555 " : " 565 ") << std::hex << src << " over " << dst;
            ASSERT_EQ(Op::template Apply<Format>(dst, s), reference(dst, s, is_555));
        }
    std::mt19937 random(5);
    for (int i = 0; i < 200000; ++i) {
        const std::uint16_t s = static_cast<std::uint16_t>(random()), d = static_cast<std::uint16_t>(random());
        ASSERT_EQ(Op::template Apply<Format>(s, d), reference(s, d, is_555)) << name << std::hex << s << " " << d;
    }
}

TEST(Blend, Every_Pixel_Averages_Its_Channels_At_Both_Depths) {
    Expect_All_Pixels<Format_555, Op_Blend>(Reference_Blend, "blend");
    Expect_All_Pixels<Format_565, Op_Blend>(Reference_Blend, "blend");
}

TEST(Blend, Worked_Values) {
    EXPECT_EQ(Op_Blend::Apply<Format_555>(0x7FFF, 0x0000), 0x3DEF);
    EXPECT_EQ(Op_Blend::Apply<Format_565>(0xFFFF, 0x0000), 0x7BEF);
    EXPECT_EQ(Op_Blend::Apply<Format_565>(0xFFFF, 0xFFFF), 0xF7DF);  // blue kept, lowest red and green bits lost
}

TEST(Saturating_Add, Every_Pixel_Adds_Its_Channels_With_Carries_At_Both_Depths) {
    Expect_All_Pixels<Format_555, Op_Add>(Reference_Add, "add");
    Expect_All_Pixels<Format_565, Op_Add>(Reference_Add, "add");
}

TEST(Saturating_Add, Carry_Bit_Stays_In_The_Next_Channel) {
    EXPECT_EQ(Op_Add::Apply<Format_565>(0x001F, 0x0001), 0x003F);  // blue full, green 1
    EXPECT_EQ(Op_Add::Apply<Format_565>(0xF800, 0xF800), 0xF800);  // red saturates, others unchanged
    EXPECT_EQ(Op_Add::Apply<Format_565>(0xF800, 0x0800), 0xF000);  // lowest red bits masked: no carry
    EXPECT_EQ(Op_Add::Apply<Format_555>(0x7C00, 0x7C00), 0xFC00);  // red carry stays in bit 15
    EXPECT_EQ(Op_Add::Apply<Format_555>(0x001F, 0x0001), 0x003F);
    EXPECT_EQ(Op_Add::Apply<Format_565>(0x07E0, 0x07E0), 0x0FE0);  // green full, red 1
    // A black texel leaves the frame pixel but for its masked bits.
    EXPECT_EQ(Op_Add::Apply<Format_565>(0x0000, 0xFFFF), 0xF7DF);
    EXPECT_EQ(Op_Add::Apply<Format_555>(0x0000, 0xFFFF), 0x7BDF);
}

// --- pairs ------------------------------------------------------------------------

template <class Format, class Op>
void Expect_Pairs(std::uint32_t (*reference)(std::uint32_t, std::uint32_t, bool), const char* name) {
    const bool is_555 = std::is_same_v<Format, Format_555>;
    std::mt19937 random(11);
    for (int i = 0; i < 400000; ++i) {
        const std::uint32_t src = static_cast<std::uint32_t>(random()), dst = static_cast<std::uint32_t>(random());
        const std::uint32_t pair = Op::template Apply_Pair<Format>(src, dst);
        ASSERT_EQ(pair, reference(src, dst, is_555)) << name << std::hex << " " << src << " " << dst;
        ASSERT_EQ(pair & 0xFFFF, Op::template Apply<Format>(static_cast<std::uint16_t>(src), static_cast<std::uint16_t>(dst)))
            << name << ": first pixel differs from the single-pixel operation";
    }
    // Every low half against fixed high halves, so each first pixel is seen.
    for (std::uint32_t low = 0; low < 65536; ++low)
        for (std::uint16_t partner : partners) {
            const std::uint32_t src = low | 0xA5A50000u, dst = partner | std::uint32_t{partner} << 16;
            ASSERT_EQ(Op::template Apply_Pair<Format>(src, dst), reference(src, dst, is_555)) << name;
            ASSERT_EQ(Op::template Apply_Pair<Format>(src, dst) & 0xFFFF,
                      Op::template Apply<Format>(static_cast<std::uint16_t>(low), partner));
        }
}

TEST(Blend_Pair, Follows_Its_Formula_And_Its_First_Pixel_Is_The_Single_Blend) {
    Expect_Pairs<Format_555, Op_Blend>(Reference_Blend_Pair, "blend pair 555");
    Expect_Pairs<Format_565, Op_Blend>(Reference_Blend_Pair, "blend pair 565");
}

TEST(Saturating_Add_Pair, Follows_Its_Formula_And_Its_First_Pixel_Is_The_Single_Add) {
    Expect_Pairs<Format_555, Op_Add>(Reference_Add_Pair, "add pair 555");
    Expect_Pairs<Format_565, Op_Add>(Reference_Add_Pair, "add pair 565");
}

// The second pixel of a blended pair equals the single blend except where
// both its lowest blue bits are set: the pair mask drops them, and blue is
// one less. That is how the pair loop draws.
template <class Format>
void Expect_Second_Pixel_Rule() {
    std::mt19937 random(3);
    int both_set = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::uint16_t s = static_cast<std::uint16_t>(random()), d = static_cast<std::uint16_t>(random());
        const std::uint16_t second = static_cast<std::uint16_t>(
            Op_Blend::Apply_Pair<Format>(std::uint32_t{s} << 16 | 0x1234u, std::uint32_t{d} << 16 | 0x4321u) >> 16);
        const std::uint16_t single = Op_Blend::Apply<Format>(s, d);
        if ((s & d & 1) == 0) {
            ASSERT_EQ(second, single) << std::hex << s << " " << d;
        } else {
            ++both_set;
            ASSERT_EQ(second, single - 1) << std::hex << s << " " << d;
        }
    }
    EXPECT_GT(both_set, 0);
}
TEST(Blend_Pair, Second_Pixel_Is_One_Blue_Unit_Less_Where_Both_Lowest_Blue_Bits_Are_Set) {
    Expect_Second_Pixel_Rule<Format_555>();
    Expect_Second_Pixel_Rule<Format_565>();
}

TEST(Blend_Pair, Carry_Out_Of_Bit_31_Is_The_Second_Pixels_Top_Bit) {
    EXPECT_EQ(Op_Blend::Apply_Pair<Format_565>(0xFFFFFFFFu, 0xFFFFFFFFu), 0xF7DEF7DFu);
    EXPECT_EQ(Op_Blend::Apply_Pair<Format_565>(0xF8000000u, 0xF8000000u), 0xF0000000u);
    EXPECT_EQ(Op_Blend::Apply_Pair<Format_555>(0x7FFF7FFFu, 0x00000000u), 0x3DEF3DEFu);
}

TEST(Saturating_Add_Pair, Worked_Carries_Of_Both_Depths) {
    // 565: the second pixel's red carries out of the word and sets only the
    // top four red bits; per pixel it would be 0xF800.
    EXPECT_EQ(Op_Add::Apply_Pair<Format_565>(0xF8000000u, 0xF8000000u), 0xF0000000u);
    // 565: the first pixel's red carry lands in the second pixel's blue.
    EXPECT_EQ(Op_Add::Apply_Pair<Format_565>(0x0000F800u, 0x0000F800u), 0x0001F800u);
    // 555: the first pixel's red carry stays in its bit 15; the second's in bit 31.
    EXPECT_EQ(Op_Add::Apply_Pair<Format_555>(0x7C007C00u, 0x7C007C00u), 0xFC00FC00u);
    EXPECT_EQ(Op_Add::Apply_Pair<Format_555>(0x001F001Fu, 0x00010001u), 0x001E003Fu);  // second blue loses its low bits
}

}  // namespace
}  // namespace mapped_test
