// The one-colour fillers over hand-made span chains: which colour each writes
// (the random fill repeats its colour's low byte), the 50% blend at both
// depths, and that nothing beside the spans changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "fillers/fillers.h"
#include "fillers/support/reference.h"

namespace fillers_test {
namespace {

// Runs of 1 to 9 pixels from both address parities, one line each, over a
// random frame with random colours.
TEST(Flat_Fillers, Each_Filler_Writes_Its_Colour_Rule_On_Its_Spans_Only) {
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        const bool is_555 = round % 2 == 0;
        World world(is_555 ? 15 : 16, 2, false, 0, 1);
        for (int length = 1; length <= 9; ++length) world.Add_Span(static_cast<int>(random() % 50), length, length * 5);
        Prepared_Face face{};
        // A random high byte over a fixed low byte: the random fill repeats the low byte, 0xABAB.
        face.face_colour = static_cast<std::uint16_t>((random() & 0xFF00) | 0xAB);
        world.material.flat_colour = static_cast<std::uint16_t>(random());
        const struct {
            Fill_Function fill;
            std::uint16_t colour;
            Ref_Op op;
        } fills[] = {
            {Fill_Spans_Random, 0xABAB, Ref_Op::Copy},
            {Fill_Spans_Random_Blend, face.face_colour, Ref_Op::Blend},  // the whole colour, not its low byte twice
            {Fill_Spans_Flat, world.material.flat_colour, Ref_Op::Copy},
            {Fill_Spans_Flat_Blend, world.material.flat_colour, Ref_Op::Blend},
        };
        for (const auto& f : fills) {
            for (std::uint16_t& pixel : world.frame) pixel = static_cast<std::uint16_t>(random());
            std::vector<std::uint16_t> expected = world.frame;
            for (const Span& span : world.spans)
                for (int x = span.x; x < span.x + span.length; ++x)
                    expected[span.y * World::pitch + x] =
                        Ref_Apply(f.op, f.colour, expected[span.y * World::pitch + x], is_555);
            world.Fill(f.fill, face);
            ASSERT_EQ(world.frame, expected) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace fillers_test
