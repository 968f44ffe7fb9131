// The pixel operations at both depths against the channel reference: every
// pixel value against fixed partners and seeded random pairs, the paired forms
// against their formulas, and the worked values.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "fillers/pixel_ops.h"
#include "fillers/support/reference.h"

namespace fillers_test {
namespace {

struct Op_Case {
    const char* name;
    Ref_Op op;
    bool is_555;
    std::uint16_t (*single)(std::uint16_t, std::uint16_t);
    std::uint32_t (*pair)(std::uint32_t, std::uint32_t);
};
const Op_Case op_cases[] = {
    {"blend 555", Ref_Op::Blend, true, Op_Blend::Apply<Format_555>, Op_Blend::Apply_Pair<Format_555>},
    {"blend 565", Ref_Op::Blend, false, Op_Blend::Apply<Format_565>, Op_Blend::Apply_Pair<Format_565>},
    {"add 555", Ref_Op::Add, true, Op_Add::Apply<Format_555>, Op_Add::Apply_Pair<Format_555>},
    {"add 565", Ref_Op::Add, false, Op_Add::Apply<Format_565>, Op_Add::Apply_Pair<Format_565>},
};

// The first pixel of a pair is always the single operation. The second
// blended pixel is too, except where both its lowest blue bits are set: the
// pair mask drops them and blue comes out one less.
TEST(Pixel_Ops, Every_Pixel_And_Random_Pairs_Match_The_Channel_Reference) {
    const std::uint16_t partners[] = {0x0000, 0xFFFF, 0x5555, 0xAAAA, 0x0821, 0x7BDF, 0xF7DF, 0x8000, 0x001F, 0x07E0};
    std::mt19937 random(5);
    for (const Op_Case& op : op_cases) {
        for (std::uint32_t a = 0; a < 65536; ++a)
            for (std::uint16_t b : partners) {
                const std::uint16_t s = static_cast<std::uint16_t>(a);
                ASSERT_EQ(op.single(s, b), Ref_Apply(op.op, s, b, op.is_555))
                    << op.name << std::hex << " " << a << " " << b;
                ASSERT_EQ(op.single(b, s), Ref_Apply(op.op, b, s, op.is_555))
                    << op.name << std::hex << " " << b << " " << a;
                const std::uint32_t pair = op.pair(a | 0xA5A50000u, b * 0x10001u);
                ASSERT_EQ(pair, Ref_Apply_Pair(op.op, a | 0xA5A50000u, b * 0x10001u, op.is_555))
                    << op.name << std::hex << " " << a;
                ASSERT_EQ(pair & 0xFFFF, op.single(s, b)) << op.name;
            }
        for (int i = 0; i < 400000; ++i) {
            const std::uint32_t s = random(), d = random(), pair = op.pair(s, d);
            ASSERT_EQ(pair, Ref_Apply_Pair(op.op, s, d, op.is_555)) << op.name << std::hex << " " << s << " " << d;
            ASSERT_EQ(pair & 0xFFFF, op.single(s & 0xFFFF, d & 0xFFFF)) << op.name;
            if (op.op == Ref_Op::Blend) {
                ASSERT_EQ(pair >> 16, op.single(s >> 16, d >> 16) - ((s & d & 0x10000u) ? 1u : 0u)) << op.name;
            }
        }
    }
}

TEST(Pixel_Ops, Worked_Values) {
    const struct {
        const char* what;
        std::uint32_t got, expected;
    } cases[] = {
        {"565 blend white over black", Op_Blend::Apply<Format_565>(0xFFFF, 0x0000), 0x7BEF},
        {"555 blend white over black", Op_Blend::Apply<Format_555>(0xFFFF, 0x0000), 0x3DEF},
        {"565 add: blue's carry stays in green", Op_Add::Apply<Format_565>(0x001F, 0x0001), 0x003F},
        {"555 add: blue's carry stays in green", Op_Add::Apply<Format_555>(0x001F, 0x0001), 0x003F},
        {"555 add: red's carry stays in bit 15", Op_Add::Apply<Format_555>(0x7C00, 0x7C00), 0xFC00},
        {"565 add: red's carry leaves the pixel", Op_Add::Apply<Format_565>(0xF800, 0xF800), 0xF800},
        {"565 blend pair: second blue one less", Op_Blend::Apply_Pair<Format_565>(0x00010001, 0x00010001), 0x00000001},
        {"565 blend pair: carry out of bit 31", Op_Blend::Apply_Pair<Format_565>(0xFFFFFFFF, 0xFFFFFFFF), 0xF7DEF7DF},
        {"565 add pair: second red fills four bits", Op_Add::Apply_Pair<Format_565>(0xF8000000, 0xF8000000),
         0xF0000000},
        {"565 add pair: first red's carry into second blue", Op_Add::Apply_Pair<Format_565>(0xF800, 0xF800),
         0x0001F800},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

}  // namespace
}  // namespace fillers_test
